// Hamiltonian decision on a half graph: match it, delete the matched edges, number the vertices
// along red-blue walks of what remains, rewrite the matching over those numbers and raise it to
// Boolean powers. The verdict is printed; it is also returned so that other tools can use it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bipartite/half_graph.h"
#include "graph/output_sink.h"
#include "hamilton/matrix.h"

namespace bicubic {

enum class Verdict { NotBipartite, NotConnected, Unbalanced, BicubicH, MaybeH, NotH, OutOfMemory };

// The non-zero entries of a half graph's biadjacency matrix, by row and by column, each in
// increasing order; built once so that walks never rescan whole rows or columns.
class RemainingEdges {
 public:
  explicit RemainingEdges(const HalfGraph& half);
  std::span<const std::int32_t> bluesOf(std::int32_t red) const;
  std::span<const std::int32_t> redsOf(std::int32_t blue) const;

 private:
  std::vector<std::int32_t> rowStart_, rowBlues_, colStart_, colReds_;
};

// Labels red vertex `red`, its first unlabelled blue neighbour, that blue vertex's first
// unlabelled red neighbour and so on, handing out next, next+1, ...; cycleLabel holds the m red
// labels and then the m blue ones.
void walkCycle(const RemainingEdges& edges, std::span<std::int32_t> cycleLabel, std::int32_t red,
               std::int32_t& next);

// Tracks the powers of a matrix under the first non-zero product without forming them: row i of
// power^(k+1) is factor's row x_k(i), where x_1(i) is the first non-zero column of power's row i
// and x_(k+1)(i) that of factor's row x_k(i). Each step costs O(rows).
class FirstNonZeroPowers {
 public:
  FirstNonZeroPowers(const Matrix& power, const Matrix& factor);
  // The next product: what power.boolMultiply(factor) would leave.
  void multiply();
  // What diagonalEquals(1) would answer on the current product.
  bool diagonalAllOnes() const;

 private:
  const Matrix& factor_;
  bool empty_;
  bool multiplied_ = false;
  std::vector<std::int32_t> firstInFactorRow_;
  std::vector<std::int32_t> selectedRow_;
};

Verdict decideHamiltonian(HalfGraph& half, OutputSink& out);

}  // namespace bicubic
