// The six steps of the assignment method exactly as written, with full cost and mark matrices
// and a rescan from row 0 for every search: slow (up to n^4) but plainly faithful. It is the
// reference that the fast solver must match pair for pair.
#pragma once

#include <string>

#include "graph/graph.h"
#include "graph/output_sink.h"

namespace bicubic::literal {

void solveAssignment(Graph& graph, std::string mode, OutputSink& out);

}  // namespace bicubic::literal
