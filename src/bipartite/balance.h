// Balance and cubic test: gathers a record per red and per blue vertex with its degree (the
// count of non-zero entries in its row, diagonal included) and sets status to 0 (classes of
// different size), 1 (balanced) or 2 (balanced and every coloured vertex of degree 3).
#pragma once

#include "bipartite/two_colour.h"
#include "graph/graph.h"

namespace bicubic {

// Repeats the colouring from vertex 0 with red, fills the colour lists and status; true when
// the two colour classes have the same size.
bool checkBalance(Graph& graph);
// The same with the colouring's stack supplied by the caller.
bool checkBalance(Graph& graph, ColourStack& stack);

}  // namespace bicubic
