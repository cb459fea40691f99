#pragma once
// The class factory of the binary surface: makes the class's dispatch objects and the hosts' connection
// objects.

#include <functional>
#include <memory>

#include "automation/dispatch_target.h"
#include "automation/guid.h"

struct TvClassFactory;

namespace tarvenish {

using DispatchMaker = std::function<std::unique_ptr<DispatchTarget>()>;

// A new factory with one reference owned by the caller; CreateInstance wraps what `make` returns in a
// dispatch object answering to `defaultInterface`. Throws std::bad_alloc.
[[nodiscard]] TvClassFactory* makeClassFactory(DispatchMaker make, Guid defaultInterface);

}  // namespace tarvenish
