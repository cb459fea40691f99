#pragma once
// The arguments of one automation call as hosts send them, read into the core's variants: typed values by
// reference, variants by reference and plain values alike; nothing is ever written back.

#include <oaidl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "automation/variant.h"

namespace tarvenish {

// Why the arguments cannot be read: the DISP_E_ code, the message and the position of the argument
// (0 = first declared parameter) when one argument is at fault.
struct ArgumentFailure {
    HRESULT code = DISP_E_TYPEMISMATCH;
    std::string message;
    std::optional<std::uint32_t> position;
    // Its index in DISPPARAMS' rgvarg, for Invoke's puArgErr.
    std::optional<UINT> argumentIndex;
};

// The arguments in declared order, or why they cannot be read. `connectionAt` is the position of the
// connection parameter, which is read through the object's IDispatch (see host_connection.h); `member`
// names the member in messages. `lacksPassword` is set when the connection logs on without one.
struct ReadArguments {
    std::vector<Variant> values;
    std::optional<ArgumentFailure> failure;
    bool lacksPassword = false;
};

// Reads `params` (positional, last first as automation passes them, and named ones by their positions) of a
// member with `count` parameters. Never throws but std::bad_alloc.
[[nodiscard]] ReadArguments readArguments(const DISPPARAMS& params, std::size_t count,
                                          std::size_t connectionAt, const std::string& member);

// One argument `value` at position `position`, read as readArguments reads each.
[[nodiscard]] ReadArguments readArgument(const VARIANT& value, std::size_t position, bool isConnection,
                                         const std::string& member);

}  // namespace tarvenish
