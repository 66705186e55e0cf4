// decideHamiltonian on half graphs built directly: the pairs the solver leaves, everything the
// decision prints after the solver's report, and what it leaves in the half graph. Also the
// power tracker step by step against the Matrix product it stands in for.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "hamilton/decision.h"
#include "hamilton/matrix.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::PrintTo;

using testing::Rows;
using PairList = std::vector<std::pair<std::int32_t, std::int32_t>>;

const std::string kCount = "reoutput the data-------------=";
const std::string kBicubic = "\nBicubic is H\n";
const std::string kMaybe = "\nSince it is not Bicubic , so it may be H \n";
const std::string kNotH = "\nGraph is not H\n";

std::unique_ptr<HalfGraph> halfFromRows(const Rows& rows, std::int32_t status) {
  auto half = std::make_unique<HalfGraph>(static_cast<std::int32_t>(rows.size()));
  for (std::size_t r = 0; r < rows.size(); ++r) {
    for (std::size_t c = 0; c < rows.size(); ++c) {
      half->setEdge(static_cast<std::int32_t>(r), static_cast<std::int32_t>(c), rows[r][c]);
    }
  }
  half->setParentStatus(status);
  return half;
}

// The decision's own array lines for these pairs of a 0/1 matrix.
std::string arrayLines(const Rows& rows, const PairList& pairs) {
  std::string text;
  for (auto [r, c] : pairs) {
    text += "\narray(" + std::to_string(r + 1) + "," + std::to_string(c + 1) + ") =" + std::to_string(rows[r][c]);
  }
  return text;
}

PairList diagonal(std::int32_t m) {
  PairList pairs;
  for (std::int32_t i = 0; i < m; ++i) pairs.emplace_back(i, i);
  return pairs;
}

struct DecisionCase {
  const char* name;
  Rows rows;
  std::int32_t status;
  PairList pairs;       // what the solver leaves in the pair table
  std::string counts;   // the count lines and the power line, if any
  std::string verdict;
  HamiltonVerdict returned;
};

class Decision : public ::testing::TestWithParam<DecisionCase> {};

TEST_P(Decision, PrintsArrayLinesCountsPowerAndVerdict) {
  const DecisionCase& c = GetParam();
  auto half = halfFromRows(c.rows, c.status);
  OutputSink out;
  const HamiltonVerdict verdict = decideHamiltonian(*half, out);
  const std::string& text = out.captured();

  // The solver's report ends with the total line; the decision's output follows it.
  const std::size_t total = text.find("The max is:");
  ASSERT_NE(total, std::string::npos) << text;
  const std::size_t reportEnd = text.find('\n', total);
  ASSERT_NE(reportEnd, std::string::npos);
  const std::string after = text.substr(reportEnd + 1);

  PairList pairs;
  for (std::size_t i = 0; i < c.rows.size(); ++i) pairs.emplace_back(half->pairs[i].row, half->pairs[i].col);
  EXPECT_EQ(pairs, c.pairs);
  EXPECT_EQ(after, arrayLines(c.rows, c.pairs) + c.counts + c.verdict);
  EXPECT_EQ(verdict, c.returned);

  // The matched edges are gone and every other entry is as it was.
  Rows expected = c.rows;
  for (auto [r, col] : c.pairs) expected[r][col] = 0;
  for (std::size_t r = 0; r < c.rows.size(); ++r) {
    for (std::size_t col = 0; col < c.rows.size(); ++col) {
      EXPECT_EQ(half->getEdge(static_cast<std::int32_t>(r), static_cast<std::int32_t>(col)), expected[r][col])
          << r << "," << col;
    }
  }
}

Rows blocks(const Rows& block, std::size_t copies) {
  const std::size_t k = block.size();
  Rows rows(k * copies, std::vector<std::int32_t>(k * copies, 0));
  for (std::size_t b = 0; b < copies; ++b) {
    for (std::size_t r = 0; r < k; ++r) {
      for (std::size_t c = 0; c < k; ++c) rows[b * k + r][b * k + c] = block[r][c];
    }
  }
  return rows;
}

const Rows kCubeHalf = {{1, 1, 1, 0}, {1, 1, 0, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}};
const Rows kOnes3 = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
const Rows kFiveCycle = {{0, 1, 1, 0, 1}, {1, 0, 0, 1, 1}, {1, 1, 1, 0, 0}, {0, 0, 1, 1, 1}, {1, 1, 0, 1, 0}};
const PairList kFiveCyclePairs = {{0, 1}, {1, 0}, {2, 2}, {3, 4}, {4, 3}};
const Rows kFourCycleMatching = {{0, 1, 1, 1}, {1, 0, 1, 1}, {1, 1, 1, 0}, {1, 1, 0, 1}};
const PairList kFourCyclePairs = {{0, 1}, {1, 0}, {2, 2}, {3, 3}};
// Without the matching, the first walk r0 c1 r2 c0 r1 reaches every red vertex but not c2.
const Rows kPathLeft = {{1, 1, 0}, {1, 1, 0}, {1, 1, 1}};

std::string counts(std::initializer_list<int> values) {
  std::string text;
  for (int v : values) text += kCount + std::to_string(v) + "\n";
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Decision,
    ::testing::Values(
        DecisionCase{"singleEdge", {{1}}, 1, diagonal(1), counts({2}), kMaybe, HamiltonVerdict::MaybeH},
        DecisionCase{"singleEdgeCubic", {{1}}, 2, diagonal(1), counts({2}), kBicubic, HamiltonVerdict::BicubicH},
        // The six remaining edges form one cycle, so the first walk covers everything.
        DecisionCase{"allOnes3", kOnes3, 2, diagonal(3), counts({7}), kBicubic, HamiltonVerdict::BicubicH},
        // The second walk raises the count to 9 = 2m + 1, which ends the passes unprinted.
        DecisionCase{"cube", kCubeHalf, 2, diagonal(4), counts({5}) + "b^2 Stop ", kBicubic, HamiltonVerdict::BicubicH},
        DecisionCase{"twoCubes", blocks(kCubeHalf, 2), 2, diagonal(8), counts({5, 9, 13}) + "b^2 Stop ", kBicubic,
                     HamiltonVerdict::BicubicH},
        // The matching becomes two 3-cycles; their third power is the identity.
        DecisionCase{"twoTriangles", blocks(kOnes3, 2), 2, diagonal(6), counts({7}) + "b^3 Stop ", kBicubic,
                     HamiltonVerdict::BicubicH},
        // A single 5-cycle: no power up to the limit 4 has an all-ones diagonal.
        DecisionCase{"fiveCycle", kFiveCycle, 2, kFiveCyclePairs, counts({7}) + "b^5 Stop ", kNotH, HamiltonVerdict::NotH},
        DecisionCase{"fiveCycleNotCubic", kFiveCycle, 1, kFiveCyclePairs, counts({7}) + "b^5 Stop ", kNotH,
                     HamiltonVerdict::NotH},
        // The fourth power is the identity at k = 3, not below h = 2, so the loop runs out
        // with the flag of that last test still true.
        DecisionCase{"fourCycle", kFourCycleMatching, 2, kFourCyclePairs, counts({5}) + "b^5 Stop ", kBicubic,
                     HamiltonVerdict::BicubicH},
        DecisionCase{"fourCycleNotCubic", kFourCycleMatching, 1, kFourCyclePairs, counts({5}) + "b^5 Stop ", kMaybe,
                     HamiltonVerdict::MaybeH},
        // The half graph of the 4-cycle: two matched edges and two separate remaining ones.
        DecisionCase{"twoByTwoOnes", {{1, 1}, {1, 1}}, 1, diagonal(2), counts({3}) + "b^3 Stop ", kMaybe,
                     HamiltonVerdict::MaybeH},
        // No perfect matching: the pair (2,2) is not an edge and prints 0; unlabelled c1
        // takes position 0, so matchMatrix has an empty row.
        DecisionCase{"zeroPairEntry", {{1, 0}, {1, 0}}, 1, diagonal(2), counts({2}) + "b^3 Stop ", kNotH,
                     HamiltonVerdict::NotH},
        DecisionCase{"remainingEdgeIsAPath", {{1, 1}, {0, 1}}, 2, diagonal(2), counts({3}) + "b^3 Stop ", kNotH,
                     HamiltonVerdict::NotH},
        // The first walk labels every red vertex; the next start is blue c2, which labels
        // nothing, so the passes end and the verdict comes without a power line.
        DecisionCase{"nextStartIsBlue", kPathLeft, 2, diagonal(3), counts({6}), kBicubic, HamiltonVerdict::BicubicH},
        DecisionCase{"nextStartIsBlueNotCubic", kPathLeft, 1, diagonal(3), counts({6}), kMaybe, HamiltonVerdict::MaybeH}),
    [](const ::testing::TestParamInfo<DecisionCase>& info) { return std::string(info.param.name); });

TEST(Decision, PrintsTheSolverReportFirst) {
  auto half = halfFromRows(kCubeHalf, 2);
  OutputSink out;
  decideHamiltonian(*half, out);
  const std::string report = "array(1,1) = 1,5\narray(2,2) = 1,5\narray(3,3) = 1,5\narray(4,4) = 1,5\nThe max is:4\n";
  EXPECT_EQ(out.captured().substr(0, report.size()), report);
}

TEST(Decision, EntriesOtherThanOneArePrintedWithTheirValue) {
  // Every non-zero entry is an edge; the array line shows the value itself.
  auto half = halfFromRows({{3, 1, 1}, {1, 3, 1}, {1, 1, 3}}, 1);
  OutputSink out;
  decideHamiltonian(*half, out);
  const std::string& text = out.captured();
  const std::string after = text.substr(text.find('\n', text.find("The max is:")) + 1);
  EXPECT_EQ(after, "\narray(1,1) =3\narray(2,2) =3\narray(3,3) =3" + counts({7}) + kMaybe);
}

// The tracker must agree with repeated Matrix products at every step, on matrices given by
// their ones: permutations, rows with several ones, empty rows and repeated cells.
TEST(FirstNonZeroPowers, MatchesRepeatedBoolMultiply) {
  using Cell = FirstNonZeroPowers::Cell;
  std::mt19937 random(20261209);
  OutputSink ignored = OutputSink::discarding();
  for (int trial = 0; trial < 500; ++trial) {
    const std::int32_t m = 1 + static_cast<std::int32_t>(random() % 7);
    std::vector<Cell> ones;
    if (trial % 3 == 0) {
      // A permutation, the shape a perfect matching gives.
      std::vector<std::int32_t> order(static_cast<std::size_t>(m));
      for (std::int32_t i = 0; i < m; ++i) order[static_cast<std::size_t>(i)] = i;
      std::shuffle(order.begin(), order.end(), random);
      for (std::int32_t i = 0; i < m; ++i) ones.push_back({i, order[static_cast<std::size_t>(i)]});
    } else {
      // m cells at random, as unlabelled vertices give: repeats, empty rows, crowded rows.
      const auto cells = static_cast<std::size_t>(m) + random() % 3;
      for (std::size_t k = 0; k < cells; ++k) {
        ones.push_back({static_cast<std::int32_t>(random() % static_cast<unsigned>(m)),
                        static_cast<std::int32_t>(random() % static_cast<unsigned>(m))});
      }
    }
    std::vector<std::int32_t> values(static_cast<std::size_t>(m * m), 0);
    for (const Cell& one : ones) values[static_cast<std::size_t>(one.row * m + one.col)] = 1;

    Matrix power(values.data(), m, m, ignored);
    Matrix factor(values.data(), m, m, ignored);
    FirstNonZeroPowers tracker(m, ones);
    ASSERT_EQ(tracker.diagonalAllOnes(), power.diagonalEquals(1)) << "trial " << trial << " before any product";
    for (int step = 1; step <= 2 * m + 2; ++step) {
      power.boolMultiply(factor);
      tracker.multiply();
      ASSERT_EQ(tracker.diagonalAllOnes(), power.diagonalEquals(1))
          << "trial " << trial << " m " << m << " step " << step;
    }
  }
}

TEST(FirstNonZeroPowers, CyclicShiftReturnsToTheIdentityAtItsLength) {
  using Cell = FirstNonZeroPowers::Cell;
  const std::vector<Cell> shift = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}};
  FirstNonZeroPowers tracker(5, shift);
  std::string diagonals;
  for (int power = 2; power <= 11; ++power) {
    tracker.multiply();
    diagonals += tracker.diagonalAllOnes() ? '1' : '0';
  }
  // Powers 2..11: only 5 and 10 are the identity.
  EXPECT_EQ(diagonals, "0001000010");
}

TEST(FirstNonZeroPowers, EmptyMatrixNeverHasAnAllOnesDiagonal) {
  FirstNonZeroPowers tracker(0, {});
  EXPECT_FALSE(tracker.diagonalAllOnes());
  for (int step = 0; step < 3; ++step) {
    tracker.multiply();
    EXPECT_FALSE(tracker.diagonalAllOnes());
  }
}

}  // namespace
}  // namespace bicubic
