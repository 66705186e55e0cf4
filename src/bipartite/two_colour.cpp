#include "bipartite/two_colour.h"

#include <algorithm>
#include <vector>

namespace bicubic {

bool twoColour(Graph& graph, std::int32_t vertex, char colour) {
  const std::int32_t n = graph.nCities;
  struct Frame {
    std::int32_t vertex;
    std::int32_t nextColumn;
  };
  std::vector<Frame> stack;
  graph.vertices[static_cast<std::size_t>(vertex)].colour = colour;
  stack.push_back({vertex, 0});

  while (!stack.empty()) {
    Frame& frame = stack.back();
    const std::int32_t* row = graph.row(frame.vertex);
    std::int32_t i = findValue(row, frame.nextColumn, n, 1);
    if (i == frame.vertex) i = findValue(row, i + 1, n, 1);
    if (i == n) {
      stack.pop_back();
      continue;
    }
    frame.nextColumn = i + 1;
    const char own = graph.vertices[static_cast<std::size_t>(frame.vertex)].colour;
    const char neighbour = graph.vertices[static_cast<std::size_t>(i)].colour;
    if (neighbour == kBlue || neighbour == kRed) {
      if (neighbour == own) return false;
      continue;
    }
    graph.vertices[static_cast<std::size_t>(i)].colour = own == kRed ? kBlue : kRed;
    stack.push_back({i, 0});
  }
  return true;
}

bool everyVertexColoured(const Graph& graph) {
  return std::all_of(graph.vertices.begin(), graph.vertices.end(),
                     [](const Vertex& v) { return v.colour == kRed || v.colour == kBlue; });
}

}  // namespace bicubic
