// The summary's three times on a run fed by a slow writer: the wall time includes the wait, the
// search time (the rows' times added up) and the CPU time do not.
#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "check_support.h"

namespace bicubic::check {
namespace {

TEST(CheckSummary, SearchAndCpuTimesLeaveOutWaitingForTheWriter) {
  // Three small graphs, the last after the writer paused for half a second.
  const auto run = testing::runShell(
      R"({ printf 'G}hPW{\nG}hPW{\n'; sleep 0.5; printf 'G}hPW{\n'; } | "$CHECK")");
  ASSERT_EQ(run.status, 0) << run.err;
  std::map<std::string, double> keys;
  std::istringstream summary(run.err);
  for (std::string line; std::getline(summary, line);) {
    const std::size_t tab = line.find('\t');
    if (line.find("ms\t") != std::string::npos) keys[line.substr(0, tab)] = std::stod(line.substr(tab + 1));
  }
  ASSERT_TRUE(keys.contains("# ms") && keys.contains("# search-ms") && keys.contains("# cpu-ms")) << run.err;
  double rowSum = 0;
  std::istringstream table(run.out);
  std::string line;
  std::getline(table, line);  // header
  int rows = 0;
  for (; std::getline(table, line); ++rows) rowSum += std::stod(line.substr(line.rfind('\t') + 1));
  ASSERT_EQ(rows, 3);
  EXPECT_GE(keys["# ms"], 450) << run.err;
  EXPECT_LT(keys["# search-ms"], 250) << run.err;
  EXPECT_LT(keys["# cpu-ms"], 250) << run.err;
  // Each row is printed to 3 decimals: the sum may differ by the rounding of every row.
  EXPECT_NEAR(keys["# search-ms"], rowSum, 0.0005 * rows + 0.0005) << run.out << run.err;
}

}  // namespace
}  // namespace bicubic::check
