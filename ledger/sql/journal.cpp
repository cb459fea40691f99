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

// The pair's current opening rows, after "where".
void addPairRowsFilter(StatementBuilder& text, PairMode mode, std::string_view code,
                       std::string_view invCode) {
    text += "IA_Subsidiary.cVouType=N'34' And IA_Subsidiary.cInvCode=";
    text.text(invCode);
    if (mode == PairMode::Warehouse) {
        text += " And IA_Subsidiary.cWhCode=";
        text.text(code);
        return;
    }
    text += " And (IA_Subsidiary.cDepCode=";
    text.text(code);
    text +=
        " Or (IA_Subsidiary.cDepCode is null And IA_Subsidiary.cWhCode in (select cWhCode from Warehouse "
        "where cDepCode=";
    text.text(code);
    text += ")))";
}

void addJournalPairFilter(StatementBuilder& text, long runId, std::string_view code,
                          std::string_view invCode) {
    text += "run_id=";
    text.integer(runId);
    text += " And pair_code=";
    text.text(code);
    text += " And inv_code=";
    text.text(invCode);
}

}  // namespace

std::string_view journalActionText(JournalAction action) {
    return action == JournalAction::Rebuilt ? "rebuilt" : "confirmed";
}

std::string_view journalImageText(JournalImage image) {
    return image == JournalImage::Before ? "before" : "after";
}

Statement journalRunsProbe() {
    return Statement::fixed("select run_id from tarvenish_runs where 1=0");
}

Statement journalProbe() {
    return Statement::fixed("select run_id from tarvenish_journal where 1=0");
}

Statement createJournalRuns(Dialect dialect) {
    const bool desktop = dialect == Dialect::Desktop;
    const std::string integer = desktop ? "long" : "int";
    const std::string text = desktop ? "text(20)" : "nvarchar(20)";
    return Statement::asText(
        "create table tarvenish_runs (run_id " + integer + " not null primary key, started " + text +
        " not null, acc_sql " + integer + " not null, mode " + text + " not null, pairs_rebuilt " + integer +
        " null, pairs_confirmed " + integer + " null, rows_deleted " + integer + " null, rows_inserted " +
        integer + " null, finished " + text + " null, undone " + text + " null)");
}

Statement createJournal(Dialect dialect) {
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
    return Statement::asText(text + ")");
}

Statement createJournalIndex() {
    return Statement::asText(
        "create index tarvenish_journal_pair on tarvenish_journal (pair_code,inv_code,run_id)");
}

Statement journalRunStart(Dialect dialect, std::string_view started, std::int16_t accSql, PairMode mode) {
    StatementBuilder text;
    text += "insert into tarvenish_runs (run_id,started,acc_sql,mode) select ";
    text +=
        dialect == Dialect::Desktop ? "iif(max(run_id) is null,0,max(run_id))+1" : "isnull(max(run_id),0)+1";
    text += ',';
    text.text(started);
    text += ',';
    text.integer(accSql);
    text += ',';
    text.text(mode == PairMode::Warehouse ? "warehouse" : "department");
    text += " from tarvenish_runs";
    return text.build();
}

Statement journalLastRun() {
    return Statement::fixed("select max(run_id) from tarvenish_runs");
}

Statement journalRunFinish(long runId, const JournalRunTotals& totals, std::string_view finished) {
    StatementBuilder text;
    text += "update tarvenish_runs set pairs_rebuilt=";
    text.integer(totals.pairsRebuilt);
    text += ",pairs_confirmed=";
    text.integer(totals.pairsConfirmed);
    text += ",rows_deleted=";
    text.integer(totals.rowsDeleted);
    text += ",rows_inserted=";
    text.integer(totals.rowsInserted);
    text += ",finished=";
    text.text(finished);
    text += " where run_id=";
    text.integer(runId);
    return text.build();
}

Statement journalRunUndone(long runId, std::string_view when) {
    StatementBuilder text;
    text += "update tarvenish_runs set undone=";
    text.text(when);
    text += " where run_id=";
    text.integer(runId);
    return text.build();
}

Statement journalRuns() {
    return Statement::fixed(
        "select run_id,started,acc_sql,mode,pairs_rebuilt,pairs_confirmed,rows_deleted,rows_inserted,"
        "finished,undone from tarvenish_runs order by run_id");
}

Statement journalLastRunNotUndone() {
    return Statement::fixed("select max(run_id) from tarvenish_runs where undone is null");
}

Statement journalRun(long runId) {
    StatementBuilder text;
    text += "select mode,undone,acc_sql from tarvenish_runs where run_id=";
    text.integer(runId);
    return text.build();
}

// The host's own insert fills IA_Subsidiary by position with the 69 opening-row columns, and the journal
// keeps them in that order after its five own: "*" copies them whole, in a text a run sends twice per pair.
Statement journalPairImage(PairMode mode, long runId, std::string_view code, std::string_view invCode,
                           JournalAction action, JournalImage image) {
    // The values of the select list only fill the journal's columns: an insert's select names no result.
    StatementBuilder text(StatementKind::JournalPairImage);
    text += "insert into tarvenish_journal select ";
    text.integer(runId);
    text += ',';
    text.text(code);
    text += ',';
    text.text(invCode);
    text += ',';
    text.text(journalActionText(action));
    text += ',';
    text.text(journalImageText(image));
    text += ",IA_Subsidiary.* from IA_Subsidiary where ";
    addPairRowsFilter(text, mode, code, invCode);
    return text.build();
}

Statement journalPairs(long runId) {
    StatementBuilder text;
    text += "select pair_code,inv_code from tarvenish_journal where run_id=";
    text.integer(runId);
    text += " group by pair_code,inv_code order by pair_code,inv_code";
    return text.build();
}

Statement journalPairRows(long runId, std::string_view code, std::string_view invCode, JournalImage image) {
    StatementBuilder text;
    text += "select " + openingColumns({}) + " from tarvenish_journal where ";
    addJournalPairFilter(text, runId, code, invCode);
    text += " And image=";
    text.text(journalImageText(image));
    return text.build();
}

Statement currentPairRows(PairMode mode, std::string_view code, std::string_view invCode) {
    StatementBuilder text;
    text += "select " + openingColumns("IA_Subsidiary") + " from IA_Subsidiary where ";
    addPairRowsFilter(text, mode, code, invCode);
    return text.build();
}

Statement undoPairDelete(Dialect dialect, PairMode mode, std::string_view code, std::string_view invCode) {
    StatementBuilder text;
    text += dialect == Dialect::Desktop ? "delete * from" : "delete from";
    text += " IA_Subsidiary where ";
    addPairRowsFilter(text, mode, code, invCode);
    return text.build();
}

namespace {

void addJournalOfPair(StatementBuilder& text, std::string_view code, std::string_view invCode) {
    text += "tarvenish_journal.pair_code=";
    text.text(code);
    text += " and tarvenish_journal.inv_code=";
    text.text(invCode);
}

void addJournalOfRunAndPair(StatementBuilder& text, long runId, std::string_view code,
                            std::string_view invCode) {
    addJournalOfPair(text, code, invCode);
    text += " and tarvenish_journal.run_id=";
    text.integer(runId);
}

}  // namespace

Statement journalLatestRunOfPair(std::string_view code, std::string_view invCode) {
    StatementBuilder text;
    text +=
        "select max(tarvenish_journal.run_id) from tarvenish_journal inner join tarvenish_runs on "
        "tarvenish_runs.run_id=tarvenish_journal.run_id where tarvenish_runs.undone is null and ";
    addJournalOfPair(text, code, invCode);
    return text.build();
}

Statement journalPairNotConfirmed(long runId, std::string_view code, std::string_view invCode) {
    StatementBuilder text;
    text += "select tarvenish_journal.action from tarvenish_journal where ";
    addJournalOfRunAndPair(text, runId, code, invCode);
    text += " and tarvenish_journal.action<>N'confirmed'";
    return text.build();
}

Statement journalPairAfterRows(long runId, std::string_view code, std::string_view invCode) {
    StatementBuilder text;
    text += "select " + openingColumns("tarvenish_journal") + " from tarvenish_journal where ";
    addJournalOfRunAndPair(text, runId, code, invCode);
    text += " and tarvenish_journal.image=N'after'";
    return text.build();
}

Statement countedPairRows(PairMode mode, std::string_view code, std::string_view invCode) {
    StatementBuilder text;
    text += "select " + openingColumns("IA_Subsidiary");
    if (mode == PairMode::Department) {
        text +=
            " from IA_Subsidiary inner join Warehouse on IA_Subsidiary.cWhCode=Warehouse.cWhCode where "
            "IA_Subsidiary.cVouType=N'34' and Warehouse.cDepCode=";
    } else {
        text += " from IA_Subsidiary where IA_Subsidiary.cVouType=N'34' and IA_Subsidiary.cWhCode=";
    }
    text.text(code);
    text += " and IA_Subsidiary.cInvCode=";
    text.text(invCode);
    return text.build();
}

Statement undoPairInsert(long runId, std::string_view code, std::string_view invCode) {
    StatementBuilder text;
    text += "insert into IA_Subsidiary (" + openingColumns({}) + ") select " + openingColumns({}) +
            " from tarvenish_journal where ";
    addJournalPairFilter(text, runId, code, invCode);
    text += " And image=N'before'";
    return text.build();
}

}  // namespace tarvenish::sql
