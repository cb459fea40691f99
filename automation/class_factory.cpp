#include "automation/class_factory.h"

#include <cstdint>

#include "automation/com_abi.h"
#include "automation/connection_handle.h"
#include "automation/dispatch_object.h"
#include "automation/identities.h"
#include "automation/ref_counted.h"
#include "automation/server_lifetime.h"

namespace tarvenish {

namespace {

class ClassFactory final : public RefCounted<ClassFactory, TvClassFactory> {
public:
    ClassFactory(DispatchMaker make, Guid defaultInterface);
    [[nodiscard]] bool answers(const Guid& iid) const {
        return iid == kIidUnknown || iid == kIidClassFactory;
    }
    // A new dispatch object around what the maker makes; nullptr when it makes nothing. Throws.
    [[nodiscard]] TvDispatch* makeObject() const;

private:
    DispatchMaker m_make;
    Guid m_defaultInterface;
};

TvDispatch* ClassFactory::makeObject() const {
    std::unique_ptr<DispatchTarget> target = m_make();
    if (!target) return nullptr;
    return makeDispatchObject(std::move(target), m_defaultInterface);
}

TvResult createInstance(TvClassFactory* factory, void* outer, const TvGuid* iid, void** out) {
    if (!out) return TV_E_POINTER;
    *out = nullptr;
    if (!iid) return TV_E_POINTER;
    if (outer) return TV_CLASS_E_NOAGGREGATION;
    try {
        TvDispatch* object = ClassFactory::self(factory).makeObject();
        if (!object) return TV_E_UNEXPECTED;
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

constexpr TvClassFactoryVtbl kVtbl{ClassFactory::queryInterface,
                                   ClassFactory::addRef,
                                   ClassFactory::release,
                                   createInstance,
                                   lock,
                                   createConnection};

ClassFactory::ClassFactory(DispatchMaker make, Guid defaultInterface)
    : RefCounted(&kVtbl), m_make(std::move(make)), m_defaultInterface(defaultInterface) {}

}  // namespace

TvClassFactory* makeClassFactory(DispatchMaker make, Guid defaultInterface) {
    return new ClassFactory(std::move(make), defaultInterface);
}

}  // namespace tarvenish
