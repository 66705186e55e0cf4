// The bicubic-check program: options, the sources in order, one report line per graph and the
// closing counts. Standard output gets the report only; messages and progress go to standard
// error. Exit status: 0 all decided, 3 some answer unknown, 1 a source or graph unreadable
// (this wins over 3), 2 a usage error.
#pragma once

#include <cstdint>

#include "check/report.h"
#include "check/simple_graph.h"
#include "graph/graph.h"
#include "graph/output_sink.h"

namespace bicubic::check {

inline constexpr const char* kCheckVersion = "1.0.0";

// The method's verdict on g exactly as given (vertex order unchanged); NotRun when the graph is
// outside what the method accepts (no vertices, more than the reader's limit) or memory ran out.
MethodVerdict methodVerdict(const SimpleGraph& g);
// The same on a graph that the tool's own reader filled.
MethodVerdict methodVerdict(Graph& readGraph);

int runCheck(int argc, const char* const* argv, OutputSink& out, OutputSink& err, bool progressOnTerminal);

}  // namespace bicubic::check
