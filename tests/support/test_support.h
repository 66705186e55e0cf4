// Helpers shared by the tests: building graphs from edge lists or rows, writing graph files into
// a per-test scratch folder, and running the built bicubic executable on them.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "graph/graph.h"
#include "support/process.h"

namespace bicubic::testing {

using Edge = std::pair<std::int32_t, std::int32_t>;
using Rows = std::vector<std::vector<std::int32_t>>;

// A graph of n vertices with symmetric 1 entries for each edge, as readGraph would leave it.
Graph graphFromEdges(std::int32_t n, const std::vector<Edge>& edges);
// A graph whose matrix is exactly the given rows (square), as readGraph would leave it.
Graph graphFromRows(const Rows& rows);
// The file text of a matrix: count, then one line per row.
std::string matrixFileText(const Rows& rows);
Rows rowsFromEdges(std::int32_t n, const std::vector<Edge>& edges);
// The graph's n x n matrix as rows, for comparing with expected rows.
Rows matrixOf(const Graph& graph);

// A fresh scratch folder for the running test, removed at process exit.
std::string scratchDirectory();
// Writes text to name inside the scratch folder and returns the full path.
std::string writeScratchFile(const std::string& name, const std::string& text);

using RunResult = ProcessRun;
// Runs the built bicubic with the given arguments (passed as given, no quoting) after an
// optional shell prefix such as "ulimit -v 100000;".
RunResult runExecutable(const std::vector<std::string>& arguments, const std::string& shellPrefix = "");

// The rows with each {row, column, value} entry set as given.
Rows withEntries(Rows rows, const std::vector<std::vector<std::int32_t>>& entries);
// Every occurrence of `from` replaced by `to`.
std::string replaceAll(std::string text, const std::string& from, const std::string& to);

// Replaces the number after "total ticks  is " with "<ticks>" so outputs compare exactly.
std::string maskTicks(std::string output);

// Shows a table-driven case by its name field in test listings instead of its raw bytes; bring
// it into the case's namespace with `using testing::PrintTo;`.
template <class Case>
  requires requires(const Case& c) { std::string(c.name); }
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.name;
}

}  // namespace bicubic::testing
