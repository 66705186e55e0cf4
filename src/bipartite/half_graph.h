// HalfGraph: the red-by-blue biadjacency matrix of a balanced two-coloured graph, m rows (red
// vertices in increasing index) by m columns (blue vertices), m = nCities / 2; rows and columns
// beyond the colour classes stay 0. parentStatus is -1 until the source graph's status is set.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "graph/graph.h"
#include "graph/output_sink.h"

namespace bicubic {

class HalfGraph : public Graph {
 public:
  explicit HalfGraph(std::int32_t size) : Graph(size), m(size) {}
  virtual ~HalfGraph() = default;
  HalfGraph(const HalfGraph&) = delete;
  HalfGraph& operator=(const HalfGraph&) = delete;

  // Makes this the all-zero half graph of size x size, keeping buffer capacity.
  void resize(std::int32_t size) {
    reset(size);
    m = size;
    parentStatus = kStatusUntested;
  }

  void setParentStatus(std::int32_t value) { parentStatus = value; }
  std::int32_t getParentStatus() const { return parentStatus; }

  std::int32_t m;
  std::int32_t parentStatus = kStatusUntested;
  // The source graph's vertex behind each row (red) and each column (blue), in increasing
  // order, once fillHalfGraph ran.
  std::vector<std::int32_t> redVertexOfRow;
  std::vector<std::int32_t> blueVertexOfColumn;
};

// Builds the half graph of a graph that passed checkBalance and prints it as a table.
std::unique_ptr<HalfGraph> buildHalfGraph(const Graph& graph, OutputSink& out);
// The same into an existing half graph, printing nothing: O(n^2).
void fillHalfGraph(const Graph& graph, HalfGraph& half);

// Writes the header of column labels, one line per row (label, ':', colour byte, tab, each
// entry followed by a tab) and an empty line.
void printAdjacency(const Graph& graph, OutputSink& out);

}  // namespace bicubic
