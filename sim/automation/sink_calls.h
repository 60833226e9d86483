#pragma once

// How the simulated Excel and Office call the event sinks connected to them.

#include <cstddef>
#include <functional>
#include <vector>

#include "host/object.h"
#include "host/variant.h"

namespace tarvex::sim::detail {

/// Raises one event as Excel and Office raise theirs. `count` sinks were connected when it
/// started; `sinkAt(i)` answers the i-th of them, or null once it has disconnected (itself or
/// through a sink called before it), and then it is passed over. Every sink receives the
/// same arguments, last first, as a method call, so a Cancel set by one is seen by the next;
/// whatever a sink answers, the next one is called.
void RaiseToSinks(host::DispId event, const std::vector<host::Variant>& argsInDeclarationOrder,
                  std::size_t count,
                  const std::function<host::Ref<host::Dispatch>(std::size_t)>& sinkAt);

} // namespace tarvex::sim::detail
