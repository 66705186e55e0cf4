// The assignment solver for at most 64 rows: the general solver's steps and choices exactly, with
// zero cells, covers and waiting rows as one word of bits per row or column in fixed arrays.
// Cost: a solve allocates nothing, and a step touches a word where the general one walks a list.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "assignment/assignment.h"
#include "graph/graph.h"

namespace bicubic {

class AssignmentWorkspace::SmallSolver {
 public:
  static constexpr std::size_t kMaxSize = 64;

  // Solves graph's matrix (1 to kMaxSize rows); the result is the star column of each row,
  // valid until the next solve. The augmenting paths go to pathStore, as the general solver's.
  std::span<const std::int32_t> solve(const Graph& graph, bool maximise, std::vector<std::int32_t>& pathStore);

 private:
  using Mask = std::uint64_t;
  template <typename T>
  using PerIndex = std::array<T, kMaxSize>;

  static Mask bit(std::size_t i) { return Mask{1} << i; }

  std::int64_t baseOf(std::int32_t entry) const { return maximise_ ? largest_ - entry : std::int64_t{entry}; }
  bool rowCovered(std::size_t r) const { return (rowCovered_ & bit(r)) != 0; }
  bool colCovered(std::size_t c) const { return (colCovered_ & bit(c)) != 0; }
  std::int64_t cost(std::size_t r, std::size_t c) const {
    const std::int64_t rowShift = rowKey_[r] + (rowCovered(r) ? shifted_ : 0);
    const std::int64_t colShift = colKey_[c] - (colCovered(c) ? 0 : shifted_);
    return baseOf(matrix_[r * n_ + c]) + rowShift + colShift;
  }
  // The listed zeros of a mask (columns of row r, or rows of column c) that are still 0.
  Mask stillZeroInRow(std::size_t r, Mask columns) const;
  Mask stillZeroInColumn(std::size_t c, Mask rows) const;
  void listZero(std::size_t r, std::size_t c) {
    zeroColumns_[r] |= bit(c);
    zeroRows_[c] |= bit(r);
  }

  void prepare(const Graph& graph, bool maximise);
  void reduceRowsAndListZeros();
  void starZeros();
  bool coverStarredColumns();
  void dropStaleZeros();
  bool primeZeros();
  void coverRow(std::size_t r);
  void uncoverColumn(std::size_t c);
  void augmentPath(std::size_t row, std::size_t col);
  void adjustCosts();
  void buildSlack();

  const std::int32_t* matrix_ = nullptr;
  std::size_t n_ = 0;
  Mask all_ = 0;
  bool maximise_ = true;
  std::int64_t largest_ = 0;
  // The sum of every step 6 amount so far; shifts follow it as in the general solver.
  std::int64_t shifted_ = 0;
  std::int32_t* path_ = nullptr;
  PerIndex<std::int64_t> rowKey_{};
  PerIndex<std::int64_t> colKey_{};
  // Listed zeros, by row (a mask of columns) and by column (a mask of rows).
  PerIndex<Mask> zeroColumns_{};
  PerIndex<Mask> zeroRows_{};
  PerIndex<std::int32_t> starOfRow_{};
  PerIndex<std::int32_t> starOfCol_{};
  PerIndex<std::int32_t> primeOfRow_{};
  Mask primedRows_ = 0;
  Mask rowCovered_ = 0;
  Mask colCovered_ = 0;
  Mask pending_ = 0;
  // Step 6's open rows beside their slack, and the uncovered columns, once a phase needs them.
  PerIndex<std::int32_t> openRows_{};
  PerIndex<std::size_t> openPosition_{};
  PerIndex<std::int64_t> openSlack_{};
  std::size_t openCount_ = 0;
  PerIndex<std::size_t> uncoveredCols_{};
  std::size_t uncoveredCount_ = 0;
  bool slackKnown_ = false;
  bool adjustedSinceCompaction_ = false;
};

}  // namespace bicubic
