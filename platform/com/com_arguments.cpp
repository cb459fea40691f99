#include "platform/com/com_arguments.h"

#include <exception>

#include "platform/com/host_connection.h"
#include "platform/com/wide_text.h"

namespace tarvenish {
namespace {

ArgumentFailure failureAt(HRESULT code, std::size_t position, const std::string& member,
                          const std::string& why) {
    return {code, member + ": argument " + std::to_string(position + 1) + ": " + why,
            static_cast<std::uint32_t>(position), std::nullopt};
}

// The value itself, however many references lead to it; null when a reference is null.
const VARIANT* dereferenced(const VARIANT& value, VARIANT& scratch) {
    if (V_VT(&value) == (VT_BYREF | VT_VARIANT)) {
        const VARIANT* inner = V_VARIANTREF(&value);
        return inner == nullptr ? nullptr : dereferenced(*inner, scratch);
    }
    if ((V_VT(&value) & VT_BYREF) == 0) return &value;
    if (V_BYREF(&value) == nullptr) return nullptr;
    // A typed reference: the value it points to, as a plain variant that borrows (never frees) its contents.
    ::VariantInit(&scratch);
    const VARTYPE type = static_cast<VARTYPE>(V_VT(&value) & ~VT_BYREF);
    V_VT(&scratch) = type;
    switch (type) {
        case VT_I1:
            V_I1(&scratch) = *V_I1REF(&value);
            break;
        case VT_UI1:
            V_UI1(&scratch) = *V_UI1REF(&value);
            break;
        case VT_I2:
            V_I2(&scratch) = *V_I2REF(&value);
            break;
        case VT_UI2:
            V_UI2(&scratch) = *V_UI2REF(&value);
            break;
        case VT_I4:
            V_I4(&scratch) = *V_I4REF(&value);
            break;
        case VT_UI4:
            V_UI4(&scratch) = *V_UI4REF(&value);
            break;
        case VT_INT:
            V_INT(&scratch) = *V_INTREF(&value);
            break;
        case VT_UINT:
            V_UINT(&scratch) = *V_UINTREF(&value);
            break;
        case VT_I8:
            V_I8(&scratch) = *V_I8REF(&value);
            break;
        case VT_UI8:
            V_UI8(&scratch) = *V_UI8REF(&value);
            break;
        case VT_R4:
            V_R4(&scratch) = *V_R4REF(&value);
            break;
        case VT_R8:
            V_R8(&scratch) = *V_R8REF(&value);
            break;
        case VT_CY:
            V_CY(&scratch) = *V_CYREF(&value);
            break;
        case VT_DATE:
            V_DATE(&scratch) = *V_DATEREF(&value);
            break;
        case VT_BOOL:
            V_BOOL(&scratch) = *V_BOOLREF(&value);
            break;
        case VT_ERROR:
            V_ERROR(&scratch) = *V_ERRORREF(&value);
            break;
        case VT_DECIMAL:
            scratch.decVal = *V_DECIMALREF(&value);
            V_VT(&scratch) = VT_DECIMAL;
            break;
        case VT_BSTR:
            V_BSTR(&scratch) = *V_BSTRREF(&value);
            break;
        case VT_DISPATCH:
            V_DISPATCH(&scratch) = *V_DISPATCHREF(&value);
            break;
        case VT_UNKNOWN:
            V_UNKNOWN(&scratch) = *V_UNKNOWNREF(&value);
            break;
        default:
            V_VT(&scratch) = VT_ILLEGAL;
            break;
    }
    return &scratch;
}

// A number of a type the core has no variant for, as a Double.
std::optional<double> asDouble(const VARIANT& value) {
    VARIANT converted;
    ::VariantInit(&converted);
    if (FAILED(::VariantChangeType(&converted, const_cast<VARIANT*>(&value), 0, VT_R8))) return std::nullopt;
    return V_R8(&converted);
}

ReadArguments connectionArgument(const VARIANT& value, std::size_t position, const std::string& member) {
    ReadArguments read;
    IDispatch* object = nullptr;
    if (V_VT(&value) == VT_DISPATCH) object = V_DISPATCH(&value);
    IDispatch* queried = nullptr;
    if (V_VT(&value) == VT_UNKNOWN && V_UNKNOWN(&value) != nullptr &&
        SUCCEEDED(V_UNKNOWN(&value)->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&queried))))
        object = queried;
    if (object == nullptr) {
        const bool nothing = V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN ||
                             V_VT(&value) == VT_EMPTY || V_VT(&value) == VT_NULL;
        read.failure = nothing ? failureAt(DISP_E_EXCEPTION, position, member,
                                           "no connection object was passed (Nothing)")
                               : failureAt(DISP_E_TYPEMISMATCH, position, member,
                                           "the connection must be an automation object");
        return read;
    }
    try {
        const HostConnection host = readHostConnection(object);
        read.values.push_back(Variant::object(host.connection));
        read.lacksPassword = host.lacksPassword;
    } catch (const HostConnectionError& error) {
        read.failure = failureAt(DISP_E_EXCEPTION, position, member, error.what());
    }
    if (queried != nullptr) queried->Release();
    return read;
}

}  // namespace

ReadArguments readArgument(const VARIANT& given, std::size_t position, bool isConnection,
                           const std::string& member) {
    ReadArguments read;
    VARIANT scratch;
    const VARIANT* value = dereferenced(given, scratch);
    if (value == nullptr) {
        read.failure = failureAt(DISP_E_TYPEMISMATCH, position, member, "a null reference was passed");
        return read;
    }
    if (V_VT(value) == VT_ERROR && V_ERROR(value) == DISP_E_PARAMNOTFOUND) {
        read.failure = failureAt(DISP_E_PARAMNOTOPTIONAL, position, member, "the argument is missing");
        return read;
    }
    if (isConnection) return connectionArgument(*value, position, member);
    switch (V_VT(value)) {
        case VT_EMPTY:
            read.values.emplace_back();
            break;
        case VT_NULL:
            read.values.push_back(Variant::null());
            break;
        case VT_I2:
            read.values.push_back(Variant::i2(V_I2(value)));
            break;
        case VT_I1:
            read.values.push_back(Variant::i4(V_I1(value)));
            break;
        case VT_UI1:
            read.values.push_back(Variant::i4(V_UI1(value)));
            break;
        case VT_UI2:
            read.values.push_back(Variant::i4(V_UI2(value)));
            break;
        case VT_I4:
            read.values.push_back(Variant::i4(V_I4(value)));
            break;
        case VT_INT:
            read.values.push_back(Variant::i4(V_INT(value)));
            break;
        case VT_R8:
            read.values.push_back(Variant::r8(V_R8(value)));
            break;
        case VT_DATE:
            read.values.push_back(Variant::date(Date{V_DATE(value)}));
            break;
        case VT_BOOL:
            read.values.push_back(Variant::boolean(V_BOOL(value) != VARIANT_FALSE));
            break;
        case VT_BSTR:
            read.values.push_back(Variant::string(utf8(V_BSTR(value))));
            break;
        case VT_UI4:
        case VT_UINT:
        case VT_I8:
        case VT_UI8:
        case VT_R4:
        case VT_CY:
        case VT_DECIMAL:
            if (const std::optional<double> number = asDouble(*value)) {
                read.values.push_back(Variant::r8(*number));
                break;
            }
            read.failure = failureAt(DISP_E_OVERFLOW, position, member, "the number cannot be read");
            break;
        case VT_DISPATCH:
        case VT_UNKNOWN:
            read.failure =
                failureAt(DISP_E_TYPEMISMATCH, position, member, "an object was passed for a value");
            break;
        default:
            read.failure = failureAt(DISP_E_BADVARTYPE, position, member,
                                     "variant type " + std::to_string(V_VT(value)) + " is not taken");
            break;
    }
    return read;
}

ReadArguments readArguments(const DISPPARAMS& params, std::size_t count, std::size_t connectionAt,
                            const std::string& member) {
    ReadArguments all;
    if (params.cArgs != count) {
        all.failure = ArgumentFailure{DISP_E_BADPARAMCOUNT,
                                      member + " takes " + std::to_string(count) + " arguments, " +
                                          std::to_string(params.cArgs) + " given",
                                      std::nullopt, std::nullopt};
        return all;
    }
    // Named arguments come first in rgvarg, each with its parameter's position; the positional ones follow,
    // the last first.
    std::vector<UINT> indexOf(count, params.cArgs);
    const std::size_t positional = params.cArgs - params.cNamedArgs;
    for (std::size_t position = 0; position < positional && position < count; ++position)
        indexOf[position] = static_cast<UINT>(params.cArgs - 1 - position);
    for (UINT i = 0; i < params.cNamedArgs; ++i) {
        const DISPID at = params.rgdispidNamedArgs[i];
        if (at < 0 || static_cast<std::size_t>(at) >= count || indexOf[at] != params.cArgs) {
            all.failure = ArgumentFailure{DISP_E_PARAMNOTFOUND, member + ": unknown named argument",
                                          std::nullopt, std::nullopt};
            all.failure->argumentIndex = i;
            return all;
        }
        indexOf[at] = i;
    }
    std::vector<const VARIANT*> byPosition(count, nullptr);
    for (std::size_t position = 0; position < count; ++position)
        if (indexOf[position] != params.cArgs) byPosition[position] = &params.rgvarg[indexOf[position]];
    for (std::size_t position = 0; position < count; ++position) {
        if (byPosition[position] == nullptr) {
            all.failure = failureAt(DISP_E_PARAMNOTOPTIONAL, position, member, "the argument is missing");
            return all;
        }
        ReadArguments one = readArgument(*byPosition[position], position, position == connectionAt, member);
        if (one.failure) {
            one.failure->argumentIndex = indexOf[position];
            return one;
        }
        all.lacksPassword = all.lacksPassword || one.lacksPassword;
        all.values.push_back(std::move(one.values.front()));
    }
    return all;
}

}  // namespace tarvenish
