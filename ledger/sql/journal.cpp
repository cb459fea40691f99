// The run journal's statements: its tables, the runs' rows and the set-based copies of a pair's opening rows.

#include <string>

#include "ledger/sql/host_tables.h"
#include "ledger/sql/journal_statements.h"

namespace tarvenish::sql {

namespace {

// The desktop engine's name of a server column type: the journal keeps each column's type in both.
std::string desktopType(std::string_view serverType) {
    if (serverType.starts_with("varchar")) return "text" + std::string(serverType.substr(7));
    if (serverType == "int") return "long";
    if (serverType == "tinyint") return "byte";
    if (serverType == "float") return "double";
    if (serverType == "money") return "currency";
    return std::string(serverType);  // datetime, bit
}

// "a,b,c" of the 69 opening-row columns, each prefixed with `table` and a dot when given.
std::string openingColumns(std::string_view table) {
    std::string text;
    for (const auto& column : host::kOpeningRowColumns) {
        if (!text.empty()) text += ',';
        if (!table.empty()) text += std::string(table) + ".";
        text += column.name;
    }
    return text;
}

std::string literal(std::string_view text) {
    return "N'" + quoteCode(text) + "'";
}

// The pair's current opening rows, after "where".
std::string pairRowsFilter(PairMode mode, std::string_view code, std::string_view invCode) {
    std::string text = "IA_Subsidiary.cVouType=N'34' And IA_Subsidiary.cInvCode=" + literal(invCode);
    if (mode == PairMode::Warehouse) return text + " And IA_Subsidiary.cWhCode=" + literal(code);
    return text + " And (IA_Subsidiary.cDepCode=" + literal(code) +
           " Or (IA_Subsidiary.cDepCode is null And IA_Subsidiary.cWhCode in (select cWhCode from Warehouse "
           "where cDepCode=" +
           literal(code) + ")))";
}

std::string journalPairFilter(long runId, std::string_view code, std::string_view invCode) {
    return "run_id=" + std::to_string(runId) + " And pair_code=" + literal(code) +
           " And inv_code=" + literal(invCode);
}

}  // namespace

std::string_view journalActionText(JournalAction action) {
    return action == JournalAction::Rebuilt ? "rebuilt" : "confirmed";
}

std::string_view journalImageText(JournalImage image) {
    return image == JournalImage::Before ? "before" : "after";
}

std::string journalRunsProbe() {
    return "select run_id from tarvenish_runs where 1=0";
}

std::string journalProbe() {
    return "select run_id from tarvenish_journal where 1=0";
}

std::string createJournalRuns(Dialect dialect) {
    const bool desktop = dialect == Dialect::Desktop;
    const std::string integer = desktop ? "long" : "int";
    const std::string text = desktop ? "text(20)" : "nvarchar(20)";
    return "create table tarvenish_runs (run_id " + integer + " not null primary key, started " + text +
           " not null, acc_sql " + integer + " not null, mode " + text + " not null, pairs_rebuilt " +
           integer + " null, pairs_confirmed " + integer + " null, rows_deleted " + integer +
           " null, rows_inserted " + integer + " null, finished " + text + " null, undone " + text + " null)";
}

std::string createJournal(Dialect dialect) {
    const bool desktop = dialect == Dialect::Desktop;
    const std::string code = desktop ? "text(60)" : "nvarchar(60)";
    const std::string word = desktop ? "text(10)" : "nvarchar(10)";
    std::string text = "create table tarvenish_journal (run_id " + std::string(desktop ? "long" : "int") +
                       " not null, pair_code " + code + " not null, inv_code " + code + " not null, action " +
                       word + " not null, image " + word + " not null";
    for (const auto& column : host::kOpeningRowColumns) {
        text += ", ";
        text += column.name;
        text += ' ';
        text += desktop ? desktopType(column.sqlType) : std::string(column.sqlType);
        text += " null";
    }
    return text + ")";
}

std::string createJournalIndex() {
    return "create index tarvenish_journal_pair on tarvenish_journal (pair_code,inv_code,run_id)";
}

std::string journalRunStart(Dialect dialect, std::string_view started, std::int16_t accSql, PairMode mode) {
    const std::string next =
        dialect == Dialect::Desktop ? "iif(max(run_id) is null,0,max(run_id))+1" : "isnull(max(run_id),0)+1";
    return "insert into tarvenish_runs (run_id,started,acc_sql,mode) select " + next + "," +
           literal(started) + "," + std::to_string(accSql) + "," +
           literal(mode == PairMode::Warehouse ? "warehouse" : "department") + " from tarvenish_runs";
}

std::string journalLastRun() {
    return "select max(run_id) from tarvenish_runs";
}

std::string journalRunFinish(long runId, const JournalRunTotals& totals, std::string_view finished) {
    return "update tarvenish_runs set pairs_rebuilt=" + std::to_string(totals.pairsRebuilt) +
           ",pairs_confirmed=" + std::to_string(totals.pairsConfirmed) +
           ",rows_deleted=" + std::to_string(totals.rowsDeleted) +
           ",rows_inserted=" + std::to_string(totals.rowsInserted) + ",finished=" + literal(finished) +
           " where run_id=" + std::to_string(runId);
}

std::string journalRunUndone(long runId, std::string_view when) {
    return "update tarvenish_runs set undone=" + literal(when) + " where run_id=" + std::to_string(runId);
}

std::string journalRuns() {
    return "select run_id,started,acc_sql,mode,pairs_rebuilt,pairs_confirmed,rows_deleted,rows_inserted,"
           "finished,undone from tarvenish_runs order by run_id";
}

std::string journalLastRunNotUndone() {
    return "select max(run_id) from tarvenish_runs where undone is null";
}

std::string journalRun(long runId) {
    return "select mode,undone,acc_sql from tarvenish_runs where run_id=" + std::to_string(runId);
}

// The host's own insert fills IA_Subsidiary by position with the 69 opening-row columns, and the journal
// keeps them in that order after its five own: "*" copies them whole, in a text a run sends twice per pair.
std::string journalPairImage(PairMode mode, long runId, std::string_view code, std::string_view invCode,
                             JournalAction action, JournalImage image) {
    return "insert into tarvenish_journal select " + std::to_string(runId) + "," + literal(code) + "," +
           literal(invCode) + "," + literal(journalActionText(action)) + "," +
           literal(journalImageText(image)) + "," + "IA_Subsidiary.* from IA_Subsidiary where " +
           pairRowsFilter(mode, code, invCode);
}

std::string journalPairs(long runId) {
    return "select pair_code,inv_code from tarvenish_journal where run_id=" + std::to_string(runId) +
           " group by pair_code,inv_code order by pair_code,inv_code";
}

std::string journalPairRows(long runId, std::string_view code, std::string_view invCode, JournalImage image) {
    return "select " + openingColumns({}) + " from tarvenish_journal where " +
           journalPairFilter(runId, code, invCode) + " And image=" + literal(journalImageText(image));
}

std::string currentPairRows(PairMode mode, std::string_view code, std::string_view invCode) {
    return "select " + openingColumns("IA_Subsidiary") + " from IA_Subsidiary where " +
           pairRowsFilter(mode, code, invCode);
}

std::string undoPairDelete(Dialect dialect, PairMode mode, std::string_view code, std::string_view invCode) {
    return std::string(dialect == Dialect::Desktop ? "delete * from" : "delete from") +
           " IA_Subsidiary where " + pairRowsFilter(mode, code, invCode);
}

std::string undoPairInsert(long runId, std::string_view code, std::string_view invCode) {
    return "insert into IA_Subsidiary (" + openingColumns({}) + ") select " + openingColumns({}) +
           " from tarvenish_journal where " + journalPairFilter(runId, code, invCode) +
           " And image=N'before'";
}

}  // namespace tarvenish::sql
