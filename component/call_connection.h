#pragma once
// The host's connection for the length of one call: a host may hand over a connection object it has not
// opened, and expects it back in the state it gave it.

#include <string>

#include "ledger/db/connection.h"

namespace tarvenish {

// Opens a closed connection from its connection string and closes it again when the call ends; an open one
// (or none) is used as it is and left so.
class CallConnection final {
public:
    // Never throws: a connection that cannot be opened (or names a folder or a missing file) is reported by
    // failure().
    explicit CallConnection(ConnectionPtr connection) noexcept;
    ~CallConnection();
    CallConnection(const CallConnection&) = delete;
    CallConnection& operator=(const CallConnection&) = delete;

    // Empty when the connection is usable; otherwise why it could not be opened.
    [[nodiscard]] const std::string& failure() const noexcept { return m_failure; }

private:
    ConnectionPtr m_opened;
    std::string m_failure;
};

}  // namespace tarvenish
