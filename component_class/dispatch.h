#pragma once
// _JustAccount: the dual dispatch interface of JustAccount, its members reached by dispatch id or by name.

#include <span>

#include "automation/dispatch_target.h"
#include "component_class/just_account.h"

namespace tarvenish {

inline constexpr DispId kDispIdJustAccount = 0x60030000;
inline constexpr DispId kDispIdInit = 0x60030001;
inline constexpr DispId kDispIdIFIAstart = 0x60030002;
inline constexpr DispId kDispIdIFEnd = 0x60030003;

// Results: Boolean for JustAccount, IFIAstart and IFEnd, Empty for init. Arguments in declared order; values
// passed by reference are read and never written back. JustAccount runs with a context of its own: no
// presenter (a pair whose totals differ stays as it is) and no hooks.
class JustAccountDispatch : public DispatchTarget {
protected:
    [[nodiscard]] std::span<const MemberSpec> members() const noexcept override;
    [[nodiscard]] Variant call(DispId id, std::span<const Variant> args) override;
    // The object the members run on.
    [[nodiscard]] const JustAccount& object() const noexcept { return m_object; }

private:
    JustAccount m_object;
};

}  // namespace tarvenish
