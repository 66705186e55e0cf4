// runTool end to end inside the process: banner, usage, read failures and every verdict the
// pipeline can stop at, with the clock scripted so the tick line is exact.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "driver/pipeline.h"
#include "support/fake_clock.h"
#include "support/test_support.h"
#include "support/tool_text.h"

namespace bicubic {
namespace {

using testing::PrintTo;

using testing::FakeClock;

using testing::kBanner;

struct ToolRun {
  int status = -1;
  std::string body;  // everything after the banner
};

ToolRun run(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv;
  for (const auto& a : arguments) argv.push_back(a.c_str());
  OutputSink out;
  ToolRun result;
  result.status = runTool(static_cast<int>(argv.size()), argv.data(), out);
  const std::string& text = out.captured();
  EXPECT_EQ(text.substr(0, kBanner.size()), kBanner);
  result.body = text.substr(std::min(kBanner.size(), text.size()));
  return result;
}

using testing::replaceAll;

TEST(Banner, IsThreeFixedLinesAndOneAuthorshipLine) {
  OutputSink out;
  printBanner(out);
  EXPECT_EQ(out.captured(), kBanner);
}

TEST(RunTool, WithoutArgumentPrintsUsageAndReadsNoClock) {
  FakeClock clock({5, 9});
  ToolRun result = run({"./bicubic"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.body, "please useage: ./bicubic  infile\n");
  EXPECT_EQ(clock.readingsTaken(), 0u);
}

// Each case: the file (none: a path that does not exist) and everything printed after the
// banner, "{path}" standing for the file's path, and how often the clock was read.
struct BodyCase {
  const char* name;
  std::optional<std::string> fileText;
  std::string body;
  std::size_t readings;
};

// A refused read ends with the driver's line and no line end, before the clock is read.
BodyCase refused(const char* name, std::optional<std::string> fileText, const std::string& line) {
  return {name, std::move(fileText), line + "\nReading file is not correctly", 0};
}

// A read graph ends with its verdict and the tick line, the clock reading 1000 and then 1007.
BodyCase verdict(const char* name, std::string fileText, const std::string& afterRead) {
  return {name, std::move(fileText), "graph {path} input finish \n" + afterRead + "total ticks  is 7\n", 2};
}

class Bodies : public ::testing::TestWithParam<BodyCase> {};

TEST_P(Bodies, AfterTheBanner) {
  const BodyCase& c = GetParam();
  const std::string path = c.fileText ? testing::writeScratchFile(std::string("body-") + c.name + ".txt", *c.fileText)
                                      : testing::scratchDirectory() + "/absent.txt";
  FakeClock clock({1000, 1007});
  ToolRun result = run({"bicubic", path});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.body, replaceAll(c.body, "{path}", path));
  EXPECT_EQ(clock.readingsTaken(), c.readings);
}

using testing::matrixFileText;
using testing::rowsFromEdges;

INSTANTIATE_TEST_SUITE_P(
    Stops, Bodies,
    ::testing::Values(
        refused("missingFile", std::nullopt, "open file {path}not correctly"),
        refused("badCount", "0\n", "nCities= 0  must be in[1,4999]"),
        refused("shortMatrix", "2\n0 1 1\n", "graph {path} ends after 3 of 4 matrix values"),
        verdict("triangle", matrixFileText(rowsFromEdges(3, {{0, 1}, {1, 2}, {2, 0}})),
                "Graph is not bipartite, stop determining\n"),
        verdict("path3", matrixFileText(rowsFromEdges(3, {{0, 1}, {1, 2}})),
                "Graph is bipartite but it has no Hamiltonian cycle\n"),
        verdict("single", "1\n0\n", "Graph is bipartite but it has no Hamiltonian cycle\n"),
        // A vertex the colouring from vertex 0 cannot reach means the graph is in pieces.
        verdict("twoFourCycles",
                matrixFileText(rowsFromEdges(8, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}})),
                "Graph is not connected, so it has no Hamiltonian cycle\n"),
        verdict("edgeAndTriangle", matrixFileText(rowsFromEdges(5, {{0, 1}, {2, 3}, {3, 4}, {4, 2}})),
                "Graph is not connected, so it has no Hamiltonian cycle\n"),
        verdict("isolatedVertex", matrixFileText(rowsFromEdges(5, {{0, 1}, {1, 2}, {2, 3}, {3, 0}})),
                "Graph is not connected, so it has no Hamiltonian cycle\n"),
        // An odd cycle away from vertex 0 is never seen by the colouring, but the graph is
        // still not connected.
        verdict("oddCycleElsewhere",
                matrixFileText(rowsFromEdges(7, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 4}})),
                "Graph is not connected, so it has no Hamiltonian cycle\n"),
        // The 4-cycle is balanced but not cubic: the decision runs and the status it receives
        // picks the weaker positive verdict.
        verdict("fourCycle", matrixFileText(rowsFromEdges(4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}})),
                "Graph is balanced bipartite\n"
                "array(1,2) = 1,1\n"
                "array(2,1) = 1,6\n"
                "array(3,4) = 1,2\n"
                "array(4,3) = 1,7\n"
                "The max is:4\n"
                "\tv1\tv2\n"
                "v1:" + std::string(1, '\0') + "\t1\t1\t\n"
                "v2:" + std::string(1, '\0') + "\t1\t1\t\n"
                "\n"
                "array(1,1) = 1,3\n"
                "array(2,2) = 1,3\n"
                "The max is:2\n"
                "\narray(1,1) =1"
                "\narray(2,2) =1"
                "reoutput the data-------------=3\n"
                "b^3 Stop "
                "\nSince it is not Bicubic , so it may be H \n")),
    [](const ::testing::TestParamInfo<BodyCase>& info) { return std::string(info.param.name); });

TEST(RunTool, ArgumentsAfterTheFirstAreIgnored) {
  const std::string path = testing::writeScratchFile("extra-args.txt", "3\n0 1 1\n1 0 1\n1 1 0\n");
  FakeClock clock({3, 3});
  ToolRun result = run({"bicubic", path, "--verbose", testing::scratchDirectory() + "/absent.txt"});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.body, "graph " + path +
                             " input finish \nGraph is not bipartite, stop determining\ntotal ticks  is 0\n");
}

TEST(RunTool, TickLineShowsNegativeDifferences) {
  // A clock that runs backwards is printed as it is, sign and all.
  const std::string path = testing::writeScratchFile("backwards.txt", "1\n0\n");
  FakeClock clock({500, 480});
  ToolRun result = run({"bicubic", path});
  EXPECT_NE(result.body.find("total ticks  is -20\n"), std::string::npos) << result.body;
}

TEST(RunTool, CubeReachesBicubicIsH) {
  const std::string path = BICUBIC_SOURCE_DIR "/examples/cube.txt";
  FakeClock clock({0, 12});
  ToolRun result = run({"bicubic", path});
  const std::string tail = "\narray(4,4) =1reoutput the data-------------=5\nb^2 Stop \nBicubic is H\ntotal ticks  is 12\n";
  ASSERT_GE(result.body.size(), tail.size());
  EXPECT_EQ(result.body.substr(result.body.size() - tail.size()), tail);
  EXPECT_EQ(replaceAll(result.body.substr(0, result.body.find('\n') + 1), path, "<path>"),
            "graph <path> input finish \n");
}

}  // namespace
}  // namespace bicubic
