#include "assignment/assignment.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <memory>
#include <span>
#include <vector>

#include "assignment/augment.h"
#include "assignment/small_solver.h"
#include "graph/row_scan.h"

namespace bicubic {

namespace {

// A set of row indices that answers "lowest member" quickly. Members are only looked up from
// the lowest, so a hint below which no member lies saves rescanning empty words.
class RowSet {
 public:
  // Makes this the empty set of rows below size.
  void reset(std::size_t size) {
    words_.assign((size + 63) / 64, 0);
    hint_ = 0;
  }
  void insert(std::size_t row) {
    words_[row / 64] |= std::uint64_t{1} << (row % 64);
    hint_ = std::min(hint_, row / 64);
  }
  void erase(std::size_t row) { words_[row / 64] &= ~(std::uint64_t{1} << (row % 64)); }
  void clear() {
    std::fill(words_.begin(), words_.end(), 0);
    hint_ = 0;
  }
  // The lowest member, or -1.
  std::int64_t lowest() {
    for (; hint_ < words_.size(); ++hint_) {
      if (words_[hint_] != 0) return static_cast<std::int64_t>(hint_ * 64 + static_cast<std::size_t>(std::countr_zero(words_[hint_])));
    }
    return -1;
  }

 private:
  std::vector<std::uint64_t> words_;
  std::size_t hint_ = 0;
};

}  // namespace

// The assignment method with the same choices as its six literal steps: stars in step 2 go to
// the lowest free zero of each row, step 4 primes the last uncovered zero of the first row that
// has one, step 5 follows star and prime alternately, step 6 shifts by the smallest uncovered
// cost. What changes is how each step finds its cells:
//  - costs are never rewritten: cost(r, c) = base(r, c) + rowShift(r) + colShift(c), base read
//    from the adjacency matrix. A step 6 adds its amount to one running total; a covered row's
//    shift and an uncovered column's shift follow that total from the moment they were covered
//    or uncovered, so a step 6 touches no per-row or per-column value;
//  - the zero cells are kept in per-row and per-column lists with their matrix entries (entries
//    may go stale when a zero in a covered row and covered column is raised; they are checked
//    on use and dropped at the start of a phase that follows a step 6);
//  - the rows that may hold an uncovered zero form a set whose lowest member is the next row
//    step 4 looks at;
//  - from the first step 6 of a phase on, the uncovered rows are kept in a compact list beside
//    their slack (smallest uncovered cost), kept up to date as rows are covered and columns
//    uncovered; phases without a step 6 never build it.
// A step 6 of the literal method may move by less than the smallest uncovered cost (when its
// bound is smaller), but then it repeats with nothing else changing until the sum reaches that
// cost, so one shift by the smallest uncovered cost ends in the same state.
class AssignmentWorkspace::Solver {
  // A listed zero: the other coordinate and the matrix entry of the cell.
  struct ListedZero {
    std::int32_t index;
    std::int32_t entry;
  };

 public:
  // Solves graph's matrix; the result is the star column of each row, valid until the next solve.
  std::span<const std::int32_t> solve(const Graph& graph, bool maximise, std::vector<std::int32_t>& pathStore) {
    prepare(graph, maximise);
    const auto n = static_cast<std::int32_t>(n_);
    if (pathStore.size() < pathStoreSize(n)) pathStore.resize(pathStoreSize(n));
    path_ = pathStore.data();
    reduceRowsAndListZeros();
    starZeros();
    while (coverStarredColumns() < n_) {
      while (!primeZeros()) adjustCosts();
    }
    return starOfRow_;
  }

 private:
  // Every buffer back to its starting state for an n x n matrix, in O(n + zeros listed last
  // time): the listed-cell bits are cleared through the lists that name them, so a caller
  // solving small matrix after small matrix never pays for the largest one it met. Each listed
  // bit has its row-list entry before the bit is set, so even a solve that ended in bad_alloc
  // leaves nothing behind that this misses.
  void prepare(const Graph& graph, bool maximise) {
    for (std::size_t r = 0; r < n_; ++r) {
      for (const ListedZero& zero : rowZeros_[r]) unlist(r, static_cast<std::size_t>(zero.index));
      rowZeros_[r].clear();
      colZeros_[r].clear();
    }
    n_ = 0;
    const auto n = static_cast<std::size_t>(graph.nCities);
    matrix_ = graph.adjacency_matrix.data();
    maximise_ = maximise;
    largest_ = 0;
    shifted_ = 0;
    rowKey_.assign(n, 0);
    colKey_.assign(n, 0);
    if (rowZeros_.size() < n) {
      rowZeros_.resize(n);
      colZeros_.resize(n);
    }
    const std::size_t words = (n * n + 63) / 64;
    if (listed_.size() < words) listed_.resize(words, 0);
    starOfRow_.assign(n, -1);
    starOfCol_.assign(n, -1);
    primeOfRow_.assign(n, -1);
    primedRows_.clear();
    rowCovered_.assign(n, 0);
    colCovered_.assign(n, 0);
    openRows_.clear();
    openPosition_.resize(n);
    openSlack_.clear();
    uncoveredCols_.clear();
    extreme_.resize(n);
    slackKnown_ = false;
    adjustedSinceCompaction_ = false;
    pending_.reset(n);
    n_ = n;
  }

  std::int64_t baseOf(std::int32_t entry) const { return maximise_ ? largest_ - entry : std::int64_t{entry}; }
  std::int64_t rowShift(std::size_t r) const { return rowKey_[r] + (rowCovered_[r] != 0 ? shifted_ : 0); }
  std::int64_t colShift(std::size_t c) const { return colKey_[c] - (colCovered_[c] != 0 ? 0 : shifted_); }
  std::int64_t cost(std::size_t r, std::size_t c, std::int32_t entry) const {
    return baseOf(entry) + rowShift(r) + colShift(c);
  }
  std::int64_t cost(std::size_t r, std::size_t c) const { return cost(r, c, matrix_[r * n_ + c]); }

  // Covering and uncovering keep the shifts where they are and only change what they follow.
  void setRowCovered(std::size_t r, bool covered) {
    if ((rowCovered_[r] != 0) == covered) return;
    rowKey_[r] += covered ? -shifted_ : shifted_;
    rowCovered_[r] = covered;
  }
  void setColCovered(std::size_t c, bool covered) {
    if ((colCovered_[c] != 0) == covered) return;
    colKey_[c] += covered ? -shifted_ : shifted_;
    colCovered_[c] = covered;
  }

  // The bit is set last, so that a push that throws leaves no listed bit without its entry.
  void listZero(std::size_t r, std::size_t c) {
    const std::size_t cell = r * n_ + c;
    const std::uint64_t bit = std::uint64_t{1} << (cell % 64);
    if ((listed_[cell / 64] & bit) != 0) return;
    const std::int32_t entry = matrix_[cell];
    rowZeros_[r].push_back({static_cast<std::int32_t>(c), entry});
    colZeros_[c].push_back({static_cast<std::int32_t>(r), entry});
    listed_[cell / 64] |= bit;
  }
  // Listed zeros go stale only through a step 6, so until the next one after a clean-up every
  // listed zero is still 0 and needs no look at its cost.
  bool stillZero(std::size_t r, std::size_t c, const ListedZero& zero) const {
    return !adjustedSinceCompaction_ || cost(r, c, zero.entry) == 0;
  }
  void unlist(std::size_t r, std::size_t c) {
    const std::size_t cell = r * n_ + c;
    listed_[cell / 64] &= ~(std::uint64_t{1} << (cell % 64));
  }

  // The "max" transform takes the largest entry (at least 0) minus each entry; every row is then
  // reduced by its smallest cost. Both only set shifts. The smallest cost of a row sits where
  // the row's largest entry ("max") or smallest entry (any other mode) does, so one sweep in
  // 32-bit values, each row still in cache for its second look, finds the zeros in column order.
  void reduceRowsAndListZeros() {
    std::vector<std::int32_t>& extreme = extreme_;
    const auto n = static_cast<std::int32_t>(n_);
    for (std::size_t r = 0; r < n_; ++r) {
      const std::int32_t* row = matrix_ + r * n_;
      std::int32_t value = row[0];
      for (std::size_t c = 1; c < n_; ++c) value = maximise_ ? std::max(value, row[c]) : std::min(value, row[c]);
      extreme[r] = value;
      for (std::int32_t block = 0; block < n; block += kScanBlock) {
        for (std::uint64_t at = equalMask(row + block, std::min(kScanBlock, n - block), value); at != 0; at &= at - 1) {
          listZero(r, static_cast<std::size_t>(block + std::countr_zero(at)));
        }
      }
    }
    if (maximise_) largest_ = std::max<std::int64_t>(0, *std::max_element(extreme.begin(), extreme.end()));
    for (std::size_t r = 0; r < n_; ++r) rowKey_[r] = -baseOf(extreme[r]);
  }

  void starZeros() {
    for (std::size_t r = 0; r < n_; ++r) {
      for (const ListedZero& zero : rowZeros_[r]) {
        const std::int32_t c = zero.index;
        if (starOfCol_[static_cast<std::size_t>(c)] < 0) {
          starOfRow_[r] = c;
          starOfCol_[static_cast<std::size_t>(c)] = static_cast<std::int32_t>(r);
          break;
        }
      }
    }
  }

  // Starts a phase: rows uncovered, exactly the starred columns covered, and every row with a
  // zero in an uncovered (starless) column marked for step 4. Zeros go stale only through a
  // step 6, so the lists are cleaned of them only after one. Returns the star count.
  std::size_t coverStarredColumns() {
    std::size_t stars = 0;
    for (std::size_t c = 0; c < n_; ++c) {
      setColCovered(c, starOfCol_[c] >= 0);
      stars += colCovered_[c];
    }
    if (stars >= n_) return stars;
    for (std::size_t r = 0; r < n_; ++r) setRowCovered(r, false);
    slackKnown_ = false;
    if (adjustedSinceCompaction_) dropStaleZeros();
    pending_.clear();
    for (std::size_t c = 0; c < n_; ++c) {
      if (colCovered_[c] != 0) continue;
      for (const ListedZero& zero : colZeros_[c]) {
        if (cost(static_cast<std::size_t>(zero.index), c, zero.entry) == 0) pending_.insert(static_cast<std::size_t>(zero.index));
      }
    }
    return stars;
  }

  void dropStaleZeros() {
    for (std::size_t r = 0; r < n_; ++r) {
      std::erase_if(rowZeros_[r], [&](const ListedZero& zero) {
        const auto c = static_cast<std::size_t>(zero.index);
        if (cost(r, c, zero.entry) == 0) return false;
        unlist(r, c);
        return true;
      });
    }
    for (std::size_t c = 0; c < n_; ++c) {
      std::erase_if(colZeros_[c], [&](const ListedZero& zero) {
        return cost(static_cast<std::size_t>(zero.index), c, zero.entry) != 0;
      });
    }
    adjustedSinceCompaction_ = false;
  }

  // Step 4. Returns true when a prime with no star in its row ended the phase by augmenting,
  // false when no uncovered zero is left (step 6 comes next).
  bool primeZeros() {
    for (;;) {
      const std::int64_t lowest = pending_.lowest();
      if (lowest < 0) return false;
      const auto r = static_cast<std::size_t>(lowest);
      std::int32_t last = -1;
      for (const ListedZero& zero : rowZeros_[r]) {
        const auto column = static_cast<std::size_t>(zero.index);
        if (zero.index > last && colCovered_[column] == 0 && stillZero(r, column, zero)) last = zero.index;
      }
      pending_.erase(r);
      if (last < 0) continue;
      primeOfRow_[r] = last;
      primedRows_.push_back(r);
      const std::int32_t star = starOfRow_[r];
      if (star < 0) {
        augmentPath(r, static_cast<std::size_t>(last));
        return true;
      }
      coverRow(r);
      uncoverColumn(static_cast<std::size_t>(star));
    }
  }

  void coverRow(std::size_t r) {
    setRowCovered(r, true);
    if (!slackKnown_) return;
    // Swap the last open row into r's place, carrying its slack along.
    const std::size_t position = openPosition_[r];
    const std::size_t last = openRows_.size() - 1;
    const auto moved = static_cast<std::size_t>(openRows_[last]);
    openRows_[position] = openRows_[last];
    openPosition_[moved] = position;
    openRows_.pop_back();
    openSlack_[position] = openSlack_[last];
    openSlack_.pop_back();
  }

  void uncoverColumn(std::size_t c) {
    setColCovered(c, false);
    for (const ListedZero& zero : colZeros_[c]) {
      const auto r = static_cast<std::size_t>(zero.index);
      if (rowCovered_[r] == 0 && stillZero(r, c, zero)) pending_.insert(r);
    }
    if (slackKnown_) {
      uncoveredCols_.push_back(c);
      // Open rows have no shift that follows the total, and c now does.
      const std::int64_t columnPart = colKey_[c];
      for (std::size_t k = 0; k < openRows_.size(); ++k) {
        const auto r = static_cast<std::size_t>(openRows_[k]);
        openSlack_[k] = std::min(openSlack_[k], baseOf(matrix_[r * n_ + c]) + rowKey_[r] + columnPart);
      }
    }
  }

  // Step 5: prime, star in its column, prime in that star's row, ... ; stars on the path are
  // removed and its primes become stars. The path is kept in the graph's path store.
  void augmentPath(std::size_t row, std::size_t col) {
    flipAugmentingPath(row, col, starOfRow_, starOfCol_, primeOfRow_, path_);
    for (std::size_t r : primedRows_) primeOfRow_[r] = -1;
    primedRows_.clear();
  }

  // Step 6: shift by the smallest uncovered cost; the uncovered cells that reach 0 are listed.
  // Slack is kept as "slack + total shift so far", so a shift changes none of it: an open row's
  // slack is at 0 exactly when its stored value equals the new total.
  void adjustCosts() {
    if (!slackKnown_) {
      uncoveredCols_.clear();
      for (std::size_t c = 0; c < n_; ++c) {
        if (colCovered_[c] == 0) uncoveredCols_.push_back(c);
      }
      openRows_.clear();
      for (std::size_t r = 0; r < n_; ++r) {
        if (rowCovered_[r] != 0) continue;
        openPosition_[r] = openRows_.size();
        openRows_.push_back(static_cast<std::int32_t>(r));
      }
      openSlack_.resize(openRows_.size());
      for (std::size_t k = 0; k < openRows_.size(); ++k) {
        const auto r = static_cast<std::size_t>(openRows_[k]);
        std::int64_t smallest = std::numeric_limits<std::int64_t>::max();
        for (std::size_t c : uncoveredCols_) smallest = std::min(smallest, cost(r, c));
        openSlack_[k] = smallest + shifted_;
      }
      slackKnown_ = true;
    }
    shifted_ = *std::min_element(openSlack_.begin(), openSlack_.end());
    adjustedSinceCompaction_ = true;
    for (std::size_t k = 0; k < openRows_.size(); ++k) {
      if (openSlack_[k] != shifted_) continue;
      const auto r = static_cast<std::size_t>(openRows_[k]);
      for (std::size_t c : uncoveredCols_) {
        if (cost(r, c) == 0) listZero(r, c);
      }
      pending_.insert(r);
    }
  }

  const std::int32_t* matrix_ = nullptr;
  std::size_t n_ = 0;
  bool maximise_ = true;
  std::int64_t largest_ = 0;
  // The sum of every step 6 amount so far.
  std::int64_t shifted_ = 0;
  std::int32_t* path_ = nullptr;
  std::vector<std::int64_t> rowKey_;
  std::vector<std::int64_t> colKey_;
  std::vector<std::vector<ListedZero>> rowZeros_;
  std::vector<std::vector<ListedZero>> colZeros_;
  std::vector<std::uint64_t> listed_;
  std::vector<std::int32_t> starOfRow_;
  std::vector<std::int32_t> starOfCol_;
  std::vector<std::int32_t> primeOfRow_;
  std::vector<std::size_t> primedRows_;
  std::vector<std::uint8_t> rowCovered_;
  std::vector<std::uint8_t> colCovered_;
  std::vector<std::int32_t> openRows_;
  std::vector<std::size_t> openPosition_;
  std::vector<std::int64_t> openSlack_;
  std::vector<std::size_t> uncoveredCols_;
  std::vector<std::int32_t> extreme_;
  bool slackKnown_ = false;
  bool adjustedSinceCompaction_ = false;
  RowSet pending_;
};

AssignmentWorkspace::AssignmentWorkspace()
    : solver_(std::make_unique<Solver>()), smallSolver_(std::make_unique<SmallSolver>()) {}
AssignmentWorkspace::~AssignmentWorkspace() = default;

void solveAssignment(Graph& graph, std::string mode, OutputSink& out) {
  AssignmentWorkspace workspace;
  solveAssignment(graph, mode, out, workspace);
}

void solveAssignment(Graph& graph, const std::string& mode, OutputSink& out, AssignmentWorkspace& workspace) {
  std::span<const std::int32_t> starColumnOfRow;
  const bool maximise = mode == "max";
  if (graph.nCities > 0 && static_cast<std::size_t>(graph.nCities) <= AssignmentWorkspace::SmallSolver::kMaxSize) {
    starColumnOfRow = workspace.smallSolver_->solve(graph, maximise, graph.path);
  } else if (graph.nCities > 0) {
    starColumnOfRow = workspace.solver_->solve(graph, maximise, graph.path);
  }
  recordAndReport(graph, starColumnOfRow, mode, out);
}

}  // namespace bicubic
