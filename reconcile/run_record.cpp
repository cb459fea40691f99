#include "reconcile/run_record.h"

#include <map>
#include <utility>

#include "base/number_format.h"
#include "component/run_journal.h"
#include "ledger/db/connection.h"
#include "ledger/db/recordset.h"
#include "ledger/sql/journal_fact_statements.h"

namespace tarvenish {

namespace {

Recordset query(Connection& connection, const Statement& statement) {
    Recordset rows;
    rows.setCursorLocation(CursorLocation::Client);
    rows.open(statement, connection, CursorType::ForwardOnly, LockType::ReadOnly, CommandType::Text);
    return rows;
}

std::optional<long> wholeNumber(const Value& value) {
    if (value.isNull()) return std::nullopt;
    return static_cast<long>(value.asLong());
}

// A figure the journal keeps as text; empty or unreadable is a figure not known.
std::optional<double> keptFigure(const Value& value) {
    if (value.isNull()) return std::nullopt;
    double figure = 0;
    if (!parseNumber(value.displayText(), figure)) return std::nullopt;
    return figure;
}

std::optional<long> keptCount(const Value& value) {
    const std::optional<double> figure = keptFigure(value);
    if (!figure) return std::nullopt;
    return static_cast<long>(*figure);
}

std::optional<double> summed(const Value& value) {
    if (value.isNull()) return std::nullopt;
    return value.asDouble();
}

RunFacts readFacts(const Recordset& row) {
    RunFacts facts;
    facts.quantityDigits = static_cast<int>(row.field(0).asLong());
    facts.priceDigits = static_cast<int>(row.field(1).asLong());
    facts.policy = row.field(2).isNull() ? "" : row.field(2).displayText();
    facts.user = row.field(3).isNull() ? "" : row.field(3).displayText();
    facts.machine = row.field(4).isNull() ? "" : row.field(4).displayText();
    if (!row.field(5).isNull()) facts.outcome = row.field(5).displayText();
    facts.pairsTotal = wholeNumber(row.field(6));
    facts.pairsLeft = wholeNumber(row.field(7));
    facts.pairsFailed = wholeNumber(row.field(8));
    facts.pairsNotReached = wholeNumber(row.field(9));
    return facts;
}

PairLine readPairFact(const Recordset& row) {
    PairLine line;
    line.code = row.field(0).displayText();
    line.name = row.field(1).isNull() ? "" : row.field(1).displayText();
    line.invCode = row.field(2).displayText();
    line.invName = row.field(3).isNull() ? "" : row.field(3).displayText();
    line.action = row.field(4).displayText();
    line.rowsBefore = keptCount(row.field(5));
    line.rowsAfter = keptCount(row.field(6));
    line.quantityBefore = keptFigure(row.field(7));
    line.moneyBefore = keptFigure(row.field(8));
    line.stockQuantity = keptFigure(row.field(9));
    line.stockMoney = keptFigure(row.field(10));
    line.quantityAfter = keptFigure(row.field(11));
    line.moneyAfter = keptFigure(row.field(12));
    const std::string voucher = row.field(13).isNull() ? "" : row.field(13).displayText();
    const std::optional<double> quantity = keptFigure(row.field(14));
    const std::optional<double> money = keptFigure(row.field(15));
    if (!voucher.empty() || quantity || money)
        line.balancing = BalancingLine{voucher, quantity.value_or(0.0), money.value_or(0.0)};
    return line;
}

// The journal's images of each pair, summed: rows and totals before and after.
std::vector<PairLine> imageTotals(Connection& connection, long runId) {
    std::map<std::pair<std::string, std::string>, PairLine> pairs;
    Recordset rows = query(connection, sql::journalImageTotals(runId));
    for (; !rows.eof(); rows.moveNext()) {
        PairLine& line = pairs[{rows.field(0).displayText(), rows.field(1).displayText()}];
        line.code = rows.field(0).displayText();
        line.invCode = rows.field(1).displayText();
        line.action = rows.field(2).displayText();
        const long count = static_cast<long>(rows.field(4).asLong());
        if (rows.field(3).displayText() == "before") {
            line.rowsBefore = count;
            line.quantityBefore = summed(rows.field(5));
            line.moneyBefore = summed(rows.field(6));
        } else {
            line.rowsAfter = count;
            line.quantityAfter = summed(rows.field(5));
            line.moneyAfter = summed(rows.field(6));
        }
    }
    rows.close();
    std::vector<PairLine> lines;
    lines.reserve(pairs.size());
    for (auto& [key, line] : pairs) {
        // A pair that had no opening rows before (or none after) has no image of that side: none is 0.
        if (!line.rowsBefore) line.rowsBefore = 0, line.quantityBefore = 0.0, line.moneyBefore = 0.0;
        if (!line.rowsAfter) line.rowsAfter = 0, line.quantityAfter = 0.0, line.moneyAfter = 0.0;
        lines.push_back(std::move(line));
    }
    return lines;
}

}  // namespace

bool canStillUndo(const JournaledRun& run, bool changedRows) noexcept {
    return !run.undone && changedRows;
}

RunRecordRead readRunRecord(Connection& connection, std::optional<long> runId) {
    RunRecordRead read;
    const auto runs = journaledRuns(connection);
    if (!runs) {
        read.status = RunRecordStatus::NoJournal;
        return read;
    }
    if (runs->empty()) {
        read.status = RunRecordStatus::NoRuns;
        return read;
    }
    const JournaledRun* found = runId ? nullptr : &runs->back();
    for (const JournaledRun& run : *runs)
        if (runId && run.runId == *runId) found = &run;
    if (found == nullptr) {
        read.status = RunRecordStatus::NoSuchRun;
        return read;
    }
    RunRecord record;
    record.run = *found;
    if (hasJournalFacts(connection)) {
        Recordset facts = query(connection, sql::runFacts(record.run.runId));
        if (!facts.eof()) record.facts = readFacts(facts);
        facts.close();
        Recordset pairs = query(connection, sql::pairFacts(record.run.runId));
        for (; !pairs.eof(); pairs.moveNext()) record.pairs.push_back(readPairFact(pairs));
        pairs.close();
    }
    for (PairLine& line : imageTotals(connection, record.run.runId)) {
        record.changedRows = true;
        if (line.action == "rebuilt") {
            // It agreed with the stock ledger, which its new rows now total.
            line.stockQuantity = line.quantityAfter;
            line.stockMoney = line.moneyAfter;
            record.rebuilt.push_back(std::move(line));
        } else if (!record.facts) {
            record.pairs.push_back(std::move(line));
        }
    }
    read.record = std::move(record);
    return read;
}

}  // namespace tarvenish
