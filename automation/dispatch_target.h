#pragma once
// Late-bound calls on an object: members found by name or dispatch id, arguments checked and coerced to the
// declared types, every failure returned as a result code with a message.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "automation/variant.h"

namespace tarvenish {

using DispId = std::int32_t;

struct ParamSpec {
    std::string_view name;
    VariantType type;
};

struct MemberSpec {
    DispId id;
    std::string_view name;
    std::span<const ParamSpec> params;
};

// The outcome of one call: a result code (TV_S_OK or a TV_DISP_E_/TV_E_ code of com_abi.h), the result, and
// on failure a message that names the member and what went wrong.
struct InvokeOutcome {
    std::int32_t code = 0;
    Variant result;
    std::string message;
    // The position (0 = first parameter) of the argument that did not convert, when that is what failed.
    std::optional<std::uint32_t> badArgument;

    [[nodiscard]] bool succeeded() const noexcept { return code >= 0; }
};

class DispatchTarget {
public:
    virtual ~DispatchTarget() = default;

    // The member's dispatch id, the name compared without regard to ASCII case; nullopt for an unknown name.
    [[nodiscard]] std::optional<DispId> idOfName(std::string_view name) const;
    // The position of the member's parameter `name` (any case); nullopt for an unknown member or parameter.
    [[nodiscard]] std::optional<DispId> paramIdOfName(DispId member, std::string_view name) const;
    // Calls the member with `args` in declared order after checking their count and coercing each to its
    // declared type. Never throws: every failure, the member's own included, comes back as the outcome.
    [[nodiscard]] InvokeOutcome invoke(DispId id, std::span<const Variant> args) noexcept;

protected:
    DispatchTarget() = default;
    DispatchTarget(const DispatchTarget&) = default;
    DispatchTarget& operator=(const DispatchTarget&) = default;

    // The members, in slot order.
    [[nodiscard]] virtual std::span<const MemberSpec> members() const noexcept = 0;
    // Runs member `id` with arguments already of their declared types. May throw.
    [[nodiscard]] virtual Variant call(DispId id, std::span<const Variant> args) = 0;

private:
    [[nodiscard]] const MemberSpec* find(DispId id) const noexcept;
};

}  // namespace tarvenish
