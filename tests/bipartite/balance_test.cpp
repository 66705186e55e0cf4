// checkBalance after the driver's colouring: the colour lists, their degrees and the status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bipartite/balance.h"
#include "bipartite/two_colour.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::PrintTo;

using testing::Rows;
using testing::rowsFromEdges;

std::vector<std::int32_t> degreesOf(const std::vector<Vertex>& records, char colour) {
  std::vector<std::int32_t> degrees;
  for (const Vertex& v : records) {
    EXPECT_EQ(v.colour, colour);
    degrees.push_back(v.degree);
  }
  return degrees;
}

struct BalanceCase {
  const char* name;
  Rows rows;
  std::int32_t status;
  std::vector<std::int32_t> redDegrees;
  std::vector<std::int32_t> blueDegrees;
};

class Balance : public ::testing::TestWithParam<BalanceCase> {};

TEST_P(Balance, ListsAndStatus) {
  const BalanceCase& c = GetParam();
  Graph graph = testing::graphFromRows(c.rows);
  ASSERT_TRUE(twoColour(graph, 0, kRed));
  EXPECT_EQ(checkBalance(graph), c.status > 0);
  EXPECT_EQ(graph.status, c.status);
  EXPECT_EQ(graph.getStatus(), c.status);
  EXPECT_EQ(degreesOf(graph.redVertices, kRed), c.redDegrees);
  EXPECT_EQ(degreesOf(graph.blueVertices, kBlue), c.blueDegrees);
}

const std::vector<testing::Edge> kK33 = {{0, 3}, {0, 4}, {0, 5}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}};
const std::vector<testing::Edge> kCube = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                          {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};

std::vector<testing::Edge> shifted(const std::vector<testing::Edge>& edges, std::int32_t by) {
  std::vector<testing::Edge> result;
  for (auto [a, b] : edges) result.emplace_back(a + by, b + by);
  return result;
}

std::vector<testing::Edge> joined(std::vector<testing::Edge> a, const std::vector<testing::Edge>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

using testing::withEntries;

INSTANTIATE_TEST_SUITE_P(
    Graphs, Balance,
    ::testing::Values(
        BalanceCase{"k33", rowsFromEdges(6, kK33), 2, {3, 3, 3}, {3, 3, 3}},
        BalanceCase{"fourCycle", rowsFromEdges(4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}), 1, {2, 2}, {2, 2}},
        BalanceCase{"path", rowsFromEdges(3, {{0, 1}, {1, 2}}), 0, {1, 1}, {2}},
        BalanceCase{"singleVertex", {{0}}, 0, {0}, {}},
        BalanceCase{"cube", rowsFromEdges(8, kCube), 2, {3, 3, 3, 3}, {3, 3, 3, 3}},
        // Only the component of vertex 0 is coloured, so only it is counted.
        BalanceCase{"twoFourCycles",
                    rowsFromEdges(8, joined({{0, 1}, {1, 2}, {2, 3}, {3, 0}}, {{4, 5}, {5, 6}, {6, 7}, {7, 4}})), 1,
                    {2, 2}, {2, 2}},
        BalanceCase{"twoK33", rowsFromEdges(12, joined(kK33, shifted(kK33, 6))), 2, {3, 3, 3}, {3, 3, 3}},
        // A diagonal entry is a degree but not a neighbour.
        BalanceCase{"diagonalOne", withEntries(rowsFromEdges(6, kK33), {{0, 0, 1}}), 1, {4, 3, 3}, {3, 3, 3}},
        // Every non-zero value counts once, whatever it is.
        BalanceCase{"entryTwo", withEntries(rowsFromEdges(6, kK33), {{0, 3, 2}, {3, 0, 2}}), 2, {3, 3, 3}, {3, 3, 3}},
        BalanceCase{"negativeEntry", withEntries(rowsFromEdges(6, kK33), {{1, 1, -5}}), 1, {3, 4, 3}, {3, 3, 3}},
        // Non-neighbour entries toward uncoloured vertices still count toward the degree.
        BalanceCase{"entryTowardUncoloured", withEntries(rowsFromEdges(5, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}), {{0, 4, 2}}),
                    1, {3, 2}, {2, 2}},
        // Balanced sides with one vertex of degree 2 and the rest of degree 3.
        BalanceCase{"k33MinusEdge",
                    rowsFromEdges(6, {{0, 3}, {0, 4}, {0, 5}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}}), 1,
                    {3, 3, 2}, {3, 3, 2}}),
    [](const ::testing::TestParamInfo<BalanceCase>& info) { return std::string(info.param.name); });

TEST(Balance, LeavesTheColoursAsTheyWere) {
  Graph graph = testing::graphFromEdges(8, kCube);
  ASSERT_TRUE(twoColour(graph, 0, kRed));
  std::string before;
  for (const Vertex& v : graph.vertices) before += v.colour;
  ASSERT_TRUE(checkBalance(graph));
  std::string after;
  for (const Vertex& v : graph.vertices) after += v.colour;
  EXPECT_EQ(after, before);
  EXPECT_EQ(after, "rbrbbrbr");
}

TEST(GetEdge, ReadsOneEntryWithoutMirroring) {
  Graph graph(3);
  graph.setEdge(1, 2, 7);
  EXPECT_EQ(graph.getEdge(1, 2), 7);
  EXPECT_EQ(graph.getEdge(2, 1), 0);
}

}  // namespace
}  // namespace bicubic
