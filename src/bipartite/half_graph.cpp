#include "bipartite/half_graph.h"

#include <algorithm>
#include <vector>

namespace bicubic {

std::unique_ptr<HalfGraph> buildHalfGraph(const Graph& graph, OutputSink& out) {
  auto half = std::make_unique<HalfGraph>(graph.nCities / 2);
  fillHalfGraph(graph, *half);
  printAdjacency(*half, out);
  return half;
}

void fillHalfGraph(const Graph& graph, HalfGraph& half) {
  const std::int32_t n = graph.nCities;
  half.resize(n / 2);

  std::vector<std::int32_t> blueColumns;
  for (std::int32_t j = 0; j < n; ++j) {
    if (graph.vertices[static_cast<std::size_t>(j)].colour == kBlue) blueColumns.push_back(j);
  }
  // A passed balance test keeps both classes within m; the bound only guards misuse.
  const auto columns = std::min(blueColumns.size(), static_cast<std::size_t>(half.m));
  std::int32_t rowCounter = 0;
  for (std::int32_t i = 0; i < n && rowCounter < half.m; ++i) {
    if (graph.vertices[static_cast<std::size_t>(i)].colour != kRed) continue;
    const std::int32_t* source = graph.row(i);
    for (std::size_t c = 0; c < columns; ++c) {
      half.setEdge(rowCounter, static_cast<std::int32_t>(c), source[blueColumns[c]]);
    }
    ++rowCounter;
  }
}

void printAdjacency(const Graph& graph, OutputSink& out) {
  const std::int32_t n = graph.nCities;
  for (std::int32_t c = 0; c < n; ++c) out << '\t' << 'v' << graph.colLabels[static_cast<std::size_t>(c)];
  out.endLine();
  for (std::int32_t r = 0; r < n; ++r) {
    out << 'v' << graph.rowLabels[static_cast<std::size_t>(r)] << ':'
        << graph.vertices[static_cast<std::size_t>(r)].colour << '\t';
    out.writeEachFollowedBy({graph.row(r), static_cast<std::size_t>(n)}, '\t');
    out.endLine();
  }
  out.endLine();
}

}  // namespace bicubic
