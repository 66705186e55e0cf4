// Rotation-extension search for a Hamiltonian cycle: grow a path greedily at both ends, and when
// both are stuck, rotate the path at a neighbour of one end so that a new vertex becomes that
// end. It can only ever find cycles (which the caller verifies); failing proves nothing. A step
// costs the degrees of the two ends and O(log n) for the path kept in a PathTree (a reversal
// moves nothing); the clock is polled by work done, so the deadline holds to about a millisecond
// even on complete graphs. On graphs of 5000 vertices and more whose degrees are 2 and 3, a
// depth-first search with forced edges (forced_search.h) gets the first share of the budget.
#pragma once

#include <cstdint>
#include <vector>

#include "exact/deadline.h"
#include "exact/forced_search.h"
#include "exact/rng.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

struct RotationOptions {
  // From this order on the path is a PathTree and a walk with no extendable new end rotates at
  // random; on graphs of degrees 2 and 3 the forced-edge search runs first.
  std::int32_t randomRotationOrder = settingDefault<std::int32_t>(Setting::RandomRotationOrder);
  // Rotation steps of the budget for each dead end the forced-edge search may meet.
  std::int64_t stepsPerForcedFailure = settingDefault(Setting::StepsPerForcedFailure);
  // Below randomRotationOrder, from forcedProbeOrder on, the forced-edge search runs first too,
  // within forcedProbeFailures dead ends: a Hamiltonian graph of a few thousand vertices usually
  // falls to its first descent, and a graph it does not settle loses next to nothing.
  std::int32_t forcedProbeOrder = settingDefault<std::int32_t>(Setting::ForcedProbeOrder);
  std::int64_t forcedProbeFailures = settingDefault(Setting::ForcedProbeFailures);
  ForcedSearchOptions forced;
  bool operator==(const RotationOptions&) const = default;
};

// Tries for at most maxSteps rotations; on success cycle holds the vertices in cycle order.
// steps, when given, receives the steps taken.
bool rotationExtensionCycle(const SimpleGraph& g, std::int64_t maxSteps, Rng& rng, const Deadline& deadline,
                            std::vector<std::int32_t>& cycle, std::int64_t* steps = nullptr,
                            const RotationOptions& options = {});

}  // namespace bicubic::exact
