#include "script_connection.h"

#include <atomic>

namespace tarvenish {
namespace {

constexpr DISPID kConnectionString = 1;
constexpr DISPID kState = 2;

class ScriptConnection final : public IDispatch {
public:
    ScriptConnection(std::wstring text, long state) : m_text(std::move(text)), m_state(state) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *out = this;
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
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1) return DISP_E_UNKNOWNNAME;
        const std::wstring name = names[0];
        if (_wcsicmp(name.c_str(), L"ConnectionString") == 0)
            *ids = kConnectionString;
        else if (_wcsicmp(name.c_str(), L"State") == 0)
            *ids = kState;
        else
            return DISP_E_UNKNOWNNAME;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result,
                                     EXCEPINFO*, UINT*) override {
        if ((flags & DISPATCH_PROPERTYGET) == 0 || result == nullptr) return DISP_E_MEMBERNOTFOUND;
        VariantInit(result);
        if (id == kConnectionString) {
            V_VT(result) = VT_BSTR;
            V_BSTR(result) = SysAllocStringLen(m_text.data(), static_cast<UINT>(m_text.size()));
            return S_OK;
        }
        if (id == kState) {
            V_VT(result) = VT_I4;
            V_I4(result) = m_state;
            return S_OK;
        }
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    std::atomic<ULONG> m_references{1};
    std::wstring m_text;
    long m_state;
};

}  // namespace

IDispatch* newScriptConnection(const std::wstring& connectionString, long state) {
    return new ScriptConnection(connectionString, state);
}

}  // namespace tarvenish
