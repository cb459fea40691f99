#include "ledger/db/server_run_lock.h"

#include <vector>

#include "ledger/db/engine.h"
#include "ledger/db/error.h"

namespace tarvenish {

ServerRunLock::ServerRunLock(std::unique_ptr<Engine> engine) : m_engine(std::move(engine)) {
    const QueryResult result = m_engine->query(Statement::asText(std::string(kTakeServerRunLock)));
    if (result.rows.empty() || result.columns.size() != 1)
        throw DbError("take the run lock", 0, "the server did not answer the lock request",
                      std::string(kTakeServerRunLock));
    std::vector<Value> row;
    result.rows.decode(0, row);
    m_answer = static_cast<long>(row.at(0).asLong());
    m_held = m_answer >= 0;
    // -1: another session holds it; below that the server could not grant it at all.
    if (m_answer < -1)
        throw DbError("take the run lock", static_cast<int>(m_answer), "the server refused the lock request",
                      std::string(kTakeServerRunLock), {}, DbError::Codes::Server);
}

ServerRunLock::~ServerRunLock() {
    if (!m_held) return;
    try {
        m_engine->execute(Statement::asText(std::string(kReleaseServerRunLock)));
    } catch (...) {
        // The connection closes next, and the session's lock goes with it.
    }
}

}  // namespace tarvenish
