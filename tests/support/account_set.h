#pragma once
// A fresh temporary account set with the host's tables, and seeding functions that state only the rows a test
// is about. Seeding and the queries for assertions talk to SQLite directly, past the database layer.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ledger/db/connection.h"
#include "ledger/db/value.h"
#include "support/temp_database.h"

struct sqlite3;

namespace tarvenish::test {

// An opening receipt header (RdRecord); booked unless `accounter` is empty.
struct Receipt {
    std::string whCode{};
    std::string code = "0000000001";
    std::optional<std::string> accounter = "demo";
    std::string maker = "demo";
    std::optional<std::string> depCode{};  // the voucher's own department (RdRecord.cDepCode)
    std::string vouchType = "34";
    int brdflag = 1;
    Date date = makeDate(2023, 12, 31);
    Date keepDate = makeDate(2024, 1, 1);
    std::optional<std::string> memo{};
    std::optional<std::int64_t> id{};  // RdRecord.ID; the next free one when absent
};

// A stock ledger line (RdRecords) of a receipt.
struct ReceiptLine {
    std::string invCode{};
    std::optional<double> quantity = 0.0;
    std::optional<double> unitCost{};
    std::optional<double> price{};  // the line's money
    std::optional<double> isOutQuantity = 0.0;
    std::optional<std::string> vouchCode{};  // the autoid of the line this one draws on, as text
    std::optional<std::string> batch{};
    std::optional<std::string> define22{};
};

// An opening row of IA_Subsidiary (voucher type "34" unless told).
struct OpeningRowSeed {
    std::string whCode{};
    std::string invCode{};
    std::optional<double> quantity = 0.0;
    std::optional<double> money = 0.0;
    std::optional<std::string> depCode{};
    std::optional<std::string> accounter = "demo";
    std::string maker = "demo";
    std::optional<Date> keepDate = makeDate(2024, 1, 1);
    std::string vouCode = "0000000001";
    std::string vouType = "34";
};

class AccountSet final {
public:
    // A new temporary file holding every host table, all empty. Throws std::runtime_error.
    AccountSet();
    ~AccountSet();
    AccountSet(const AccountSet&) = delete;
    AccountSet& operator=(const AccountSet&) = delete;

    // The text the component's connections and recordsets open.
    [[nodiscard]] std::string connectionString() const { return m_file.connectionString(); }
    // A new connection of the component's database layer, opened on this account set.
    [[nodiscard]] ConnectionPtr connect() const;

    // One AccInformation row; a nullopt value or default is stored as Null.
    void addSetting(std::string_view system, std::string_view name, std::optional<std::string> value,
                    std::optional<std::string> defaultValue = std::nullopt);
    // The two settings that select warehouse mode ("按仓库核算") or department mode (anything else).
    void useWarehouseMode();
    void useDepartmentMode();
    void addWarehouse(std::string_view code, std::string_view name, std::optional<std::string> depCode,
                      std::string_view style = "个别计价法");
    void addInventory(std::string_view code, std::string_view name,
                      std::optional<std::string> std = std::nullopt);
    void addDepartment(std::string_view code, std::string_view name);
    // A receipt header with its lines; returns the lines' autoids in order.
    std::vector<std::int64_t> addReceipt(const Receipt& receipt, const std::vector<ReceiptLine>& lines);
    void addOpeningRow(const OpeningRowSeed& row);

    // Plain SQLite SQL (any number of statements). Throws std::runtime_error naming the SQL.
    void exec(std::string_view sql) const;
    // Every row of a plain SQLite query, integers as Long, reals as Double, texts as Text, Null as Null.
    [[nodiscard]] std::vector<std::vector<Value>> rows(std::string_view sql) const;
    // The first column of the first row; Null when there is no row.
    [[nodiscard]] Value scalar(std::string_view sql) const;
    // Rows of `table` matching the optional plain SQLite condition.
    [[nodiscard]] std::int64_t count(std::string_view table, std::string_view where = {}) const;
    [[nodiscard]] bool hasTable(std::string_view table) const;
    [[nodiscard]] bool hasColumn(std::string_view table, std::string_view column) const;

private:
    struct Closer {
        void operator()(sqlite3* db) const noexcept;
    };
    TempDatabase m_file;
    std::unique_ptr<sqlite3, Closer> m_db;
    std::int64_t m_nextReceiptId = 1;
};

}  // namespace tarvenish::test
