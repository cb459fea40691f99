#include "reconcile/issued_quantity.h"

#include <exception>
#include <optional>
#include <string>

#include "base/step_timer.h"
#include "ledger/db/error.h"
#include "ledger/db/recordset.h"
#include "ledger/db/stop_request.h"

namespace tarvenish::issued_quantity {
namespace {

constexpr std::size_t kSelectInto = 2;
constexpr std::size_t kUpdateFromSums = 3;
constexpr std::size_t kDropSums = 4;

// Lets a stop request cut the statement in hand short for the life of the object.
class InterruptibleByStop final {
public:
    explicit InterruptibleByStop(Connection& connection) noexcept : m_connection(connection) {
        m_connection.interruptOnStopRequest(true);
    }
    ~InterruptibleByStop() { m_connection.interruptOnStopRequest(false); }
    InterruptibleByStop(const InterruptibleByStop&) = delete;
    InterruptibleByStop& operator=(const InterruptibleByStop&) = delete;

private:
    Connection& m_connection;
};

// Runs one statement; the engine's message when it fails.
std::optional<std::string> tryExecute(Connection& connection, const Statement& statement) noexcept {
    try {
        connection.execute(statement);
        return std::nullopt;
    } catch (const std::exception& error) {
        return failureMessage(error);
    } catch (...) {
        return std::string("unknown error");
    }
}

bool sumTableExists(Connection& connection, const Statement& probe) noexcept {
    try {
        Recordset rs;
        openReadOnlyQuery(rs, probe, connection.connectionString(), CursorType::ForwardOnly);
        rs.close();
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace

bool Prepare(Connection& connection, Dialect dialect, RunReport& report) noexcept {
    const StepTimer timer(report.timings.issuedQuantity);
    std::array<Statement, 5> statements;
    Statement probe;
    Statement dropLeftover;
    try {
        // A desktop engine reached as itself pads str()'s digits; the bridge's str() does not.
        const bool padsStr =
            connection.state() != 0 && connection.engine().nativeDialect() == Dialect::Desktop;
        statements =
            sql::issuedQuantityPrepare(dialect, padsStr ? sql::DesktopStr::Padded : sql::DesktopStr::Bare);
        probe = sql::sumTableProbe();
        dropLeftover = sql::dropLeftoverSumTable();
    } catch (const std::exception& error) {
        report.recordFailure({"issued-quantity pass: build statements", "", error.what()});
        return false;
    }

    // A FSumQuantity left by a run that ended abnormally would make the select-into fail and the update then
    // take that run's figures, so it goes first; the probe opens only while such a table is there.
    if (sumTableExists(connection, probe)) {
        if (const auto failure = tryExecute(connection, dropLeftover)) {
            report.recordFailure(
                {"issued-quantity pass: drop leftover FSumQuantity", dropLeftover.text(), *failure});
        }
    }

    bool computed = true;
    bool sumTableMade = false;
    for (std::size_t i = 0; i < statements.size(); ++i) {
        if (stopRequested() != 0) {
            // The run removes the column; the sum table is the pass's own to clean up, and no stop may cut
            // that short.
            if (sumTableMade) (void)tryExecute(connection, statements[kDropSums]);
            return false;
        }
        if (i == kUpdateFromSums && !computed) {
            report.recordFailure(
                {"issued-quantity pass: statement 4 not run", statements[i].text(),
                 "the figures of this run were not computed, so none are taken from FSumQuantity"});
            continue;
        }
        std::optional<std::string> failure;
        if (i == kDropSums) {
            failure = tryExecute(connection, statements[i]);
        } else {
            const InterruptibleByStop interruptible(connection);
            failure = tryExecute(connection, statements[i]);
        }
        if (!failure) {
            if (i == kSelectInto) sumTableMade = true;
            if (i == kDropSums) sumTableMade = false;
            continue;
        }
        if (i == kSelectInto || i == kUpdateFromSums) computed = false;
        // A statement cut short by a stop request is no failure of its own: the stop is reported as such.
        if (stopRequested() != 0) continue;
        report.recordFailure(
            {"issued-quantity pass: statement " + std::to_string(i + 1), statements[i].text(), *failure});
    }
    return computed && stopRequested() == 0;
}

bool Remove(Connection& connection, RunReport& report) noexcept {
    const StepTimer timer(report.timings.issuedQuantity);
    Statement statement;
    try {
        statement = sql::issuedQuantityRemove();
    } catch (const std::exception& error) {
        report.recordFailure({"remove temporary column", "", error.what()});
        return false;
    }
    if (const auto failure = tryExecute(connection, statement)) {
        report.recordFailure({"remove temporary column", statement.text(), *failure});
        return false;
    }
    return true;
}

}  // namespace tarvenish::issued_quantity
