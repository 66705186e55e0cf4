#include "bipartite/balance.h"

#include <algorithm>

#include "bipartite/two_colour.h"

namespace bicubic {

bool checkBalance(Graph& graph) {
  ColourStack stack;
  return checkBalance(graph, stack);
}

bool checkBalance(Graph& graph, ColourStack& stack) {
  graph.status = kStatusUntested;
  bool cubic = true;
  if (!twoColour(graph, 0, kRed, stack)) return false;
  graph.status = kStatusUnbalanced;

  const std::int32_t n = graph.nCities;
  for (std::int32_t i = 0; i < n; ++i) {
    const char colour = graph.vertices[static_cast<std::size_t>(i)].colour;
    if (colour != kRed && colour != kBlue) continue;
    const std::int32_t* row = graph.row(i);
    // A plain count, which compiles to vector compares.
    std::int32_t degree = 0;
    for (std::int32_t c = 0; c < n; ++c) degree += row[c] != 0 ? 1 : 0;
    if (degree != 3) cubic = false;
    (colour == kRed ? graph.redVertices : graph.blueVertices).push_back(Vertex{degree, colour});
  }
  if (graph.redVertices.size() == graph.blueVertices.size()) {
    graph.status = cubic ? kStatusCubic : kStatusBalanced;
  }
  return graph.status != kStatusUnbalanced;
}

}  // namespace bicubic
