#include "exact/exact.h"

#include <limits>

#include "exact/index.h"
#include "exact/rotation.h"

namespace bicubic::exact {

namespace {
// Rotation steps per vertex before the exact searches take over, and in the short attempt that
// comes before the search of all edge pairs for cuts (most Hamiltonian graphs end there).
constexpr std::int64_t kRotationStepsPerVertex = 200;
constexpr std::int64_t kShortRotationStepsPerVertex = 20;
}  // namespace

ExactResult ExactSolver::solve(const SimpleGraph& g, const Deadline& deadline) {
  deadline_ = &deadline;
  stats_ = {};
  ExactResult result;
  // The small-graph search settles nearly every graph it takes (alone up to directSearchOrder,
  // within its node budget, before the cut reduction, up to its order) far quicker than a
  // reduction; and it needs no seed (it draws nothing): in a family of millions of graphs the
  // seed's pass over the edges would be a tenth of the cost.
  const bool smallFirst = g.order() <= options_.directSearchOrder ||
                          (options_.rotationFirst && g.order() <= SmallSearch::kMaxOrder);
  if (smallFirst && options_.smallSearch && !deadline.expired()) {
    result.answer = smallSearch(g, result.cycle);
    if (result.answer != Answer::Unknown) return result;
  }
  rng_ = Rng(graphSeed(g));
  // Large graphs are Hamiltonian more often than not, and a short rotation attempt finds their
  // cycle in a fraction of what the cut search would cost; failing it proves nothing.
  if (options_.rotationFirst && g.order() >= options_.earlyRotationOrder &&
      rotationExtensionCycle(g, kShortRotationStepsPerVertex * g.order(), rng_, deadline, result.cycle)) {
    ++stats_.rotationCycles;
    result.answer = Answer::Hamiltonian;
    return result;
  }
  const bool reduce = options_.reduceCuts && g.order() > options_.directSearchOrder;
  bool inputQuickSearched = false;
  // Below that order a backtracking run of a few hundred nodes does the same, at a fraction of
  // the cost of the cut searches.
  if (options_.rotationFirst && reduce && g.order() < options_.earlyRotationOrder) {
    result.answer = backtracker_.run(g, deadline, result.cycle, options_.quickSearchNodes);
    stats_.backtrackNodes += backtracker_.nodes();
    if (result.answer == Answer::Hamiltonian) return result;
    inputQuickSearched = true;
  }
  result.answer = reduce ? solveReduced(g, result.cycle, inputQuickSearched) : decide(g, result.cycle);
  if (result.answer != Answer::Hamiltonian) result.cycle.clear();
  return result;
}

// The reducer's first round checks the necessary conditions on g itself. The 4-edge cuts cost a
// search of near edge pairs and up to nine decisions a piece: they are looked for only when a
// short search of what the smaller cuts leave finds no cycle.
Answer ExactSolver::solveReduced(const SimpleGraph& g, std::vector<std::int32_t>& cycle, bool inputQuickSearched) {
  CutReducer::Options first = options_.cuts;
  first.fourEdgeCuts = false;
  CutReducer reducer(first);
  const CutReducer::Decider decider = [this](const SimpleGraph& piece, std::vector<std::int32_t>& path) {
    return decide(piece, path);
  };
  std::vector<std::int32_t> coreCycle;
  CutReducer::Outcome outcome = reducer.reduce(g, decider, rng_, *deadline_);
  Answer answer = Answer::Unknown;
  bool searched = false;  // whether a short search of the core found no cycle
  std::int32_t piecesAtQuickSearch = -1;
  if (outcome == CutReducer::Outcome::Reduced && options_.cuts.fourEdgeCuts &&
      reducer.core().order() >= options_.fourCutMinOrder) {
    // The same short search already failed on the input, when the core is still the input.
    const bool coreSearched = inputQuickSearched && reducer.stats().piecesDecided == 0;
    answer = coreSearched ? Answer::Unknown : quickSearch(reducer.core(), coreCycle);
    searched = answer == Answer::Unknown;
    piecesAtQuickSearch = reducer.stats().piecesDecided;
    if (searched) outcome = reducer.reduceFurther(options_.cuts.search, true, decider, rng_, *deadline_);
  }
  if (outcome == CutReducer::Outcome::Reduced && answer == Answer::Unknown && needsWideCutSearch(reducer.core())) {
    // The near search leaves cuts whose edges lie far apart. Before a search of a large graph
    // that resists the rotations, every pair of edges is tried (quadratic, but far cheaper than
    // an exhaustive search of a graph holding a piece without cycle).
    if (!searched && quickSearch(reducer.core(), coreCycle) == Answer::Hamiltonian) {
      answer = Answer::Hamiltonian;
    } else {
      CutSearch wide = options_.cuts.search;
      wide.allPairsEdgeLimit = options_.wideCutSearchEdges;
      outcome = reducer.reduceFurther(wide, options_.cuts.fourEdgeCuts, decider, rng_, *deadline_);
    }
  }
  stats_.cutsSplit = reducer.stats().piecesDecided;
  stats_.reductionRounds = reducer.stats().rounds;
  stats_.pieceDecisions = reducer.stats().pieceDecisions;
  stats_.threeCutPiecesByPairs = reducer.stats().threeCutPiecesByPairs;
  stats_.fourCutPiecesReplaced = reducer.stats().fourCutPiecesReplaced;
  stats_.fourCutPiecesKept = reducer.stats().fourCutPiecesKept;
  stats_.coreOrder = reducer.core().order();
  if (outcome == CutReducer::Outcome::NonHamiltonian) return Answer::NonHamiltonian;
  if (outcome == CutReducer::Outcome::Unknown) return Answer::Unknown;
  // The core the short search failed on, unchanged since, needs no second short search.
  skipQuickSearch_ = piecesAtQuickSearch == reducer.stats().piecesDecided;
  if (answer == Answer::Unknown) answer = decide(reducer.core(), coreCycle);
  skipQuickSearch_ = false;
  if (answer != Answer::Hamiltonian) return answer;
  cycle = reducer.expand(coreCycle);
  // The expansion follows the gadgets' bookkeeping; a cycle that does not fit is a fault, and
  // is answered Unknown rather than passed on as a certificate.
  return isHamiltonianCycle(g, cycle) ? Answer::Hamiltonian : Answer::Unknown;
}

// A short attempt that settles most graphs with a cycle: the rotations on large graphs, a
// backtracking run of a few hundred nodes on the others. Unknown when it proves nothing.
Answer ExactSolver::quickSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle) {
  if (g.order() >= options_.earlyRotationOrder) {
    if (!rotationExtensionCycle(g, kRotationStepsPerVertex * g.order(), rng_, *deadline_, cycle)) {
      return Answer::Unknown;
    }
    ++stats_.rotationCycles;
    return Answer::Hamiltonian;
  }
  const Answer answer = backtracker_.run(g, *deadline_, cycle, options_.quickSearchNodes);
  stats_.backtrackNodes += backtracker_.nodes();
  return answer;
}

bool ExactSolver::needsWideCutSearch(const SimpleGraph& core) const {
  return core.order() > options_.wideCutSearchOrder && core.edgeCount() > options_.cuts.search.allPairsEdgeLimit &&
         core.edgeCount() <= options_.wideCutSearchEdges;
}

Answer ExactSolver::decide(const SimpleGraph& g, std::vector<std::int32_t>& cycle) {
  const std::int32_t n = g.order();
  // Past the deadline only the necessary conditions, which need no search, may still answer,
  // and only on a graph small enough that they cost nothing next to the time limit.
  if (deadline_->expired()) {
    if (g.edgeCount() > kCheapConditionsEdges) return Answer::Unknown;
    return passesNecessaryConditions(g, twoColouring(g)) ? Answer::Unknown : Answer::NonHamiltonian;
  }
  if (options_.smallSearch && n <= SmallSearch::kMaxOrder) {
    const Answer answer = smallSearch(g, cycle);
    if (answer != Answer::Unknown) return answer;
  }
  if (!passesNecessaryConditions(g, twoColouring(g))) return Answer::NonHamiltonian;
  if (deadline_->expired()) return Answer::Unknown;
  if (n > options_.directSearchOrder && n >= options_.earlyRotationOrder &&
      rotationExtensionCycle(g, kRotationStepsPerVertex * n, rng_, *deadline_, cycle)) {
    ++stats_.rotationCycles;
    return Answer::Hamiltonian;
  }
  if (n >= options_.frontierMinOrder && n <= options_.frontierMaxOrder) {
    const Answer answer = frontierSearch(g, cycle);
    if (answer != Answer::Unknown) return answer;
  }
  if (deadline_->expired()) return Answer::Unknown;
  const Answer answer = backtracker_.run(g, *deadline_, cycle);
  stats_.backtrackNodes += backtracker_.nodes();
  return answer;
}

// Small cubic and subcubic graphs (a nauty family's, or the pieces between cuts) are decided by
// the fixed-size search, which allocates nothing; it answers Unknown for graphs it does not take
// (a degree above 3) and, above the direct search order, past its node budget.
Answer ExactSolver::smallSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle) {
  if (!small_.load(g)) return Answer::Unknown;
  const std::int64_t budget = g.order() <= options_.directSearchOrder ? std::numeric_limits<std::int64_t>::max()
                                                                      : options_.smallSearchNodes;
  const Answer answer = small_.run(cycle, budget);
  stats_.smallSearchNodes += small_.nodes();
  return answer;
}

// Hamiltonian graphs usually fall to a short backtracking run; the frontier programme pays on
// the others. Both are exact: the programme's "no" means its state set ran empty. It gives up
// (Unknown) when its order is too wide or the states exceed their budget, and the unlimited
// backtracking then decides.
Answer ExactSolver::frontierSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle) {
  if (!skipQuickSearch_) {
    const Answer quick = backtracker_.run(g, *deadline_, cycle, options_.quickSearchNodes);
    stats_.backtrackNodes += backtracker_.nodes();
    if (quick != Answer::Unknown) return quick;
  }
  if (deadline_->expired()) return Answer::Unknown;
  const Answer answer = frontier_.run(g, *deadline_, cycle);
  stats_.frontierStates += frontier_.states();
  if (answer != Answer::Unknown) ++stats_.frontierRuns;
  return answer;
}

}  // namespace bicubic::exact
