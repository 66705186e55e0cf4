#include "hamilton/decision.h"

#include <algorithm>
#include <bit>

#include "assignment/assignment.h"
#include "graph/row_scan.h"
#include "graph/tool_text.h"

namespace bicubic {

namespace {

// Position of a walk label in the rewritten matching: labels 2p+1 and 2p+2 share position p,
// and an unlabelled vertex (0) sits at position 0.
std::int32_t positionOf(std::int32_t label) { return (label - 1) / 2; }

HamiltonVerdict statusVerdict(const HalfGraph& half, OutputSink& out) {
  if (half.getParentStatus() == kStatusCubic) {
    out << text::kBicubicH;
    return HamiltonVerdict::BicubicH;
  }
  out << text::kMaybeH;
  return HamiltonVerdict::MaybeH;
}

// The lowest unlabelled entry of the label array, or -1; labels only ever appear, so the
// search moves one way and all passes together cost O(m).
class LowestUnlabelled {
 public:
  explicit LowestUnlabelled(std::span<const std::int32_t> labels) : labels_(labels) {}
  std::int32_t find() {
    while (lowest_ < labels_.size() && labels_[lowest_] != 0) ++lowest_;
    return lowest_ < labels_.size() ? static_cast<std::int32_t>(lowest_) : -1;
  }

 private:
  std::span<const std::int32_t> labels_;
  std::size_t lowest_ = 0;
};

}  // namespace

RemainingEdges::RemainingEdges(const HalfGraph& half) { rebuild(half); }

void RemainingEdges::rebuild(const HalfGraph& half) {
  const std::int32_t m = half.m;
  const auto size = static_cast<std::size_t>(m);
  m_ = m;
  if (m <= kWordSize) {
    std::fill_n(redsOfBlue_.begin(), size, 0);
    for (std::int32_t r = 0; r < m; ++r) {
      const std::uint64_t blues = nonZeroMask(half.row(r), m);
      bluesOfRed_[static_cast<std::size_t>(r)] = blues;
      for (std::uint64_t at = blues; at != 0; at &= at - 1) {
        redsOfBlue_[static_cast<std::size_t>(std::countr_zero(at))] |= std::uint64_t{1} << r;
      }
    }
    return;
  }
  // Rows come in increasing order, so the row lists fill in one pass over the matrix and the
  // column lists, sorted from them by column, list their rows in increasing order too.
  rowStart_.resize(size + 1);
  rowStart_[0] = 0;
  rowBlues_.clear();
  colStart_.assign(size + 1, 0);
  for (std::int32_t r = 0; r < m; ++r) {
    const std::int32_t* row = half.row(r);
    for (std::int32_t block = 0; block < m; block += kScanBlock) {
      for (std::uint64_t ones = nonZeroMask(row + block, std::min(kScanBlock, m - block)); ones != 0; ones &= ones - 1) {
        const std::int32_t c = block + std::countr_zero(ones);
        rowBlues_.push_back(c);
        ++colStart_[static_cast<std::size_t>(c) + 1];
      }
    }
    rowStart_[static_cast<std::size_t>(r) + 1] = static_cast<std::int32_t>(rowBlues_.size());
  }
  for (std::size_t i = 0; i < size; ++i) colStart_[i + 1] += colStart_[i];
  colReds_.resize(rowBlues_.size());
  colFill_.assign(colStart_.begin(), colStart_.end() - 1);
  for (std::int32_t r = 0; r < m; ++r) {
    for (std::int32_t c : bluesOf(r)) colReds_[static_cast<std::size_t>(colFill_[static_cast<std::size_t>(c)]++)] = r;
  }
}

std::span<const std::int32_t> RemainingEdges::bluesOf(std::int32_t red) const {
  const auto r = static_cast<std::size_t>(red);
  return {rowBlues_.data() + rowStart_[r], rowBlues_.data() + rowStart_[r + 1]};
}

std::span<const std::int32_t> RemainingEdges::redsOf(std::int32_t blue) const {
  const auto c = static_cast<std::size_t>(blue);
  return {colReds_.data() + colStart_[c], colReds_.data() + colStart_[c + 1]};
}

namespace {

// walkCycle on word rows: the open vertices are bits, so each step is a lowest-bit pick where
// the lists need a scan whose length no branch predictor can guess.
void walkInWords(const std::array<std::uint64_t, 64>& bluesOfRed, const std::array<std::uint64_t, 64>& redsOfBlue,
                 std::span<std::int32_t> cycleLabel, std::int32_t red, std::int32_t& next) {
  const auto m = static_cast<std::int32_t>(cycleLabel.size() / 2);
  std::uint64_t openReds = 0;
  std::uint64_t openBlues = 0;
  for (std::int32_t i = 0; i < m; ++i) {
    openReds |= std::uint64_t{cycleLabel[static_cast<std::size_t>(i)] == 0} << i;
    openBlues |= std::uint64_t{cycleLabel[static_cast<std::size_t>(m + i)] < 1} << i;
  }
  if (red >= m || red < 0 || cycleLabel[static_cast<std::size_t>(red)] > 0) return;
  // From here on red is always an open red, in range and unlabelled.
  for (;;) {
    if (next > 2 * m) return;
    const std::int32_t redLabel = next++;
    cycleLabel[static_cast<std::size_t>(red)] = redLabel;
    openReds &= ~(std::uint64_t{redLabel != 0} << red);
    const std::uint64_t blues = bluesOfRed[static_cast<std::size_t>(red)] & openBlues;
    if (blues == 0) return;
    const std::int32_t blue = std::countr_zero(blues);
    const std::int32_t blueLabel = next++;
    cycleLabel[static_cast<std::size_t>(m + blue)] = blueLabel;
    openBlues &= ~(std::uint64_t{blueLabel >= 1} << blue);
    const std::uint64_t reds = redsOfBlue[static_cast<std::size_t>(blue)] & openReds;
    if (reds == 0) return;
    red = std::countr_zero(reds);
  }
}

}  // namespace

void walkCycle(const RemainingEdges& edges, std::span<std::int32_t> cycleLabel, std::int32_t red,
               std::int32_t& next) {
  if (edges.m_ <= RemainingEdges::kWordSize) {
    walkInWords(edges.bluesOfRed_, edges.redsOfBlue_, cycleLabel, red, next);
    return;
  }
  const auto m = static_cast<std::int32_t>(cycleLabel.size() / 2);
  // The walk only ever continues from its last step, so a loop keeps the recursive order
  // without a call per vertex.
  for (;;) {
    if (red >= m || next > 2 * m || red < 0 || cycleLabel[static_cast<std::size_t>(red)] > 0) return;
    cycleLabel[static_cast<std::size_t>(red)] = next++;
    std::int32_t blue = -1;
    for (std::int32_t c : edges.bluesOf(red)) {
      if (cycleLabel[static_cast<std::size_t>(m + c)] < 1) {
        blue = c;
        break;
      }
    }
    if (blue < 0) return;
    cycleLabel[static_cast<std::size_t>(m + blue)] = next++;
    std::int32_t nextRed = -1;
    for (std::int32_t r : edges.redsOf(blue)) {
      if (cycleLabel[static_cast<std::size_t>(r)] == 0) {
        nextRed = r;
        break;
      }
    }
    if (nextRed < 0) return;
    red = nextRed;
  }
}

FirstNonZeroPowers::FirstNonZeroPowers(std::int32_t size, std::span<const Cell> ones) { reset(size, ones); }

void FirstNonZeroPowers::reset(std::int32_t size, std::span<const Cell> ones) {
  const auto n = static_cast<std::size_t>(std::max(size, 0));
  firstInRow_.assign(n, -1);
  columnStart_.assign(n + 1, 0);
  for (const Cell& one : ones) {
    std::int32_t& first = firstInRow_[static_cast<std::size_t>(one.row)];
    if (first < 0 || one.col < first) first = one.col;
    ++columnStart_[static_cast<std::size_t>(one.col) + 1];
  }
  for (std::size_t c = 0; c < n; ++c) columnStart_[c + 1] += columnStart_[c];
  rowsOfColumn_.resize(ones.size());
  std::vector<std::int32_t>& fill = fill_;
  fill.assign(columnStart_.begin(), columnStart_.end() - 1);
  for (const Cell& one : ones) rowsOfColumn_[static_cast<std::size_t>(fill[static_cast<std::size_t>(one.col)]++)] = one.row;
  selectedRow_.resize(n);
  for (std::size_t i = 0; i < n; ++i) selectedRow_[i] = static_cast<std::int32_t>(i);
}

void FirstNonZeroPowers::multiply() {
  for (std::int32_t& selected : selectedRow_) {
    if (selected >= 0) selected = firstInRow_[static_cast<std::size_t>(selected)];
  }
}

bool FirstNonZeroPowers::holdsOne(std::int32_t row, std::int32_t col) const {
  const auto c = static_cast<std::size_t>(col);
  for (std::int32_t k = columnStart_[c]; k < columnStart_[c + 1]; ++k) {
    if (rowsOfColumn_[static_cast<std::size_t>(k)] == row) return true;
  }
  return false;
}

bool FirstNonZeroPowers::diagonalAllOnes() const {
  if (selectedRow_.empty()) return false;
  for (std::size_t i = 0; i < selectedRow_.size(); ++i) {
    const std::int32_t selected = selectedRow_[i];
    if (selected < 0 || !holdsOne(selected, static_cast<std::int32_t>(i))) return false;
  }
  return true;
}

HamiltonVerdict decideHamiltonian(HalfGraph& half, OutputSink& out) {
  DecisionWorkspace workspace;
  return decideHamiltonian(half, out, workspace);
}

HamiltonVerdict decideHamiltonian(HalfGraph& half, OutputSink& out, DecisionWorkspace& workspace) {
  solveAssignment(half, "max", out, workspace.assignment);
  const std::int32_t m = half.m;
  const auto size = static_cast<std::size_t>(m);
  std::vector<std::int32_t>& cycleLabel = workspace.cycleLabel;
  cycleLabel.assign(2 * size, 0);

  const bool printing = !out.discards();
  for (std::size_t i = 0; i < size; ++i) {
    const Pair& pair = half.pairs[i];
    if (printing) {
      out << '\n' << text::kArray << pair.row + 1 << ',' << pair.col + 1 << ") =" << half.getEdge(pair.row, pair.col);
    }
    half.setEdge(pair.row, pair.col, 0);
  }

  // Walks hand out labels 1, 2, 3, ... without gaps, so after a pass the counter is one more
  // than the number of labelled entries: the count of that pass.
  RemainingEdges& edges = workspace.edges;
  edges.rebuild(half);
  LowestUnlabelled unlabelled(cycleLabel);
  std::int32_t count = 1;
  walkCycle(edges, cycleLabel, 0, count);
  std::int32_t start = unlabelled.find();
  const std::int32_t firstCount = count;
  for (;;) {
    out << text::kReoutput << count << '\n';
    if (start == -1) break;
    std::int32_t newCount = count;
    walkCycle(edges, cycleLabel, start, newCount);
    const std::int32_t newStart = unlabelled.find();
    if (newCount == count || newCount >= 2 * m) break;
    count = newCount;
    start = newStart;
  }

  // The matching rewritten over walk positions: pair (r, c) puts a one at (position of r,
  // position of c). Only those m cells can be non-zero, so they are all that is kept.
  std::vector<FirstNonZeroPowers::Cell>& matchOnes = workspace.matchOnes;
  matchOnes.resize(size);
  for (std::size_t i = 0; i < size; ++i) {
    const Pair& pair = half.pairs[i];
    matchOnes[i] = {positionOf(cycleLabel[static_cast<std::size_t>(pair.row)]),
                    positionOf(cycleLabel[size + static_cast<std::size_t>(pair.col)])};
  }

  if (firstCount / 2 == m) return statusVerdict(half, out);

  const std::int32_t walkedReds = firstCount / 2;
  const std::int32_t limit = m - m % 2;
  bool allOnes = true;
  std::int32_t k = 1;
  FirstNonZeroPowers& powers = workspace.powers;
  powers.reset(m, matchOnes);
  while (k < limit) {
    powers.multiply();
    allOnes = powers.diagonalAllOnes();
    if (allOnes && k < walkedReds) break;
    ++k;
  }
  out << "b^" << k + 1 << text::kPowerStop;
  if (!allOnes) {
    out << text::kNotH;
    return HamiltonVerdict::NotH;
  }
  return statusVerdict(half, out);
}

}  // namespace bicubic
