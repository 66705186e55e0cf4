#include "assignment/assignment.h"
#include "graph/tool_text.h"

namespace bicubic {

void recordAndReport(Graph& graph, std::span<const std::int32_t> starColumnOfRow, const std::string& mode,
                     OutputSink& out) {
  const std::int32_t n = graph.nCities;
  std::int32_t counter = 1;
  for (std::int32_t r = 0; r < n; ++r) {
    Pair& pair = graph.pairs[static_cast<std::size_t>(r)];
    pair.row = r;
    pair.col = starColumnOfRow[static_cast<std::size_t>(r)];
    if (graph.vertices[static_cast<std::size_t>(r)].colour == kRed) {
      pair.label = counter++;
    } else {
      pair.label = n + counter;
    }
  }
  if (out.discards()) return;
  std::int64_t total = 0;
  for (std::int32_t r = 0; r < n; ++r) {
    const Pair& pair = graph.pairs[static_cast<std::size_t>(r)];
    const std::int32_t value = graph.getEdge(pair.row, pair.col);
    out << text::kArray << pair.row + 1 << ',' << pair.col + 1 << ") = " << value << ',' << pair.label << '\n';
    total += value;
  }
  out << "The " << mode << text::kModeTotal << total;
  out.endLine();
}

}  // namespace bicubic
