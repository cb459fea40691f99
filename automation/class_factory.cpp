#include "automation/class_factory.h"

#include <atomic>
#include <cstdint>

#include "automation/com_abi.h"
#include "automation/connection_handle.h"
#include "automation/dispatch_object.h"
#include "automation/identities.h"
#include "automation/server_lifetime.h"

namespace tarvenish {

namespace {

struct ClassFactory final : TvClassFactory {
    ClassFactory(DispatchMaker m, Guid iid);
    std::atomic<std::uint32_t> refs{1};
    DispatchMaker make;
    Guid defaultInterface;
    LiveObject live;
};

ClassFactory* self(TvClassFactory* factory) {
    return static_cast<ClassFactory*>(factory);
}

TvResult queryInterface(TvClassFactory* factory, const TvGuid* iid, void** out) {
    if (!out) return TV_E_POINTER;
    *out = nullptr;
    if (!iid) return TV_E_POINTER;
    const Guid wanted = Guid::fromAbi(*iid);
    if (wanted != kIidUnknown && wanted != kIidClassFactory) return TV_E_NOINTERFACE;
    self(factory)->refs.fetch_add(1);
    *out = factory;
    return TV_S_OK;
}

std::uint32_t addRef(TvClassFactory* factory) {
    return self(factory)->refs.fetch_add(1) + 1;
}

std::uint32_t release(TvClassFactory* factory) {
    const std::uint32_t left = self(factory)->refs.fetch_sub(1) - 1;
    if (left == 0) delete self(factory);
    return left;
}

TvResult createInstance(TvClassFactory* factory, void* outer, const TvGuid* iid, void** out) {
    if (!out) return TV_E_POINTER;
    *out = nullptr;
    if (!iid) return TV_E_POINTER;
    if (outer) return TV_CLASS_E_NOAGGREGATION;
    try {
        std::unique_ptr<DispatchTarget> target = self(factory)->make();
        if (!target) return TV_E_UNEXPECTED;
        TvDispatch* object = makeDispatchObject(std::move(target), self(factory)->defaultInterface);
        const TvResult result = object->lpVtbl->QueryInterface(object, iid, out);
        object->lpVtbl->Release(object);
        return result;
    } catch (...) {
        return TV_E_OUTOFMEMORY;
    }
}

TvResult lock(TvClassFactory*, std::int32_t lockIt) {
    return lockServer(lockIt != 0) ? TV_S_OK : TV_E_UNEXPECTED;
}

TvResult createConnection(TvClassFactory*, const char* connectionString, TvConnection** out) {
    if (!out) return TV_E_POINTER;
    *out = nullptr;
    try {
        *out = makeConnectionHandle(Connection::create(connectionString ? connectionString : ""));
        return TV_S_OK;
    } catch (...) {
        return TV_E_OUTOFMEMORY;
    }
}

constexpr TvClassFactoryVtbl kVtbl{queryInterface, addRef, release, createInstance, lock, createConnection};

ClassFactory::ClassFactory(DispatchMaker m, Guid iid)
    : TvClassFactory{&kVtbl}, make(std::move(m)), defaultInterface(iid) {}

}  // namespace

TvClassFactory* makeClassFactory(DispatchMaker make, Guid defaultInterface) {
    return new ClassFactory(std::move(make), defaultInterface);
}

}  // namespace tarvenish
