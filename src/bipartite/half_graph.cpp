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

  // Both classes in one pass: each vertex is written to both lists and kept by the one of its
  // colour, so that the pass has no branch on the colour.
  std::vector<std::int32_t>& reds = half.redVertexOfRow;
  std::vector<std::int32_t>& blues = half.blueVertexOfColumn;
  reds.resize(static_cast<std::size_t>(n) + 1);
  blues.resize(static_cast<std::size_t>(n) + 1);
  std::size_t redCount = 0;
  std::size_t blueCount = 0;
  for (std::int32_t v = 0; v < n; ++v) {
    const char colour = graph.vertices[static_cast<std::size_t>(v)].colour;
    reds[redCount] = v;
    blues[blueCount] = v;
    redCount += colour == kRed ? 1 : 0;
    blueCount += colour == kBlue ? 1 : 0;
  }
  // A passed balance test keeps both classes within m; the bounds only guard misuse.
  reds.resize(std::min(redCount, static_cast<std::size_t>(half.m)));
  blues.resize(std::min(blueCount, static_cast<std::size_t>(half.m)));
  for (std::size_t r = 0; r < reds.size(); ++r) {
    const std::int32_t* source = graph.row(reds[r]);
    std::int32_t* target = half.adjacency_matrix.data() + r * static_cast<std::size_t>(half.m);
    for (std::size_t c = 0; c < blues.size(); ++c) target[c] = source[blues[c]];
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
