#include "oracle/literal_colour.h"

namespace bicubic::literal {

bool twoColour(Graph& graph, std::int32_t vertex, char colour) {
  graph.vertices[static_cast<std::size_t>(vertex)].colour = colour;
  for (std::int32_t i = 0; i < graph.nCities; ++i) {
    if (i == vertex || graph.getEdge(vertex, i) != 1) continue;
    const char neighbour = graph.vertices[static_cast<std::size_t>(i)].colour;
    if (neighbour == kRed || neighbour == kBlue) {
      if (neighbour == colour) return false;
      continue;
    }
    if (!twoColour(graph, i, colour == kRed ? kBlue : kRed)) return false;
  }
  return true;
}

}  // namespace bicubic::literal
