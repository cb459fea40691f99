#include "support/account_set.h"

#include <sqlite3.h>

#include <algorithm>
#include <stdexcept>
#include <variant>

#include "ledger/db/host_schema.h"

namespace tarvenish::test {

namespace {

using Param = std::variant<std::monostate, std::int64_t, double, std::string>;

template <typename T>
Param param(const std::optional<T>& value) {
    if (!value) return std::monostate{};
    return Param(*value);
}

Param param(std::string_view text) {
    return std::string(text);
}
Param param(Date date) {
    return dateText(date);
}
Param param(const std::optional<Date>& date) {
    return date ? param(*date) : Param(std::monostate{});
}

using StatementPtr = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)>;

[[noreturn]] void fail(sqlite3* db, std::string_view what, std::string_view sql) {
    throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db) + "; SQL: " + std::string(sql));
}

StatementPtr prepare(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
        fail(db, "cannot prepare", sql);
    return StatementPtr(raw, sqlite3_finalize);
}

void bindAll(sqlite3* db, sqlite3_stmt* statement, const std::vector<Param>& params, std::string_view sql) {
    for (std::size_t i = 0; i < params.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        int rc = SQLITE_OK;
        if (const auto* n = std::get_if<std::int64_t>(&params[i])) {
            rc = sqlite3_bind_int64(statement, index, *n);
        } else if (const auto* d = std::get_if<double>(&params[i])) {
            rc = sqlite3_bind_double(statement, index, *d);
        } else if (const auto* s = std::get_if<std::string>(&params[i])) {
            rc = sqlite3_bind_text(statement, index, s->c_str(), static_cast<int>(s->size()),
                                   SQLITE_TRANSIENT);
        } else {
            rc = sqlite3_bind_null(statement, index);
        }
        if (rc != SQLITE_OK) fail(db, "cannot bind", sql);
    }
}

void insert(sqlite3* db, std::string_view sql, const std::vector<Param>& params) {
    StatementPtr statement = prepare(db, sql);
    bindAll(db, statement.get(), params, sql);
    if (sqlite3_step(statement.get()) != SQLITE_DONE) fail(db, "seeding failed", sql);
}

Value columnValue(sqlite3_stmt* statement, int index) {
    switch (sqlite3_column_type(statement, index)) {
        case SQLITE_INTEGER:
            return Value::longInt(sqlite3_column_int64(statement, index));
        case SQLITE_FLOAT:
            return Value::real(sqlite3_column_double(statement, index));
        case SQLITE_NULL:
            return Value::null();
        default: {
            const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, index));
            return Value::text(std::string(bytes != nullptr ? bytes : "",
                                           static_cast<std::size_t>(sqlite3_column_bytes(statement, index))));
        }
    }
}

}  // namespace

void AccountSet::Closer::operator()(sqlite3* db) const noexcept {
    sqlite3_close_v2(db);
}

AccountSet::AccountSet() {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(m_file.path().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    m_db.reset(raw);
    if (rc != SQLITE_OK) throw std::runtime_error("cannot open the account set " + m_file.path().string());
    sqlite3_busy_timeout(raw, 5000);
    // A throw-away file: seeding need not wait for the disk.
    exec("PRAGMA synchronous = OFF");
    for (const std::string& statement : hostSchemaStatements()) exec(statement);
}

AccountSet::~AccountSet() {
    // Pooled connections of the component would keep the file open after it is removed.
    ConnectionPool::clear();
}

ConnectionPtr AccountSet::connect() const {
    return Connection::open(connectionString());
}

void AccountSet::addSetting(std::string_view system, std::string_view name, std::optional<std::string> value,
                            std::optional<std::string> defaultValue) {
    insert(m_db.get(), "insert into AccInformation (cSysID, cName, cValue, cDefault) values (?, ?, ?, ?)",
           {param(system), param(name), param(value), param(defaultValue)});
}

void AccountSet::useWarehouseMode() {
    addSetting("IA", "cValueStyle", "按仓库核算");
}

void AccountSet::useDepartmentMode() {
    addSetting("IA", "cValueStyle", "按部门核算");
}

void AccountSet::addWarehouse(std::string_view code, std::string_view name,
                              std::optional<std::string> depCode, std::string_view style) {
    insert(m_db.get(),
           "insert into Warehouse (cWhCode, cWhName, cDepCode, cWhValueStyle) values (?, ?, ?, ?)",
           {param(code), param(name), param(depCode), param(style)});
}

void AccountSet::addInventory(std::string_view code, std::string_view name, std::optional<std::string> std) {
    insert(m_db.get(), "insert into Inventory (cInvCode, cInvName, cInvStd) values (?, ?, ?)",
           {param(code), param(name), param(std)});
}

void AccountSet::addDepartment(std::string_view code, std::string_view name) {
    insert(m_db.get(), "insert into department (cDepCode, cDepName) values (?, ?)",
           {param(code), param(name)});
}

std::vector<std::int64_t> AccountSet::addReceipt(const Receipt& receipt,
                                                 const std::vector<ReceiptLine>& lines) {
    const std::int64_t id = receipt.id.value_or(m_nextReceiptId);
    m_nextReceiptId = std::max(m_nextReceiptId, id + 1);
    insert(m_db.get(),
           "insert into RdRecord (ID, brdflag, cVouchType, cCode, dDate, dKeepDate, cWhCode, cDepCode, "
           "cAccounter, "
           "cMaker, cMemo) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)",
           {Param(id), Param(std::int64_t{receipt.brdflag}), param(receipt.vouchType), param(receipt.code),
            param(receipt.date), param(receipt.keepDate), param(receipt.whCode), param(receipt.depCode),
            param(receipt.accounter), param(receipt.maker), param(receipt.memo)});
    std::vector<std::int64_t> autoids;
    for (const ReceiptLine& line : lines) {
        insert(
            m_db.get(),
            "insert into RdRecords (ID, cInvCode, iQuantity, iUnitCost, iPrice, isOutQuantity, cVouchCode, "
            "cBatch, cDefine22) values (?, ?, ?, ?, ?, ?, ?, ?, ?)",
            {Param(id), param(line.invCode), param(line.quantity), param(line.unitCost), param(line.price),
             param(line.isOutQuantity), param(line.vouchCode), param(line.batch), param(line.define22)});
        autoids.push_back(sqlite3_last_insert_rowid(m_db.get()));
    }
    return autoids;
}

void AccountSet::addOpeningRow(const OpeningRowSeed& row) {
    insert(
        m_db.get(),
        "insert into IA_Subsidiary (brdflag, cVouCode, dkeepdate, imonth, cvoutype, cWhcode, cinvcode, "
        "cdepcode, "
        "iainquantity, iainprice, caccounter, cMaker, bflag, bmoneyflag, bsale, cpzid) "
        "values (1, ?, ?, 0, ?, ?, ?, ?, ?, ?, ?, ?, 0, 1, 0, '0')",
        {param(row.vouCode), param(row.keepDate), param(row.vouType), param(row.whCode), param(row.invCode),
         param(row.depCode), param(row.quantity), param(row.money), param(row.accounter), param(row.maker)});
}

void AccountSet::exec(std::string_view sql) const {
    const std::string text(sql);
    char* message = nullptr;
    if (sqlite3_exec(m_db.get(), text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        const std::string error = message != nullptr ? message : "unknown error";
        sqlite3_free(message);
        throw std::runtime_error("seeding failed: " + error + "; SQL: " + text);
    }
}

std::vector<std::vector<Value>> AccountSet::rows(std::string_view sql) const {
    StatementPtr statement = prepare(m_db.get(), sql);
    const int columns = sqlite3_column_count(statement.get());
    std::vector<std::vector<Value>> result;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
        std::vector<Value> row;
        for (int i = 0; i < columns; ++i) row.push_back(columnValue(statement.get(), i));
        result.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) fail(m_db.get(), "query failed", sql);
    return result;
}

Value AccountSet::scalar(std::string_view sql) const {
    const auto result = rows(sql);
    if (result.empty() || result.front().empty()) return Value::null();
    return result.front().front();
}

std::int64_t AccountSet::count(std::string_view table, std::string_view where) const {
    std::string sql = "select count(*) from " + std::string(table);
    if (!where.empty()) sql += " where " + std::string(where);
    return scalar(sql).rawInteger();
}

bool AccountSet::hasTable(std::string_view table) const {
    StatementPtr statement =
        prepare(m_db.get(), "select 1 from sqlite_master where type='table' and lower(name)=lower(?)");
    bindAll(m_db.get(), statement.get(), {param(table)}, "hasTable");
    return sqlite3_step(statement.get()) == SQLITE_ROW;
}

bool AccountSet::hasColumn(std::string_view table, std::string_view column) const {
    StatementPtr statement =
        prepare(m_db.get(), "select 1 from pragma_table_info(?) where lower(name)=lower(?)");
    bindAll(m_db.get(), statement.get(), {param(table), param(column)}, "hasColumn");
    return sqlite3_step(statement.get()) == SQLITE_ROW;
}

}  // namespace tarvenish::test
