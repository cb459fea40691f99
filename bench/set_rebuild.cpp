#include "bench/set_rebuild.h"

#include <sqlite3.h>

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string_view>

#include <fmt/format.h>

namespace tarvenish::bench {
namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using DatabasePtr = std::unique_ptr<sqlite3, CloseDatabase>;
using StatementPtr = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

[[noreturn]] void fail(sqlite3* db, std::string_view what) {
    throw std::runtime_error(fmt::format("{}: {}", what, sqlite3_errmsg(db)));
}

DatabasePtr openDatabase(const std::string& path, int flags) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, flags, nullptr);
    DatabasePtr db(raw);
    if (rc != SQLITE_OK) fail(db.get(), "open " + path);
    return db;
}

StatementPtr prepare(sqlite3* db, std::string_view sql) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, nullptr) != SQLITE_OK)
        fail(db, fmt::format("prepare [{}]", sql));
    return StatementPtr(raw);
}

// Runs a statement that returns no rows, with text parameters bound in order; returns the rows it changed.
long run(sqlite3* db, std::string_view sql, std::initializer_list<std::string_view> texts = {}) {
    StatementPtr statement = prepare(db, sql);
    int index = 0;
    for (std::string_view text : texts)
        sqlite3_bind_text(statement.get(), ++index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) fail(db, fmt::format("run [{}]", sql));
    return sqlite3_changes(db);
}

// The text of the first column of the first row, or `fallback` when there is no row or it is null.
std::string firstText(sqlite3* db, std::string_view sql, std::string fallback) {
    StatementPtr statement = prepare(db, sql);
    const int rc = sqlite3_step(statement.get());
    if (rc == SQLITE_ROW && sqlite3_column_type(statement.get(), 0) != SQLITE_NULL)
        return reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail(db, fmt::format("query [{}]", sql));
    return fallback;
}

// Rolls the transaction back unless commit() was reached.
class TransactionGuard {
public:
    explicit TransactionGuard(sqlite3* db) : m_db(db) { run(m_db, "begin"); }
    ~TransactionGuard() {
        if (!m_committed) sqlite3_exec(m_db, "rollback", nullptr, nullptr, nullptr);
    }
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void commit() {
        run(m_db, "commit");
        m_committed = true;
    }

private:
    sqlite3* m_db;
    bool m_committed = false;
};

// S of a line: the quantities of the lines whose cVouchCode holds its autoid, signed for an outbound header
// (brdflag 0) and absolute otherwise. Grouping the pointing lines once beats one probe per line.
constexpr std::string_view kIssuedFigures =
    "insert into bench_issued (autoid, outq) "
    "select L.AutoID, L.isOutQuantity - ifnull(B.s, 0) "
    "from RdRecords L left join ("
    "  select cast(R2.cVouchCode as integer) as aid, "
    "         sum(case when R1.brdflag = 0 then R2.iQuantity else abs(R2.iQuantity) end) as s "
    "  from RdRecords R2 left join RdRecord R1 on R1.ID = R2.ID "
    "  where R2.cVouchCode is not null group by 1) B on B.aid = L.AutoID";

// Pairs whose opening totals equal the stock ledger's remaining opening totals, both rounded as the run
// compares them (quantity digits ?1, money two decimals). CROSS JOIN keeps SQLite walking the lines once
// instead of probing the headers per pair.
constexpr std::string_view kAgreeingPairs =
    "insert into bench_pairs (code, invcode) "
    "select P.code, P.invcode from ("
    "  select S.cWhCode as code, S.cInvCode as invcode, "
    "         round(sum(ifnull(S.iAInQuantity, 0)), ?1) as q, round(sum(ifnull(S.iAInPrice, 0)), 2) as m "
    "  from IA_Subsidiary S join Warehouse W on W.cWhCode = S.cWhCode "
    "  where S.cVouType = '34' and W.cWhValueStyle = '个别计价法' group by S.cWhCode, S.cInvCode) P "
    "join ("
    "  select H.cWhCode as code, L.cInvCode as invcode, "
    "         round(sum(ifnull(L.iQuantity - I.outq, 0)), ?1) as q, "
    "         round(sum(ifnull(ifnull(L.iPrice, 0) - I.outq * ifnull(L.iUnitCost, 0), 0)), 2) as m "
    "  from RdRecord H cross join RdRecords L on L.ID = H.ID cross join bench_issued I on I.autoid = "
    "L.AutoID "
    "  where H.cAccounter is not null and H.cVouchType = '34' group by H.cWhCode, L.cInvCode) T "
    "on T.code = P.code and T.invcode = P.invcode and T.q = P.q and T.m = P.m";

constexpr std::string_view kDeleteOpeningRows =
    "delete from IA_Subsidiary where cVouType = '34' "
    "and (cWhCode, cInvCode) in (select code, invcode from bench_pairs)";

// The regeneration's 69 expressions, position by position; ?1 is the keep date.
constexpr std::string_view kInsertOpeningRows =
    "insert into IA_Subsidiary "
    "select H.brdflag, H.cBusType, H.cBusCode, H.cCode, L.ID, null, null, H.dDate, ?1, 0, "
    "null, null, null, null, null, null, null, '34', H.cPTCode, H.cSTCode, H.cWhCode, H.cDepCode, "
    "L.cInvCode, H.cRdCode, H.cVenCode, H.cCusCode, H.cOrderCode, H.cARVCode, H.cBillCode, H.cDLCode, "
    "L.cObjCode, H.cProBatch, null, H.cPersonCode, H.cHandler, "
    "(L.iQuantity - I.outq), null, L.iUnitCost, null, "
    "(ifnull(L.iPrice, 0) - I.outq * ifnull(L.iUnitCost, 0)), null, L.cBatch, null, null, "
    "H.cAccounter, H.cMaker, 0, 1, 0, H.cMemo, "
    "H.cDefine1, H.cDefine2, H.cDefine3, H.cDefine4, H.cDefine5, H.cDefine6, H.cDefine7, H.cDefine8, "
    "H.cDefine9, H.cDefine10, L.cFree1, L.cFree2, '0', "
    "L.cDefine22, L.cDefine23, L.cDefine24, L.cDefine25, L.cDefine26, L.cDefine27 "
    "from RdRecord H cross join RdRecords L on L.ID = H.ID "
    "cross join bench_pairs P on P.code = H.cWhCode and P.invcode = L.cInvCode "
    "cross join bench_issued I on I.autoid = L.AutoID "
    "where H.cAccounter is not null and H.cVouchType = '34'";

}  // namespace

SetRebuildCounts setBasedRebuild(const std::string& path) {
    DatabasePtr owner = openDatabase(path, SQLITE_OPEN_READWRITE);
    sqlite3* db = owner.get();
    const std::string digits = firstText(db,
                                         "select coalesce(nullif(cValue, ''), cDefault) from AccInformation "
                                         "where cSysID = 'AA' and cName = 'iStrsQuanDecDgt'",
                                         "0");
    const std::string keepDate =
        firstText(db, "select dkeepdate from IA_Subsidiary where cVouType = '34' limit 1", "");
    if (keepDate.empty()) return {};

    SetRebuildCounts counts;
    TransactionGuard transaction(db);
    run(db, "create temp table bench_issued (autoid integer primary key, outq real)");
    run(db,
        "create temp table bench_pairs (code text, invcode text, primary key (code, invcode)) without rowid");
    run(db, kIssuedFigures);
    counts.pairsMatched = run(db, kAgreeingPairs, {digits});
    counts.rowsDeleted = run(db, kDeleteOpeningRows);
    counts.rowsInserted = run(db, kInsertOpeningRows, {keepDate});
    run(db, "drop table bench_pairs");
    run(db, "drop table bench_issued");
    transaction.commit();
    return counts;
}

namespace {

std::string describe(sqlite3_stmt* row, int column) {
    switch (sqlite3_column_type(row, column)) {
        case SQLITE_NULL:
            return "null";
        case SQLITE_INTEGER:
        case SQLITE_FLOAT:
            return fmt::format("{}", sqlite3_column_double(row, column));
        default:
            return fmt::format("'{}'", reinterpret_cast<const char*>(sqlite3_column_text(row, column)));
    }
}

bool sameValue(sqlite3_stmt* left, sqlite3_stmt* right, int column) {
    const int a = sqlite3_column_type(left, column);
    const int b = sqlite3_column_type(right, column);
    const auto numeric = [](int type) { return type == SQLITE_INTEGER || type == SQLITE_FLOAT; };
    if (a == SQLITE_NULL || b == SQLITE_NULL) return a == b;
    if (numeric(a) || numeric(b)) {
        return numeric(a) && numeric(b) &&
               std::fabs(sqlite3_column_double(left, column) - sqlite3_column_double(right, column)) <= 1e-9;
    }
    const int size = sqlite3_column_bytes(left, column);
    return size == sqlite3_column_bytes(right, column) &&
           std::string_view(static_cast<const char*>(sqlite3_column_blob(left, column)),
                            static_cast<std::size_t>(size)) ==
               std::string_view(static_cast<const char*>(sqlite3_column_blob(right, column)),
                                static_cast<std::size_t>(size));
}

std::string orderedOpeningRows() {
    std::string text = "select * from IA_Subsidiary where cVouType = '34' order by 1";
    for (int column = 2; column <= 69; ++column) text += fmt::format(",{}", column);
    return text;
}

}  // namespace

OpeningRowComparison compareOpeningRows(const std::string& left, const std::string& right) {
    DatabasePtr leftDb = openDatabase(left, SQLITE_OPEN_READONLY);
    DatabasePtr rightDb = openDatabase(right, SQLITE_OPEN_READONLY);
    // Both sides sorted on every column: equal ledgers then line up row for row.
    const std::string sql = orderedOpeningRows();
    StatementPtr a = prepare(leftDb.get(), sql);
    StatementPtr b = prepare(rightDb.get(), sql);
    const int columns = sqlite3_column_count(a.get());
    if (columns != sqlite3_column_count(b.get()))
        return {false, 0, fmt::format("{} columns against {}", columns, sqlite3_column_count(b.get()))};

    OpeningRowComparison result;
    for (;;) {
        const int ra = sqlite3_step(a.get());
        const int rb = sqlite3_step(b.get());
        if (ra != SQLITE_ROW && ra != SQLITE_DONE) fail(leftDb.get(), "read " + left);
        if (rb != SQLITE_ROW && rb != SQLITE_DONE) fail(rightDb.get(), "read " + right);
        if (ra == SQLITE_DONE && rb == SQLITE_DONE) break;
        if (ra != rb) {
            result.difference =
                fmt::format("{} has more opening rows than {} after {} equal rows",
                            ra == SQLITE_ROW ? left : right, ra == SQLITE_ROW ? right : left, result.rows);
            return result;
        }
        for (int column = 0; column < columns; ++column) {
            if (!sameValue(a.get(), b.get(), column)) {
                result.difference = fmt::format("sorted row {}, column {}: {} against {}", result.rows + 1,
                                                sqlite3_column_name(a.get(), column),
                                                describe(a.get(), column), describe(b.get(), column));
                return result;
            }
        }
        ++result.rows;
    }
    result.same = true;
    return result;
}

}  // namespace tarvenish::bench
