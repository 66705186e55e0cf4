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
    const auto degree = static_cast<std::int32_t>(std::count_if(row, row + n, [](std::int32_t e) { return e != 0; }));
    if (degree != 3) cubic = false;
    (colour == kRed ? graph.redVertices : graph.blueVertices).push_back(Vertex{degree, colour});
  }
  if (graph.redVertices.size() == graph.blueVertices.size()) {
    graph.status = cubic ? kStatusCubic : kStatusBalanced;
  }
  return graph.status != kStatusUnbalanced;
}

}  // namespace bicubic
