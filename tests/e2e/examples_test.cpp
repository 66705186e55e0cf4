// The built executable on the example graphs and on the command-line cases, compared byte for
// byte (tick counts masked) with the expected outputs kept next to the examples.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::maskTicks;
using testing::runExecutable;

const std::string kExamples = std::string(BICUBIC_SOURCE_DIR) + "/examples";

std::string readFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  EXPECT_TRUE(file.good()) << path;
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Single-quoted for the shell, so the prefix can change into any folder.
std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char ch : text) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return quoted + "'";
}

class Examples : public ::testing::TestWithParam<const char*> {};

TEST_P(Examples, OutputMatchesTheExpectedFile) {
  const std::string name = GetParam();
  // Run from the examples folder with a relative path, so the reader's line is stable.
  testing::RunResult result = runExecutable({name + ".txt"}, "cd " + shellQuoted(kExamples) + " &&");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(maskTicks(result.output), readFile(kExamples + "/" + name + ".expected"));
  EXPECT_NE(result.output.find("total ticks  is "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Graphs, Examples, ::testing::Values("cube", "k33", "four-cycle", "triangle"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                           std::string name = info.param;
                           name.erase(std::remove(name.begin(), name.end(), '-'), name.end());
                           return name;
                         });

std::string bannerOf(const std::string& output) {
  // Three fixed lines and the authorship line.
  std::size_t end = 0;
  for (int line = 0; line < 4; ++line) end = output.find('\n', end) + 1;
  return output.substr(0, end);
}

TEST(CommandLine, WithoutArgumentPrintsUsage) {
  testing::RunResult result = runExecutable({});
  EXPECT_EQ(result.exitStatus, 0);
  const std::string banner = bannerOf(readFile(kExamples + "/triangle.expected"));
  EXPECT_EQ(result.output, banner + "please useage: " + BICUBIC_EXECUTABLE + "  infile\n");
}

TEST(CommandLine, MissingFileEndsWithoutNewline) {
  const std::string path = testing::scratchDirectory() + "/missing graph.txt";
  testing::RunResult result = runExecutable({path});
  EXPECT_EQ(result.exitStatus, 0);
  const std::string banner = bannerOf(readFile(kExamples + "/triangle.expected"));
  EXPECT_EQ(result.output, banner + "open file " + path + "not correctly\nReading file is not correctly");
}

TEST(CommandLine, PathWithSpacesAndNonAsciiBytes) {
  const std::string name = "four cycle \xc3\xa9t\xc3\xa9 \xff\x01.txt";
  const std::string path = testing::writeScratchFile(name, readFile(kExamples + "/four-cycle.txt"));
  testing::RunResult result = runExecutable({path});
  EXPECT_EQ(result.exitStatus, 0);
  std::string expected = readFile(kExamples + "/four-cycle.expected");
  const std::string shown = "graph four-cycle.txt input finish ";
  ASSERT_NE(expected.find(shown), std::string::npos);
  expected.replace(expected.find(shown), shown.size(), "graph " + path + " input finish ");
  EXPECT_EQ(maskTicks(result.output), expected);
}

TEST(CommandLine, ExtraArgumentsAreIgnored) {
  testing::RunResult result =
      runExecutable({"triangle.txt", "cube.txt", "no-such-file"}, "cd " + shellQuoted(kExamples) + " &&");
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(maskTicks(result.output), readFile(kExamples + "/triangle.expected"));
}

TEST(CommandLine, BadCountExitsZero) {
  const std::string path = testing::writeScratchFile("e2e-count.txt", "5000\n");
  testing::RunResult result = runExecutable({path});
  EXPECT_EQ(result.exitStatus, 0);
  const std::string tail = "nCities= 5000  must be in[1,4999]\nReading file is not correctly";
  ASSERT_GE(result.output.size(), tail.size());
  EXPECT_EQ(result.output.substr(result.output.size() - tail.size()), tail);
}

TEST(CommandLine, DisconnectedGraphStopsBeforeTheAssignment) {
  const std::string path = testing::writeScratchFile(
      "e2e-two-cycles.txt",
      testing::matrixFileText(testing::rowsFromEdges(8, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}})));
  testing::RunResult result = runExecutable({path});
  EXPECT_EQ(result.exitStatus, 0);
  const std::string banner = bannerOf(readFile(kExamples + "/triangle.expected"));
  EXPECT_EQ(maskTicks(result.output), banner + "graph " + path +
                                          " input finish \nGraph is not connected, so it has no Hamiltonian cycle\n"
                                          "total ticks  is <ticks>\n");
}

}  // namespace
}  // namespace bicubic
