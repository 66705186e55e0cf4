#include "oracle/literal_assignment.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "assignment/assignment.h"

namespace bicubic::literal {

namespace {

constexpr std::int8_t kStar = 1;
constexpr std::int8_t kPrime = 2;

struct Solver {
  Graph& graph;
  std::size_t n;
  std::vector<std::int64_t> cost;
  std::vector<std::int8_t> mark;
  std::vector<std::int8_t> rowCover;
  std::vector<std::int8_t> colCover;
  std::int64_t bound = 0;
  std::size_t pathRow0 = 0;
  std::size_t pathCol0 = 0;

  std::int64_t& at(std::size_t r, std::size_t c) { return cost[r * n + c]; }
  std::int8_t& markAt(std::size_t r, std::size_t c) { return mark[r * n + c]; }

  static std::int64_t largestEntry(const std::vector<std::int64_t>& values) {
    std::int64_t largest = 0;
    for (std::int64_t v : values) {
      if (v > largest) largest = v;
    }
    return largest;
  }

  void clearCovers() {
    std::fill(rowCover.begin(), rowCover.end(), 0);
    std::fill(colCover.begin(), colCover.end(), 0);
  }

  int reduceRows() {
    for (std::size_t r = 0; r < n; ++r) {
      std::int64_t smallest = at(r, 0);
      for (std::size_t c = 1; c < n; ++c) {
        if (at(r, c) < smallest) smallest = at(r, c);
      }
      for (std::size_t c = 0; c < n; ++c) at(r, c) -= smallest;
    }
    return 2;
  }

  int starZeros() {
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t c = 0; c < n; ++c) {
        if (at(r, c) == 0 && colCover[c] == 0 && rowCover[r] == 0) {
          markAt(r, c) = kStar;
          rowCover[r] = 1;
          colCover[c] = 1;
        }
      }
    }
    clearCovers();
    return 3;
  }

  int coverStarredColumns() {
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t c = 0; c < n; ++c) {
        if (markAt(r, c) == kStar) colCover[c] = 1;
      }
    }
    std::size_t covered = 0;
    for (std::size_t c = 0; c < n; ++c) covered += static_cast<std::size_t>(colCover[c]);
    return covered >= n ? 7 : 4;
  }

  // The first row with an uncovered zero, and in it the last such column; row -1 when none.
  bool findUncoveredZero(std::size_t& row, std::size_t& col) {
    for (std::size_t r = 0; r < n; ++r) {
      if (rowCover[r] != 0) continue;
      bool found = false;
      for (std::size_t c = 0; c < n; ++c) {
        if (at(r, c) == 0 && colCover[c] == 0) {
          col = c;
          found = true;
        }
      }
      if (found) {
        row = r;
        return true;
      }
    }
    return false;
  }

  int primeZeros() {
    for (;;) {
      std::size_t r = 0;
      std::size_t c = 0;
      if (!findUncoveredZero(r, c)) return 6;
      markAt(r, c) = kPrime;
      std::size_t starColumn = n;
      for (std::size_t j = 0; j < n; ++j) {
        if (markAt(r, j) == kStar) starColumn = j;
      }
      if (starColumn == n) {
        pathRow0 = r;
        pathCol0 = c;
        return 5;
      }
      rowCover[r] = 1;
      colCover[starColumn] = 0;
    }
  }

  std::int64_t findStarInColumn(std::size_t c) {
    std::int64_t row = -1;
    for (std::size_t r = 0; r < n; ++r) {
      if (markAt(r, c) == kStar) row = static_cast<std::int64_t>(r);
    }
    return row;
  }

  std::int64_t findPrimeInRow(std::size_t r) {
    std::int64_t col = -1;
    for (std::size_t c = 0; c < n; ++c) {
      if (markAt(r, c) == kPrime) col = static_cast<std::int64_t>(c);
    }
    return col;
  }

  int augmentPath() {
    std::vector<std::int32_t>& path = graph.path;
    std::size_t last = 0;
    path[0] = static_cast<std::int32_t>(pathRow0);
    path[1] = static_cast<std::int32_t>(pathCol0);
    for (;;) {
      std::int64_t starRow = findStarInColumn(static_cast<std::size_t>(path[2 * last + 1]));
      if (starRow < 0) break;
      ++last;
      path[2 * last] = static_cast<std::int32_t>(starRow);
      path[2 * last + 1] = path[2 * last - 1];
      std::int64_t primeCol = findPrimeInRow(static_cast<std::size_t>(starRow));
      ++last;
      path[2 * last] = static_cast<std::int32_t>(starRow);
      path[2 * last + 1] = static_cast<std::int32_t>(primeCol);
    }
    for (std::size_t k = 0; k <= last; ++k) {
      std::int8_t& cell = markAt(static_cast<std::size_t>(path[2 * k]), static_cast<std::size_t>(path[2 * k + 1]));
      cell = cell == kStar ? 0 : kStar;
    }
    clearCovers();
    for (std::int8_t& cell : mark) {
      if (cell == kPrime) cell = 0;
    }
    return 3;
  }

  int adjustCosts() {
    // A bound of 0 would make the amount 0 and the method loop for ever; then the smallest
    // uncovered cost is the amount.
    std::int64_t amount = bound > 0 ? bound : std::numeric_limits<std::int64_t>::max();
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t c = 0; c < n; ++c) {
        if (rowCover[r] == 0 && colCover[c] == 0 && at(r, c) < amount) amount = at(r, c);
      }
    }
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t c = 0; c < n; ++c) {
        if (rowCover[r] == 1) at(r, c) += amount;
        if (colCover[c] == 0) at(r, c) -= amount;
      }
    }
    return 4;
  }
};

}  // namespace

void solveAssignment(Graph& graph, std::string mode, OutputSink& out) {
  const auto n = static_cast<std::size_t>(graph.nCities);
  Solver solver{graph, n, {}, {}, {}, {}, 0, 0, 0};
  solver.cost.assign(graph.adjacency_matrix.begin(), graph.adjacency_matrix.begin() + static_cast<std::ptrdiff_t>(n * n));
  if (mode == "max") {
    const std::int64_t largest = Solver::largestEntry(solver.cost);
    for (std::int64_t& e : solver.cost) e = largest - e;
  }
  solver.bound = Solver::largestEntry(solver.cost);
  solver.mark.assign(n * n, 0);
  solver.rowCover.assign(n, 0);
  solver.colCover.assign(n, 0);
  if (graph.path.size() < pathStoreSize(graph.nCities)) graph.path.resize(pathStoreSize(graph.nCities));

  int step = 1;
  while (step != 7) {
    switch (step) {
      case 1: step = solver.reduceRows(); break;
      case 2: step = solver.starZeros(); break;
      case 3: step = solver.coverStarredColumns(); break;
      case 4: step = solver.primeZeros(); break;
      case 5: step = solver.augmentPath(); break;
      default: step = solver.adjustCosts(); break;
    }
  }

  std::vector<std::int32_t> starColumnOfRow(n, 0);
  for (std::size_t r = 0; r < n; ++r) {
    for (std::size_t c = 0; c < n; ++c) {
      if (solver.markAt(r, c) == kStar) starColumnOfRow[r] = static_cast<std::int32_t>(c);
    }
  }
  recordAndReport(graph, starColumnOfRow, mode, out);
}

}  // namespace bicubic::literal
