#pragma once
// A temporary SQLite database file for one test, seeded with plain SQLite SQL and removed afterwards.

#include <filesystem>
#include <string>
#include <string_view>

namespace tarvenish::test {

class TempDatabase final {
public:
    // Creates an empty database file in the temporary directory.
    TempDatabase();
    // Removes the file (and any journal beside it).
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    // Runs plain SQLite SQL (any number of statements) on a connection of its own. Throws std::runtime_error.
    void run(std::string_view sql) const;
    // The first column of the first row of a query as text ("" for Null or no row). Throws
    // std::runtime_error.
    [[nodiscard]] std::string scalar(std::string_view sql) const;

    [[nodiscard]] const std::filesystem::path& path() const noexcept { return m_path; }
    // "Data Source=<path>;" for the component's connections.
    [[nodiscard]] std::string connectionString() const;

private:
    std::filesystem::path m_path;
};

}  // namespace tarvenish::test
