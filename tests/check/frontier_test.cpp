// The frontier dynamic programme alone (no cut splitting, no backtracking) against the
// independent brute force on nauty's families and on random graphs of several kinds, against
// the backtracking beyond the brute force's reach, on splices and flower snarks, and its
// give-up paths (too wide, state budget, deadline), which must answer Unknown, never "no".
#include <gtest/gtest.h>

#include "check/exact.h"
#include "check/families.h"
#include "check/formats.h"
#include "check/frontier.h"
#include "check/report.h"
#include "check_support.h"

namespace bicubic::check {
namespace {

FrontierSearch::Options neverGiveUp() {
  FrontierSearch::Options o;
  o.maxWidth = FrontierSearch::kWidthLimit;
  o.maxStates = std::int64_t{1} << 40;
  return o;
}

// Runs the programme on g and compares with the expected answer; a "yes" must carry a cycle.
void expectDecides(FrontierSearch& dp, const SimpleGraph& g, bool hamiltonian, const std::string& what) {
  std::vector<std::int32_t> cycle;
  const Answer answer = dp.run(g, Deadline(), cycle);
  ASSERT_EQ(answer, hamiltonian ? Answer::Hamiltonian : Answer::NonHamiltonian) << what << " width " << dp.width();
  if (hamiltonian) {
    ASSERT_TRUE(isHamiltonianCycle(g, cycle)) << what;
  }
}

class NautyFamily : public ::testing::TestWithParam<std::string> {};

TEST_P(NautyFamily, FrontierAloneMatchesBruteForce) {
  const auto lines = testing::nautyGraphs(GetParam());
  if (!lines) GTEST_SKIP() << "nauty is not installed (apt-get install nauty); skipped: " << GetParam();
  ASSERT_FALSE(lines->empty());
  FrontierSearch dp(neverGiveUp());
  SimpleGraph g;
  std::string error;
  std::int64_t yes = 0;
  for (const std::string& line : *lines) {
    ASSERT_TRUE(decodeGraph6(line, g, error)) << line << ": " << error;
    const bool expected = testing::bruteForceHamiltonian(g);
    yes += expected ? 1 : 0;
    expectDecides(dp, g, expected, GetParam() + ": " + line);
  }
  // Every family here has graphs of both kinds except the tiniest ones.
  if (lines->size() >= 1000) {
    EXPECT_GT(yes, 0);
    EXPECT_LT(yes, static_cast<std::int64_t>(lines->size()));
  }
}

INSTANTIATE_TEST_SUITE_P(Nauty, NautyFamily,
                         ::testing::Values("nauty-genbg -c -d3:3 -D3:3 8 8", "nauty-genbg -c -d3:3 -D3:3 9 9",
                                           "nauty-genbg -c -d3:3 -D3:3 10 10", "nauty-genbg -c -d3:3 -D3:3 11 11",
                                           "nauty-genbg -c -q -d2:2 -D4:4 5 5", "nauty-genbg -c -q -d2:2 -D4:4 6 6",
                                           "nauty-geng -q 5", "nauty-geng -q 6", "nauty-geng -q 7", "nauty-geng -q 8",
                                           "nauty-geng -c -q -d3 -D3 12", "nauty-geng -c -q -d3 -D3 14",
                                           "nauty-geng -c -q -d3 -D3 16"));

// Random graphs up to 14 vertices: sparse and dense G(n, p), random bipartite, degrees 2 to 4,
// and disconnected ones (two blobs), so that every pruning rule meets graphs of both answers.
TEST(FrontierSearch, RandomSmallGraphsMatchBruteForce) {
  FrontierSearch dp(neverGiveUp());
  Rng rng(2026);
  std::int64_t yes = 0, total = 0;
  for (int t = 0; t < 4000; ++t) {
    const int kind = t % 5;
    // Dense graphs of 13 and 14 vertices have so many partial cycles that they alone would
    // dominate the running time; they stop at 12.
    const auto n = static_cast<std::int32_t>(3 + rng.below(kind == 1 ? 10 : 12));
    SimpleGraph g(n);
    const std::uint32_t percent = kind == 0 ? 20 + rng.below(20) : 40 + rng.below(50);
    for (std::int32_t u = 0; u < n; ++u) {
      for (std::int32_t v = u + 1; v < n; ++v) {
        bool edge = rng.below(100) < percent;
        if (kind == 2) edge = edge && (u % 2 != v % 2);            // bipartite by parity
        if (kind == 3) edge = false;                                // filled below
        if (kind == 4) edge = edge && ((u < n / 2) == (v < n / 2));  // two blobs ...
        if (edge) g.addEdge(u, v);
      }
    }
    if (kind == 3) {
      for (std::int32_t v = 0; v < n; ++v) {
        const auto d = 2 + rng.below(3);
        for (std::uint32_t k = 0; k < d; ++k) g.addEdge(v, static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n))));
      }
    }
    if (kind == 4 && rng.below(2) == 0) {  // ... sometimes joined by one or two edges
      for (std::uint32_t k = 0; k <= rng.below(2); ++k) {
        g.addEdge(static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n / 2))),
                  n / 2 + static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n - n / 2))));
      }
    }
    const bool expected = testing::bruteForceHamiltonian(g);
    yes += expected ? 1 : 0;
    ++total;
    expectDecides(dp, g, expected, "random graph " + std::to_string(t) + " " + encodeGraph6(g));
  }
  EXPECT_GT(yes, total / 5);
  EXPECT_LT(yes, 4 * total / 5);
}

// 20 to 40 vertices, beyond the brute force: the programme alone against the backtracking
// alone, on sparse random graphs and on random cubic (bipartite) graphs.
TEST(FrontierSearch, AgreesWithBacktrackingOnLargerGraphs) {
  FrontierSearch dp;  // default limits: wide random graphs give up

  Backtracker backtracker;
  Rng rng(7);
  std::int64_t decided = 0, yes = 0;
  for (int t = 0; t < 300; ++t) {
    const auto n = static_cast<std::int32_t>(20 + 2 * rng.below(11));
    SimpleGraph g(n);
    if (t % 2 == 0) {
      g = randomCubicBipartite(n / 2, rng);
      // Delete an edge here and there so that "no" answers come up too.
      SimpleGraph h(n);
      for (std::int32_t v = 0; v < n; ++v) {
        for (std::int32_t w : g.neighbours(v)) {
          if (v < w && rng.below(15) != 0) h.addEdge(v, w);
        }
      }
      g = shuffled(h, rng);
    } else {
      for (std::int32_t v = 0; v < n; ++v) {
        const int degree = 2 + static_cast<int>(rng.below(2));
        for (int k = 0; k < degree; ++k) g.addEdge(v, static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n))));
      }
    }
    std::vector<std::int32_t> a, b;
    const Answer byDp = dp.run(g, Deadline(), a);
    const Answer byBacktracking = backtracker.run(g, Deadline::after(30), b);
    ASSERT_NE(byBacktracking, Answer::Unknown) << t;
    if (byDp == Answer::Unknown) continue;  // frontier wider than the encoding holds
    ++decided;
    ASSERT_EQ(byDp, byBacktracking) << "graph " << t << " " << encodeGraph6(g);
    if (byDp == Answer::Hamiltonian) {
      ++yes;
      EXPECT_TRUE(isHamiltonianCycle(g, a)) << t;
    }
  }
  EXPECT_GT(decided, 250);
  EXPECT_GT(yes, 30);
  EXPECT_LT(yes, decided - 30);
}

TEST(FrontierSearch, SplicesAndFlowerSnarks) {
  FrontierSearch dp(neverGiveUp());
  Rng rng(11);
  for (int t = 0; t < 12; ++t) {
    const SimpleGraph small = t % 3 == 0   ? testing::heawood()
                              : t % 3 == 1 ? testing::smallestNonHamiltonianCubicBipartite()
                                           : testing::petersen();
    const bool three = t % 2 == 1;
    const SimpleGraph large = randomCubicBipartite(12 + t, rng);
    const SimpleGraph g = shuffled(three ? spliceThreeCut(small, large) : spliceTwoCut(small, large), rng);
    expectDecides(dp, g, t % 3 == 0, "splice " + std::to_string(t));
  }
  for (std::int32_t k = 5; k <= 25; k += 2) {
    expectDecides(dp, flowerSnark(k), false, std::string("J").append(std::to_string(k)));
    EXPECT_LE(dp.width(), 14) << k;  // a ring: the frontier does not grow with k
  }
}

TEST(FrontierSearch, GivesUpWithUnknownNeverNo) {
  const SimpleGraph g = flowerSnark(9);
  std::vector<std::int32_t> cycle;
  FrontierSearch::Options narrow;
  narrow.maxWidth = 3;
  FrontierSearch tooNarrow(narrow);
  EXPECT_EQ(tooNarrow.run(g, Deadline(), cycle), Answer::Unknown);
  FrontierSearch::Options tiny = neverGiveUp();
  tiny.maxStates = 10;
  FrontierSearch noBudget(tiny);
  EXPECT_EQ(noBudget.run(g, Deadline(), cycle), Answer::Unknown);
  FrontierSearch dp(neverGiveUp());
  EXPECT_EQ(dp.run(g, Deadline::after(0), cycle), Answer::Unknown);
  EXPECT_TRUE(cycle.empty());
  EXPECT_EQ(dp.run(g, Deadline(), cycle), Answer::NonHamiltonian);
  // The backtracking's node limit (the solver's quick run) stops it the same way.
  Backtracker backtracker;
  EXPECT_EQ(backtracker.run(g, Deadline(), cycle, 5), Answer::Unknown);
  EXPECT_EQ(backtracker.run(g, Deadline(), cycle), Answer::NonHamiltonian);
}

// Inside the solver: 3-connected pieces of 44 to 100 vertices go to the programme.
TEST(ExactSolver, UsesTheFrontierProgrammeOnFlowerSnarks) {
  ExactSolver solver;
  for (std::int32_t k : {11, 15, 19, 25}) {
    const ExactResult result = solver.solve(flowerSnark(k), Deadline::after(30));
    EXPECT_EQ(result.answer, Answer::NonHamiltonian) << k;
    EXPECT_EQ(solver.stats().frontierRuns, 1) << k;
    EXPECT_LE(solver.stats().backtrackNodes, ExactSolver::Options().quickSearchNodes + 1) << k;
  }
}

}  // namespace
}  // namespace bicubic::check
