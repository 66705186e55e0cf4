// The tests of one run in their fixed order: two-colouring, connectivity, balance, assignment,
// half graph and the Hamiltonian decision. Each stage prints to the one sink it is given; the
// first stage that stops the run prints its verdict and the rest do not run.
#pragma once

#include "driver/method.h"
#include "graph/graph.h"
#include "graph/output_sink.h"

namespace bicubic {

// The banner lines printed before anything else.
void printBanner(OutputSink& out);

// Runs every test on a graph that readGraph filled and returns the verdict printed. A buffer
// that cannot be allocated ends the run with a line saying so (Verdict::OutOfMemory).
Verdict runPipeline(Graph& graph, OutputSink& out);

// The whole tool: banner, usage or read, the timed pipeline and the tick line. Always 0.
int runTool(int argc, const char* const* argv, OutputSink& out);

}  // namespace bicubic
