// Assignment solver: the six-step Munkres method over a graph's adjacency matrix, maximising
// the chosen total for the mode "max" and minimising it for any other mode. It fills pair
// entries 0..n-1 (row r gets the column its star ended in) and prints one line per pair and the total.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "graph/graph.h"
#include "graph/output_sink.h"

namespace bicubic {

// Solves the assignment of graph's n x n matrix and prints its report. Costs are 64-bit, so
// entries anywhere in the 32-bit range give exact results. Throws std::bad_alloc when its
// working arrays cannot be had.
void solveAssignment(Graph& graph, std::string mode, OutputSink& out);

// The solver's working arrays, kept from one solve to the next: a caller solving matrix after
// matrix allocates only when one is larger than any before, and resetting costs O(n) plus the
// zeros the last solve listed, not O(n^2).
class AssignmentWorkspace {
 public:
  AssignmentWorkspace();
  AssignmentWorkspace(const AssignmentWorkspace&) = delete;
  AssignmentWorkspace& operator=(const AssignmentWorkspace&) = delete;
  ~AssignmentWorkspace();

 private:
  class Solver;
  class SmallSolver;
  friend void solveAssignment(Graph& graph, const std::string& mode, OutputSink& out, AssignmentWorkspace& workspace);
  std::unique_ptr<Solver> solver_;
  std::unique_ptr<SmallSolver> smallSolver_;
};

// The same solve with the workspace's buffers; the result does not depend on earlier solves.
void solveAssignment(Graph& graph, const std::string& mode, OutputSink& out, AssignmentWorkspace& workspace);

// Records row r -> starColumnOfRow[r] in the pair table with its label (k for the k-th red row,
// n + number of red rows before it + 1 otherwise) and prints the pair lines and the total.
void recordAndReport(Graph& graph, std::span<const std::int32_t> starColumnOfRow, const std::string& mode,
                     OutputSink& out);

}  // namespace bicubic
