// The frontier dynamic programme alone (no cut splitting, no backtracking) against the
// backtracking on nauty's families (labelled long) and on random graphs of 20 to 60 vertices,
// against the independent brute force on small random graphs, along given wide orders, on
// splices, flower snarks and long chains, and its give-up paths (too wide, state budgets,
// deadline, a bad order), which must answer Unknown, never "no".
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "exact/exact.h"
#include "families/families.h"
#include "check/formats.h"
#include "exact/frontier.h"
#include "exact/index.h"
#include "check/report.h"
#include "exact/vertex_order.h"
#include "check/check_support.h"

namespace bicubic::exact {
namespace {

using check::decodeGraph6;
using check::encodeGraph6;

FrontierSearch::Options neverGiveUp() {
  FrontierSearch::Options o;
  o.maxWidth = FrontierSearch::kWidthLimit;
  o.maxStates = std::int64_t{1} << 40;
  o.statesPerVertex = std::int64_t{1} << 30;
  o.maxLayerStates = std::int64_t{1} << 30;
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

// Every graph of each family: the backtracking decides, the programme must agree. The whole
// list takes longer than a quick run allows, hence "Long" in the name (the long label).
class NautyFamilyLong : public ::testing::TestWithParam<std::string> {};

TEST_P(NautyFamilyLong, FrontierAloneMatchesBacktracking) {
  const auto lines = testing::nautyGraphs(GetParam());
  if (!lines) GTEST_SKIP() << "nauty is not installed (apt-get install nauty); skipped: " << GetParam();
  ASSERT_FALSE(lines->empty());
  FrontierSearch dp(neverGiveUp());
  Backtracker backtracker;
  SimpleGraph g;
  std::string error;
  std::int64_t yes = 0;
  std::vector<std::int32_t> cycle;
  for (const std::string& line : *lines) {
    ASSERT_TRUE(decodeGraph6(line, g, error)) << line << ": " << error;
    const Answer byBacktracking = backtracker.run(g, Deadline(), cycle);
    ASSERT_NE(byBacktracking, Answer::Unknown) << line;
    const bool expected = byBacktracking == Answer::Hamiltonian;
    yes += expected ? 1 : 0;
    expectDecides(dp, g, expected, GetParam() + ": " + line);
  }
  // Every family here has graphs of both kinds except the tiniest ones.
  if (lines->size() >= 1000) {
    EXPECT_GT(yes, 0);
    EXPECT_LT(yes, static_cast<std::int64_t>(lines->size()));
  }
}

INSTANTIATE_TEST_SUITE_P(Nauty, NautyFamilyLong,
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

// A random cubic bipartite graph with two disjoint red-blue edges a-b, c-d switched to a-c,
// b-d: still cubic, no longer bipartite (when the new edges were absent).
SimpleGraph switchedCubic(std::int32_t n, Rng& rng) {
  SimpleGraph g = randomCubicBipartite(n / 2, rng);
  for (;;) {
    const auto a = static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n / 2)));
    const auto c = static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n / 2)));
    const std::int32_t b = g.neighbours(a)[0], d = g.neighbours(c)[0];
    if (a == c || b == d || g.hasEdge(a, c) || g.hasEdge(b, d)) continue;
    SimpleGraph h(n);
    for (std::int32_t v = 0; v < n; ++v) {
      for (std::int32_t w : g.neighbours(v)) {
        const bool removed = (v == a && w == b) || (v == c && w == d);
        if (v < n / 2 && !removed) h.addEdge(v, w);
      }
    }
    h.addEdge(a, c);
    h.addEdge(b, d);
    return shuffled(h, rng);
  }
}

// 20 to 60 vertices, beyond the brute force: the programme alone (default budgets) against
// the backtracking alone on cubic bipartite graphs with and without some edges deleted, cubic
// graphs with an odd cycle, and sparse random graphs of degrees 1 to 6 (up to 36 vertices:
// their frontiers carry more states than cubic ones of the same width).
TEST(FrontierSearch, AgreesWithBacktrackingOnRandomGraphs) {
  FrontierSearch dp;
  Backtracker backtracker;
  Rng rng(7);
  constexpr int kGraphs = 300;
  std::int64_t decided = 0, yes = 0;
  for (int t = 0; t < kGraphs; ++t) {
    const auto n = static_cast<std::int32_t>(20 + 2 * rng.below(t % 4 == 3 ? 9 : 21));
    SimpleGraph g = t % 4 == 1 ? switchedCubic(n, rng) : randomCubicBipartite(n / 2, rng);
    if (t % 4 == 0) {
      // Delete an edge here and there so that "no" answers come up too.
      SimpleGraph h(n);
      for (std::int32_t v = 0; v < n; ++v) {
        for (std::int32_t w : g.neighbours(v)) {
          if (v < w && rng.below(15) != 0) h.addEdge(v, w);
        }
      }
      g = shuffled(h, rng);
    } else if (t % 4 == 3) {
      g.reset(n);
      for (std::int32_t v = 0; v < n; ++v) {
        const int degree = 2 + static_cast<int>(rng.below(2));
        for (int k = 0; k < degree; ++k) g.addEdge(v, static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n))));
      }
    }
    std::vector<std::int32_t> a, b;
    const Answer byDp = dp.run(g, Deadline(), a);
    const Answer byBacktracking = backtracker.run(g, Deadline::after(30), b);
    ASSERT_NE(byBacktracking, Answer::Unknown) << t;
    if (byDp == Answer::Unknown) continue;  // over the default budgets
    ++decided;
    ASSERT_EQ(byDp, byBacktracking) << "graph " << t << " " << encodeGraph6(g);
    if (byDp == Answer::Hamiltonian) {
      ++yes;
      EXPECT_TRUE(isHamiltonianCycle(g, a)) << t;
    }
  }
  EXPECT_GT(decided, kGraphs * 95 / 100);
  EXPECT_GT(yes, 30);
  EXPECT_LT(yes, decided - 30);
}

// A cycle c0 .. c(m-1) and a hub joined to every k-th vertex of it.
SimpleGraph hubbedCycle(std::int32_t m, std::int32_t k) {
  SimpleGraph g(m + 1);
  for (std::int32_t i = 0; i < m; ++i) {
    g.addEdge(i, (i + 1) % m);
    if (i % k == 0) g.addEdge(i, m);
  }
  return g;
}

// Along the numbering (the cycle in turn, then the hub) every hub neighbour stays on the
// frontier, so the width is m / k + 1 while forced edges keep the states few: the wheel
// (k = 1) has a cycle, the hub joined to every other vertex (k = 2) cannot be visited. Past
// the encoding's limit the answer is Unknown.
TEST(FrontierSearch, DecidesAlongWideOrders) {
  struct Case {
    std::int32_t m, k;
    Answer expected;
  };
  const Case cases[] = {{30, 1, Answer::Hamiltonian},    {62, 1, Answer::Hamiltonian},
                        {60, 2, Answer::NonHamiltonian}, {124, 2, Answer::NonHamiltonian},
                        {70, 1, Answer::Unknown},        {150, 2, Answer::Unknown}};
  FrontierSearch dp(neverGiveUp());
  for (const Case& c : cases) {
    const SimpleGraph g = hubbedCycle(c.m, c.k);
    std::vector<std::int32_t> order(at(g.order())), cycle;
    std::iota(order.begin(), order.end(), 0);
    EXPECT_EQ(dp.run(g, order, Deadline(), cycle), c.expected) << c.m << "/" << c.k;
    EXPECT_EQ(dp.width(), c.m / c.k + 1) << c.m << "/" << c.k;
    EXPECT_GT(dp.width(), 24);
    if (c.expected == Answer::Hamiltonian) {
      EXPECT_TRUE(isHamiltonianCycle(g, cycle)) << c.m;
    }
  }
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
  // Long rings within the default budgets, which grow with the order: flower snarks and the
  // prism over a 1000-cycle (2000 vertices, Hamiltonian).
  FrontierSearch defaults;
  for (std::int32_t k : {151, 251}) expectDecides(defaults, flowerSnark(k), false, std::string("J").append(std::to_string(k)));
  constexpr std::int32_t kPrism = 1000;
  SimpleGraph prism(2 * kPrism);
  for (std::int32_t i = 0; i < kPrism; ++i) {
    prism.addEdge(i, (i + 1) % kPrism);
    prism.addEdge(kPrism + i, kPrism + (i + 1) % kPrism);
    prism.addEdge(i, kPrism + i);
  }
  expectDecides(defaults, shuffled(prism, rng), true, "prism");
}

// The planner starts from the greedy orders, so it is never worse than they are; the width and
// cost it reports (kept up to date move by move) must be those of the order it returns.
TEST(VertexOrder, ImprovedOrdersAreMeasuredPermutationsNoWorseThanGreedy) {
  Rng rng(5);
  OrderOptions always;
  always.improveAboveCostPerVertex = 0;
  const SimpleGraph graphs[] = {randomCubicBipartite(30, rng), randomCubicBipartite(60, rng), flowerSnark(13),
                                shuffled(flowerSnark(21), rng), testing::heawood()};
  int improved = 0;
  for (const SimpleGraph& g : graphs) {
    const VertexOrder greedy = greedyVertexOrder(g, always.greedyStarts);
    const VertexOrder planned = planVertexOrder(g, always);
    std::vector<std::int32_t> sorted = planned.order;
    std::sort(sorted.begin(), sorted.end());
    for (std::int32_t v = 0; v < g.order(); ++v) ASSERT_EQ(sorted[at(v)], v) << g.order();
    const VertexOrder remeasured = measureOrder(g, planned.order);
    EXPECT_EQ(remeasured.width, planned.width) << g.order();
    EXPECT_NEAR(remeasured.cost, planned.cost, 1e-6 * planned.cost) << g.order();
    EXPECT_LE(planned.width, greedy.width) << g.order();
    EXPECT_LE(planned.cost, greedy.cost) << g.order();
    improved += planned.cost < greedy.cost ? 1 : 0;
  }
  EXPECT_GE(improved, 2);  // the moves were exercised
}

TEST(FrontierSearch, GivesUpWithUnknownNeverNo) {
  const SimpleGraph g = flowerSnark(9);
  std::vector<std::int32_t> cycle;
  FrontierSearch::Options narrow;
  narrow.maxWidth = 3;
  FrontierSearch tooNarrow(narrow);
  EXPECT_EQ(tooNarrow.run(g, Deadline(), cycle), Answer::Unknown);
  for (std::int64_t FrontierSearch::Options::*budget :
       {&FrontierSearch::Options::maxStates, &FrontierSearch::Options::statesPerVertex,
        &FrontierSearch::Options::maxLayerStates}) {
    FrontierSearch::Options tiny = neverGiveUp();
    tiny.*budget = 10;
    FrontierSearch noBudget(tiny);
    EXPECT_EQ(noBudget.run(g, Deadline(), cycle), Answer::Unknown);
  }
  FrontierSearch dp(neverGiveUp());
  // Orders that are no permutation of the vertices.
  std::vector<std::int32_t> order(at(g.order()));
  std::iota(order.begin(), order.end(), 0);
  for (std::int32_t bad : {-1, 0, g.order()}) {
    std::vector<std::int32_t> wrong = order;
    wrong.back() = bad;
    EXPECT_EQ(dp.run(g, wrong, Deadline(), cycle), Answer::Unknown) << bad;
  }
  order.pop_back();
  EXPECT_EQ(dp.run(g, order, Deadline(), cycle), Answer::Unknown);
  EXPECT_EQ(dp.run(g, Deadline::after(0), cycle), Answer::Unknown);
  EXPECT_TRUE(cycle.empty());
  EXPECT_EQ(dp.run(g, Deadline(), cycle), Answer::NonHamiltonian);
  // The backtracking's node limit (the solver's quick run) stops it the same way.
  Backtracker backtracker;
  EXPECT_EQ(backtracker.run(g, Deadline(), cycle, 5), Answer::Unknown);
  EXPECT_EQ(backtracker.run(g, Deadline(), cycle), Answer::NonHamiltonian);
}

// Inside the solver: 3-connected pieces of up to 64 vertices go to the small-graph search,
// larger ones (76 and 100 vertices here) to the programme.
TEST(ExactSolver, UsesTheFrontierProgrammeOnFlowerSnarks) {
  ExactSolver solver;
  for (std::int32_t k : {11, 15, 19, 25}) {
    const ExactResult result = solver.solve(flowerSnark(k), Deadline::after(30));
    EXPECT_EQ(result.answer, Answer::NonHamiltonian) << k;
    const bool small = 4 * k <= SmallSearch::kMaxOrder;
    EXPECT_EQ(solver.stats().frontierRuns, small ? 0 : 1) << k;
    EXPECT_EQ(solver.stats().smallSearchNodes > 0, small) << k;
    EXPECT_LE(solver.stats().backtrackNodes, ExactSolver::Options().quickSearchNodes + 1) << k;
  }
}

}  // namespace
}  // namespace bicubic::exact
