// The built executable on the example graphs and on the command-line cases, compared byte for
// byte (tick counts masked) with the expected outputs kept next to the examples, and its exit
// status: 0 on every path while standard output takes the bytes, 1 when it cannot.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

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
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Each case runs from the examples folder, so the reader's line is stable.
struct RunCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string expected;  // the whole output, ticks masked
};

std::vector<RunCase> runCases() {
  auto expectedFor = [](const std::string& name) { return readFile(kExamples + "/" + name + ".expected"); };
  return {
      {"cube", {"cube.txt"}, expectedFor("cube")},
      {"k33", {"k33.txt"}, expectedFor("k33")},
      {"fourcycle", {"four-cycle.txt"}, expectedFor("four-cycle")},
      {"triangle", {"triangle.txt"}, expectedFor("triangle")},
      {"usage", {}, kBanner + "please useage: " + BICUBIC_EXECUTABLE + "  infile\n"},
      {"missingFile", {"missing graph.txt"}, kBanner + "open file missing graph.txtnot correctly\nReading file is not correctly"},
      {"extraArgumentsIgnored", {"triangle.txt", "cube.txt", "no-such-file"}, expectedFor("triangle")},
  };
}

class Runs : public ::testing::TestWithParam<RunCase> {};

TEST_P(Runs, PrintTheExpectedOutputWithStatusZeroOrStatusOneWhenTheOutputIsLost) {
  const RunCase& c = GetParam();
  const std::string inExamples = "cd " + shellQuoted(kExamples) + " && ";
  const testing::RunResult run = runExecutable(c.arguments, inExamples);
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(maskTicks(run.out), c.expected);
  const testing::RunResult lost = runExecutable(c.arguments, inExamples + "exec >/dev/full;");
  EXPECT_EQ(lost.status, 1);
  EXPECT_EQ(lost.err, std::string("bicubic: cannot write standard output: ") + std::strerror(ENOSPC) + "\n");
}

using testing::PrintTo;

INSTANTIATE_TEST_SUITE_P(Examples, Runs, ::testing::ValuesIn(runCases()),
                         [](const ::testing::TestParamInfo<RunCase>& info) { return std::string(info.param.name); });

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

}  // namespace
}  // namespace bicubic
