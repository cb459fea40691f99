#pragma once
// The dispatch object of the binary surface: a reference-counted C object that forwards to a DispatchTarget
// and translates variants at the boundary.

#include <memory>

#include "automation/dispatch_target.h"
#include "automation/guid.h"

struct TvDispatch;
struct TvVariant;

namespace tarvenish {

// A new object with one reference owned by the caller, answering to IUnknown, IDispatch and
// `defaultInterface`, callable only from the creating thread. Throws std::bad_alloc.
[[nodiscard]] TvDispatch* makeDispatchObject(std::unique_ptr<DispatchTarget> target, Guid defaultInterface);

// A binary-surface variant read as a Variant (by-reference values are read, never written). Throws
// VariantError for an unknown tag, a null reference or a connection that this library did not make.
[[nodiscard]] Variant variantFromAbi(const TvVariant& value);

}  // namespace tarvenish
