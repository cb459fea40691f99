#include "automation/dispatch_target.h"

#include <new>
#include <vector>

#include "automation/com_abi.h"
#include "base/ascii_text.h"

namespace tarvenish {

namespace {

InvokeOutcome failure(std::int32_t code, std::string message) {
    InvokeOutcome outcome;
    outcome.code = code;
    outcome.message = std::move(message);
    return outcome;
}

std::string hexId(DispId id) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 28; shift >= 0; shift -= 4)
        text += kDigits[(static_cast<std::uint32_t>(id) >> shift) & 0xF];
    return text;
}

}  // namespace

const MemberSpec* DispatchTarget::find(DispId id) const noexcept {
    for (const MemberSpec& member : members())
        if (member.id == id) return &member;
    return nullptr;
}

std::optional<DispId> DispatchTarget::idOfName(std::string_view name) const {
    for (const MemberSpec& member : members())
        if (equalsNoCase(member.name, name)) return member.id;
    return std::nullopt;
}

std::optional<DispId> DispatchTarget::paramIdOfName(DispId memberId, std::string_view name) const {
    const MemberSpec* member = find(memberId);
    if (!member) return std::nullopt;
    for (std::size_t i = 0; i < member->params.size(); ++i)
        if (equalsNoCase(member->params[i].name, name)) return static_cast<DispId>(i);
    return std::nullopt;
}

InvokeOutcome DispatchTarget::invoke(DispId id, std::span<const Variant> args) noexcept {
    const MemberSpec* member = find(id);
    try {
        if (!member) return failure(TV_DISP_E_MEMBERNOTFOUND, "no member with dispatch id " + hexId(id));
        const std::string memberName(member->name);
        if (args.size() != member->params.size()) {
            return failure(TV_DISP_E_BADPARAMCOUNT,
                           memberName + " takes " + std::to_string(member->params.size()) + " arguments, " +
                               std::to_string(args.size()) + " given");
        }

        std::vector<Variant> coerced;
        coerced.reserve(args.size());
        for (std::size_t i = 0; i < args.size(); ++i) {
            const ParamSpec& param = member->params[i];
            try {
                coerced.push_back(args[i].coerce(param.type));
            } catch (const VariantError& e) {
                InvokeOutcome outcome =
                    failure(e.reason() == VariantError::Reason::Overflow ? TV_DISP_E_OVERFLOW
                                                                         : TV_DISP_E_TYPEMISMATCH,
                            memberName + ": argument " + std::to_string(i + 1) + " (" +
                                std::string(param.name) + "): " + e.what());
                outcome.badArgument = static_cast<std::uint32_t>(i);
                return outcome;
            }
        }

        try {
            InvokeOutcome outcome;
            outcome.result = call(id, coerced);
            return outcome;
        } catch (const std::bad_alloc&) {
            throw;
        } catch (const std::exception& e) {
            return failure(TV_DISP_E_EXCEPTION, memberName + " failed: " + e.what());
        } catch (...) {
            return failure(TV_DISP_E_EXCEPTION, memberName + " failed with an unknown error");
        }
    } catch (...) {
        // Only running out of memory gets here; building a message could fail again, so it has none.
        InvokeOutcome outcome;
        outcome.code = TV_E_OUTOFMEMORY;
        return outcome;
    }
}

}  // namespace tarvenish
