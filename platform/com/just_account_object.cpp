#include "platform/com/just_account_object.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

#include "automation/server_lifetime.h"
#include "base/module_path.h"
#include "component_class/dispatch.h"
#include "platform/com/com_arguments.h"
#include "platform/com/wide_text.h"
#include "platform/dll/library_just_account.h"

namespace tarvenish {
namespace {

struct Member {
    DISPID id;
    const char* name;
    std::size_t count;
    std::size_t connectionAt;
};

constexpr Member kMembers[] = {
    {kDispIdJustAccount, "JustAccount", 2, 1},
    {kDispIdInit, "init", 10, 9},
    {kDispIdIFIAstart, "IFIAstart", 2, 1},
    {kDispIdIFEnd, "IFEnd", 2, 1},
};

const Member* memberOf(DISPID id) noexcept {
    for (const Member& member : kMembers)
        if (member.id == id) return &member;
    return nullptr;
}

void fillException(EXCEPINFO* exception, HRESULT code, const std::string& message) noexcept {
    if (exception == nullptr) return;
    *exception = EXCEPINFO{};
    exception->scode = code;
    exception->bstrSource = newBstr("TARVENISH.JustAccount");
    exception->bstrDescription = newBstr(message);
}

// What the host sees of the member's failure: DISP_E_EXCEPTION carries the member's own code in EXCEPINFO.
HRESULT failed(EXCEPINFO* exception, HRESULT code, const std::string& message) noexcept {
    std::fprintf(stderr, "TARVENISH: %s\n", message.c_str());
    if (code == DISP_E_EXCEPTION) {
        fillException(exception, E_FAIL, message);
        return DISP_E_EXCEPTION;
    }
    fillException(exception, code, message);
    return code;
}

// Leaves the reason of a failed vtable call where an early-bound host reads it (Err.Description in VB).
void setErrorInfo(const std::string& message) noexcept {
    ICreateErrorInfo* creating = nullptr;
    if (FAILED(::CreateErrorInfo(&creating))) return;
    creating->SetGUID(IID__JustAccount);
    creating->SetSource(const_cast<LPOLESTR>(L"TARVENISH.JustAccount"));
    const BSTR description = newBstr(message);
    creating->SetDescription(description);
    ::SysFreeString(description);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(creating->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
        ::SetErrorInfo(0, info);
        info->Release();
    }
    creating->Release();
}

class JustAccountObject final : public _JustAccount, public ISupportErrorInfo {
public:
    explicit JustAccountObject(ITypeInfo* typeInfo) noexcept : m_typeInfo(typeInfo) {}
    ~JustAccountObject() { m_typeInfo->Release(); }
    JustAccountObject(const JustAccountObject&) = delete;
    JustAccountObject& operator=(const JustAccountObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
            IsEqualIID(iid, IID__JustAccount)) {
            *out = static_cast<_JustAccount*>(this);
            AddRef();
            return S_OK;
        }
        if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
            *out = static_cast<ISupportErrorInfo*>(this);
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

    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
        return IsEqualIID(iid, IID__JustAccount) ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        m_typeInfo->AddRef();
        *out = m_typeInfo;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID,
                                            DISPID* ids) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        return ::DispGetIDsOfNames(m_typeInfo, names, count, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* exception, UINT* badArgument) override {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        const Member* member = memberOf(id);
        if (member == nullptr) return DISP_E_MEMBERNOTFOUND;
        // Late-bound hosts read a function's value as a property get; a put is no call of a member.
        if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) == 0) return DISP_E_MEMBERNOTFOUND;
        DISPPARAMS none{nullptr, nullptr, 0, 0};
        ReadArguments read = readArguments(params != nullptr ? *params : none, member->count,
                                           member->connectionAt, member->name);
        if (read.failure) {
            if (badArgument != nullptr && read.failure->argumentIndex)
                *badArgument = *read.failure->argumentIndex;
            return failed(exception, read.failure->code, read.failure->message);
        }
        return call(*member, read, result, exception, badArgument);
    }

    HRESULT STDMETHODCALLTYPE JustAccount(short* AccSql, IDispatch** gdbsKavrin,
                                          VARIANT_BOOL* answer) override {
        return early(kDispIdJustAccount, {reference(AccSql), reference(gdbsKavrin)}, answer);
    }
    HRESULT STDMETHODCALLTYPE init(DATE* Dkeep, VARIANT_BOOL* Iswh, BSTR* Whcode, BSTR* Whname, BSTR* Invcode,
                                   BSTR* invname, BSTR* style, double* quan, double* money,
                                   IDispatch** gdbsKavrin, VARIANT* answer) override {
        if (answer == nullptr) return E_POINTER;
        ::VariantInit(answer);
        VARIANT_BOOL ignored = VARIANT_FALSE;
        return earlyWith(
            kDispIdInit,
            {reference(Dkeep), reference(Iswh), reference(Whcode), reference(Whname), reference(Invcode),
             reference(invname), reference(style), reference(quan), reference(money), reference(gdbsKavrin)},
            &ignored);
    }
    HRESULT STDMETHODCALLTYPE IFIAstart(short* AccSql, IDispatch** gdbsKavrin,
                                        VARIANT_BOOL* answer) override {
        return early(kDispIdIFIAstart, {reference(AccSql), reference(gdbsKavrin)}, answer);
    }
    HRESULT STDMETHODCALLTYPE IFEnd(short* AccSql, IDispatch** gdbsKavrin, VARIANT_BOOL* answer) override {
        return early(kDispIdIFEnd, {reference(AccSql), reference(gdbsKavrin)}, answer);
    }

private:
    // A vtable argument as the by-reference variant Invoke would have received for it.
    template <typename T>
    static VARIANT reference(T* value) noexcept {
        VARIANT v;
        ::VariantInit(&v);
        V_BYREF(&v) = value;
        if constexpr (std::is_same_v<T, short>) V_VT(&v) = VT_BYREF | VT_I2;
        if constexpr (std::is_same_v<T, DATE>) V_VT(&v) = VT_BYREF | VT_DATE;
        if constexpr (std::is_same_v<T, VARIANT_BOOL>) V_VT(&v) = VT_BYREF | VT_BOOL;
        if constexpr (std::is_same_v<T, BSTR>) V_VT(&v) = VT_BYREF | VT_BSTR;
        if constexpr (std::is_same_v<T, double>) V_VT(&v) = VT_BYREF | VT_R8;
        if constexpr (std::is_same_v<T, IDispatch*>) V_VT(&v) = VT_BYREF | VT_DISPATCH;
        return v;
    }

    HRESULT early(DISPID id, std::initializer_list<VARIANT> arguments, VARIANT_BOOL* answer) {
        if (answer == nullptr) return E_POINTER;
        *answer = VARIANT_FALSE;
        return earlyWith(id, arguments, answer);
    }

    // A call through the vtable: the same reading and the same member as through Invoke.
    HRESULT earlyWith(DISPID id, std::initializer_list<VARIANT> arguments, VARIANT_BOOL* answer) {
        for (const VARIANT& argument : arguments)
            if (V_BYREF(&argument) == nullptr) return E_POINTER;
        const Member* member = memberOf(id);
        // Automation passes arguments last first.
        std::vector<VARIANT> reversed(arguments.begin(), arguments.end());
        std::reverse(reversed.begin(), reversed.end());
        DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        ReadArguments read = readArguments(params, member->count, member->connectionAt, member->name);
        EXCEPINFO exception{};
        HRESULT code = S_OK;
        if (read.failure) {
            code = failed(&exception, read.failure->code, read.failure->message);
        } else {
            VARIANT result;
            ::VariantInit(&result);
            code = call(*member, read, &result, &exception, nullptr);
            if (SUCCEEDED(code) && V_VT(&result) == VT_BOOL) *answer = V_BOOL(&result);
            ::VariantClear(&result);
        }
        if (FAILED(code)) setErrorInfo(utf8(exception.bstrDescription));
        ::SysFreeString(exception.bstrSource);
        ::SysFreeString(exception.bstrDescription);
        ::SysFreeString(exception.bstrHelpFile);
        // A vtable caller hears the member's own code; the description waits in the error object.
        return code == DISP_E_EXCEPTION ? exception.scode : code;
    }

    HRESULT call(const Member& member, const ReadArguments& read, VARIANT* result, EXCEPINFO* exception,
                 UINT* badArgument) {
        const InvokeOutcome outcome = m_target.invoke(member.id, read.values);
        if (!outcome.succeeded()) {
            if (badArgument != nullptr && outcome.badArgument)
                *badArgument = static_cast<UINT>(read.values.size() - 1 - *outcome.badArgument);
            return failed(exception, static_cast<HRESULT>(outcome.code), outcome.message);
        }
        if (read.lacksPassword && outcome.result.type() == VariantType::Bool && !outcome.result.toBool())
            std::fprintf(
                stderr,
                "TARVENISH: the host's connection string carries no password (an open ADO connection "
                "leaves it out), so the component could not log on with it; pass a connection whose "
                "ConnectionString holds the password, or use integrated security\n");
        if (result == nullptr) return S_OK;
        ::VariantInit(result);
        if (outcome.result.type() == VariantType::Bool) {
            V_VT(result) = VT_BOOL;
            V_BOOL(result) = outcome.result.toBool() ? VARIANT_TRUE : VARIANT_FALSE;
        }
        return S_OK;
    }

    std::atomic<ULONG> m_references{1};
    ITypeInfo* m_typeInfo;
    LiveObject m_live;
    LibraryJustAccount m_target;
};

}  // namespace

ITypeInfo* justAccountTypeInfo() noexcept {
    try {
        const std::filesystem::path dll = modulePathOf(reinterpret_cast<const void*>(&justAccountTypeInfo));
        ITypeLib* library = nullptr;
        if (dll.empty() || FAILED(::LoadTypeLibEx(dll.c_str(), REGKIND_NONE, &library))) return nullptr;
        ITypeInfo* info = nullptr;
        const HRESULT found = library->GetTypeInfoOfGuid(IID__JustAccount, &info);
        library->Release();
        return SUCCEEDED(found) ? info : nullptr;
    } catch (...) {
        return nullptr;
    }
}

_JustAccount* newJustAccountObject() noexcept {
    ITypeInfo* info = justAccountTypeInfo();
    if (info == nullptr) return nullptr;
    try {
        return new JustAccountObject(info);
    } catch (...) {
        info->Release();
        return nullptr;
    }
}

}  // namespace tarvenish
