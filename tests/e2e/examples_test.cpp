// The built executable on the example graphs and on the command-line cases, compared byte for
// byte (tick counts masked) with the expected outputs kept next to the examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_support.h"
#include "support/tool_text.h"

namespace bicubic {
namespace {

using testing::maskTicks;
using testing::kBanner;
using testing::runExecutable;
using testing::shellQuoted;

const std::string kExamples = std::string(BICUBIC_SOURCE_DIR) + "/examples";

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file.good()) << path;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

class Examples : public ::testing::TestWithParam<const char*> {};

TEST_P(Examples, OutputMatchesTheExpectedFile) {
  const std::string name = GetParam();
  // Run from the examples folder with a relative path, so the reader's line is stable.
  testing::RunResult result = runExecutable({name + ".txt"}, "cd " + shellQuoted(kExamples) + " &&");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(maskTicks(result.out), readFile(kExamples + "/" + name + ".expected"));
  EXPECT_NE(result.out.find("total ticks  is "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Graphs, Examples, ::testing::Values("cube", "k33", "four-cycle", "triangle"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

TEST(CommandLine, WithoutArgumentPrintsUsage) {
  testing::RunResult result = runExecutable({});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kBanner + "please useage: " + BICUBIC_EXECUTABLE + "  infile\n");
}

TEST(CommandLine, MissingFileEndsWithoutNewline) {
  const std::string path = testing::scratchDirectory() + "/missing graph.txt";
  testing::RunResult result = runExecutable({path});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, kBanner + "open file " + path + "not correctly\nReading file is not correctly");
}

TEST(CommandLine, PathWithSpacesAndNonAsciiBytes) {
  const std::string name = "four cycle \xc3\xa9t\xc3\xa9 \xff\x01.txt";
  const std::string path = testing::writeScratchFile(name, readFile(kExamples + "/four-cycle.txt"));
  testing::RunResult result = runExecutable({path});
  EXPECT_EQ(result.status, 0);
  std::string expected = readFile(kExamples + "/four-cycle.expected");
  const std::string shown = "graph four-cycle.txt input finish ";
  ASSERT_NE(expected.find(shown), std::string::npos);
  expected.replace(expected.find(shown), shown.size(), "graph " + path + " input finish ");
  EXPECT_EQ(maskTicks(result.out), expected);
}

TEST(CommandLine, ExtraArgumentsAreIgnored) {
  testing::RunResult result =
      runExecutable({"triangle.txt", "cube.txt", "no-such-file"}, "cd " + shellQuoted(kExamples) + " &&");
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(maskTicks(result.out), readFile(kExamples + "/triangle.expected"));
}

TEST(CommandLine, BadCountExitsZero) {
  const std::string path = testing::writeScratchFile("e2e-count.txt", "5000\n");
  testing::RunResult result = runExecutable({path});
  EXPECT_EQ(result.status, 0);
  const std::string tail = "nCities= 5000  must be in[1,4999]\nReading file is not correctly";
  ASSERT_GE(result.out.size(), tail.size());
  EXPECT_EQ(result.out.substr(result.out.size() - tail.size()), tail);
}

TEST(CommandLine, DisconnectedGraphStopsBeforeTheAssignment) {
  const std::string path = testing::writeScratchFile(
      "e2e-two-cycles.txt",
      testing::matrixFileText(testing::rowsFromEdges(8, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}})));
  testing::RunResult result = runExecutable({path});
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(maskTicks(result.out), kBanner + "graph " + path +
                                          " input finish \nGraph is not connected, so it has no Hamiltonian cycle\n"
                                          "total ticks  is <ticks>\n");
}

// The exit status is 0 on every path while standard output takes the bytes; when it cannot
// (here a full device), the lost output is said on standard error with status 1.
struct ExitCase {
  const char* name;
  std::vector<std::string> arguments;
  bool outputToFullDevice;
};

class ExitStatus : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitStatus, IsOneExactlyWhenStandardOutputFails) {
  const ExitCase& c = GetParam();
  const testing::RunResult result =
      runExecutable(c.arguments, "cd " + shellQuoted(kExamples) + " && " + (c.outputToFullDevice ? "exec >/dev/full;" : ""));
  if (c.outputToFullDevice) {
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, std::string("bicubic: cannot write standard output: ") + std::strerror(ENOSPC) + "\n");
  } else {
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out.substr(0, kBanner.size()), kBanner);
  }
}

using testing::PrintTo;

INSTANTIATE_TEST_SUITE_P(
    Paths, ExitStatus,
    ::testing::Values(ExitCase{"verdict", {"cube.txt"}, false}, ExitCase{"usage", {}, false},
                      ExitCase{"missingFile", {"no-such-file"}, false}, ExitCase{"verdictToFullDevice", {"cube.txt"}, true},
                      ExitCase{"usageToFullDevice", {}, true}, ExitCase{"missingFileToFullDevice", {"no-such-file"}, true}),
    [](const ::testing::TestParamInfo<ExitCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bicubic
