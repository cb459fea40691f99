#include "component/call_connection.h"

#include <exception>

#include "ledger/connection_redaction.h"
#include "ledger/db_error.h"

namespace tarvenish {

CallConnection::CallConnection(ConnectionPtr connection) noexcept {
    if (!connection || connection->state() != 0) return;
    try {
        connection->open();
        m_opened = std::move(connection);
    } catch (const std::exception& error) {
        try {
            m_failure = "cannot open the account set " +
                        redactedConnectionString(connection->connectionString()) + ": " +
                        failureMessage(error);
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
