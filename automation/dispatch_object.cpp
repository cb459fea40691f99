#include "automation/dispatch_object.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <thread>
#include <vector>

#include "automation/com_abi.h"
#include "automation/connection_handle.h"
#include "automation/identities.h"
#include "automation/ref_counted.h"

namespace tarvenish {

namespace {

class DispatchObject final : public RefCounted<DispatchObject, TvDispatch> {
public:
    DispatchObject(std::unique_ptr<DispatchTarget> target, Guid defaultInterface);
    [[nodiscard]] bool answers(const Guid& iid) const {
        return iid == kIidUnknown || iid == kIidDispatch || iid == m_defaultInterface;
    }
    [[nodiscard]] DispatchTarget& target() const noexcept { return *m_target; }
    // Apartment threading: the shared state belongs to the creating thread.
    [[nodiscard]] bool onOwnerThread() const noexcept { return std::this_thread::get_id() == m_owner; }
    // Keeps a String result, valid until the next call; returns its characters.
    [[nodiscard]] const char* keepResultText(std::string text) {
        m_resultText = std::move(text);
        return m_resultText.c_str();
    }

private:
    std::unique_ptr<DispatchTarget> m_target;
    Guid m_defaultInterface;
    std::thread::id m_owner = std::this_thread::get_id();
    std::string m_resultText;
};

template <typename T>
const T& deref(const TvVariant& value) {
    return *static_cast<const T*>(value.u.byref);
}

[[noreturn]] void badArgument(const std::string& message) {
    throw VariantError(VariantError::Reason::TypeMismatch, message);
}

// Copies `text` into `out` and cuts it at a character boundary so that it stays valid UTF-8.
template <std::size_t N>
void copyText(char (&out)[N], std::string_view text) {
    std::size_t length = std::min(text.size(), N - 1);
    if (length < text.size())
        while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

TvVariant variantToAbi(const Variant& value, DispatchObject& object) {
    TvVariant out{};
    out.vt = static_cast<std::uint16_t>(value.type());
    switch (value.type()) {
        case VariantType::Empty:
        case VariantType::Null:
            break;
        case VariantType::I2:
            out.u.i2 = value.toI2();
            break;
        case VariantType::I4:
            out.u.i4 = value.toI4();
            break;
        case VariantType::R8:
            out.u.r8 = value.toR8();
            break;
        case VariantType::Date:
            out.u.date = value.toDate().days;
            break;
        case VariantType::Bool:
            out.u.boolean = value.toBool() ? -1 : 0;
            break;
        case VariantType::String:
            out.u.str = object.keepResultText(value.toString());
            break;
        case VariantType::Object: {
            ConnectionPtr connection = value.toConnection();
            out.u.conn = connection ? makeConnectionHandle(std::move(connection)) : nullptr;
            break;
        }
    }
    return out;
}

void fail(TvExcepInfo* excepInfo, std::uint32_t* argErr, const InvokeOutcome& outcome) {
    if (argErr && outcome.badArgument) *argErr = *outcome.badArgument;
    if (excepInfo) {
        excepInfo->code = outcome.code;
        copyText(excepInfo->source, kProgIdJustAccount);
        copyText(excepInfo->description, outcome.message);
    }
}

TvResult getIdsOfNames(TvDispatch* object, const char* const* names, std::uint32_t count, std::int32_t* ids) {
    if (!names || !ids) return TV_E_POINTER;
    if (count == 0) return TV_E_INVALIDARG;
    const DispatchTarget& target = DispatchObject::self(object).target();
    std::fill(ids, ids + count, TV_DISPID_UNKNOWN);
    const std::optional<DispId> member = names[0] ? target.idOfName(names[0]) : std::nullopt;
    if (!member) return TV_DISP_E_UNKNOWNNAME;
    ids[0] = *member;
    TvResult result = TV_S_OK;
    for (std::uint32_t i = 1; i < count; ++i) {
        const std::optional<DispId> param = names[i] ? target.paramIdOfName(*member, names[i]) : std::nullopt;
        if (param)
            ids[i] = *param;
        else
            result = TV_DISP_E_UNKNOWNNAME;
    }
    return result;
}

TvResult invoke(TvDispatch* object, std::int32_t dispId, const TvVariant* args, std::uint32_t argCount,
                TvVariant* result, TvExcepInfo* excepInfo, std::uint32_t* argErr) {
    DispatchObject& me = DispatchObject::self(object);
    if (result) *result = TvVariant{};
    InvokeOutcome outcome;
    try {
        if (!me.onOwnerThread()) {
            outcome.code = TV_RPC_E_WRONG_THREAD;
            outcome.message = "called from a thread other than the one that created the object";
        } else if (argCount > 0 && !args) {
            outcome.code = TV_E_POINTER;
            outcome.message = "arguments missing";
        } else {
            std::vector<Variant> values;
            values.reserve(argCount);
            for (std::uint32_t i = 0; i < argCount; ++i) {
                try {
                    values.push_back(variantFromAbi(args[i]));
                } catch (const VariantError& e) {
                    outcome.code = TV_DISP_E_BADVARTYPE;
                    outcome.message = "argument " + std::to_string(i + 1) + ": " + e.what();
                    outcome.badArgument = i;
                    break;
                }
            }
            if (outcome.succeeded()) outcome = me.target().invoke(dispId, values);
            if (outcome.succeeded() && result) *result = variantToAbi(outcome.result, me);
        }
    } catch (...) {
        outcome.code = TV_E_OUTOFMEMORY;
        outcome.message.clear();
    }
    if (!outcome.succeeded()) fail(excepInfo, argErr, outcome);
    return outcome.code;
}

constexpr TvDispatchVtbl kVtbl{DispatchObject::queryInterface, DispatchObject::addRef,
                               DispatchObject::release, getIdsOfNames, invoke};

DispatchObject::DispatchObject(std::unique_ptr<DispatchTarget> target, Guid defaultInterface)
    : RefCounted(&kVtbl), m_target(std::move(target)), m_defaultInterface(defaultInterface) {}

}  // namespace

TvDispatch* makeDispatchObject(std::unique_ptr<DispatchTarget> target, Guid defaultInterface) {
    return new DispatchObject(std::move(target), defaultInterface);
}

Variant variantFromAbi(const TvVariant& value) {
    const bool byRef = (value.vt & TV_VT_BYREF) != 0;
    const auto base = static_cast<std::uint16_t>(value.vt & ~TV_VT_BYREF);
    if (byRef && !value.u.byref) badArgument("null reference");
    switch (base) {
        case TV_VT_EMPTY:
            if (byRef) break;
            return Variant();
        case TV_VT_NULL:
            if (byRef) break;
            return Variant::null();
        case TV_VT_I2:
            return Variant::i2(byRef ? deref<std::int16_t>(value) : value.u.i2);
        case TV_VT_I4:
            return Variant::i4(byRef ? deref<std::int32_t>(value) : value.u.i4);
        case TV_VT_R8:
            return Variant::r8(byRef ? deref<double>(value) : value.u.r8);
        case TV_VT_DATE:
            return Variant::date(Date{byRef ? deref<double>(value) : value.u.date});
        case TV_VT_BOOL:
            return Variant::boolean((byRef ? deref<std::int16_t>(value) : value.u.boolean) != 0);
        case TV_VT_STRING: {
            const char* text = byRef ? deref<const char*>(value) : value.u.str;
            return Variant::string(text ? std::string(text) : std::string());
        }
        case TV_VT_CONNECTION: {
            TvConnection* handle = byRef ? deref<TvConnection*>(value) : value.u.conn;
            if (handle && !isConnectionHandle(handle)) badArgument("connection not made by this component");
            return Variant::object(connectionOf(handle));
        }
        default:
            break;
    }
    badArgument("unsupported variant tag " + std::to_string(value.vt));
}

}  // namespace tarvenish
