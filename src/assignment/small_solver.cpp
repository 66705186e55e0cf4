#include "assignment/small_solver.h"

#include <algorithm>
#include <bit>
#include <limits>

#include "assignment/augment.h"
#include "graph/row_scan.h"

namespace bicubic {

namespace {

std::size_t lowest(std::uint64_t mask) { return static_cast<std::size_t>(std::countr_zero(mask)); }

}  // namespace

std::span<const std::int32_t> AssignmentWorkspace::SmallSolver::solve(const Graph& graph, bool maximise,
                                                                       std::vector<std::int32_t>& pathStore) {
  prepare(graph, maximise);
  const auto n = static_cast<std::int32_t>(n_);
  if (pathStore.size() < pathStoreSize(n)) pathStore.resize(pathStoreSize(n));
  path_ = pathStore.data();
  reduceRowsAndListZeros();
  starZeros();
  while (!coverStarredColumns()) {
    while (!primeZeros()) adjustCosts();
  }
  return {starOfRow_.data(), n_};
}

void AssignmentWorkspace::SmallSolver::prepare(const Graph& graph, bool maximise) {
  matrix_ = graph.adjacency_matrix.data();
  n_ = static_cast<std::size_t>(graph.nCities);
  all_ = n_ == kMaxSize ? ~Mask{0} : bit(n_) - 1;
  maximise_ = maximise;
  largest_ = 0;
  shifted_ = 0;
  std::fill_n(rowKey_.begin(), n_, 0);
  std::fill_n(colKey_.begin(), n_, 0);
  std::fill_n(zeroColumns_.begin(), n_, 0);
  std::fill_n(zeroRows_.begin(), n_, 0);
  std::fill_n(starOfRow_.begin(), n_, -1);
  std::fill_n(starOfCol_.begin(), n_, -1);
  std::fill_n(primeOfRow_.begin(), n_, -1);
  primedRows_ = 0;
  rowCovered_ = 0;
  colCovered_ = 0;
  pending_ = 0;
  openCount_ = 0;
  uncoveredCount_ = 0;
  slackKnown_ = false;
  adjustedSinceCompaction_ = false;
}

AssignmentWorkspace::SmallSolver::Mask AssignmentWorkspace::SmallSolver::stillZeroInRow(std::size_t r,
                                                                                       Mask columns) const {
  if (!adjustedSinceCompaction_) return columns;
  Mask zero = 0;
  for (Mask left = columns; left != 0; left &= left - 1) zero |= cost(r, lowest(left)) == 0 ? left & (~left + 1) : 0;
  return zero;
}

AssignmentWorkspace::SmallSolver::Mask AssignmentWorkspace::SmallSolver::stillZeroInColumn(std::size_t c,
                                                                                          Mask rows) const {
  if (!adjustedSinceCompaction_) return rows;
  Mask zero = 0;
  for (Mask left = rows; left != 0; left &= left - 1) zero |= cost(lowest(left), c) == 0 ? left & (~left + 1) : 0;
  return zero;
}

// As the general solver: the row's extreme entry is its zero after the "max" transform and the
// row reduction, so the zeros are the cells equal to it.
void AssignmentWorkspace::SmallSolver::reduceRowsAndListZeros() {
  PerIndex<std::int32_t> extreme{};
  const auto n = static_cast<std::int32_t>(n_);
  for (std::size_t r = 0; r < n_; ++r) {
    const std::int32_t* row = matrix_ + r * n_;
    std::int32_t value = row[0];
    if (maximise_) {
      for (std::size_t c = 1; c < n_; ++c) value = std::max(value, row[c]);
    } else {
      for (std::size_t c = 1; c < n_; ++c) value = std::min(value, row[c]);
    }
    extreme[r] = value;
    zeroColumns_[r] = equalMask(row, n, value);
    for (Mask at = zeroColumns_[r]; at != 0; at &= at - 1) zeroRows_[lowest(at)] |= bit(r);
  }
  if (maximise_) largest_ = std::max<std::int64_t>(0, *std::max_element(extreme.begin(), extreme.begin() + n));
  for (std::size_t r = 0; r < n_; ++r) rowKey_[r] = -baseOf(extreme[r]);
}

// Each row's zeros are still in column order here, so the first free one is the lowest.
void AssignmentWorkspace::SmallSolver::starZeros() {
  Mask starred = 0;
  for (std::size_t r = 0; r < n_; ++r) {
    const Mask free = zeroColumns_[r] & ~starred;
    if (free == 0) continue;
    const std::size_t c = lowest(free);
    starOfRow_[r] = static_cast<std::int32_t>(c);
    starOfCol_[c] = static_cast<std::int32_t>(r);
    starred |= bit(c);
  }
}

// A phase start as in the general solver; true when every column holds a star. Only a column
// or row whose cover changes moves its key.
bool AssignmentWorkspace::SmallSolver::coverStarredColumns() {
  Mask starred = 0;
  for (std::size_t c = 0; c < n_; ++c) starred |= Mask{starOfCol_[c] >= 0} << c;
  for (Mask flip = starred ^ colCovered_; flip != 0; flip &= flip - 1) {
    const std::size_t c = lowest(flip);
    colKey_[c] += (starred & bit(c)) != 0 ? -shifted_ : shifted_;
  }
  colCovered_ = starred;
  if (starred == all_) return true;
  for (Mask covered = rowCovered_; covered != 0; covered &= covered - 1) rowKey_[lowest(covered)] += shifted_;
  rowCovered_ = 0;
  slackKnown_ = false;
  if (adjustedSinceCompaction_) dropStaleZeros();
  // Right after a clean-up every listed zero is 0.
  pending_ = 0;
  for (Mask open = all_ & ~colCovered_; open != 0; open &= open - 1) pending_ |= zeroRows_[lowest(open)];
  return false;
}

void AssignmentWorkspace::SmallSolver::dropStaleZeros() {
  for (std::size_t r = 0; r < n_; ++r) {
    for (Mask at = zeroColumns_[r]; at != 0; at &= at - 1) {
      const std::size_t c = lowest(at);
      if (cost(r, c) == 0) continue;
      zeroColumns_[r] &= ~bit(c);
      zeroRows_[c] &= ~bit(r);
    }
  }
  adjustedSinceCompaction_ = false;
}

// Step 4: the lowest waiting row primes its last uncovered zero.
bool AssignmentWorkspace::SmallSolver::primeZeros() {
  for (;;) {
    if (pending_ == 0) return false;
    const std::size_t r = lowest(pending_);
    const Mask open = stillZeroInRow(r, zeroColumns_[r] & ~colCovered_);
    pending_ &= ~bit(r);
    if (open == 0) continue;
    const auto last = static_cast<std::size_t>(63 - std::countl_zero(open));
    primeOfRow_[r] = static_cast<std::int32_t>(last);
    primedRows_ |= bit(r);
    const std::int32_t star = starOfRow_[r];
    if (star < 0) {
      augmentPath(r, last);
      return true;
    }
    coverRow(r);
    uncoverColumn(static_cast<std::size_t>(star));
  }
}

void AssignmentWorkspace::SmallSolver::coverRow(std::size_t r) {
  if (!rowCovered(r)) rowKey_[r] -= shifted_;
  rowCovered_ |= bit(r);
  if (!slackKnown_) return;
  const std::size_t position = openPosition_[r];
  const std::size_t last = openCount_ - 1;
  const auto moved = static_cast<std::size_t>(openRows_[last]);
  openRows_[position] = openRows_[last];
  openPosition_[moved] = position;
  openSlack_[position] = openSlack_[last];
  --openCount_;
}

// A column is uncovered at most once a phase (only starred columns are, each once), so the
// uncovered list never outgrows its n places.
void AssignmentWorkspace::SmallSolver::uncoverColumn(std::size_t c) {
  if (colCovered(c)) colKey_[c] += shifted_;
  colCovered_ &= ~bit(c);
  pending_ |= stillZeroInColumn(c, zeroRows_[c] & ~rowCovered_);
  if (!slackKnown_) return;
  uncoveredCols_[uncoveredCount_++] = c;
  const std::int64_t columnPart = colKey_[c];
  for (std::size_t k = 0; k < openCount_; ++k) {
    const auto r = static_cast<std::size_t>(openRows_[k]);
    openSlack_[k] = std::min(openSlack_[k], baseOf(matrix_[r * n_ + c]) + rowKey_[r] + columnPart);
  }
}

void AssignmentWorkspace::SmallSolver::augmentPath(std::size_t row, std::size_t col) {
  flipAugmentingPath(row, col, starOfRow_, starOfCol_, primeOfRow_, path_);
  for (Mask primed = primedRows_; primed != 0; primed &= primed - 1) primeOfRow_[lowest(primed)] = -1;
  primedRows_ = 0;
}

void AssignmentWorkspace::SmallSolver::buildSlack() {
  uncoveredCount_ = 0;
  for (std::size_t c = 0; c < n_; ++c) {
    if (!colCovered(c)) uncoveredCols_[uncoveredCount_++] = c;
  }
  openCount_ = 0;
  for (std::size_t r = 0; r < n_; ++r) {
    if (rowCovered(r)) continue;
    openPosition_[r] = openCount_;
    openRows_[openCount_++] = static_cast<std::int32_t>(r);
  }
  for (std::size_t k = 0; k < openCount_; ++k) {
    const auto r = static_cast<std::size_t>(openRows_[k]);
    std::int64_t smallest = std::numeric_limits<std::int64_t>::max();
    for (std::size_t j = 0; j < uncoveredCount_; ++j) smallest = std::min(smallest, cost(r, uncoveredCols_[j]));
    openSlack_[k] = smallest + shifted_;
  }
  slackKnown_ = true;
}

// Step 6 as in the general solver: slack is kept as "slack + total shift so far".
void AssignmentWorkspace::SmallSolver::adjustCosts() {
  if (!slackKnown_) buildSlack();
  shifted_ = *std::min_element(openSlack_.begin(), openSlack_.begin() + static_cast<std::ptrdiff_t>(openCount_));
  adjustedSinceCompaction_ = true;
  for (std::size_t k = 0; k < openCount_; ++k) {
    if (openSlack_[k] != shifted_) continue;
    const auto r = static_cast<std::size_t>(openRows_[k]);
    for (std::size_t j = 0; j < uncoveredCount_; ++j) {
      if (cost(r, uncoveredCols_[j]) == 0) listZero(r, uncoveredCols_[j]);
    }
    pending_ |= bit(r);
  }
}

}  // namespace bicubic
