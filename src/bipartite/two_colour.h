// Two-colouring: a depth-first search that colours red and blue everything reachable from one
// vertex. i is a neighbour of v only when entry (v, i) is exactly 1 and i != v; a vertex keeps
// the first colour it receives, and the first same-coloured neighbour met ends the search.
#pragma once

#include <cstdint>

#include "graph/graph.h"

namespace bicubic {

// Colours from `vertex` with `colour` ('r' or 'b'); false as soon as an edge joins two vertices
// of one colour. The visiting order is that of the recursive search, kept on an explicit stack
// so that a 4999-vertex path cannot exhaust the call stack.
bool twoColour(Graph& graph, std::int32_t vertex, char colour);

// True when every vertex has a colour, i.e. the colouring reached the whole graph.
bool everyVertexColoured(const Graph& graph);

}  // namespace bicubic
