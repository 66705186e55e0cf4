// Depth-first search for a Hamiltonian cycle of a graph of degree at most 3 with forced-edge
// propagation: a vertex with two usable edges takes both, one with two chosen edges drops its
// third, and the edge that would close a path before it spans every vertex is dropped. It grows
// one path from its end, led by a 2-factor (a matching of the edges to drop), and backtracks
// chronologically within a budget of failures, jumping back with new tie-breaks; once a share of
// the graph is left, that remainder is searched as a graph of its own (nested the same way). It
// can only find cycles (failing proves nothing). An assignment or its undoing costs O(1), so a
// run that needs few failures costs O(n + m).
#pragma once

#include <cstdint>
#include <vector>

#include "exact/deadline.h"
#include "exact/rng.h"
#include "exact/settings.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

struct ForcedSearchOptions {
  // Dead ends between two jumps back, and decisions undone by a jump (each times the Luby
  // sequence's term).
  std::int64_t failuresPerRun = settingDefault(Setting::ForcedFailuresPerRun);
  std::int64_t decisionsPerJump = settingDefault(Setting::ForcedDecisionsPerJump);
  // What a neighbour that is not a path end costs in the choice of the next edge; above any
  // count of ways on, a path end always wins over a lone vertex.
  std::int32_t loneNeighbourPenalty = settingDefault<std::int32_t>(Setting::ForcedLoneNeighbourPenalty);
  // What the edge a vertex would drop in the 2-factor kept as a guide costs in that choice (above
  // the rest: the guide leads).
  std::int32_t guidePenalty = settingDefault<std::int32_t>(Setting::ForcedGuidePenalty);
  // Once at most 1/remainderShare of the vertices (and at least remainderMinOrder) are left
  // unpassed, what is left is searched as a graph of its own first.
  std::int64_t remainderShare = settingDefault(Setting::ForcedRemainderShare);
  std::int32_t remainderMinOrder = settingDefault<std::int32_t>(Setting::ForcedRemainderMinOrder);
  bool operator==(const ForcedSearchOptions&) const = default;
};

// Whether every vertex has degree 2 or 3: the graphs this search takes.
bool suitsForcedSearch(const SimpleGraph& g);

// Tries within maxFailures dead ends in all; on success cycle holds the vertices in cycle order.
bool forcedPathCycle(const SimpleGraph& g, std::int64_t maxFailures, Rng& rng, const Deadline& deadline,
                     std::vector<std::int32_t>& cycle, const ForcedSearchOptions& options = {});

}  // namespace bicubic::exact
