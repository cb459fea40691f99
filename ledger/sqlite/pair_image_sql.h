#pragma once
// The statements of the per-pair images (ledger/dialect/pair_image.h) on the embedded engine's connection.

#include "ledger/dialect/pair_image.h"
#include "ledger/sqlite/handle.h"

namespace tarvenish {

class SqlitePairImageSql final : public PairImageSql {
public:
    // Runs on `db`, which must outlive this object.
    explicit SqlitePairImageSql(SqliteDatabase& db) noexcept : m_db(db) {}

    void run(const std::string& sqliteText) override;
    [[nodiscard]] std::vector<std::string> firstColumn(const std::string& sqliteText) override;
    [[nodiscard]] std::optional<std::uint64_t> dataVersion() override;
    // Finalizes the statement kept for the data version.
    void clear() noexcept { m_dataVersion.reset(); }

private:
    SqliteDatabase& m_db;
    StatementPtr m_dataVersion;  // asked before every answer: prepared once
};

}  // namespace tarvenish
