#pragma once
// JustAccount as the library serves it to a host: each call runs with the library's settings applied and its
// own presenters installed, since no front end of the host's process does that for it.

#include "component_class/dispatch.h"

namespace tarvenish {

class LibraryJustAccount final : public JustAccountDispatch {
protected:
    // Reads the settings, applies the busy timeout, installs the message presenter for the call, then calls
    // the member; JustAccount runs with a context made from the settings: their presenter, report and log.
    // Throws what the member throws.
    [[nodiscard]] Variant call(DispId id, std::span<const Variant> args) override;
};

}  // namespace tarvenish
