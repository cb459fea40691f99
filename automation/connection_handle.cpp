#include "automation/connection_handle.h"

#include "automation/com_abi.h"
#include "automation/guid.h"
#include "automation/identities.h"
#include "automation/ref_counted.h"

namespace tarvenish {

namespace {

class ConnectionHandle final : public RefCounted<ConnectionHandle, TvConnection> {
public:
    explicit ConnectionHandle(ConnectionPtr connection);
    [[nodiscard]] bool answers(const Guid& iid) const { return iid == kIidUnknown || iid == kIidConnection; }
    [[nodiscard]] const ConnectionPtr& connection() const noexcept { return m_connection; }

private:
    ConnectionPtr m_connection;
};

const char* connectionString(TvConnection* handle) {
    const ConnectionPtr& c = ConnectionHandle::self(handle).connection();
    return c ? c->connectionString().c_str() : "";
}

constexpr TvConnectionVtbl kVtbl{ConnectionHandle::queryInterface, ConnectionHandle::addRef,
                                 ConnectionHandle::release, connectionString};

ConnectionHandle::ConnectionHandle(ConnectionPtr connection)
    : RefCounted(&kVtbl), m_connection(std::move(connection)) {}

}  // namespace

TvConnection* makeConnectionHandle(ConnectionPtr connection) {
    return new ConnectionHandle(std::move(connection));
}

bool isConnectionHandle(const TvConnection* handle) noexcept {
    return handle && handle->lpVtbl == &kVtbl;
}

ConnectionPtr connectionOf(const TvConnection* handle) {
    if (!handle) return nullptr;
    return static_cast<const ConnectionHandle*>(handle)->connection();
}

}  // namespace tarvenish
