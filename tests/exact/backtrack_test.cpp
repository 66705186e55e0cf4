#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exact/backtrack.h"
#include "families/families.h"
#include "check/formats.h"
#include "check/report.h"
#include "check/check_support.h"

namespace bicubic::exact {
namespace {

using check::decodeGraph6;
using check::encodeGraph6;

// Random graphs of the kinds the searches meet: cubic bipartite, the same with some edges
// deleted (degree-2 vertices, "no" answers), and sparse graphs with odd cycles.
SimpleGraph randomGraph(int kind, std::int32_t n, Rng& rng) {
  SimpleGraph g = kind == 2 ? SimpleGraph(n) : randomCubicBipartite(n / 2, rng);
  if (kind == 2) {
    for (std::int32_t v = 0; v < n; ++v) {
      g.addEdge(v, (v + 1) % n);
      for (int k = 0; k < 2; ++k) g.addEdge(v, static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n))));
    }
  }
  if (kind != 1) return shuffled(g, rng);
  SimpleGraph h(n);
  for (std::int32_t v = 0; v < n; ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w && rng.below(12) != 0) h.addNewEdge(v, w);
    }
  }
  return shuffled(h, rng);
}

// Restarting after every node or two, in many branching orders, with the node checks from the
// start or only from the first dead end, still decides every graph as the brute force (up to 20
// vertices) or the unrestarted search checking every node (beyond) does.
TEST(Backtracker, RestartsAndLazyPruningKeepTheAnswers) {
  Backtracker backtracker;
  Rng rng(2024);
  int yes = 0, no = 0;
  for (int t = 0; t < 240; ++t) {
    const int kind = t % 3;
    const auto n = static_cast<std::int32_t>(10 + 2 * rng.below(16));
    const SimpleGraph g = randomGraph(kind, n, rng);
    std::vector<std::int32_t> cycle;
    Backtracker::Options single;
    single.restartBase = 0;
    single.lazyPruning = false;
    const Answer expected = n <= 20 ? (testing::bruteForceHamiltonian(g) ? Answer::Hamiltonian : Answer::NonHamiltonian)
                                    : backtracker.run(g, Deadline(), cycle, single);
    Backtracker::Options restarting;
    restarting.restartBase = 1 + t % 2;
    restarting.seed = static_cast<std::uint64_t>(t);
    restarting.lazyPruning = t % 4 < 2;
    const Answer answer = backtracker.run(g, Deadline(), cycle, restarting);
    ASSERT_EQ(answer, expected) << "graph " << t << " " << encodeGraph6(g);
    if (answer == Answer::Hamiltonian) {
      EXPECT_TRUE(isHamiltonianCycle(g, cycle)) << encodeGraph6(g);
    }
    (answer == Answer::Hamiltonian ? yes : no) += 1;
  }
  EXPECT_GT(yes, 40);
  EXPECT_GT(no, 40);
}

// The run depends on the graph and the seed only: not on what the same object searched before.
TEST(Backtracker, SameSeedSameRun) {
  const SimpleGraph petersen = testing::petersen();
  const SimpleGraph other = testing::smallestNonHamiltonianCubicBipartite();
  for (const std::optional<std::uint64_t> seed : {std::optional<std::uint64_t>(), std::optional<std::uint64_t>(5)}) {
    Backtracker::Options options;
    options.restartBase = 1;
    options.seed = seed;
    std::vector<std::int32_t> cycle;
    Backtracker fresh, used;
    EXPECT_EQ(fresh.run(petersen, Deadline(), cycle, options), Answer::NonHamiltonian);
    EXPECT_EQ(used.run(other, Deadline(), cycle, options), Answer::NonHamiltonian);
    EXPECT_EQ(used.run(petersen, Deadline(), cycle, options), Answer::NonHamiltonian);
    EXPECT_GT(fresh.restarts(), 0);
    EXPECT_EQ(fresh.nodes(), used.nodes());
    EXPECT_EQ(fresh.restarts(), used.restarts());
  }
}

TEST(Backtracker, LimitsGiveUnknown) {
  struct Case {
    std::string name;
    std::int64_t nodeLimit;
    std::int64_t restartBase;
    double seconds;  // < 0: no deadline; 0: already expired
  };
  const std::vector<Case> cases = {
      {"expired deadline", 1000000, Backtracker::kDefaultRestartBase, 0},
      {"node limit", 3, Backtracker::kDefaultRestartBase, -1},
      {"node limit across restarts", 6, 1, -1},
  };
  const SimpleGraph g = flowerSnark(7);
  {
    Backtracker unlimited;
    std::vector<std::int32_t> cycle;
    ASSERT_EQ(unlimited.run(g, Deadline(), cycle), Answer::NonHamiltonian);
    ASSERT_GT(unlimited.nodes(), 10);  // so that the limits below cut the search short
  }
  for (const Case& c : cases) {
    Backtracker backtracker;
    Backtracker::Options options;
    options.nodeLimit = c.nodeLimit;
    options.restartBase = c.restartBase;
    std::vector<std::int32_t> cycle;
    const Deadline deadline = c.seconds < 0 ? Deadline() : Deadline::after(c.seconds);
    EXPECT_EQ(backtracker.run(g, deadline, cycle, options), Answer::Unknown) << c.name;
    EXPECT_LE(backtracker.nodes(), c.nodeLimit + 1) << c.name;
  }
}

}  // namespace
}  // namespace bicubic::exact
