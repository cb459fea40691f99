#include "automation/connection_handle.h"

#include <atomic>
#include <cstdint>

#include "automation/com_abi.h"
#include "automation/guid.h"
#include "automation/identities.h"
#include "automation/server_lifetime.h"

namespace tarvenish {

namespace {

struct ConnectionHandle final : TvConnection {
    explicit ConnectionHandle(ConnectionPtr c);
    std::atomic<std::uint32_t> refs{1};
    ConnectionPtr connection;
    LiveObject live;
};

ConnectionHandle* self(TvConnection* handle) {
    return static_cast<ConnectionHandle*>(handle);
}

TvResult queryInterface(TvConnection* handle, const TvGuid* iid, void** out) {
    if (!out) return TV_E_POINTER;
    *out = nullptr;
    if (!iid) return TV_E_POINTER;
    const Guid wanted = Guid::fromAbi(*iid);
    if (wanted != kIidUnknown && wanted != kIidConnection) return TV_E_NOINTERFACE;
    self(handle)->refs.fetch_add(1);
    *out = handle;
    return TV_S_OK;
}

std::uint32_t addRef(TvConnection* handle) {
    return self(handle)->refs.fetch_add(1) + 1;
}

std::uint32_t release(TvConnection* handle) {
    const std::uint32_t left = self(handle)->refs.fetch_sub(1) - 1;
    if (left == 0) delete self(handle);
    return left;
}

const char* connectionString(TvConnection* handle) {
    const ConnectionPtr& c = self(handle)->connection;
    return c ? c->connectionString().c_str() : "";
}

constexpr TvConnectionVtbl kVtbl{queryInterface, addRef, release, connectionString};

ConnectionHandle::ConnectionHandle(ConnectionPtr c) : TvConnection{&kVtbl}, connection(std::move(c)) {}

}  // namespace

TvConnection* makeConnectionHandle(ConnectionPtr connection) {
    return new ConnectionHandle(std::move(connection));
}

bool isConnectionHandle(const TvConnection* handle) noexcept {
    return handle && handle->lpVtbl == &kVtbl;
}

ConnectionPtr connectionOf(const TvConnection* handle) {
    if (!handle) return nullptr;
    return static_cast<const ConnectionHandle*>(handle)->connection;
}

}  // namespace tarvenish
