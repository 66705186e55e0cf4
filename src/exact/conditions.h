// Necessary conditions for a Hamiltonian cycle, each an exact argument: n >= 3, degree >= 2
// everywhere, a connected graph without cut vertex, and equal colour classes when the graph is
// bipartite. A failed condition proves "no" at once. Cost O(n + m).
#pragma once

#include <cstdint>
#include <vector>

#include "exact/deadline.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

// colour as twoColouring returns it (empty when g is not bipartite).
bool passesNecessaryConditions(const SimpleGraph& g, const std::vector<std::int8_t>& colour);
// The same, colouring g itself.
bool passesNecessaryConditions(const SimpleGraph& g);

enum class ConditionsVerdict { Pass, Fail, Stopped };
// The same again, asking the deadline as it goes (Stopped once it has passed): at a million
// vertices the pass takes a noticeable share of a short time limit.
ConditionsVerdict checkNecessaryConditions(const SimpleGraph& g, const Deadline& deadline);

// The deadline the conditions' O(n + m) passes ask: none on a graph of at most cheapEdges edges
// (checked whole even past the limit: it costs nothing next to it, and may settle the
// question), else deadline itself.
inline const Deadline& conditionsDeadline(const SimpleGraph& g, std::int64_t cheapEdges, const Deadline& deadline) {
  return g.edgeCount() <= cheapEdges ? Deadline::never() : deadline;
}

}  // namespace bicubic::exact
