// The two-colouring exactly as written: a recursive depth-first search from one vertex that
// scans each row in order, colours the first uncoloured neighbour and returns false at the
// first neighbour of its own colour. The fast colouring must leave the same colours.
#pragma once

#include <cstdint>

#include "graph/graph.h"

namespace bicubic::literal {

bool twoColour(Graph& graph, std::int32_t vertex, char colour);

}  // namespace bicubic::literal
