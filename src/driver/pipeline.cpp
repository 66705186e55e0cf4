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
