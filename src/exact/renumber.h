// Depth-first renumbering of a graph: vertex order[k] of the input becomes vertex k, so that
// neighbours mostly get near numbers and a pass over a large graph whose numbers are scattered
// (a generator's, a file's) reads memory mostly forwards instead of missing the cache at every
// step. O(n + m) time, one copy of the graph.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "exact/deadline.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

// The vertices in depth-first preorder from vertex 0 (those it does not reach after, likewise);
// empty when the deadline passed first.
std::vector<std::int32_t> depthFirstOrder(const SimpleGraph& g, const Deadline& deadline);

// g with vertex order[k] numbered k; nothing when the deadline passed first.
std::optional<SimpleGraph> renumbered(const SimpleGraph& g, const std::vector<std::int32_t>& order,
                                      const Deadline& deadline);

}  // namespace bicubic::exact
