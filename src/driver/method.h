// The method as a service for programs other than the bicubic tool itself (the one door into
// the core): read a graph from bytes the caller hands over, or take its edges, run every test in
// order into a sink (a discarding one when only the verdict matters) and return the verdict.
// Cost: that of the tool's own run; a MethodRunner keeps its buffers from graph to graph.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "graph/byte_reader.h"
#include "graph/output_sink.h"

namespace bicubic {

class Graph;
struct VerdictWorkspace;

// What the run printed last: the stage that stopped it, or the decision's verdict.
enum class Verdict { NotBipartite, NotConnected, Unbalanced, BicubicH, MaybeH, NotH, OutOfMemory };
inline constexpr int kVerdictCount = static_cast<int>(Verdict::OutOfMemory) + 1;

// The most vertices the method takes.
std::int32_t methodMaxOrder();

class MethodRunner {
 public:
  struct Edge {
    std::int32_t u;
    std::int32_t v;
  };
  struct MatrixRead {
    bool read = false;
    // When the graph could not be read: the reader's message, without its line end.
    std::string failure;
    // The graph as read: its order and every pair u < v with a non-zero entry at (u, v) or (v, u).
    std::int32_t order = 0;
    std::vector<Edge> edges;
  };

  MethodRunner();
  MethodRunner(const MethodRunner&) = delete;
  MethodRunner& operator=(const MethodRunner&) = delete;
  ~MethodRunner();

  // Reads the vertex count and the matrix from source as the tool's reader does, printing its
  // lines (which name the source `name`) into out. Reads no further than the matrix's last value.
  MatrixRead readMatrix(ByteReader& source, std::string_view name, OutputSink& out);
  // Runs the tests on the graph readMatrix last read, entries exactly as the file gave them.
  Verdict runOnLastRead(OutputSink& out);
  // The verdict runOnLastRead would print, printing nothing and skipping work that only prints.
  Verdict verdictOfLastRead();

  // Runs the tests on the graph of `order` vertices (1 to methodMaxOrder()) with these edges,
  // each an unordered pair listed once, entries 1 both ways. OutOfMemory also when the order is
  // out of range.
  Verdict runOnEdges(std::int32_t order, std::span<const Edge> edges, OutputSink& out);
  // The verdict runOnEdges would print, printing nothing: for callers that need only the
  // verdict, about a microsecond on a graph of 24 vertices (its buffers stay from call to call).
  Verdict verdictOnEdges(std::int32_t order, std::span<const Edge> edges);

 private:
  bool load(std::int32_t order, std::span<const Edge> edges);

  std::unique_ptr<Graph> graph_;
  std::unique_ptr<VerdictWorkspace> workspace_;
  bool lastReadUsable_ = false;
};

}  // namespace bicubic
