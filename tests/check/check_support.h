// Helpers for bicubic-check's tests: an independent brute-force Hamiltonian cycle search (plain
// depth-first path extension, nothing shared with the solver), graph builders, named graphs, and
// reading the graphs a nauty generator prints.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "exact/exact.h"
#include "exact/simple_graph.h"
#include "support/process.h"

namespace bicubic::testing {

using exact::ExactResult;
using exact::ExactSolver;
using exact::SimpleGraph;

using EdgeList = std::vector<std::pair<std::int32_t, std::int32_t>>;

SimpleGraph fromEdges(std::int32_t n, const EdgeList& edges);

// Whether g (at most 64 vertices) has a Hamiltonian cycle, by trying every path from vertex 0.
bool bruteForceHamiltonian(const SimpleGraph& g);

// Every graph6 line a nauty program prints, or nullopt when the program cannot be run.
std::optional<std::vector<std::string>> nautyGraphs(const std::string& commandLine);

using ToolRun = bicubic::testing::ProcessRun;
// Runs a bash command line in which $CHECK names the built bicubic-check.
ToolRun runShell(const std::string& commandLine);
// Runs the built bicubic-check with the arguments (passed as given) and stdinText as its input.
ToolRun runCheckTool(const std::vector<std::string>& arguments, const std::string& stdinText = "");

// Solves graph `index` g with `tried` and with `reference`, each within `seconds`, into a and b:
// tried must decide, both must agree, and a cycle from tried must be one of g (fatal failures;
// wrap the call in ASSERT_NO_FATAL_FAILURE).
// For a search that can only report cycles: whether it found one must be mayFind, a cycle found
// must pass the check against g, and nothing found leaves the cycle empty.
void expectCycleOrNothing(const SimpleGraph& g, bool found, bool mayFind, const std::vector<std::int32_t>& cycle,
                          const std::string& name);
void solveAndCompare(ExactSolver& tried, ExactSolver& reference, const SimpleGraph& g, double seconds, int index,
                     ExactResult& a, ExactResult& b);

SimpleGraph petersen();
SimpleGraph heawood();
SimpleGraph cube();
// The one connected cubic bipartite graph on 20 vertices without a Hamiltonian cycle, as
// nauty-genbg lists it (its non-Hamiltonicity is re-proved by the brute force in the tests).
SimpleGraph smallestNonHamiltonianCubicBipartite();
// The Ellingham-Horton graph on 54 vertices: cubic, bipartite, 3-connected, without a
// Hamiltonian cycle, and without a nontrivial 3-edge cut.
SimpleGraph ellinghamHorton54();

}  // namespace bicubic::testing
