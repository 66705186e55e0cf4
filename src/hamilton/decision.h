// Hamiltonian decision on a half graph: match it, delete the matched edges, number the vertices
// along red-blue walks of what remains, rewrite the matching over those numbers and raise it to
// Boolean powers. The verdict is printed; it is also returned so that other tools can use it.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "assignment/assignment.h"
#include "bipartite/half_graph.h"
#include "graph/output_sink.h"

namespace bicubic {

// The three verdicts the decision prints.
enum class HamiltonVerdict { BicubicH, MaybeH, NotH };

// The non-zero entries of a half graph's biadjacency matrix, by row and by column, each in
// increasing order; built once (O(m^2)) so that walks never rescan whole rows or columns. Up to
// 64 rows each row and column is one word of bits, beyond that a list.
class RemainingEdges {
 public:
  RemainingEdges() = default;
  explicit RemainingEdges(const HalfGraph& half);
  // Makes this the entries of half, reusing the buffers.
  void rebuild(const HalfGraph& half);

 private:
  friend void walkCycle(const RemainingEdges& edges, std::span<std::int32_t> cycleLabel, std::int32_t red,
                        std::int32_t& next);
  static constexpr std::int32_t kWordSize = 64;
  std::span<const std::int32_t> bluesOf(std::int32_t red) const;
  std::span<const std::int32_t> redsOf(std::int32_t blue) const;

  std::int32_t m_ = 0;
  std::array<std::uint64_t, kWordSize> bluesOfRed_{};
  std::array<std::uint64_t, kWordSize> redsOfBlue_{};
  std::vector<std::int32_t> rowStart_, rowBlues_, colStart_, colReds_, colFill_;
};

// Labels red vertex `red`, its first unlabelled blue neighbour, that blue vertex's first
// unlabelled red neighbour and so on, handing out next, next+1, ...; cycleLabel holds the m red
// labels and then the m blue ones.
void walkCycle(const RemainingEdges& edges, std::span<std::int32_t> cycleLabel, std::int32_t red,
               std::int32_t& next);

// Tracks the powers of a 0/1 matrix B under the first non-zero product (Matrix::boolMultiply)
// without forming them: row i of B^(k+1) is row x_k(i) of B, where x_0(i) = i and x_(k+1)(i) is
// the first non-zero column of row x_k(i) (or none, which leaves a zero row). B is given by the
// cells holding a one, so each product costs O(rows) and no rows x rows buffer is needed.
class FirstNonZeroPowers {
 public:
  struct Cell {
    std::int32_t row;
    std::int32_t col;
  };
  FirstNonZeroPowers() = default;
  // B of size x size with a one in each listed cell (repeats allowed) and 0 elsewhere.
  FirstNonZeroPowers(std::int32_t size, std::span<const Cell> ones);
  // Starts again from such a B, reusing the buffers.
  void reset(std::int32_t size, std::span<const Cell> ones);
  // The next product: what power.boolMultiply(factor) leaves when both start as B.
  void multiply();
  // What diagonalEquals(1) answers on the current product.
  bool diagonalAllOnes() const;

 private:
  bool holdsOne(std::int32_t row, std::int32_t col) const;

  std::vector<std::int32_t> firstInRow_;
  std::vector<std::int32_t> columnStart_;
  std::vector<std::int32_t> rowsOfColumn_;
  std::vector<std::int32_t> selectedRow_;
  std::vector<std::int32_t> fill_;
};

// Everything one decision allocates, kept for the next: deciding graph after graph then
// allocates only when a graph is larger than any before.
struct DecisionWorkspace {
  AssignmentWorkspace assignment;
  RemainingEdges edges;
  std::vector<std::int32_t> cycleLabel;
  std::vector<FirstNonZeroPowers::Cell> matchOnes;
  FirstNonZeroPowers powers;
};

HamiltonVerdict decideHamiltonian(HalfGraph& half, OutputSink& out);
// The same decision in the workspace's buffers; nothing carries over from an earlier one.
HamiltonVerdict decideHamiltonian(HalfGraph& half, OutputSink& out, DecisionWorkspace& workspace);

}  // namespace bicubic
