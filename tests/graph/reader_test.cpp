// readGraph on real files: the messages and results of every way a file can be wrong, the
// layouts that must read alike, and the state a successful read leaves behind.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "graph/graph.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::PrintTo;

using testing::Rows;
using testing::writeScratchFile;

struct ReadOutcome {
  bool ok = false;
  std::string printed;
};

ReadOutcome readInto(Graph& graph, const std::string& path) {
  OutputSink out;
  ReadOutcome outcome;
  outcome.ok = graph.readGraph(path.c_str(), out);
  outcome.printed = out.captured();
  return outcome;
}

using testing::matrixOf;

TEST(ReadGraph, MissingFileNamesThePathWithNoBlankBeforeNot) {
  const std::string path = testing::scratchDirectory() + "/no-such-graph.txt";
  Graph graph;
  ReadOutcome outcome = readInto(graph, path);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.printed, "open file " + path + "not correctly\n");
  EXPECT_EQ(graph.nCities, -1);
}

TEST(ReadGraph, DirectoryCountsAsAFileThatCannotBeOpened) {
  const std::string path = testing::scratchDirectory();
  Graph graph;
  ReadOutcome outcome = readInto(graph, path);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.printed, "open file " + path + "not correctly\n");
}

struct CountCase {
  const char* name;
  const char* text;
  const char* shown;  // the value printed after "nCities= "
};

class RejectedCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(RejectedCount, PrintsTheValueAndTheRange) {
  const CountCase& c = GetParam();
  const std::string path = writeScratchFile(std::string("count-") + c.name + ".txt", c.text);
  Graph graph;
  ReadOutcome outcome = readInto(graph, path);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.printed, std::string("nCities= ") + c.shown + "  must be in[1,4999]\n");
  EXPECT_EQ(std::to_string(graph.nCities), c.shown);
  EXPECT_TRUE(graph.adjacency_matrix.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Counts, RejectedCount,
    ::testing::Values(CountCase{"empty", "", "-1"}, CountCase{"blanks", " \n\t\n", "-1"},
                      CountCase{"word", "four\n0 1\n1 0\n", "-1"}, CountCase{"lonesign", "- 3\n", "-1"},
                      CountCase{"zero", "0\n", "0"}, CountCase{"negative", "-1\n0\n", "-1"},
                      CountCase{"minus7", "-7 0 0", "-7"}, CountCase{"fivethousand", "5000\n0\n", "5000"},
                      CountCase{"huge", "2147483647\n", "2147483647"},
                      // Beyond 32 bits the count is not an integer at all, so -1 stays.
                      CountCase{"overflow", "99999999999\n1\n0\n", "-1"}),
    [](const ::testing::TestParamInfo<CountCase>& info) { return std::string(info.param.name); });

TEST(ReadGraph, CountOfOneWithOneValueIsRead) {
  const std::string path = writeScratchFile("one.txt", "1\n0\n");
  Graph graph;
  ReadOutcome outcome = readInto(graph, path);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.printed, "graph " + path + " input finish \n");
  EXPECT_EQ(graph.nCities, 1);
  EXPECT_EQ(matrixOf(graph), (Rows{{0}}));
}

TEST(ReadGraph, LargestCountIsAccepted) {
  // 4999 passes the range check; the file then ends before its first matrix value.
  const std::string path = writeScratchFile("largest.txt", "4999\n");
  Graph graph;
  ReadOutcome outcome = readInto(graph, path);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.printed, "graph " + path + " ends after 0 of 24990001 matrix values\n");
}

struct LayoutCase {
  const char* name;
  const char* text;
};

class Layout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, GivesTheSameMatrix) {
  const std::string path = writeScratchFile(std::string("layout-") + GetParam().name + ".txt", GetParam().text);
  Graph graph;
  ReadOutcome outcome = readInto(graph, path);
  ASSERT_TRUE(outcome.ok) << outcome.printed;
  EXPECT_EQ(graph.nCities, 3);
  EXPECT_EQ(matrixOf(graph), (Rows{{0, 1, 2}, {3, 4, 5}, {6, 7, 8}}));
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, Layout,
    ::testing::Values(LayoutCase{"rows", "3\n0 1 2\n3 4 5\n6 7 8\n"},
                      LayoutCase{"onePerLine", "3\n0\n1\n2\n3\n4\n5\n6\n7\n8\n"},
                      LayoutCase{"oneLine", "3 0 1 2 3 4 5 6 7 8"},
                      LayoutCase{"mixed", "  3\t0 1\n\n2 3\r\n4\t\t5 6\n7\v8\f"},
                      LayoutCase{"signs", "+3 +0 1 +2 3 4 5 6 7 +8\n"},
                      LayoutCase{"trailing", "3\n0 1 2\n3 4 5\n6 7 8\n9 9 9 junk -\n"}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(ReadGraph, ValuesAreStoredAsWritten) {
  const std::string path =
      writeScratchFile("values.txt", "3\n2 -1 0\n1 0 2147483647\n-2147483648 7 1\n");
  Graph graph;
  ASSERT_TRUE(readInto(graph, path).ok);
  EXPECT_EQ(matrixOf(graph), (Rows{{2, -1, 0}, {1, 0, INT32_MAX}, {INT32_MIN, 7, 1}}));
}

TEST(ReadGraph, LeavesLabelsColoursAndPairLabelsReset) {
  const std::string path = writeScratchFile("labels.txt", testing::matrixFileText(testing::rowsFromEdges(4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}})));
  Graph graph;
  ASSERT_TRUE(readInto(graph, path).ok);
  EXPECT_EQ(graph.rowLabels, (std::vector<std::int32_t>{1, 2, 3, 4}));
  EXPECT_EQ(graph.colLabels, (std::vector<std::int32_t>{1, 2, 3, 4}));
  ASSERT_EQ(graph.vertices.size(), 4u);
  for (const Vertex& v : graph.vertices) EXPECT_EQ(v.colour, 0);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(graph.pairs[i].label, -1) << i;
  EXPECT_TRUE(graph.redVertices.empty());
  EXPECT_TRUE(graph.blueVertices.empty());
}

TEST(ReadGraph, SecondReadReplacesTheFirst) {
  Graph graph;
  ASSERT_TRUE(readInto(graph, writeScratchFile("first.txt", "3\n1 1 1\n1 1 1\n1 1 1\n")).ok);
  graph.vertices[0].colour = kRed;
  ASSERT_TRUE(readInto(graph, writeScratchFile("second.txt", "2\n0 5\n6 0\n")).ok);
  EXPECT_EQ(graph.nCities, 2);
  EXPECT_EQ(matrixOf(graph), (Rows{{0, 5}, {6, 0}}));
  EXPECT_EQ(graph.rowLabels, (std::vector<std::int32_t>{1, 2}));
  EXPECT_EQ(graph.vertices[0].colour, 0);
}

// A matrix cut short or holding a token that is not a 32-bit integer is an error, not a
// silent repeat of the last value read.
struct BadMatrixCase {
  const char* name;
  const char* text;
  const char* complaint;  // what follows "graph <path>"
};

class BadMatrix : public ::testing::TestWithParam<BadMatrixCase> {};

TEST_P(BadMatrix, IsReportedWithItsPlace) {
  const BadMatrixCase& c = GetParam();
  const std::string path = writeScratchFile(std::string("bad-") + c.name + ".txt", c.text);
  Graph graph;
  ReadOutcome outcome = readInto(graph, path);
  EXPECT_FALSE(outcome.ok);
  EXPECT_EQ(outcome.printed, "graph " + path + c.complaint + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Matrices, BadMatrix,
    ::testing::Values(
        BadMatrixCase{"countOnly", "2\n", " ends after 0 of 4 matrix values"},
        BadMatrixCase{"threeOfFour", "2\n0 1\n1", " ends after 3 of 4 matrix values"},
        BadMatrixCase{"lastMissing", "3\n0 1 1\n1 0 1\n1 1\n", " ends after 8 of 9 matrix values"},
        BadMatrixCase{"word", "2\n0 1\nx 0\n", " has no valid integer at row 2, column 1"},
        BadMatrixCase{"firstValue", "2\nzero 1 1 0\n", " has no valid integer at row 1, column 1"},
        // Digits are taken up to the first non-digit; the rest is the next value.
        BadMatrixCase{"digitsThenLetters", "2\n0 12abc 0 0\n", " has no valid integer at row 2, column 1"},
        BadMatrixCase{"decimalPoint", "2\n1.5 0 0 0\n", " has no valid integer at row 1, column 2"},
        BadMatrixCase{"loneMinus", "2\n0 1 - 1\n", " has no valid integer at row 2, column 1"},
        BadMatrixCase{"doubleSign", "3\n0 1 0\n1 0 +-1\n0 1 0\n", " has no valid integer at row 2, column 3"},
        BadMatrixCase{"aboveInt32", "2\n0 2147483648 1 0\n", " has no valid integer at row 1, column 2"},
        BadMatrixCase{"belowInt32", "2\n0 1 -2147483649 0\n", " has no valid integer at row 2, column 1"},
        BadMatrixCase{"longDigitRun", "1\n123456789012345678901234567890\n",
                      " has no valid integer at row 1, column 1"}),
    [](const ::testing::TestParamInfo<BadMatrixCase>& info) { return std::string(info.param.name); });

TEST(ReadGraph, ValuesAfterTheMatrixAreNeverRead) {
  // The token after the last value would fail if it were read.
  const std::string path = writeScratchFile("after.txt", "1\n1 nonsense 2147483648\n");
  Graph graph;
  ReadOutcome outcome = readInto(graph, path);
  EXPECT_TRUE(outcome.ok);
  EXPECT_EQ(outcome.printed, "graph " + path + " input finish \n");
  EXPECT_EQ(matrixOf(graph), (Rows{{1}}));
}

TEST(ReadGraph, LargeFileCrossingReadBlocksIsReadWhole) {
  // Well over one read block, with numbers of varying width, so tokens straddle block ends.
  const std::int32_t n = 700;
  Rows rows(n, std::vector<std::int32_t>(n));
  for (std::int32_t r = 0; r < n; ++r) {
    for (std::int32_t c = 0; c < n; ++c) rows[r][c] = (r * 7919 + c * 104729) % 200003 - 100000;
  }
  const std::string path = writeScratchFile("large.txt", testing::matrixFileText(rows));
  Graph graph;
  ASSERT_TRUE(readInto(graph, path).ok);
  EXPECT_EQ(matrixOf(graph), rows);
}

TEST(SizedGraph, ThreeVerticesAllZero) {
  Graph graph(3);
  EXPECT_EQ(graph.nCities, 3);
  EXPECT_EQ(matrixOf(graph), (Rows{{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}));
  EXPECT_EQ(graph.rowLabels, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(graph.colLabels, (std::vector<std::int32_t>{1, 2, 3}));
  ASSERT_EQ(graph.vertices.size(), 3u);
  for (const Vertex& v : graph.vertices) EXPECT_EQ(v.colour, 0);
  for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(graph.pairs[i].label, -1);
}

TEST(DefaultGraph, IsEmptyWithCountMinusOne) {
  Graph graph;
  EXPECT_EQ(graph.nCities, -1);
  EXPECT_TRUE(graph.adjacency_matrix.empty());
  EXPECT_TRUE(graph.vertices.empty());
  EXPECT_TRUE(graph.path.empty());
}

}  // namespace
}  // namespace bicubic
