// The half graph: its biadjacency rows for coloured and balanced graphs, the exact bytes of
// its table, the edge setter and the parent status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bipartite/balance.h"
#include "bipartite/half_graph.h"
#include "bipartite/two_colour.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::PrintTo;

using testing::Rows;
using testing::rowsFromEdges;

using testing::matrixOf;

const std::string kZero(1, '\0');

// The table the printout should give for a half graph with these rows: header, one line per
// row with the zero colour byte, and an empty line.
std::string tableOf(const Rows& rows) {
  std::string text;
  for (std::size_t c = 0; c < rows.size(); ++c) text.append("\tv").append(std::to_string(c + 1));
  text += '\n';
  for (std::size_t r = 0; r < rows.size(); ++r) {
    text.append("v").append(std::to_string(r + 1)).append(":").append(kZero).append("\t");
    for (std::int32_t value : rows[r]) text.append(std::to_string(value)).append("\t");
    text += '\n';
  }
  return text + "\n";
}

struct HalfCase {
  const char* name;
  Rows source;
  Rows half;
};

class BuildHalfGraph : public ::testing::TestWithParam<HalfCase> {};

TEST_P(BuildHalfGraph, CopiesTheRedByBlueBlockAndPrintsIt) {
  const HalfCase& c = GetParam();
  Graph graph = testing::graphFromRows(c.source);
  ASSERT_TRUE(twoColour(graph, 0, kRed));
  ASSERT_TRUE(checkBalance(graph));
  const Rows sourceBefore = matrixOf(graph);

  OutputSink out;
  std::unique_ptr<HalfGraph> half = buildHalfGraph(graph, out);
  ASSERT_NE(half, nullptr);
  EXPECT_EQ(half->m, static_cast<std::int32_t>(c.half.size()));
  EXPECT_EQ(half->nCities, half->m);
  EXPECT_EQ(matrixOf(*half), c.half);
  EXPECT_EQ(half->getParentStatus(), -1);
  EXPECT_EQ(out.captured(), tableOf(c.half));
  EXPECT_EQ(matrixOf(graph), sourceBefore);
}

const std::vector<testing::Edge> kK33 = {{0, 3}, {0, 4}, {0, 5}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}};
const std::vector<testing::Edge> kFourCycle = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};

using testing::withEntries;

INSTANTIATE_TEST_SUITE_P(
    Graphs, BuildHalfGraph,
    ::testing::Values(
        HalfCase{"k33", rowsFromEdges(6, kK33), {{1, 1, 1}, {1, 1, 1}, {1, 1, 1}}},
        // Red 0, 2, 5, 7 and blue 1, 3, 4, 6.
        HalfCase{"cube",
                 rowsFromEdges(8, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}}),
                 {{1, 1, 1, 0}, {1, 1, 0, 1}, {1, 0, 1, 1}, {0, 1, 1, 1}}},
        // Vertices the colouring never reached give neither a row nor a column.
        HalfCase{"fourCycleAndTwoIsolated", rowsFromEdges(6, kFourCycle), {{1, 1, 0}, {1, 1, 0}, {0, 0, 0}}},
        HalfCase{"fourCycleAndOneIsolated", rowsFromEdges(5, kFourCycle), {{1, 1}, {1, 1}}},
        HalfCase{"fourCycle", rowsFromEdges(4, kFourCycle), {{1, 1}, {1, 1}}},
        // Entries are copied whatever their value.
        HalfCase{"entriesOfTwo", withEntries(rowsFromEdges(6, kK33), {{0, 3, 2}, {3, 0, 2}}),
                 {{2, 1, 1}, {1, 1, 1}, {1, 1, 1}}},
        // Rows take the red vertex's own row, so a blue row's entries play no part even
        // where the matrix is not symmetric.
        HalfCase{"asymmetric", withEntries(rowsFromEdges(4, kFourCycle), {{1, 0, 0}, {2, 3, -4}}),
                 {{1, 1}, {1, -4}}},
        // Red 0, 2 and blue 1, 3 interleaved with an isolated vertex 4 and a pendant 5 off 4.
        HalfCase{"uncolouredInTheMiddle",
                 withEntries(rowsFromEdges(6, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}}), {{0, 4, 9}, {4, 0, 9}}),
                 {{1, 1, 0}, {1, 1, 0}, {0, 0, 0}}}),
    [](const ::testing::TestParamInfo<HalfCase>& info) { return std::string(info.param.name); });

TEST(PrintAdjacency, TwoByTwoExactBytes) {
  HalfGraph half(2);
  half.setEdge(0, 0, 1);
  half.setEdge(1, 0, 1);
  half.setEdge(1, 1, 1);
  OutputSink out;
  printAdjacency(half, out);
  const std::string expected = std::string("\tv1\tv2\n") + "v1:" + kZero + "\t1\t0\t\n" + "v2:" + kZero +
                               "\t1\t1\t\n" + "\n";
  EXPECT_EQ(out.captured(), expected);
}

TEST(PrintAdjacency, ShowsColoursAndSignedValues) {
  Graph graph = testing::graphFromRows({{0, -3, 12}, {1, 0, 0}, {0, 0, 0}});
  graph.vertices[0].colour = kRed;
  graph.vertices[1].colour = kBlue;
  OutputSink out;
  printAdjacency(graph, out);
  const std::string expected = std::string("\tv1\tv2\tv3\n") + "v1:r\t0\t-3\t12\t\n" + "v2:b\t1\t0\t0\t\n" + "v3:" +
                               kZero + "\t0\t0\t0\t\n" + "\n";
  EXPECT_EQ(out.captured(), expected);
}

TEST(PrintAdjacency, UsesTheLabelsItHolds) {
  Graph graph(2);
  graph.rowLabels = {10, 20};
  graph.colLabels = {7, 8};
  OutputSink out;
  printAdjacency(graph, out);
  EXPECT_EQ(out.captured(), "\tv7\tv8\nv10:" + kZero + "\t0\t0\t\nv20:" + kZero + "\t0\t0\t\n\n");
}

TEST(SetEdge, ChangesOneEntryOnly) {
  HalfGraph half(2);
  half.setEdge(1, 0, 5);
  EXPECT_EQ(matrixOf(half), (Rows{{0, 0}, {5, 0}}));
}

TEST(HalfGraph, ParentStatusIsMinusOneUntilSet) {
  HalfGraph half(3);
  EXPECT_EQ(half.getParentStatus(), -1);
  EXPECT_EQ(half.m, 3);
  EXPECT_EQ(half.nCities, 3);
  EXPECT_EQ(half.rowLabels, (std::vector<std::int32_t>{1, 2, 3}));
  half.setParentStatus(2);
  EXPECT_EQ(half.getParentStatus(), 2);
}

}  // namespace
}  // namespace bicubic
