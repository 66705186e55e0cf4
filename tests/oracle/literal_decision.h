// The Hamiltonian decision exactly as written: the literal solver, a recursive walk that scans
// whole rows and columns, passes that recount every label, a dense matching matrix and the
// Matrix power loop. The fast decision must print the same bytes.
#pragma once

#include "bipartite/half_graph.h"
#include "graph/output_sink.h"

namespace bicubic::literal {

void decideHamiltonian(HalfGraph& half, OutputSink& out);

}  // namespace bicubic::literal
