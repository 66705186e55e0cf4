// ExactSolver: decides whether a simple graph has a Hamiltonian cycle. "Hamiltonian" comes with
// a cycle (which the caller still verifies against the input); "non-Hamiltonian" only from an
// exhaustive argument: necessary conditions (degrees, connectivity, bipartite balance, cut
// vertices), the reduction along 2- and 3-edge cuts (decompose.h), and on each piece and on what
// remains the rotation-extension attempt, the frontier dynamic programme or the backtracking.
// Random choices are seeded from the graph itself, so a graph gets the same work whatever was
// solved before it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "exact/answer.h"
#include "exact/backtrack.h"
#include "exact/deadline.h"
#include "exact/decompose.h"
#include "exact/frontier.h"
#include "exact/rng.h"
#include "exact/simple_graph.h"
#include "exact/small_search.h"

namespace bicubic::exact {

struct ExactResult {
  Answer answer = Answer::Unknown;
  std::vector<std::int32_t> cycle;  // vertices in cycle order when Hamiltonian
};

class ExactSolver {
 public:
  struct Options {
    // Graphs up to this order go straight to the searches, without the cut reduction.
    std::int32_t directSearchOrder = 40;
    // Graphs of at most SmallSearch::kMaxOrder vertices and degree 3 go to the small-graph
    // search first: without limit up to directSearchOrder, above it for this many nodes.
    bool smallSearch = true;
    std::int64_t smallSearchNodes = 100'000;
    // Whether larger graphs are reduced along their small edge cuts first.
    bool reduceCuts = true;
    CutReducer::Options cuts;
    // When the reduced graph has more than wideCutSearchOrder vertices and the rotations find no
    // cycle, every pair of edges is tried for 3-edge cuts (quadratic) on graphs up to this many
    // edges: a piece the near search missed is far cheaper to find than to search through.
    std::int32_t wideCutSearchOrder = 600;
    std::int64_t wideCutSearchEdges = 50000;
    // From this order on, a rotation-extension attempt comes before the exact searches, and with
    // rotationFirst a short one before the cut reduction too.
    std::int32_t earlyRotationOrder = 200;
    bool rotationFirst = true;
    // Graphs of this order up to frontierMaxOrder try the frontier dynamic programme before
    // the backtracking search (below it the backtracking is quicker than planning an order).
    std::int32_t frontierMinOrder = 41;
    std::int32_t frontierMaxOrder = 100'000;
    // There, a backtracking run of this many nodes comes first (it finds most cycles).
    std::int64_t quickSearchNodes = 200;
    // The 4-edge cut reduction (see CutReducer::Options::fourEdgeCuts) runs on what the smaller
    // cuts leave only above this order (the small-graph search is quicker below) and only when
    // a short search of it found no cycle.
    std::int32_t fourCutMinOrder = SmallSearch::kMaxOrder + 1;
    FrontierSearch::Options frontier;
  };
  ExactSolver() = default;
  explicit ExactSolver(const Options& options) : options_(options), frontier_(options.frontier) {}

  ExactResult solve(const SimpleGraph& g, const Deadline& deadline);

  // What the last solve used, for tests and benchmarks.
  struct Stats {
    std::int64_t backtrackNodes = 0;
    std::int64_t smallSearchNodes = 0;
    std::int32_t cutsSplit = 0;       // pieces the cut reduction decided
    std::int32_t reductionRounds = 0;
    std::int32_t pieceDecisions = 0;  // one per piece and pair of crossing edges
    std::array<std::int32_t, 4> threeCutPiecesByPairs{};  // see CutReducer::Stats
    std::int32_t fourCutPiecesReplaced = 0;
    std::int32_t fourCutPiecesKept = 0;
    std::int32_t coreOrder = 0;  // order of the reduced graph left to the searches
    std::int32_t rotationCycles = 0;
    std::int32_t frontierRuns = 0;      // graphs the frontier programme decided
    std::int64_t frontierStates = 0;    // its states over all steps and graphs
  };
  const Stats& stats() const { return stats_; }

 private:
  // inputQuickSearched: the short backtracking run (quickSearch below the rotations' order) found
  // no cycle in g already.
  Answer solveReduced(const SimpleGraph& g, std::vector<std::int32_t>& cycle, bool inputQuickSearched);
  bool needsWideCutSearch(const SimpleGraph& core) const;
  Answer quickSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle);
  // Decides one graph (a piece with its stand-ins, or the reduced graph) without cut reduction.
  Answer decide(const SimpleGraph& g, std::vector<std::int32_t>& cycle);
  Answer frontierSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle);
  Answer smallSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle);

  Options options_;
  Backtracker backtracker_;
  SmallSearch small_;
  FrontierSearch frontier_;
  Rng rng_;
  const Deadline* deadline_ = nullptr;
  bool skipQuickSearch_ = false;
  Stats stats_;
};


}  // namespace bicubic::exact
