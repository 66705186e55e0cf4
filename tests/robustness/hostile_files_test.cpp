// Hostile input files through the built executable: whatever the path names or the file holds,
// the run ends with exit status 0 and one clear line, and never reports a graph it did not read.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "robustness/graph_text.h"
#include "support/tool_text.h"
#include "support/test_support.h"

namespace bicubic::testing {
namespace {

std::string repeated(char byte, std::size_t count) { return std::string(count, byte); }

// ---------------------------------------------------------------------------------------------
// Files whose whole output is known: "{path}" in the expected text stands for the file's path.

struct HostileFile {
  const char* name;
  std::string content;
  std::string expectedAfterBanner;
};
using testing::PrintTo;

std::vector<HostileFile> hostileFiles() {
  const std::string badCount = "nCities= -1  must be in[1,4999]\n" + kNotRead;
  return {
      {"empty", "", badCount},
      {"only_whitespace", " \n\t\r\n\v\f  ", badCount},
      {"binary_bytes", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe", 18), badCount},
      {"utf8_byte_order_mark", "\xEF\xBB\xBF" "1\n0\n", badCount},
      {"word_as_count", "four\n0 1 0 1\n", badCount},
      {"nul_inside_count", std::string("1\0" "2\n0\n", 6),
       "graph {path} has no valid integer at row 1, column 1\n" + kNotRead},
      {"nul_inside_matrix_value", std::string("2\n0 1\n1\0" "0\n", 10),
       "graph {path} has no valid integer at row 2, column 2\n" + kNotRead},
      {"long_digit_run_as_count", repeated('9', 100000) + "\n0\n", badCount},
      {"long_digit_run_as_value", "2\n0 " + repeated('7', 100000) + "\n1 0\n",
       "graph {path} has no valid integer at row 1, column 2\n" + kNotRead},
      {"value_just_over_32_bits", "2\n0 1\n2147483648 0\n",
       "graph {path} has no valid integer at row 2, column 1\n" + kNotRead},
      {"hex_value", "2\n0x1 1\n1 0\n", "graph {path} has no valid integer at row 1, column 2\n" + kNotRead},
      {"count_minus_zero", "-0\n", "nCities= 0  must be in[1,4999]\n" + kNotRead},
      {"count_plus_minus", "+-1\n1\n", badCount},
      {"count_sign_only", "-\n", badCount},
      {"count_zero", "0\n", "nCities= 0  must be in[1,4999]\n" + kNotRead},
      {"count_negative", "-7\n", "nCities= -7  must be in[1,4999]\n" + kNotRead},
      {"count_5000", "5000\n", "nCities= 5000  must be in[1,4999]\n" + kNotRead},
      {"count_2_pow_31", "2147483648\n0\n", badCount},
      {"count_int32_max", "2147483647\n", "nCities= 2147483647  must be in[1,4999]\n" + kNotRead},
      {"count_int32_min", "-2147483648\n", "nCities= -2147483648  must be in[1,4999]\n" + kNotRead},
      {"count_2_pow_32_plus_1", "4294967297\n", badCount},
      {"count_4999_matrix_truncated", "4999\n0 1 0\n",
       "graph {path} ends after 3 of 24990001 matrix values\n" + kNotRead},
      {"count_without_matrix", "3\n", "graph {path} ends after 0 of 9 matrix values\n" + kNotRead},
      {"count_with_trailing_word", "3abc\n", "graph {path} has no valid integer at row 1, column 1\n" + kNotRead},
      {"count_1", "1\n0\n",
       "graph {path} input finish \nGraph is bipartite but it has no Hamiltonian cycle\n"
       "total ticks  is <ticks>\n"},
  };
}

class HostileFileTest : public ::testing::TestWithParam<HostileFile> {};

TEST_P(HostileFileTest, EndsWithItsOneLineAndStatusZero) {
  const HostileFile& file = GetParam();
  const std::string path = writeScratchFile(std::string("hostile_") + file.name, file.content);
  const RunResult run = runExecutable({path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(maskTicks(run.out), kBanner + replaceAll(file.expectedAfterBanner, "{path}", path));
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFileTest, ::testing::ValuesIn(hostileFiles()),
                         [](const auto& info) { return std::string(info.param.name); });

// The largest count with a matrix that stops one value short: the whole 50 MB is read and the
// shortfall is still reported exactly, not filled in.
TEST(HostileFile, LargestCountOneValueShort) {
  std::string text = graphTextFromEdges(4999, {});
  text.resize(text.size() - 2);  // drop the last "0\n"
  const std::string path = writeScratchFile("hostile_4999_one_short", text);
  const RunResult run = runExecutable({path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kBanner + "graph " + path + " ends after 24990000 of 24990001 matrix values\n" + kNotRead);
}

// ---------------------------------------------------------------------------------------------
// Paths that cannot be read as a graph file.

// Each case makes its path (or says why it cannot here) and expects the one line for a file that
// cannot be read.
struct UnreadablePath {
  const char* name;
  std::function<std::string()> make;
  std::function<const char*()> skipReason = [] { return nullptr; };
};

class HostilePath : public ::testing::TestWithParam<UnreadablePath> {};

TEST_P(HostilePath, IsAFileThatCannotBeRead) {
  if (const char* reason = GetParam().skipReason()) GTEST_SKIP() << reason;
  const std::string path = GetParam().make();
  const RunResult run = runExecutable({path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, kBanner + "open file " + path + "not correctly\n" + kNotRead);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, HostilePath,
    ::testing::Values(
        UnreadablePath{"directory",
                       [] {
                         const std::string path = scratchDirectory() + "/a_directory";
                         std::filesystem::create_directories(path);
                         return path;
                       }},
        UnreadablePath{"missingFile", [] { return scratchDirectory() + "/no such file"; }},
        UnreadablePath{"emptyPath", [] { return std::string(); }},
        // A regular file used as a folder fails with ENOTDIR even for root, unlike a mode of 000.
        UnreadablePath{"childOfARegularFile", [] { return writeScratchFile("plain_file", "1\n0\n") + "/child"; }},
        // Opens, but the first read fails (EIO: address 0 is never mapped): reported as a file
        // that cannot be read, not as an empty file.
        UnreadablePath{"readFails", [] { return std::string("/proc/self/mem"); },
                       [] { return std::filesystem::exists("/proc/self/mem") ? nullptr : "no /proc on this system"; }},
        UnreadablePath{"withoutReadPermission",
                       [] {
                         const std::string path = writeScratchFile("unreadable", "1\n0\n");
                         ::chmod(path.c_str(), 0);
                         return path;
                       },
                       [] { return ::geteuid() == 0 ? "root reads files of mode 000" : nullptr; }}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Layouts that must read as the plain file does: the output is the same but for the path.

const std::string kCube =
    "8\n0 1 0 1 1 0 0 0\n1 0 1 0 0 1 0 0\n0 1 0 1 0 0 1 0\n1 0 1 0 0 0 0 1\n"
    "1 0 0 0 0 1 0 1\n0 1 0 0 1 0 1 0\n0 0 1 0 0 1 0 1\n0 0 0 1 1 0 1 0\n";

struct Layout {
  const char* name;
  std::string content;
};

// The cube graph with every separator replaced by `separator`.
std::string cubeSeparatedBy(const std::string& separator) {
  std::string text;
  for (char c : kCube) text += (c == ' ' || c == '\n') ? separator : std::string(1, c);
  return text;
}


std::vector<Layout> equivalentLayouts() {
  std::string leadingZeros = "00000000000000000000000000000000000000008\n";
  leadingZeros += kCube.substr(2);
  // Every value written with a sign: tokens of two bytes, so that padding by one byte more or
  // less moves a token across the reader's block boundary.
  std::string signedValues = "0008\n";
  for (std::size_t i = 2; i < kCube.size(); ++i) {
    const char c = kCube[i];
    signedValues += c == '0' ? "-0" : c == '1' ? "+1" : std::string(1, c);
  }
  const std::string longZeroRun = "8\n" + repeated('0', 70000) + kCube.substr(2);
  // Blanks in front so that the count's and the values' bytes straddle 64 KiB and 1 MiB.
  auto padded = [&](std::size_t blanks) { return repeated(' ', blanks) + signedValues; };
  return {
      {"one_per_line", cubeSeparatedBy("\n")},
      {"crlf", cubeSeparatedBy("\r\n")},
      {"tabs_and_blanks", cubeSeparatedBy(" \t \v\f")},
      {"all_on_one_line", cubeSeparatedBy(" ")},
      {"leading_zeros_in_count", leadingZeros},
      {"signed_values", signedValues},
      {"zero_run_longer_than_a_block", longZeroRun},
      {"no_final_line_end", kCube.substr(0, kCube.size() - 1)},
      {"trailing_values_and_garbage", kCube + "1 1 1\nthis is not read \xff\n"},
      {"count_across_64k", padded((1u << 16) - 2)},
      {"value_across_64k", padded((1u << 16) - 6)},
      {"value_across_64k_shifted", padded((1u << 16) - 7)},
      {"count_across_1m", padded((1u << 20) - 3)},
      {"value_across_1m", padded((1u << 20) - 10)},
      {"value_across_128k", padded((1u << 17) - 11)},
  };
}

class EquivalentLayoutTest : public ::testing::TestWithParam<Layout> {};

TEST_P(EquivalentLayoutTest, ReadsAsThePlainFile) {
  static const std::string plainPath = writeScratchFile("layout_plain", kCube);
  static const std::string plainOutput = maskTicks(runExecutable({plainPath}).out);
  ASSERT_NE(plainOutput.find("Bicubic is H"), std::string::npos) << plainOutput;

  const Layout& layout = GetParam();
  const std::string path = writeScratchFile(std::string("layout_") + layout.name, layout.content);
  const RunResult run = runExecutable({path});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(maskTicks(run.out), replaceAll(plainOutput, plainPath, path));
}

INSTANTIATE_TEST_SUITE_P(Layouts, EquivalentLayoutTest, ::testing::ValuesIn(equivalentLayouts()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bicubic::testing
