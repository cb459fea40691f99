// The statements of the run journal's facts: the settings and outcome of each run, and the pairs it did not
// rebuild on its own.

#include <string>

#include "ledger/sql/journal_fact_statements.h"

namespace tarvenish::sql {

namespace {

constexpr std::string_view kPairFactColumns =
    "pair_code,pair_name,inv_code,inv_name,action,rows_before,rows_after,quantity_before,money_before,"
    "stock_quantity,stock_money,quantity_after,money_after,balancing_voucher,balancing_quantity,"
    "balancing_money";

std::string textType(Dialect dialect, int size) {
    return (dialect == Dialect::Desktop ? "text(" : "nvarchar(") + std::to_string(size) + ")";
}

std::string integerType(Dialect dialect) {
    return dialect == Dialect::Desktop ? "long" : "int";
}

}  // namespace

Statement runFactsProbe() {
    return Statement::fixed("select run_id from tarvenish_run_facts where 1=0");
}

Statement pairFactsProbe() {
    return Statement::fixed("select run_id from tarvenish_pair_facts where 1=0");
}

Statement createRunFacts(Dialect dialect) {
    const std::string integer = integerType(dialect);
    return Statement::asText(
        "create table tarvenish_run_facts (run_id " + integer + " not null primary key, quantity_digits " +
        integer + " not null, price_digits " + integer + " not null, policy " + textType(dialect, 20) +
        " null, user_name " + textType(dialect, 120) + " null, machine " + textType(dialect, 120) +
        " null, outcome " + textType(dialect, 20) + " null, pairs_total " + integer + " null, pairs_left " +
        integer + " null, pairs_failed " + integer + " null, pairs_not_reached " + integer + " null)");
}

Statement createPairFacts(Dialect dialect) {
    const std::string code = textType(dialect, 60);
    const std::string name = textType(dialect, 255);
    const std::string figure = textType(dialect, 40);
    std::string text = "create table tarvenish_pair_facts (run_id " + integerType(dialect) +
                       " not null, pair_code " + code + " not null, pair_name " + name + " null, inv_code " +
                       code + " not null, inv_name " + name + " null, action " + textType(dialect, 20) +
                       " not null";
    for (const char* column : {"rows_before", "rows_after", "quantity_before", "money_before",
                               "stock_quantity", "stock_money", "quantity_after", "money_after"}) {
        text += ", ";
        text += column;
        text += ' ' + figure + " null";
    }
    text += ", balancing_voucher " + code + " null, balancing_quantity " + figure +
            " null, balancing_money " + figure + " null)";
    return Statement::asText(text);
}

Statement runFactsStart(long runId, const JournalRunSettings& settings) {
    StatementBuilder text;
    text +=
        "insert into tarvenish_run_facts (run_id,quantity_digits,price_digits,policy,user_name,machine) "
        "values (";
    text.integer(runId);
    text += ',';
    text.integer(settings.quantityDigits);
    text += ',';
    text.integer(settings.priceDigits);
    for (const std::string* value : {&settings.policy, &settings.user, &settings.machine}) {
        text += ',';
        text.text(*value);
    }
    text += ')';
    return text.build();
}

Statement runFactsFinish(long runId, const JournalRunOutcome& outcome) {
    StatementBuilder text;
    text += "update tarvenish_run_facts set outcome=";
    text.text(outcome.outcome);
    text += ",pairs_total=";
    text.integer(outcome.pairsTotal);
    text += ",pairs_left=";
    text.integer(outcome.pairsLeft);
    text += ",pairs_failed=";
    text.integer(outcome.pairsFailed);
    text += ",pairs_not_reached=";
    text.integer(outcome.pairsNotReached);
    text += " where run_id=";
    text.integer(runId);
    return text.build();
}

Statement pairFactInsert(long runId, const JournalPairFact& fact) {
    StatementBuilder text;
    text += "insert into tarvenish_pair_facts (run_id,";
    text += kPairFactColumns;
    text += ") values (";
    text.integer(runId);
    for (const std::string* value :
         {&fact.code, &fact.name, &fact.invCode, &fact.invName, &fact.action, &fact.rowsBefore,
          &fact.rowsAfter, &fact.quantityBefore, &fact.moneyBefore, &fact.stockQuantity, &fact.stockMoney,
          &fact.quantityAfter, &fact.moneyAfter, &fact.balancingVoucher, &fact.balancingQuantity,
          &fact.balancingMoney}) {
        text += ',';
        text.text(*value);
    }
    text += ')';
    return text.build();
}

Statement runFacts(long runId) {
    StatementBuilder text;
    text +=
        "select quantity_digits,price_digits,policy,user_name,machine,outcome,pairs_total,pairs_left,"
        "pairs_failed,pairs_not_reached from tarvenish_run_facts where run_id=";
    text.integer(runId);
    return text.build();
}

Statement runOutcomes() {
    return Statement::fixed("select run_id,outcome,pairs_left from tarvenish_run_facts order by run_id");
}

Statement pairFacts(long runId) {
    StatementBuilder text;
    text += "select ";
    text += kPairFactColumns;
    text += " from tarvenish_pair_facts where run_id=";
    text.integer(runId);
    text += " order by pair_code,inv_code";
    return text.build();
}

Statement journalImageCount(long runId) {
    StatementBuilder text;
    text += "select count(*) from tarvenish_journal where run_id=";
    text.integer(runId);
    return text.build();
}

Statement journalImageTotals(long runId) {
    StatementBuilder text;
    text +=
        "select pair_code,inv_code,action,image,count(*),sum(iAInQuantity),sum(iAInPrice) from "
        "tarvenish_journal where run_id=";
    text.integer(runId);
    text += " group by pair_code,inv_code,action,image order by pair_code,inv_code";
    return text.build();
}

}  // namespace tarvenish::sql
