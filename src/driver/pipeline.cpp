#include "driver/pipeline.h"

#include <new>

#include "assignment/assignment.h"
#include "bipartite/balance.h"
#include "bipartite/half_graph.h"
#include "bipartite/two_colour.h"
#include "driver/ticks.h"

namespace bicubic {

void printBanner(OutputSink& out) {
  out << "This file is use for determining the Hamiltonian cycle from bipartite cubic graph\n";
  out << "Althogh 2-connected  bipartite cubic is proved in NP-completed\n";
  out << "It is show in O(n^3.5) by this tools \n";
  out << "bicubic, (c) 2026 the bicubic authors, ";
  out << "MIT License\n";
}

Verdict runPipeline(Graph& graph, OutputSink& out) {
  try {
    if (!twoColour(graph, 0, kRed)) {
      out << "Graph is not bipartite, stop determining\n";
      return Verdict::NotBipartite;
    }
    // Vertices the colouring did not reach lie in another component, and a graph in pieces
    // has no cycle through every vertex; going on could announce one.
    if (!everyVertexColoured(graph)) {
      out << "Graph is not connected, so it has no Hamiltonian cycle\n";
      return Verdict::NotConnected;
    }
    if (!checkBalance(graph)) {
      out << "Graph is bipartite but it has no Hamiltonian cycle\n";
      return Verdict::Unbalanced;
    }
    out << "Graph is balanced bipartite\n";
    solveAssignment(graph, "max", out);
    std::unique_ptr<HalfGraph> half = buildHalfGraph(graph, out);
    half->setParentStatus(graph.getStatus());
    return decideHamiltonian(*half, out);
  } catch (const std::bad_alloc&) {
    out << "\nnot enough memory to finish the tests\n";
    return Verdict::OutOfMemory;
  }
}

int runTool(int argc, const char* const* argv, OutputSink& out) {
  printBanner(out);
  if (argc < 2) {
    out << "please useage: " << (argc > 0 ? argv[0] : "") << "  infile\n";
    return 0;
  }
  Graph graph;
  if (!graph.readGraph(argv[1], out)) {
    out << "Reading file is not correctly";
    return 0;
  }
  std::int32_t tickSum = 0;
  startTicks();
  runPipeline(graph, out);
  tickSum += stopTicks();
  out << "total ticks  is " << tickSum;
  out.endLine();
  return 0;
}

}  // namespace bicubic
