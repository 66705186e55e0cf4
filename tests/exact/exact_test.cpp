// The exact search on named graphs, on the 2-cut and 3-cut splice families (non-Hamiltonian by
// construction, Hamiltonian when the small graph is), on large random graphs and under a time
// limit. Every Hamiltonian answer's cycle is checked against the graph.
#include <gtest/gtest.h>

#include "exact/conditions.h"
#include "exact/exact.h"
#include "families/families.h"
#include "check/report.h"
#include "check/check_support.h"

namespace bicubic::exact {
namespace {

using testing::EdgeList;
using testing::fromEdges;

struct Named {
  const char* name;
  SimpleGraph graph;
  bool hamiltonian;
};

std::vector<Named> namedGraphs() {
  EdgeList k4, k33, k23, cycle5, twoTriangles, bowtie, path4, theta;
  for (int i = 0; i < 4; ++i) {
    for (int j = i + 1; j < 4; ++j) k4.emplace_back(i, j);
  }
  for (int i = 0; i < 3; ++i) {
    for (int j = 3; j < 6; ++j) k33.emplace_back(i, j);
  }
  for (int i = 0; i < 2; ++i) {
    for (int j = 2; j < 5; ++j) k23.emplace_back(i, j);
  }
  for (int i = 0; i < 5; ++i) cycle5.emplace_back(i, (i + 1) % 5);
  twoTriangles = {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}};
  bowtie = {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 4}, {4, 2}};  // vertex 2 is a cut vertex
  path4 = {{0, 1}, {1, 2}, {2, 3}};
  theta = {{0, 2}, {2, 1}, {0, 3}, {3, 1}, {0, 4}, {4, 1}};  // three paths between 0 and 1
  return {
      {"no vertex", SimpleGraph(0), false},
      {"one vertex", SimpleGraph(1), false},
      {"one edge", fromEdges(2, {{0, 1}}), false},
      {"triangle", fromEdges(3, {{0, 1}, {1, 2}, {2, 0}}), true},
      {"path", fromEdges(4, path4), false},
      {"five-cycle", fromEdges(5, cycle5), true},
      {"K4", fromEdges(4, k4), true},
      {"K3,3", fromEdges(6, k33), true},
      {"K2,3 (unbalanced)", fromEdges(5, k23), false},
      {"theta graph", fromEdges(5, theta), false},
      {"two triangles", fromEdges(6, twoTriangles), false},
      {"bowtie", fromEdges(5, bowtie), false},
      {"cube", testing::cube(), true},
      {"Petersen", testing::petersen(), false},
      {"Heawood", testing::heawood(), true},
      {"20-vertex cubic bipartite", testing::smallestNonHamiltonianCubicBipartite(), false},
  };
}

TEST(ExactSolver, NamedGraphs) {
  ExactSolver solver;
  for (const Named& named : namedGraphs()) {
    const ExactResult result = solver.solve(named.graph, Deadline());
    EXPECT_EQ(result.answer, named.hamiltonian ? Answer::Hamiltonian : Answer::NonHamiltonian) << named.name;
    if (named.graph.order() >= 3) {
      EXPECT_EQ(testing::bruteForceHamiltonian(named.graph), named.hamiltonian) << named.name;
    }
    if (named.hamiltonian) {
      EXPECT_TRUE(isHamiltonianCycle(named.graph, result.cycle)) << named.name;
    }
  }
}

// The conditions that ask the deadline say what the plain ones say (each named graph fails a
// different one, or none), and stop on a large graph once the deadline has passed.
TEST(NecessaryConditions, DeadlineVersionAgreesAndStops) {
  for (const Named& named : namedGraphs()) {
    const ConditionsVerdict expected = passesNecessaryConditions(named.graph) ? ConditionsVerdict::Pass : ConditionsVerdict::Fail;
    EXPECT_EQ(checkNecessaryConditions(named.graph, Deadline()), expected) << named.name;
  }
  Rng rng(9);
  const SimpleGraph large = randomCubicBipartite(50000, rng);
  EXPECT_EQ(checkNecessaryConditions(large, Deadline()), ConditionsVerdict::Pass);
  EXPECT_EQ(checkNecessaryConditions(large, Deadline::after(0)), ConditionsVerdict::Stopped);
}

TEST(ExactSolver, TwentyVertexGraphIsCubicBipartiteAndFitsTheSplices) {
  const SimpleGraph k = testing::smallestNonHamiltonianCubicBipartite();
  ASSERT_EQ(k.order(), 20);
  for (std::int32_t v = 0; v < k.order(); ++v) ASSERT_EQ(k.degree(v), 3);
  EXPECT_FALSE(twoColouring(k).empty());
  EXPECT_TRUE(isConnected(k));
}

// Splices of a small graph into a random cubic bipartite one, at several sizes: the result is
// Hamiltonian exactly when the small graph is (cut arguments), and is proven so quickly.
enum class Small { Heawood, TwentyVertex, Petersen };

struct Splice {
  const char* name;
  bool threeCut;
  Small small;
  std::int32_t order;
};

class SpliceFamily : public ::testing::TestWithParam<Splice> {};

TEST_P(SpliceFamily, AnswerFollowsTheSmallGraph) {
  const Splice& s = GetParam();
  // The 20-vertex graph has 2-edge cuts of its own; Petersen has none and no 3-edge cut but
  // the trivial ones, so its 3-cut splice can only be refuted by splitting along that cut.
  const SimpleGraph small = s.small == Small::Heawood        ? testing::heawood()
                            : s.small == Small::TwentyVertex ? testing::smallestNonHamiltonianCubicBipartite()
                                                             : testing::petersen();
  const bool smallIsHamiltonian = s.small == Small::Heawood;
  Rng rng(static_cast<std::uint64_t>(s.order) * 7 + (s.threeCut ? 1 : 0));
  const std::int32_t largeOrder = s.order - small.order() + (s.threeCut ? 2 : 0);
  const SimpleGraph large = randomCubicBipartite(largeOrder / 2, rng);
  const SimpleGraph g = shuffled(s.threeCut ? spliceThreeCut(small, large) : spliceTwoCut(small, large), rng);
  ASSERT_EQ(g.order(), s.order);
  for (std::int32_t v = 0; v < g.order(); ++v) ASSERT_EQ(g.degree(v), 3);
  EXPECT_EQ(twoColouring(g).empty(), s.small == Small::Petersen);

  ExactSolver::Options reduceFirst;
  reduceFirst.rotationFirst = false;
  ExactSolver solver(reduceFirst);
  const ExactResult result = solver.solve(g, Deadline::after(30));
  EXPECT_EQ(result.answer, smallIsHamiltonian ? Answer::Hamiltonian : Answer::NonHamiltonian);
  if (smallIsHamiltonian) {
    EXPECT_TRUE(isHamiltonianCycle(g, result.cycle));
  }
  // The answer must come from the cut reduction: the small graph's side decided once per pair of
  // crossing edges in the first rounds, not from a search of the whole graph.
  EXPECT_GE(solver.stats().pieceDecisions, 1);
  EXPECT_LE(solver.stats().reductionRounds, 4);
  EXPECT_EQ(solver.stats().rotationCycles, smallIsHamiltonian ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, SpliceFamily,
    ::testing::Values(Splice{"two_cut_no_200", false, Small::TwentyVertex, 200},
                      Splice{"three_cut_no_200", true, Small::TwentyVertex, 200},
                      Splice{"two_cut_no_4998", false, Small::TwentyVertex, 4998},
                      Splice{"three_cut_no_4998", true, Small::TwentyVertex, 4998},
                      Splice{"petersen_two_cut_no_1000", false, Small::Petersen, 1000},
                      Splice{"petersen_three_cut_no_1000", true, Small::Petersen, 1000},
                      Splice{"two_cut_yes_300", false, Small::Heawood, 300},
                      Splice{"three_cut_yes_300", true, Small::Heawood, 300}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExactSolver, RandomCubicBipartiteGraphsGetVerifiedCycles) {
  Rng rng(99);
  ExactSolver solver;
  for (std::int32_t n : {100, 1000, 4998}) {
    const SimpleGraph g = shuffled(randomCubicBipartite(n / 2, rng), rng);
    const ExactResult result = solver.solve(g, Deadline::after(30));
    ASSERT_EQ(result.answer, Answer::Hamiltonian) << n;
    EXPECT_TRUE(isHamiltonianCycle(g, result.cycle)) << n;
  }
}

TEST(ExactSolver, ExpiredDeadlineGivesUnknownNeverNo) {
  Rng rng(5);
  const SimpleGraph g = randomCubicBipartite(500, rng);
  ExactSolver solver;
  const ExactResult result = solver.solve(g, Deadline::after(0));
  EXPECT_EQ(result.answer, Answer::Unknown);
  EXPECT_TRUE(result.cycle.empty());
  // Necessary conditions still answer at once: they need no search.
  EXPECT_EQ(solver.solve(testing::petersen(), Deadline::after(0)).answer, Answer::Unknown);
  EXPECT_EQ(solver.solve(fromEdges(4, {{0, 1}, {1, 2}, {2, 3}}), Deadline::after(0)).answer, Answer::NonHamiltonian);
  // A limit too far away for the clock is no limit rather than an overflow into the past.
  EXPECT_FALSE(Deadline::after(1e300).expired());
  EXPECT_EQ(solver.solve(testing::petersen(), Deadline::after(1e300)).answer, Answer::NonHamiltonian);
}

}  // namespace
}  // namespace bicubic::exact

namespace bicubic::exact {
namespace {

// Beyond the sizes the brute force can reach: the cut splitting must agree with the plain
// backtracking on random sparse graphs of 20 to 49 vertices, a third of them two random blobs
// joined by two or three edges so that the splitting has cuts to work on.
TEST(ExactSolver, CutSplittingAgreesWithPlainBacktracking) {
  ExactSolver::Options splitting;
  splitting.directSearchOrder = 6;
  splitting.earlyRotationOrder = 1 << 30;
  splitting.rotationFirst = false;  // no short search before the splitting
  ExactSolver::Options plain;
  plain.directSearchOrder = 1 << 30;
  plain.earlyRotationOrder = 1 << 30;
  ExactSolver split(splitting), whole(plain);
  Rng rng(42);
  std::int64_t cutsSplit = 0, hamiltonian = 0;
  for (int t = 0; t < 1000; ++t) {
    const auto n = static_cast<std::int32_t>(20 + rng.below(30));
    SimpleGraph g(n);
    if (t % 3 == 0) {
      const std::int32_t half = n / 2;
      for (std::int32_t v = 0; v < n; ++v) {
        for (int k = 0; k < 2; ++k) {
          const auto w = static_cast<std::int32_t>(v < half ? rng.below(static_cast<std::uint32_t>(half))
                                                            : half + rng.below(static_cast<std::uint32_t>(n - half)));
          g.addEdge(v, w);
        }
      }
      const int bridges = 2 + static_cast<int>(rng.below(2));
      for (int k = 0; k < bridges; ++k) {
        g.addEdge(static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(half))),
                  half + static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n - half))));
      }
    } else {
      for (std::int32_t v = 0; v < n; ++v) {
        const int degree = 2 + static_cast<int>(rng.below(2));
        for (int k = 0; k < degree; ++k) g.addEdge(v, static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(n))));
      }
    }
    ExactResult a, b;
    ASSERT_NO_FATAL_FAILURE(testing::solveAndCompare(split, whole, g, 30, t, a, b));
    if (a.answer == Answer::Hamiltonian) {
      ++hamiltonian;
      EXPECT_TRUE(isHamiltonianCycle(g, b.cycle)) << t;
    }
    cutsSplit += split.stats().cutsSplit;
  }
  // Both answers must be well represented, and the splitting must have been exercised.
  EXPECT_GT(hamiltonian, 200);
  EXPECT_LT(hamiltonian, 800);
  EXPECT_GT(cutsSplit, 100);
}

}  // namespace
}  // namespace bicubic::exact
