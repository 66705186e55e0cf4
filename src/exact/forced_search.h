// Depth-first search for a Hamiltonian cycle of a graph of degree at most 3 with forced-edge
// propagation: a vertex with two usable edges takes both, one with two chosen edges drops its
// third, and the edge that would close a path before it spans every vertex is dropped. It grows
// one path from its end and backtracks chronologically within a budget of failures, restarting
// with new tie-breaks; it can only find cycles (failing proves nothing). An assignment or its
// undoing costs O(1), so a run that needs few failures costs O(n + m).
#pragma once

#include <cstdint>
#include <vector>

#include "exact/deadline.h"
#include "exact/rng.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

// Whether every vertex has degree 2 or 3: the graphs this search takes.
bool suitsForcedSearch(const SimpleGraph& g);

// Tries within maxFailures dead ends in all; on success cycle holds the vertices in cycle order.
bool forcedPathCycle(const SimpleGraph& g, std::int64_t maxFailures, Rng& rng, const Deadline& deadline,
                     std::vector<std::int32_t>& cycle);

}  // namespace bicubic::exact
