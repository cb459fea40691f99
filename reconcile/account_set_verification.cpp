#include "reconcile/account_set_verification.h"

#include <algorithm>
#include <charconv>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "component/settings.h"
#include "component/shared_state.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/sql/host_tables.h"
#include "ledger/sql/journal_statements.h"
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

// A run number as the journal gives it back: a whole number, whatever type the engine reads it in.
std::optional<long> wholeNumberOf(const Value& value) {
    const std::string text = value.displayText();
    long number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return number;
}

// The rows of `statement`, each as one text, sorted: two multisets of whole rows compare as these do.
std::vector<std::string> rowTexts(const std::string& connectionString, const Statement& statement) {
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
    Recordset latest;
    openReadOnlyQuery(latest, sql::journalLatestRunOfPair(pair.code, pair.invCode), connectionString,
                      CursorType::ForwardOnly);
    if (latest.eof() || latest.field(0).isNull()) return false;
    const std::optional<long> run = wholeNumberOf(latest.field(0));
    latest.close();
    if (!run) return false;
    Recordset action;
    openReadOnlyQuery(action, sql::journalPairNotConfirmed(*run, pair.code, pair.invCode), connectionString,
                      CursorType::ForwardOnly);
    if (!action.eof()) return false;
    action.close();
    return rowTexts(connectionString, sql::journalPairAfterRows(*run, pair.code, pair.invCode)) ==
           rowTexts(connectionString, sql::countedPairRows(mode, pair.code, pair.invCode));
}

// The second column by the first, of every row whose code is not Null.
std::map<std::string, std::string> namesByCode(const std::string& connectionString, const Statement& query) {
    std::map<std::string, std::string> names;
    Recordset rs;
    openReadOnlyQuery(rs, query, connectionString, CursorType::ForwardOnly);
    for (; !rs.eof(); rs.moveNext())
        if (!rs.field(0).isNull())
            names.emplace(rs.field(0).displayText(), rs.field(1).isNull() ? "" : rs.field(1).displayText());
    rs.close();
    return names;
}

void addNames(const std::string& connectionString, PairMode mode, std::vector<PairDifference>& differences) {
    if (differences.empty()) return;
    const auto codes = namesByCode(connectionString, sql::codeNames(mode));
    const auto items = namesByCode(connectionString, sql::itemNames());
    for (PairDifference& difference : differences) {
        if (const auto at = codes.find(difference.code); at != codes.end()) difference.name = at->second;
        if (const auto at = items.find(difference.invCode); at != items.end())
            difference.invName = at->second;
    }
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

AccountSetVerification verifyAccountSet(const ConnectionPtr& connection, DialectChoice dialects,
                                        PairNames names) {
    const ReadersOn readers(connection);
    const std::string connectionString = connection->connectionString();
    AccountSettingsRecord settings;
    try {
        ReadAccountSettings(settings);
    } catch (const DbError& error) {
        // Only the mode and the digits are needed, read before the first opening row; that row has no
        // department before the run's department fill.
        const PairMode byRow = settings.ByDepartment ? PairMode::Department : PairMode::Warehouse;
        if (error.statement() != sql::settingsOpeningRow(byRow).text()) throw;
    }
    const PairMode mode = settings.ByDepartment ? PairMode::Department : PairMode::Warehouse;
    const Dialect dialect = dialects.forPairs();
    const int digits = settings.QuantityDigits;

    auto stock = stockByPair(connectionString, dialect, mode, digits);
    AccountSetVerification verification;
    verification.quantityDigits = digits;
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
    if (names == PairNames::With) addNames(connectionString, mode, verification.differences);
    return verification;
}

}  // namespace tarvenish
