#include "component/call_connection.h"

#include <exception>

#include "component/account_set_check.h"

namespace tarvenish {

CallConnection::CallConnection(ConnectionPtr connection) noexcept {
    if (!connection || connection->state() != 0) return;
    try {
        // A folder or a missing file is said as such, before the engine says it cannot open it.
        m_failure = accountSetFileProblem(connection->connectionString());
        if (!m_failure.empty()) return;
        connection->open();
        m_opened = std::move(connection);
    } catch (const std::exception& error) {
        try {
            m_failure = openFailureMessage(connection->connectionString(), error);
        } catch (...) {
        }
        if (m_failure.empty()) m_failure = "cannot open the account set";
    } catch (...) {
        m_failure = "cannot open the account set";
    }
}

CallConnection::~CallConnection() {
    if (m_opened) m_opened->close();
}

}  // namespace tarvenish
