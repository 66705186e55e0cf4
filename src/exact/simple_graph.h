// The engine's own helper on SimpleGraph (declared in the public header with the graph tools a
// caller needs): the flat edge index the searches walk. It costs O(n + m).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "exact/deadline.h"
#include "exact/hamiltonian.h"
#include "exact/index.h"

namespace bicubic::exact {

// twoColouring (hamiltonian.h), giving up (nothing) once the deadline has passed: at a million
// vertices it is a noticeable share of a short time limit.
std::optional<std::vector<std::int8_t>> twoColouring(const SimpleGraph& g, const Deadline& deadline);

// isConnected (hamiltonian.h), giving up (nothing) once the deadline has passed.
std::optional<bool> isConnected(const SimpleGraph& g, const Deadline& deadline);

// hasCutVertex's low-point search from vertex 0, the same way: whether it met a cut vertex, and
// how many vertices it reached before it stopped (all of them, in a connected graph without one).
struct CutVertexSearch {
  bool cutVertex = false;
  std::int32_t reached = 0;
};
std::optional<CutVertexSearch> searchCutVertex(const SimpleGraph& g, const Deadline& deadline);

// Numbers the edges u-v (u < v) of g as 0..m-1, endpoints in first[e] and second[e], and lists
// the edges at each vertex flat: those of v are edgeOf[start[v]] .. edgeOf[start[v + 1] - 1].
// The vectors keep their capacity (slot is scratch), so a caller that reuses them allocates
// nothing per graph.
void indexEdges(const SimpleGraph& g, std::vector<std::int32_t>& first, std::vector<std::int32_t>& second,
                std::vector<std::int32_t>& start, std::vector<std::int32_t>& edgeOf,
                std::vector<std::int32_t>& slot);
// The same, giving up (false, the vectors half filled) once the deadline has passed: on dense
// graphs the index alone takes a noticeable share of a short time limit.
bool indexEdges(const SimpleGraph& g, std::vector<std::int32_t>& first, std::vector<std::int32_t>& second,
                std::vector<std::int32_t>& start, std::vector<std::int32_t>& edgeOf,
                std::vector<std::int32_t>& slot, const Deadline& deadline);

// indexEdges' numbering held together, with the step every edge walk needs: from one end of an
// edge to the other.
struct EdgeIndex {
  std::vector<std::int32_t> first, second, start, edgeOf, slot;

  void build(const SimpleGraph& g) { indexEdges(g, first, second, start, edgeOf, slot); }
  bool build(const SimpleGraph& g, const Deadline& deadline) {
    return indexEdges(g, first, second, start, edgeOf, slot, deadline);
  }
  std::int32_t edgeCount() const { return static_cast<std::int32_t>(first.size()); }
  std::int32_t vertexCount() const { return start.empty() ? 0 : static_cast<std::int32_t>(start.size() - 1); }
  // The end of e that is not v (v must be an end of e).
  std::int32_t other(std::int32_t e, std::int32_t v) const {
    return first[at(e)] == v ? second[at(e)] : first[at(e)];
  }
};


}  // namespace bicubic::exact
