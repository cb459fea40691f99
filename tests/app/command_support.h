#pragma once
// What the end-to-end tests of the command share: running `tarvenish` as a process, a scratch directory, and
// plain SQLite access to an account-set file for seeding and assertions.

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/demo/demo_account_set.h"

struct sqlite3;

namespace tarvenish::test {

struct CommandResult {
    int exitCode = -1;  // -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// A program started with stdin empty, stdout and stderr into files and no display offered; killed when
// still running at destruction. `environment` adds "NAME=value" entries, or removes NAME when given without
// '='. Throws std::runtime_error when the program cannot be started.
class ChildProcess final {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment, const std::string& outPath,
                 const std::string& errPath);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void signal(int number) const;
    // Waits for the end: the exit code, or minus the signal that ended the process.
    int wait();

private:
    std::string m_program;
    pid_t m_pid = 0;
};

// Runs `program` with `args` as a ChildProcess and waits for it; the exit code is -1 when it did not exit.
[[nodiscard]] CommandResult runProgram(const std::string& program, const std::vector<std::string>& args,
                                       const std::vector<std::string>& environment = {});

// Runs the built command with `args` and waits for it; stdin is empty and no display is offered, so no
// window ever opens. `environment` adds "NAME=value" entries, or removes NAME when given without '='.
[[nodiscard]] CommandResult runCommand(const std::vector<std::string>& args,
                                       const std::vector<std::string>& environment = {});

// A fresh directory under the temporary directory, removed with everything in it.
class ScratchDir final {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    [[nodiscard]] std::string file(std::string_view name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
};

// How a run reaches an account-set file: SQLite embedded, or the SQLite ODBC driver through the driver
// manager.
enum class EngineKind { Embedded, Odbc };

// The driver name under which the tests register the SQLite ODBC driver (ODBCSYSINI, set for this process
// and every program it starts).
inline constexpr std::string_view kTestOdbcDriver = "SQLite3";

// The connection string that reaches `path` through `engine`: the path itself, or
// "Driver=SQLite3;Database=PATH;".
[[nodiscard]] std::string connectionTo(const std::string& path, EngineKind engine);
// "Embedded" or "Odbc", for test names.
[[nodiscard]] std::string engineName(EngineKind engine);

// A demo account set written into `dir` as `name`, with a few pairs and some of them mismatched.
std::string makeDemo(const ScratchDir& dir, std::string_view name, PairMode mode, int pairs = 6,
                     int mismatchPercent = 34);

// One SQLite connection on an existing file. Values come back as text, Null as nullopt.
class LedgerFile final {
public:
    using Row = std::vector<std::optional<std::string>>;

    // Throws std::runtime_error when the file cannot be opened.
    explicit LedgerFile(const std::string& path);
    ~LedgerFile();
    LedgerFile(const LedgerFile&) = delete;
    LedgerFile& operator=(const LedgerFile&) = delete;

    // Runs any number of statements; throws std::runtime_error naming the SQL.
    void exec(std::string_view sql) const;
    // Every row of a query. Reals are printed with 17 significant digits so that rows compare exactly.
    [[nodiscard]] std::vector<Row> rows(std::string_view sql) const;
    // The first column of the first row; nullopt for Null or no row.
    [[nodiscard]] std::optional<std::string> scalar(std::string_view sql) const;
    [[nodiscard]] bool hasColumn(std::string_view table, std::string_view column) const;
    [[nodiscard]] bool hasTable(std::string_view table) const;

private:
    sqlite3* m_db = nullptr;
};

// Text of a row for messages and order-insensitive comparison.
[[nodiscard]] std::string rowText(const LedgerFile::Row& row);

// The whole content of the file at `path`; empty when it cannot be read.
[[nodiscard]] std::string fileText(const std::string& path);
// The texts of a query's rows, sorted; `blankedColumn` (when not -1) is read as Null in every row.
[[nodiscard]] std::vector<std::string> sortedRows(const LedgerFile& file, std::string_view sql,
                                                  int blankedColumn = -1);

}  // namespace tarvenish::test
