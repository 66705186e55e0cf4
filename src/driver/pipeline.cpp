#include "driver/pipeline.h"

#include <new>
#include <optional>

#include "assignment/assignment.h"
#include "bipartite/balance.h"
#include "bipartite/half_graph.h"
#include "bipartite/two_colour.h"
#include "driver/ticks.h"
#include "graph/tool_text.h"
#include "hamilton/decision.h"

namespace bicubic {

void printBanner(OutputSink& out) {
  out << text::kBanner1 << text::kBanner2 << text::kBanner3;
  out << text::kAuthorship1;
  out << text::kAuthorship2;
}

namespace {

Verdict fromDecision(HamiltonVerdict verdict) {
  switch (verdict) {
    case HamiltonVerdict::BicubicH:
      return Verdict::BicubicH;
    case HamiltonVerdict::MaybeH:
      return Verdict::MaybeH;
    case HamiltonVerdict::NotH:
      break;
  }
  return Verdict::NotH;
}

// The first three tests; the verdict when one of them stops the run.
std::optional<Verdict> earlyStop(Graph& graph, OutputSink& out, ColourStack& stack) {
  if (!twoColour(graph, 0, kRed, stack)) {
    out << text::kNotBipartite;
    return Verdict::NotBipartite;
  }
  // Vertices the colouring did not reach lie in another component, and a graph in pieces
  // has no cycle through every vertex; going on could announce one.
  if (!everyVertexColoured(graph)) {
    out << text::kNotConnected;
    return Verdict::NotConnected;
  }
  if (!checkBalance(graph, stack)) {
    out << text::kUnbalanced;
    return Verdict::Unbalanced;
  }
  out << text::kBalanced;
  return std::nullopt;
}

}  // namespace

Verdict runPipeline(Graph& graph, OutputSink& out) {
  try {
    ColourStack stack;
    if (const std::optional<Verdict> stop = earlyStop(graph, out, stack)) return *stop;
    solveAssignment(graph, "max", out);
    std::unique_ptr<HalfGraph> half = buildHalfGraph(graph, out);
    half->setParentStatus(graph.getStatus());
    return fromDecision(decideHamiltonian(*half, out));
  } catch (const std::bad_alloc&) {
    out << text::kOutOfMemoryInTests;
    return Verdict::OutOfMemory;
  }
}

Verdict pipelineVerdict(Graph& graph, VerdictWorkspace& workspace) {
  OutputSink quiet = OutputSink::discarding();
  try {
    if (const std::optional<Verdict> stop = earlyStop(graph, quiet, workspace.colourStack)) return *stop;
    HalfGraph& half = workspace.half;
    fillHalfGraph(graph, half);
    half.setParentStatus(graph.getStatus());
    return fromDecision(decideHamiltonian(half, quiet, workspace.decision));
  } catch (const std::bad_alloc&) {
    return Verdict::OutOfMemory;
  }
}

namespace {

// Neighbour lists of the edges, as offsets into one array.
void listNeighbours(std::int32_t order, std::span<const MethodRunner::Edge> edges, VerdictWorkspace& w) {
  const auto n = static_cast<std::size_t>(order);
  w.firstNeighbour.assign(n + 1, 0);
  for (const MethodRunner::Edge& e : edges) {
    ++w.firstNeighbour[static_cast<std::size_t>(e.u) + 1];
    ++w.firstNeighbour[static_cast<std::size_t>(e.v) + 1];
  }
  for (std::size_t v = 0; v < n; ++v) w.firstNeighbour[v + 1] += w.firstNeighbour[v];
  w.neighbours.resize(2 * edges.size());
  w.queue.assign(w.firstNeighbour.begin(), w.firstNeighbour.end() - 1);  // next free slot of each
  for (const MethodRunner::Edge& e : edges) {
    w.neighbours[static_cast<std::size_t>(w.queue[static_cast<std::size_t>(e.u)]++)] = e.v;
    w.neighbours[static_cast<std::size_t>(w.queue[static_cast<std::size_t>(e.v)]++)] = e.u;
  }
}

// Colours the component of vertex 0 from red by breadth-first search; false on a clash.
bool colourFromZero(std::int32_t order, VerdictWorkspace& w) {
  w.colour.assign(static_cast<std::size_t>(order), 0);
  w.colour[0] = kRed;
  w.queue.assign(1, 0);
  for (std::size_t head = 0; head < w.queue.size(); ++head) {
    const auto v = static_cast<std::size_t>(w.queue[head]);
    const char other = w.colour[v] == kRed ? kBlue : kRed;
    for (std::int32_t k = w.firstNeighbour[v]; k < w.firstNeighbour[v + 1]; ++k) {
      const std::int32_t u = w.neighbours[static_cast<std::size_t>(k)];
      char& c = w.colour[static_cast<std::size_t>(u)];
      if (c == 0) {
        c = other;
        w.queue.push_back(u);
      } else if (c != other) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

Verdict edgeListVerdict(std::int32_t order, std::span<const MethodRunner::Edge> edges, VerdictWorkspace& workspace) {
  OutputSink quiet = OutputSink::discarding();
  try {
    listNeighbours(order, edges, workspace);
    if (!colourFromZero(order, workspace)) return Verdict::NotBipartite;
    if (workspace.queue.size() != static_cast<std::size_t>(order)) return Verdict::NotConnected;
    std::int32_t reds = 0;
    bool cubic = true;
    workspace.indexInClass.resize(static_cast<std::size_t>(order));
    for (std::size_t v = 0; v < workspace.colour.size(); ++v) {
      const bool red = workspace.colour[v] == kRed;
      workspace.indexInClass[v] = red ? reds : static_cast<std::int32_t>(v) - reds;
      reds += red ? 1 : 0;
      cubic = cubic && workspace.firstNeighbour[v + 1] - workspace.firstNeighbour[v] == 3;
    }
    if (2 * reds != order) return Verdict::Unbalanced;
    HalfGraph& half = workspace.half;
    half.resize(order / 2);
    half.redVertexOfRow.clear();
    half.blueVertexOfColumn.clear();
    for (std::int32_t v = 0; v < order; ++v) {
      (workspace.colour[static_cast<std::size_t>(v)] == kRed ? half.redVertexOfRow : half.blueVertexOfColumn).push_back(v);
    }
    for (const MethodRunner::Edge& e : edges) {
      const bool uRed = workspace.colour[static_cast<std::size_t>(e.u)] == kRed;
      const std::int32_t red = uRed ? e.u : e.v, blue = uRed ? e.v : e.u;
      half.setEdge(workspace.indexInClass[static_cast<std::size_t>(red)],
                   workspace.indexInClass[static_cast<std::size_t>(blue)], 1);
    }
    half.setParentStatus(cubic ? kStatusCubic : kStatusBalanced);
    return fromDecision(decideHamiltonian(half, quiet, workspace.decision));
  } catch (const std::bad_alloc&) {
    return Verdict::OutOfMemory;
  }
}

int runTool(int argc, const char* const* argv, OutputSink& out) {
  printBanner(out);
  if (argc < 2) {
    out << text::kUsage << (argc > 0 ? argv[0] : "") << text::kUsageEnd;
    return 0;
  }
  Graph graph;
  if (!graph.readGraph(argv[1], out)) {
    out << text::kNotRead;
    return 0;
  }
  std::int32_t tickSum = 0;
  startTicks();
  runPipeline(graph, out);
  tickSum += stopTicks();
  out << text::kTicks << tickSum;
  out.endLine();
  return 0;
}

}  // namespace bicubic
