// The assignment solver's report on small matrices whose outcome is worked out by hand: pair
// lines with their labels, the total line, the mode rule, 32-bit extremes and minimising
// matrices without a positive entry.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "assignment/assignment.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::PrintTo;

using testing::Rows;

// Colours as a string: 'r', 'b', or '.' for uncoloured.
Graph colouredGraph(const Rows& rows, const std::string& colours) {
  Graph graph = testing::graphFromRows(rows);
  for (std::size_t i = 0; i < colours.size(); ++i) graph.vertices[i].colour = colours[i] == '.' ? 0 : colours[i];
  return graph;
}

std::string solve(Graph& graph, const std::string& mode) {
  OutputSink out;
  solveAssignment(graph, mode, out);
  return out.captured();
}

struct SolverCase {
  const char* name;
  Rows rows;
  std::string colours;
  std::string mode;
  std::string report;
};

class SolverCases : public ::testing::TestWithParam<SolverCase> {};

TEST_P(SolverCases, ReportAndPairTable) {
  const SolverCase& c = GetParam();
  Graph graph = colouredGraph(c.rows, c.colours);
  EXPECT_EQ(solve(graph, c.mode), c.report);

  // The pair table holds what the report shows: row r, a permutation of columns, labels.
  std::string fromTable;
  for (std::int32_t r = 0; r < graph.nCities; ++r) {
    const Pair& pair = graph.pairs[static_cast<std::size_t>(r)];
    EXPECT_EQ(pair.row, r);
    fromTable += "array(" + std::to_string(pair.row + 1) + "," + std::to_string(pair.col + 1) + ") = " +
                 std::to_string(c.rows[pair.row][pair.col]) + "," + std::to_string(pair.label) + "\n";
  }
  EXPECT_EQ(fromTable, c.report.substr(0, c.report.rfind("The ")));
  EXPECT_EQ(graph.adjacency_matrix, testing::graphFromRows(c.rows).adjacency_matrix) << "matrix must not change";
}

const Rows kWeighted = {{1, 2, 3}, {2, 4, 6}, {3, 6, 9}};
const std::string kWeightedMin = "array(1,3) = 3,1\narray(2,2) = 4,5\narray(3,1) = 3,2\n";

Rows cubeByBits() {
  Rows rows(8, std::vector<std::int32_t>(8, 0));
  for (int v = 0; v < 8; ++v) {
    for (int bit : {1, 2, 4}) rows[v][v ^ bit] = 1;
  }
  return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SolverCases,
    ::testing::Values(
        SolverCase{"oneBlue", {{5}}, "b", "max", "array(1,1) = 5,2\nThe max is:5\n"},
        SolverCase{"oneRed", {{-3}}, "r", "max", "array(1,1) = -3,1\nThe max is:-3\n"},
        SolverCase{"zerosRed", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, "rrr", "max",
                   "array(1,1) = 0,1\narray(2,2) = 0,2\narray(3,3) = 0,3\nThe max is:0\n"},
        SolverCase{"onesUncoloured", {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}, "...", "max",
                   "array(1,1) = 1,4\narray(2,2) = 1,4\narray(3,3) = 1,4\nThe max is:3\n"},
        // Row 3 gets no star in step 2; the path (3,1), (2,1), (2,3) completes it.
        SolverCase{"augmentingPath", {{0, 1, 1}, {1, 1, 1}, {1, 0, 0}}, "rbr", "max",
                   "array(1,2) = 1,1\narray(2,3) = 1,5\narray(3,1) = 1,2\nThe max is:3\n"},
        SolverCase{"weightedMax", kWeighted, "rbr", "max",
                   "array(1,1) = 1,1\narray(2,2) = 4,5\narray(3,3) = 9,2\nThe max is:14\n"},
        SolverCase{"weightedMin", kWeighted, "rbr", "min", kWeightedMin + "The min is:10\n"},
        // Only the exact text "max" maximises.
        SolverCase{"capitalMaxMinimises", kWeighted, "rbr", "Max", kWeightedMin + "The Max is:10\n"},
        SolverCase{"trailingBlankMinimises", kWeighted, "rbr", "max ", kWeightedMin + "The max  is:10\n"},
        SolverCase{"emptyModeMinimises", kWeighted, "rbr", "", kWeightedMin + "The  is:10\n"},
        SolverCase{"cube", cubeByBits(), "rbbrbrrb", "max",
                   "array(1,2) = 1,1\narray(2,1) = 1,10\narray(3,4) = 1,10\narray(4,3) = 1,2\n"
                   "array(5,6) = 1,11\narray(6,5) = 1,3\narray(7,8) = 1,4\narray(8,7) = 1,13\nThe max is:8\n"},
        // Totals and transformed costs go past 32 bits without wrapping.
        SolverCase{"extremesMax", {{INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MAX}}, "..", "max",
                   "array(1,1) = 2147483647,3\narray(2,2) = 2147483647,3\nThe max is:4294967294\n"},
        SolverCase{"extremesMin", {{INT32_MAX, INT32_MIN}, {INT32_MIN, INT32_MAX}}, "..", "min",
                   "array(1,2) = -2147483648,3\narray(2,1) = -2147483648,3\nThe min is:-4294967296\n"},
        SolverCase{"largestEverywhere", {{INT32_MAX, INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MAX, INT32_MAX}, {INT32_MAX, INT32_MAX, INT32_MAX}},
                   "rbr", "max",
                   "array(1,1) = 2147483647,1\narray(2,2) = 2147483647,5\narray(3,3) = 2147483647,2\n"
                   "The max is:6442450941\n"},
        // The cheap diagonal is avoided when maximising: the best is the anti-diagonal.
        SolverCase{"maxAvoidsSmallest", {{INT32_MIN, 0}, {0, INT32_MIN}}, "rb", "max",
                   "array(1,2) = 0,1\narray(2,1) = 0,4\nThe max is:0\n"},
        // Minimising with no positive entry: step 2 stars the diagonal of zeros at once...
        SolverCase{"minAllZero", {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}, "...", "min",
                   "array(1,1) = 0,4\narray(2,2) = 0,4\narray(3,3) = 0,4\nThe min is:0\n"},
        // ...and a negative matrix reaches step 6 with a bound of 0, where the smallest
        // uncovered cost (1) is the amount and a new zero appears at (2,1).
        SolverCase{"minAllNegative", {{-1, -5}, {-2, -3}}, "..", "min",
                   "array(1,2) = -5,3\narray(2,1) = -2,3\nThe min is:-7\n"},
        SolverCase{"minAllNegativeTie", {{-1, -2}, {-3, -4}}, "rr", "min",
                   "array(1,1) = -1,1\narray(2,2) = -4,2\nThe min is:-5\n"}),
    [](const ::testing::TestParamInfo<SolverCase>& info) { return std::string(info.param.name); });

TEST(SolveAssignment, LeavesPairEntriesBeyondNAlone) {
  Graph graph = colouredGraph({{0, 1}, {1, 0}}, "rb");
  graph.pairs[2] = Pair{77, 78, 79};
  graph.pairs[kPairTableSize - 1] = Pair{1, 2, 3};
  solve(graph, "max");
  EXPECT_EQ(graph.pairs[2].row, 77);
  EXPECT_EQ(graph.pairs[2].col, 78);
  EXPECT_EQ(graph.pairs[2].label, 79);
  EXPECT_EQ(graph.pairs[kPairTableSize - 1].label, 3);
}

TEST(SolveAssignment, SecondCallStartsAfresh) {
  Graph graph = colouredGraph(kWeighted, "rbr");
  const std::string first = solve(graph, "max");
  EXPECT_EQ(solve(graph, "max"), first);
  EXPECT_EQ(solve(graph, "min"), kWeightedMin + "The min is:10\n");
}

std::int64_t bestTotal(const Rows& rows, bool maximise) {
  std::vector<int> order(rows.size());
  std::iota(order.begin(), order.end(), 0);
  std::int64_t best = maximise ? LLONG_MIN : LLONG_MAX;
  do {
    std::int64_t total = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) total += rows[r][static_cast<std::size_t>(order[r])];
    best = maximise ? std::max(best, total) : std::min(best, total);
  } while (std::next_permutation(order.begin(), order.end()));
  return best;
}

// Minimising matrices without a positive entry must end, in a child process under an alarm so
// a loop that never ends fails the test instead of hanging it, with an optimal permutation.
TEST(SolveAssignmentDeathTest, MinimisingNonPositiveMatricesTerminatesOptimally) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        ::alarm(20);
        std::mt19937 random(99);
        for (int trial = 0; trial < 200; ++trial) {
          const std::size_t n = 1 + random() % 6;
          Rows rows(n, std::vector<std::int32_t>(n));
          for (auto& row : rows) {
            for (auto& v : row) v = -static_cast<std::int32_t>(random() % (trial % 2 == 0 ? 4 : 1000));
          }
          Graph graph = testing::graphFromRows(rows);
          OutputSink out;
          solveAssignment(graph, "min", out);
          std::vector<bool> used(n, false);
          std::int64_t total = 0;
          for (std::size_t r = 0; r < n; ++r) {
            const auto col = static_cast<std::size_t>(graph.pairs[r].col);
            if (col >= n || used[col]) std::exit(2);
            used[col] = true;
            total += rows[r][col];
          }
          if (total != bestTotal(rows, false)) std::exit(3);
          if (out.captured().find("The min is:" + std::to_string(total) + "\n") == std::string::npos) std::exit(4);
        }
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(SolveAssignment, MaximisingRandomMatricesIsOptimal) {
  std::mt19937 random(5);
  for (int trial = 0; trial < 300; ++trial) {
    const std::size_t n = 1 + random() % 6;
    Rows rows(n, std::vector<std::int32_t>(n));
    for (auto& row : rows) {
      for (auto& v : row) v = static_cast<std::int32_t>(random() % 7) - 2;
    }
    Graph graph = testing::graphFromRows(rows);
    OutputSink out;
    solveAssignment(graph, "max", out);
    std::vector<bool> used(n, false);
    std::int64_t total = 0;
    for (std::size_t r = 0; r < n; ++r) {
      const auto col = static_cast<std::size_t>(graph.pairs[r].col);
      ASSERT_LT(col, n);
      ASSERT_FALSE(used[col]) << "column chosen twice";
      used[col] = true;
      total += rows[r][col];
    }
    EXPECT_EQ(total, bestTotal(rows, true)) << "trial " << trial;
  }
}

}  // namespace
}  // namespace bicubic
