#include "platform/com/class_factory.h"

#include <atomic>

#include "automation/server_lifetime.h"
#include "ledger/engines.h"
#include "platform/com/just_account_object.h"

namespace tarvenish {
namespace {

class JustAccountFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --m_references;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (outer != nullptr) return CLASS_E_NOAGGREGATION;
        try {
            // Every object comes from here, so the engines are known before any connection opens.
            registerEngines();
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        _JustAccount* object = newJustAccountObject();
        if (object == nullptr) return E_OUTOFMEMORY;
        const HRESULT answer = object->QueryInterface(iid, out);
        object->Release();
        return answer;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        return lockServer(lock != FALSE) ? S_OK : E_UNEXPECTED;
    }

private:
    std::atomic<ULONG> m_references{1};
    LiveObject m_live;
};

}  // namespace

IClassFactory* newJustAccountFactory() noexcept {
    try {
        return new JustAccountFactory();
    } catch (...) {
        return nullptr;
    }
}

}  // namespace tarvenish
