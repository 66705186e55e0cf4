// The tests of one run in their fixed order: two-colouring, connectivity, balance, assignment,
// half graph and the Hamiltonian decision. Each stage prints to the one sink it is given; the
// first stage that stops the run prints its verdict and the rest do not run.
#pragma once

#include "bipartite/half_graph.h"
#include "bipartite/two_colour.h"
#include "driver/method.h"
#include "graph/graph.h"
#include "graph/output_sink.h"
#include "hamilton/decision.h"

namespace bicubic {

// The banner lines printed before anything else.
void printBanner(OutputSink& out);

// Runs every test on a graph that readGraph filled and returns the verdict printed. A buffer
// that cannot be allocated ends the run with a line saying so (Verdict::OutOfMemory).
Verdict runPipeline(Graph& graph, OutputSink& out);

// Every buffer pipelineVerdict needs, kept from one graph to the next so that a caller running
// graph after graph allocates only when a graph is larger than any before.
struct VerdictWorkspace {
  VerdictWorkspace() : half(0) {}
  HalfGraph half;
  DecisionWorkspace decision;
  ColourStack colourStack;
  // edgeListVerdict's neighbour lists (offsets and targets), colours and half-graph indices.
  std::vector<std::int32_t> firstNeighbour, neighbours, indexInClass, queue;
  std::vector<char> colour;
};

// The verdict runPipeline would print, printing nothing: the same stages on the same graph,
// except the first assignment, whose pairs are only printed and never read again, so it cannot
// change the verdict. Nothing an earlier graph left in the workspace reaches the verdict.
Verdict pipelineVerdict(Graph& graph, VerdictWorkspace& workspace);

// The same verdict for the graph of `order` vertices with these edges (each unordered pair once,
// no loop, ends below order), without the order x order matrix: the colouring, connectivity,
// balance and degree tests read neighbour lists (a connected bipartite graph has one colouring
// with vertex 0 red, whatever the search order), and the half graph is filled from the edges.
// On a 4998-vertex graph the matrix is 100 MB, whose zeroing alone outweighs the exact search.
Verdict edgeListVerdict(std::int32_t order, std::span<const MethodRunner::Edge> edges, VerdictWorkspace& workspace);

// The whole tool: banner, usage or read, the timed pipeline and the tick line. Always 0.
int runTool(int argc, const char* const* argv, OutputSink& out);

}  // namespace bicubic
