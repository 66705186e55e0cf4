// The agreement rule over every method verdict and exact answer, and the summary it feeds.
#include <gtest/gtest.h>

#include "check/report.h"

namespace bicubic::check {
namespace {

TEST(Report, AgreementForEveryVerdictAndAnswer) {
  // Columns: hamiltonian, non-hamiltonian, unknown. H and may-be-H claim a cycle; not-H,
  // unbalanced and not-connected claim none; not-bipartite and a method that did not run claim
  // nothing, like an unknown answer.
  const struct {
    MethodResult method;
    std::array<std::string_view, kAnswerCount> expected;
  } rows[] = {
      {Verdict::BicubicH, {"yes", "no", "-"}},      {Verdict::MaybeH, {"yes", "no", "-"}},
      {Verdict::NotH, {"no", "yes", "-"}},          {Verdict::Unbalanced, {"no", "yes", "-"}},
      {Verdict::NotConnected, {"no", "yes", "-"}},  {Verdict::NotBipartite, {"-", "-", "-"}},
      {Verdict::OutOfMemory, {"-", "-", "-"}},      {std::nullopt, {"-", "-", "-"}},
  };
  Tally tally;
  std::int64_t yes = 0, no = 0;
  for (const auto& row : rows) {
    for (std::size_t a = 0; a < kAnswerCount; ++a) {
      EXPECT_EQ(agreement(row.method, static_cast<Answer>(a)), row.expected[a]) << methodName(row.method) << " " << a;
      tally.add(row.method, static_cast<Answer>(a));
      yes += row.expected[a] == "yes" ? 1 : 0;
      no += row.expected[a] == "no" ? 1 : 0;
    }
  }
  const std::string summary = tally.summary({1.5, 0.25, 2});
  EXPECT_NE(summary.find("# agree-yes\t" + std::to_string(yes) + "\n# agree-no\t" + std::to_string(no) + "\n"),
            std::string::npos)
      << summary;
  EXPECT_NE(summary.find("# -\t1\t1\t1\n"), std::string::npos) << summary;
  EXPECT_TRUE(summary.ends_with("# ms\t1.500\n# search-ms\t0.250\n# cpu-ms\t2.000\n")) << summary;
  EXPECT_EQ(tally.unknown(), 8);
}

}  // namespace
}  // namespace bicubic::check
