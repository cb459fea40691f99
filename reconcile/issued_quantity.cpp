#include "reconcile/issued_quantity.h"

#include <exception>
#include <optional>
#include <string>

#include "ledger/db_error.h"
#include "ledger/recordset.h"

namespace tarvenish::issued_quantity {
namespace {

constexpr std::size_t kSelectInto = 2;
constexpr std::size_t kUpdateFromSums = 3;

// Runs one statement; the engine's message when it fails.
std::optional<std::string> tryExecute(Connection& conn, const std::string& statement) noexcept {
    try {
        conn.execute(statement);
        return std::nullopt;
    } catch (const std::exception& error) {
        return failureMessage(error);
    } catch (...) {
        return std::string("unknown error");
    }
}

bool sumTableExists(Connection& conn, const std::string& probe) noexcept {
    try {
        Recordset rs;
        rs.setCursorLocation(ado::adUseClient);
        rs.open(probe, conn.connectionString(), ado::adOpenForwardOnly, ado::adLockReadOnly, ado::adCmdText);
        rs.close();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool Prepare(Connection& conn, Dialect dialect, RunReport& report) noexcept {
    std::array<std::string, 5> statements;
    std::string probe;
    std::string dropLeftover;
    try {
        statements = sql::issuedQuantityPrepare(dialect);
        probe = sql::sumTableProbe();
        dropLeftover = sql::dropLeftoverSumTable();
    } catch (const std::exception& error) {
        report.recordFailure({"issued-quantity pass: build statements", "", error.what()});
        return false;
    }

    // A FSumQuantity left by a run that ended abnormally would make the select-into fail and the update then
    // take that run's figures, so it goes first; the probe opens only while such a table is there.
    if (sumTableExists(conn, probe)) {
        if (const auto failure = tryExecute(conn, dropLeftover)) {
            report.recordFailure(
                {"issued-quantity pass: drop leftover FSumQuantity", dropLeftover, *failure});
        }
    }

    bool computed = true;
    for (std::size_t i = 0; i < statements.size(); ++i) {
        if (i == kUpdateFromSums && !computed) {
            report.recordFailure(
                {"issued-quantity pass: statement 4 not run", statements[i],
                 "the figures of this run were not computed, so none are taken from FSumQuantity"});
            continue;
        }
        const auto failure = tryExecute(conn, statements[i]);
        if (!failure) continue;
        if (i == kSelectInto) {
            computed = false;
        }
        if (i == kUpdateFromSums) computed = false;
        report.recordFailure(
            {"issued-quantity pass: statement " + std::to_string(i + 1), statements[i], *failure});
    }
    return computed;
}

bool Remove(Connection& conn, RunReport& report) noexcept {
    std::string statement;
    try {
        statement = sql::issuedQuantityRemove();
    } catch (const std::exception& error) {
        report.recordFailure({"remove temporary column", "", error.what()});
        return false;
    }
    if (const auto failure = tryExecute(conn, statement)) {
        report.recordFailure({"remove temporary column", statement, *failure});
        return false;
    }
    return true;
}

}  // namespace tarvenish::issued_quantity
