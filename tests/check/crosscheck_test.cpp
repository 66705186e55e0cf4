// The solver against the independent brute force on every graph nauty lists for a family:
// connected cubic bipartite graphs 3+3 to 11+11 and all connected graphs up to 8 vertices.
// Each family runs three times: with the default settings, with the cut splitting forced on from
// 7 vertices (so the decomposition itself is checked on thousands of small graphs), and with the
// frontier programme deciding every piece in place of the backtracking.
#include <gtest/gtest.h>

#include "exact/exact.h"
#include "check/formats.h"
#include "check/report.h"
#include "check_support.h"

namespace bicubic::check {
namespace {

using exact::Deadline;
using exact::ExactResult;
using exact::isHamiltonianCycle;
using exact::ExactSolver;
using exact::FrontierSearch;

struct Family {
  std::string command;
  std::int64_t expectedGraphs;
  bool fourEdgeCuts = false;  // whether graphs with 4-edge cut sides of 6 or more must occur
};

void PrintTo(const Family& family, std::ostream* os) { *os << family.command; }

void crossCheck(const Family& family) {
  const auto lines = testing::nautyGraphs(family.command);
  if (!lines) GTEST_SKIP() << "nauty is not installed (apt-get install nauty); skipped: " << family.command;
  ASSERT_EQ(static_cast<std::int64_t>(lines->size()), family.expectedGraphs) << family.command;
  ExactSolver plain;
  ExactSolver::Options splitting;
  splitting.directSearchOrder = 6;
  splitting.smallSearch = false;
  splitting.earlyRotationOrder = 1 << 30;
  // The 4-edge cut reduction too, on every graph the smaller cuts leave whole.
  splitting.fourCutMinOrder = 7;
  splitting.quickSearchNodes = 0;
  ExactSolver split(splitting);
  // The frontier programme in place of the backtracking on every piece of 3 vertices or more.
  ExactSolver::Options viaFrontier;
  viaFrontier.frontierMinOrder = 3;
  viaFrontier.smallSearch = false;
  viaFrontier.quickSearchNodes = 0;
  viaFrontier.frontier.maxWidth = FrontierSearch::kWidthLimit;
  ExactSolver frontier(viaFrontier);
  SimpleGraph g;
  std::string error;
  std::int64_t cutsSplit = 0, frontierRuns = 0, fourCutPieces = 0;
  for (const std::string& line : *lines) {
    ASSERT_TRUE(decodeGraph6(line, g, error)) << line << ": " << error;
    const bool expected = testing::bruteForceHamiltonian(g);
    for (ExactSolver* solver : {&plain, &split, &frontier}) {
      const ExactResult result = solver->solve(g, Deadline());
      ASSERT_EQ(result.answer, expected ? Answer::Hamiltonian : Answer::NonHamiltonian)
          << family.command << ": " << line << (solver == &split ? " (cut splitting)" : "")
          << (solver == &frontier ? " (frontier programme)" : "");
      if (expected) {
        EXPECT_TRUE(isHamiltonianCycle(g, result.cycle)) << line;
      }
      if (solver == &split) cutsSplit += solver->stats().cutsSplit;
      if (solver == &split) fourCutPieces += solver->stats().fourCutPiecesReplaced + solver->stats().fourCutPiecesKept;
      if (solver == &frontier) frontierRuns += solver->stats().frontierRuns;
    }
  }
  // The larger families have graphs with small edge cuts, so the splitting must have been used.
  if (family.expectedGraphs >= 500) {
    EXPECT_GT(cutsSplit, 0) << family.command;
  }
  if (family.fourEdgeCuts) {
    EXPECT_GT(fourCutPieces, 0) << family.command;
  }
  // Pieces that pass the necessary conditions reach the programme, which never gives up here.
  EXPECT_GT(frontierRuns, 0) << family.command;
}

class BicubicFamily : public ::testing::TestWithParam<Family> {};

TEST_P(BicubicFamily, MatchesBruteForce) { crossCheck(GetParam()); }

// Counts as nauty-genbg reports them; a short list would mean the generator failed midway.
INSTANTIATE_TEST_SUITE_P(Nauty, BicubicFamily,
                         ::testing::Values(Family{"nauty-genbg -c -d3:3 -D3:3 3 3", 1},
                                           Family{"nauty-genbg -c -d3:3 -D3:3 4 4", 1},
                                           Family{"nauty-genbg -c -d3:3 -D3:3 5 5", 2},
                                           Family{"nauty-genbg -c -d3:3 -D3:3 6 6", 6},
                                           Family{"nauty-genbg -c -d3:3 -D3:3 7 7", 15},
                                           Family{"nauty-genbg -c -d3:3 -D3:3 8 8", 48},
                                           Family{"nauty-genbg -c -d3:3 -D3:3 9 9", 215},
                                           Family{"nauty-genbg -c -d3:3 -D3:3 10 10", 1140, true},
                                           Family{"nauty-genbg -c -d3:3 -D3:3 11 11", 7376, true}));

class GeneralFamily : public ::testing::TestWithParam<Family> {};

TEST_P(GeneralFamily, MatchesBruteForce) { crossCheck(GetParam()); }

INSTANTIATE_TEST_SUITE_P(NautyBipartite, GeneralFamily,
                         // bipartite, degrees 2 to 4: where the 2-factor flow check runs
                         ::testing::Values(Family{"nauty-genbg -c -q -d2:2 -D4:4 5 5", 510},
                                           Family{"nauty-genbg -c -q -d2:2 -D4:4 6 6", 11306}));

INSTANTIATE_TEST_SUITE_P(Nauty, GeneralFamily,
                         ::testing::Values(Family{"nauty-geng -c -q 4", 6}, Family{"nauty-geng -c -q 5", 21},
                                           Family{"nauty-geng -c -q 6", 112}, Family{"nauty-geng -c -q 7", 853},
                                           Family{"nauty-geng -c -q 8", 11117},
                                           // cubic graphs, bipartite or not, up to 16 vertices
                                           Family{"nauty-geng -c -q -d3 -D3 12", 85},
                                           Family{"nauty-geng -c -q -d3 -D3 14", 509},
                                           Family{"nauty-geng -c -q -d3 -D3 16", 4060}));

}  // namespace
}  // namespace bicubic::check
