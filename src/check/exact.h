// ExactSolver: decides whether a simple graph has a Hamiltonian cycle. "Hamiltonian" comes with
// a cycle (which the caller still verifies against the input); "non-Hamiltonian" only from an
// exhaustive argument: necessary conditions (degrees, connectivity, bipartite balance, cut
// vertices), splitting along 2- and 3-edge cuts, and on what remains the frontier dynamic
// programme (when the piece has an order with a small frontier) or the backtracking search.
#pragma once

#include <cstdint>
#include <vector>

#include "check/backtrack.h"
#include "check/answer.h"
#include "check/deadline.h"
#include "check/frontier.h"
#include "check/rng.h"
#include "check/simple_graph.h"

namespace bicubic::check {

struct ExactResult {
  Answer answer = Answer::Unknown;
  std::vector<std::int32_t> cycle;  // vertices in cycle order when Hamiltonian
};

class ExactSolver {
 public:
  struct Options {
    // Pieces up to this order go straight to the backtracking search.
    std::int32_t directSearchOrder = 40;
    // From this order on, a short rotation-extension attempt comes before the 3-edge cut search.
    std::int32_t earlyRotationOrder = 200;
    // 3-edge cuts whose edges lie within this many steps are looked for before all 3-edge
    // cuts; 0 skips that search.
    std::int32_t nearCutRadius = 3;
    // Pieces of this order up to frontierMaxOrder try the frontier dynamic programme before
    // the backtracking search (below it the backtracking is quicker than planning an order).
    std::int32_t frontierMinOrder = 41;
    std::int32_t frontierMaxOrder = 600;
    // There, a backtracking run of this many nodes comes first (it finds most cycles).
    std::int64_t quickSearchNodes = 200;
    FrontierSearch::Options frontier;
  };
  ExactSolver() = default;
  explicit ExactSolver(const Options& options) : options_(options), frontier_(options.frontier) {}

  ExactResult solve(const SimpleGraph& g, const Deadline& deadline);

  // What the last solve used, for tests and benchmarks.
  struct Stats {
    std::int64_t backtrackNodes = 0;
    std::int32_t cutsSplit = 0;
    std::int32_t rotationCycles = 0;
    std::int32_t frontierRuns = 0;      // pieces the frontier programme decided
    std::int64_t frontierStates = 0;    // its states over all steps and pieces
  };
  const Stats& stats() const { return stats_; }

 private:
  Answer solvePiece(const SimpleGraph& g, std::vector<std::int32_t>& cycle, int depth);
  // Whether the vertices of one side of a cut have a path through all of them from a to b; on
  // success path holds it (vertex numbers of g).
  Answer sidePath(const SimpleGraph& g, const std::vector<char>& inSide, std::int32_t sideSize, std::int32_t a,
                  std::int32_t b, const std::vector<std::int8_t>& colour, std::vector<std::int32_t>& path, int depth);

  Options options_;
  Backtracker backtracker_;
  FrontierSearch frontier_;
  Rng rng_{12345};
  const Deadline* deadline_ = nullptr;
  Stats stats_;
};

}  // namespace bicubic::check
