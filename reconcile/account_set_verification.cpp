#include "reconcile/account_set_verification.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "component/settings.h"
#include "component/shared_state.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/sql/host_tables.h"
#include "ledger/sql/statements.h"
#include "reconcile/pair_row.h"
#include "reconcile/totals_match.h"

namespace tarvenish {
namespace {

struct StockFigures {
    Value quantity;
    Value money;
};

// Releases the connection this thread's readers were given, however the verification ends.
struct ReadersOn {
    explicit ReadersOn(const ConnectionPtr& connection) { sharedState().Conn = connection; }
    ~ReadersOn() { sharedState().releaseConn(); }
    ReadersOn(const ReadersOn&) = delete;
    ReadersOn& operator=(const ReadersOn&) = delete;
};

std::map<PairKey, StockFigures> stockByPair(const std::string& connectionString, Dialect dialect,
                                            PairMode mode, int digits) {
    std::map<PairKey, StockFigures> stock;
    Recordset rs;
    openReadOnlyQuery(rs, sql::stockTotalsByPair(dialect, mode, digits), connectionString,
                      CursorType::ForwardOnly);
    for (; !rs.eof(); rs.moveNext()) {
        if (rs.field(0).isNull() || rs.field(1).isNull()) continue;
        stock.emplace(PairKey{rs.field(0).displayText(), rs.field(1).displayText()},
                      StockFigures{rs.field(2), rs.field(3)});
    }
    rs.close();
    return stock;
}

std::set<std::string> specificIdentificationCodes(const std::string& connectionString, PairMode mode) {
    std::set<std::string> codes;
    Recordset rs;
    openReadOnlyQuery(rs, sql::specificIdentificationCodes(mode), connectionString, CursorType::ForwardOnly);
    for (; !rs.eof(); rs.moveNext())
        if (!rs.field(0).isNull()) codes.insert(rs.field(0).displayText());
    rs.close();
    return codes;
}

bool tableExists(const std::string& connectionString, std::string_view table) {
    Recordset probe;
    try {
        openReadOnlyQuery(probe, "select * from " + std::string(table) + " where 1=0", connectionString,
                          CursorType::ForwardOnly);
    } catch (const DbError&) {
        return false;
    }
    probe.close();
    return true;
}

std::string columnList(std::string_view table) {
    std::string list;
    for (const auto& column : host::kOpeningRowColumns)
        list += (list.empty() ? "" : ",") + std::string(table) + "." + std::string(column.name);
    return list;
}

// The rows of `statement`, each as one text, sorted: two multisets of whole rows compare as these do.
std::vector<std::string> rowTexts(const std::string& connectionString, const std::string& statement) {
    std::vector<std::string> rows;
    Recordset rs;
    openReadOnlyQuery(rs, statement, connectionString, CursorType::ForwardOnly);
    for (; !rs.eof(); rs.moveNext()) {
        std::string text;
        for (std::size_t i = 0; i < host::kOpeningRowColumns.size(); ++i) {
            const Value& value = rs.field(i);
            text += value.isNull() ? std::string("\x01") : value.displayText();
            text += '\x1f';
        }
        rows.push_back(std::move(text));
    }
    rs.close();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// A pair confirmed in the dialog by the latest run that touched it and was not undone, whose opening rows
// are still exactly the rows that confirm wrote.
bool adjustedOnPurpose(const std::string& connectionString, PairMode mode, const PairDifference& pair) {
    const std::string of = "tarvenish_journal.pair_code=N'" + sql::quoteCode(pair.code) +
                           "' and tarvenish_journal.inv_code=N'" + sql::quoteCode(pair.invCode) + "'";
    Recordset latest;
    openReadOnlyQuery(
        latest,
        "select max(tarvenish_journal.run_id) from tarvenish_journal inner join tarvenish_runs on "
        "tarvenish_runs.run_id=tarvenish_journal.run_id where tarvenish_runs.undone is null and " +
            of,
        connectionString, CursorType::ForwardOnly);
    if (latest.eof() || latest.field(0).isNull()) return false;
    const std::string run = latest.field(0).displayText();
    latest.close();
    const std::string ofRun = of + " and tarvenish_journal.run_id=" + run;
    Recordset action;
    openReadOnlyQuery(action,
                      "select tarvenish_journal.action from tarvenish_journal where " + ofRun +
                          " and tarvenish_journal.action<>N'confirmed'",
                      connectionString, CursorType::ForwardOnly);
    if (!action.eof()) return false;
    action.close();
    const auto written = rowTexts(connectionString, "select " + columnList("tarvenish_journal") +
                                                        " from tarvenish_journal where " + ofRun +
                                                        " and tarvenish_journal.image=N'after'");
    // In department mode a row belongs to its warehouse's department, as the totals count it.
    const std::string current =
        mode == PairMode::Department
            ? "select " + columnList("IA_Subsidiary") +
                  " from IA_Subsidiary inner join Warehouse on IA_Subsidiary.cWhCode=Warehouse.cWhCode where "
                  "IA_Subsidiary.cVouType=N'34' and Warehouse.cDepCode=N'" +
                  sql::quoteCode(pair.code) + "'"
            : "select " + columnList("IA_Subsidiary") +
                  " from IA_Subsidiary where IA_Subsidiary.cVouType=N'34' and IA_Subsidiary.cWhCode=N'" +
                  sql::quoteCode(pair.code) + "'";
    return written == rowTexts(connectionString, current + " and IA_Subsidiary.cInvCode=N'" +
                                                     sql::quoteCode(pair.invCode) + "'");
}

}  // namespace

int AccountSetVerification::unexplained() const noexcept {
    return static_cast<int>(std::count_if(differences.begin(), differences.end(),
                                          [](const PairDifference& d) { return !d.adjusted; }));
}

int AccountSetVerification::withoutOpeningRows() const noexcept {
    return static_cast<int>(
        std::count_if(differences.begin(), differences.end(),
                      [](const PairDifference& d) { return !d.adjusted && d.withoutOpeningRows; }));
}

AccountSetVerification verifyAccountSet(const ConnectionPtr& connection, DialectChoice dialects) {
    const ReadersOn readers(connection);
    const std::string connectionString = connection->connectionString();
    AccountSettingsRecord settings;
    try {
        ReadAccountSettings(settings);
    } catch (const DbError& error) {
        // Only the mode and the digits are needed, read before the first opening row; that row has no
        // department before the run's department fill.
        const PairMode byRow = settings.ByDepartment ? PairMode::Department : PairMode::Warehouse;
        if (error.statement() != sql::settingsOpeningRow(byRow)) throw;
    }
    const PairMode mode = settings.ByDepartment ? PairMode::Department : PairMode::Warehouse;
    const Dialect dialect = dialects.forPairs();
    const int digits = settings.QuantityDigits;

    auto stock = stockByPair(connectionString, dialect, mode, digits);
    AccountSetVerification verification;
    Recordset opening;
    openReadOnlyQuery(opening, sql::openingTotalsCheck(dialect, mode, digits), connectionString,
                      CursorType::ForwardOnly);
    for (; !opening.eof(); opening.moveNext()) {
        if (opening.field(0).isNull() || opening.field(1).isNull()) continue;
        ++verification.pairsChecked;
        PairKey key{opening.field(0).displayText(), opening.field(1).displayText()};
        const auto at = stock.find(key);
        // The run's per-pair totals always give one row, with Null sums when the pair has no stock line.
        const StockFigures figures =
            at != stock.end() ? at->second : StockFigures{Value::null(), Value::null()};
        if (at != stock.end()) stock.erase(at);
        if (totalsMatch(figures.quantity, figures.money, 1, opening.field(2), opening.field(3))) continue;
        verification.differences.push_back(PairDifference{std::move(key.first), std::move(key.second),
                                                          opening.field(2), opening.field(3),
                                                          figures.quantity, figures.money});
    }
    opening.close();
    // What is left of the stock side are pairs without a single opening row: every booked receipt line of
    // a pair the run visits gets a row, even one with nothing left on it, so such a pair has lost its rows.
    const std::set<std::string> visited = specificIdentificationCodes(connectionString, mode);
    for (auto& [key, figures] : stock) {
        if (!visited.contains(key.first)) continue;
        ++verification.pairsChecked;
        PairDifference missing{key.first,     key.second,       Value::null(),
                               Value::null(), figures.quantity, figures.money};
        missing.withoutOpeningRows = true;
        verification.differences.push_back(std::move(missing));
    }
    if (!verification.differences.empty() && tableExists(connectionString, "tarvenish_runs") &&
        tableExists(connectionString, "tarvenish_journal")) {
        for (PairDifference& difference : verification.differences)
            difference.adjusted = adjustedOnPurpose(connectionString, mode, difference);
    }
    return verification;
}

}  // namespace tarvenish
