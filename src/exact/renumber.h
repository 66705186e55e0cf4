// Depth-first renumbering of a graph: vertex order[k] of the input becomes vertex k, so that
// neighbours mostly get near numbers and a pass over a large graph whose numbers are scattered
// (a generator's, a file's) reads memory mostly forwards instead of missing the cache at every
// step. O(n + m) time, one flat copy of the lists and one copy of the graph.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "exact/deadline.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

struct Renumbered {
  std::vector<std::int32_t> order;  // the input's vertex numbered k is order[k]
  SimpleGraph graph;                // each list in the input's order, renamed
};

// g in depth-first preorder from vertex 0 (the vertices it does not reach after, likewise);
// nothing when the deadline passed first. The copy's search from vertex 0, taking neighbours in
// list order, meets the vertices as 0, 1, 2, ...
std::optional<Renumbered> depthFirstRenumbered(const SimpleGraph& g, const Deadline& deadline);

}  // namespace bicubic::exact
