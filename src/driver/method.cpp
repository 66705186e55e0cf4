#include "driver/method.h"

#include <algorithm>
#include <new>

#include "bipartite/half_graph.h"
#include "driver/pipeline.h"
#include "graph/graph.h"

namespace bicubic {

namespace {

void collectEdges(const Graph& graph, std::vector<MethodRunner::Edge>& edges) {
  const std::int32_t n = graph.nCities;
  edges.clear();
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t* row = graph.row(i);
    for (std::int32_t j = i + 1; j < n; ++j) {
      if (row[j] != 0 || graph.getEdge(j, i) != 0) edges.push_back({i, j});
    }
  }
}

}  // namespace

std::int32_t methodMaxOrder() { return kMaxVertices; }

MethodRunner::MethodRunner() : graph_(std::make_unique<Graph>()), workspace_(std::make_unique<VerdictWorkspace>()) {}

MethodRunner::~MethodRunner() = default;

MethodRunner::MatrixRead MethodRunner::readMatrix(ByteReader& source, std::string_view name, OutputSink& out) {
  MatrixRead result;
  OutputSink readerLines;
  result.read = graph_->readGraph(source, name, readerLines);
  lastReadUsable_ = result.read;
  out << readerLines.captured();
  if (!result.read) {
    result.failure = readerLines.captured();
    while (!result.failure.empty() && (result.failure.back() == '\n' || result.failure.back() == ' ')) {
      result.failure.pop_back();
    }
    return result;
  }
  result.order = graph_->nCities;
  collectEdges(*graph_, result.edges);
  return result;
}

Verdict MethodRunner::runOnLastRead(OutputSink& out) {
  if (!lastReadUsable_) return Verdict::OutOfMemory;
  // The tests change the graph's colours and lists; a second run would not start afresh.
  lastReadUsable_ = false;
  return runPipeline(*graph_, out);
}

bool MethodRunner::load(std::int32_t order, std::span<const Edge> edges) {
  lastReadUsable_ = false;
  if (order < 1 || order > kMaxVertices) return false;
  try {
    graph_->reset(order);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (const Edge& edge : edges) {
    graph_->setEdge(edge.u, edge.v, 1);
    graph_->setEdge(edge.v, edge.u, 1);
  }
  return true;
}

Verdict MethodRunner::runOnEdges(std::int32_t order, std::span<const Edge> edges, OutputSink& out) {
  return load(order, edges) ? runPipeline(*graph_, out) : Verdict::OutOfMemory;
}

Verdict MethodRunner::verdictOnEdges(std::int32_t order, std::span<const Edge> edges) {
  if (order < 1 || order > kMaxVertices) return Verdict::OutOfMemory;
  const bool plain = std::all_of(edges.begin(), edges.end(), [&](const Edge& e) {
    return e.u != e.v && e.u >= 0 && e.v >= 0 && e.u < order && e.v < order;
  });
  if (plain) return edgeListVerdict(order, edges, *workspace_);
  return load(order, edges) ? pipelineVerdict(*graph_, *workspace_) : Verdict::OutOfMemory;
}

Verdict MethodRunner::verdictOfLastRead() {
  if (!lastReadUsable_) return Verdict::OutOfMemory;
  lastReadUsable_ = false;
  return pipelineVerdict(*graph_, *workspace_);
}

}  // namespace bicubic
