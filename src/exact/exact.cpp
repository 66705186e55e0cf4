#include "exact/exact.h"

#include <limits>

#include "exact/conditions.h"
#include "exact/index.h"
#include "exact/rotation.h"

namespace bicubic::exact {

// The pipeline: each line is one stage, and the first that answers (or meets a limit) ends it.
ExactResult ExactSolver::solve(const SimpleGraph& g, const Deadline& deadline) {
  deadline_ = &deadline;
  stats_ = {};
  Pass pass;
  pass.graph = &g;
  (void)(smallSearchFirst(pass) ||  // the small-graph search, on the graphs it takes whole
         shortSearchFirst(pass) ||  // a short search for a cycle (rotations or backtracking)
         conditions(pass) ||        // the necessary conditions
         reduceCuts(pass) ||        // the reduction along small cuts
         decide(pass));             // then rotations, frontier and backtracking on what is left
  if (pass.graph != &g) expandCycle(g, pass);
  ExactResult result;
  result.answer = pass.answer;
  result.decidedBy = pass.answer == Answer::Unknown ? Stage::None : pass.decidedBy;
  if (result.answer == Answer::Hamiltonian) result.cycle = std::move(pass.cycle);
  keepEvidence(g, pass, result);
  return result;
}

// The cut is read off the input around the piece: a gadget keeps each crossing edge's end
// outside, so the piece's input edges leaving it are the cut it was refused at (plus, where a
// gadget inside dropped a crossing edge no cycle can use, that edge). Past 4 edges the picture
// would not be the cut the reduction argued about, and none is given.
void ExactSolver::keepEvidence(const SimpleGraph& g, Pass& pass, ExactResult& result) {
  if (result.answer != Answer::NonHamiltonian || pass.blockedSide.empty()) return;
  std::vector<bool> inside(at(g.order()), false);
  for (std::int32_t v : pass.blockedSide) inside[at(v)] = true;
  for (std::int32_t v : pass.blockedSide) {
    for (std::int32_t w : g.neighbours(v)) {
      if (!inside[at(w)]) result.cutEdges.emplace_back(v, w);
    }
  }
  if (result.cutEdges.size() > kMaxCutEdges) {
    result.cutEdges.clear();
    return;
  }
  result.blockedSide = std::move(pass.blockedSide);
}

bool ExactSolver::settle(Pass& pass, Stage stage, Answer answer) {
  if (answer == Answer::Unknown) return pass.stop;
  pass.answer = answer;
  pass.decidedBy = stage;
  return true;
}

bool ExactSolver::stopped(Pass& pass) {
  pass.stop = true;
  return true;
}

// The small-graph search settles nearly every graph it takes (alone up to directSearchOrder,
// within its node budget, before the cut reduction, up to its order) far quicker than a
// reduction; and it needs no seed (it draws nothing): in a family of millions of graphs the
// seed's pass over the edges would be a tenth of the cost. The other stages draw from the seed.
bool ExactSolver::smallSearchFirst(Pass& pass) {
  const SimpleGraph& g = *pass.graph;
  const bool first = g.order() <= options_.directSearchOrder ||
                     (options_.rotationFirst && g.order() <= SmallSearch::kMaxOrder);
  if (first && options_.smallSearch && !deadline_->expired()) {
    pass.smallSearched = true;
    if (settle(pass, Stage::SmallSearch, smallSearch(g, pass.cycle))) return true;
  }
  rng_ = Rng(graphSeed(g));
  return false;
}

// Large graphs are Hamiltonian more often than not, and a brief rotation attempt finds their
// cycle in a fraction of what the cut search would cost; below that order a backtracking run of
// a few hundred nodes does the same. Failing proves nothing.
bool ExactSolver::shortSearchFirst(Pass& pass) {
  const SimpleGraph& g = *pass.graph;
  const bool reduce = options_.reduceCuts && g.order() > options_.directSearchOrder;
  if (!options_.rotationFirst || (g.order() < options_.earlyRotationOrder && !reduce)) return false;
  Stage stage = Stage::None;
  const Answer answer = shortSearch(g, options_.briefRotationStepsPerVertex, pass.cycle, stage);
  // The brief rotation attempt is not the short search the later stages would repeat.
  pass.shortSearched = g.order() < options_.earlyRotationOrder;
  return settle(pass, stage, answer);
}

// Past the deadline the conditions still run on graphs small enough that they cost nothing next
// to the time limit: they need no search and may settle the question.
bool ExactSolver::conditions(Pass& pass) {
  const SimpleGraph& g = *pass.graph;
  if (pass.conditionsChecked) return false;
  if (deadline_->expired() && g.edgeCount() > options_.cuts.cheapConditionsEdges) return stopped(pass);
  StageWork& work = stats_.stages[at(static_cast<std::int64_t>(Stage::Conditions))];
  ++work.runs;
  work.work += g.order() + g.edgeCount();
  if (!passesNecessaryConditions(g)) return settle(pass, Stage::Conditions, Answer::NonHamiltonian);
  pass.conditionsChecked = true;
  return false;
}

// Each piece passed the necessary conditions before it is asked.
CutReducer::Decider ExactSolver::pieceDecider() {
  return [this](const SimpleGraph& piece, std::vector<std::int32_t>& path) {
    Pass piecePass;
    piecePass.graph = &piece;
    piecePass.conditionsChecked = true;
    decide(piecePass);
    path = std::move(piecePass.cycle);
    return piecePass.answer;
  };
}

// The reduction along 2- and 3-edge cuts, and further reductions where they may pay. From here
// on the pass works on the reduced core.
bool ExactSolver::reduceCuts(Pass& pass) {
  const SimpleGraph& g = *pass.graph;
  if (!options_.reduceCuts || g.order() <= options_.directSearchOrder) return false;
  CutReducer::Options first = options_.cuts;
  first.fourEdgeCuts = false;
  reducer_ = CutReducer(first);
  const CutReducer& reducer = reducer_;
  CutReducer::Outcome outcome = reducer_.reduce(g, pieceDecider(), rng_, *deadline_, pass.conditionsChecked);
  if (outcome == CutReducer::Outcome::Reduced) outcome = reduceFurther(pass);
  keepReductionStats(reducer);
  StageWork& work = stats_.stages[at(static_cast<std::int64_t>(Stage::CutReduction))];
  ++work.runs;
  work.work += reducer.stats().piecesDecided;
  if (outcome == CutReducer::Outcome::NonHamiltonian) {
    pass.blockedSide = reducer.blockedSide();
    return settle(pass, Stage::CutReduction, Answer::NonHamiltonian);
  }
  if (outcome == CutReducer::Outcome::Unknown) return stopped(pass);
  pass.graph = &reducer.core();
  if (pass.answer != Answer::Unknown) return true;  // a short search of the core settled it
  if (reducer.stats().piecesDecided > 0) {
    pass.smallSearched = false;
    pass.conditionsChecked = reducer.coreChecked();
  }
  return false;
}

// The 4-edge cuts cost a search of near edge pairs and up to nine decisions a piece: they are
// looked for only when a short search of what the smaller cuts leave finds no cycle. The near
// search leaves cuts whose edges lie far apart: before a search of a large graph that resists
// the rotations, every pair of edges is tried (quadratic, but far cheaper than an exhaustive
// search of a graph holding a piece without cycle). A short search that settles the core ends
// the reduction (Reduced, with pass.answer set).
CutReducer::Outcome ExactSolver::reduceFurther(Pass& pass) {
  CutReducer& reducer = reducer_;
  // The short search already failed on the input, while the core is still the input.
  bool searched = pass.shortSearched && reducer.stats().piecesDecided == 0;
  std::int32_t piecesAtShortSearch = searched ? 0 : -1;
  const auto shortSearchFails = [&] {
    Stage stage = Stage::None;
    const Answer answer = shortSearch(reducer.core(), options_.rotationStepsPerVertex, pass.cycle, stage);
    searched = true;
    piecesAtShortSearch = reducer.stats().piecesDecided;
    return !settle(pass, stage, answer);
  };
  CutReducer::Outcome outcome = CutReducer::Outcome::Reduced;
  if (options_.cuts.fourEdgeCuts && reducer.core().order() >= options_.fourCutMinOrder) {
    if (!searched && !shortSearchFails()) return outcome;
    outcome = reducer.reduceFurther(options_.cuts.search, true, pieceDecider(), rng_, *deadline_);
  }
  if (outcome == CutReducer::Outcome::Reduced && needsWideCutSearch(reducer.core())) {
    if (!searched && !shortSearchFails()) return outcome;
    CutSearch wide = options_.cuts.search;
    wide.allPairsEdgeLimit = options_.wideCutSearchEdges;
    outcome = reducer.reduceFurther(wide, options_.cuts.fourEdgeCuts, pieceDecider(), rng_, *deadline_);
  }
  // The core the short search failed on, unchanged since, needs no second short search.
  pass.shortSearched = piecesAtShortSearch == reducer.stats().piecesDecided;
  return outcome;
}

// The stages that decide one graph without cut reduction: a piece with its stand-ins, the
// reduced core, or a graph too small to reduce.
bool ExactSolver::decide(Pass& pass) {
  const SimpleGraph& g = *pass.graph;
  const std::int32_t n = g.order();
  // Past the deadline only the necessary conditions, which need no search, may still answer.
  if (deadline_->expired()) {
    conditions(pass);
    return stopped(pass);
  }
  if (options_.smallSearch && n <= SmallSearch::kMaxOrder && !pass.smallSearched &&
      settle(pass, Stage::SmallSearch, smallSearch(g, pass.cycle))) {
    return true;
  }
  if (conditions(pass)) return true;
  if (deadline_->expired()) return stopped(pass);
  if (n > options_.directSearchOrder && n >= options_.earlyRotationOrder &&
      settle(pass, Stage::Rotations, rotations(g, options_.rotationStepsPerVertex, pass.cycle))) {
    return true;
  }
  // Hamiltonian graphs usually fall to a short backtracking run; the frontier programme pays on
  // the others.
  if (n >= options_.frontierMinOrder && n <= options_.frontierMaxOrder) {
    if (!pass.shortSearched &&
        settle(pass, Stage::Backtracking, backtracking(g, options_.quickSearchNodes, pass.cycle))) {
      return true;
    }
    if (deadline_->expired()) return stopped(pass);
    if (settle(pass, Stage::Frontier, frontierSearch(g, pass.cycle))) return true;
  }
  if (deadline_->expired()) return stopped(pass);
  return settle(pass, Stage::Backtracking, backtracking(g, options_.backtrack.nodeLimit, pass.cycle));
}

// The expansion follows the gadgets' bookkeeping; a cycle that does not fit is a fault, and is
// answered Unknown rather than passed on as a certificate. A graph the reduction changed counts
// as decided by it.
void ExactSolver::expandCycle(const SimpleGraph& g, Pass& pass) {
  const CutReducer& reducer = reducer_;
  if (reducer.stats().piecesDecided > 0) pass.decidedBy = Stage::CutReduction;
  if (pass.answer != Answer::Hamiltonian) return;
  pass.cycle = reducer.expand(pass.cycle);
  if (!isHamiltonianCycle(g, pass.cycle)) {
    pass.answer = Answer::Unknown;
    pass.cycle.clear();
  }
}

Answer ExactSolver::shortSearch(const SimpleGraph& g, std::int64_t rotationStepsPerVertex,
                                std::vector<std::int32_t>& cycle, Stage& stage) {
  if (g.order() >= options_.earlyRotationOrder) {
    stage = Stage::Rotations;
    return rotations(g, rotationStepsPerVertex, cycle);
  }
  stage = Stage::Backtracking;
  return backtracking(g, options_.quickSearchNodes, cycle);
}

bool ExactSolver::needsWideCutSearch(const SimpleGraph& core) const {
  return core.order() > options_.wideCutSearchOrder && core.edgeCount() > options_.cuts.search.allPairsEdgeLimit &&
         core.edgeCount() <= options_.wideCutSearchEdges;
}

void ExactSolver::keepReductionStats(const CutReducer& reducer) {
  stats_.cutsSplit = reducer.stats().piecesDecided;
  stats_.reductionRounds = reducer.stats().rounds;
  stats_.pieceDecisions = reducer.stats().pieceDecisions;
  stats_.threeCutPiecesByPairs = reducer.stats().threeCutPiecesByPairs;
  stats_.fourCutPiecesReplaced = reducer.stats().fourCutPiecesReplaced;
  stats_.fourCutPiecesKept = reducer.stats().fourCutPiecesKept;
  stats_.coreOrder = reducer.core().order();
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
  StageWork& work = stats_.stages[at(static_cast<std::int64_t>(Stage::SmallSearch))];
  ++work.runs;
  work.work += small_.nodes();
  return answer;
}

Answer ExactSolver::rotations(const SimpleGraph& g, std::int64_t stepsPerVertex, std::vector<std::int32_t>& cycle) {
  StageWork& work = stats_.stages[at(static_cast<std::int64_t>(Stage::Rotations))];
  ++work.runs;
  std::int64_t steps = 0;
  const bool found = rotationExtensionCycle(g, stepsPerVertex * g.order(), rng_, *deadline_, cycle, &steps, options_.rotation);
  work.work += steps;
  if (!found) return Answer::Unknown;
  ++stats_.rotationCycles;
  return Answer::Hamiltonian;
}

Answer ExactSolver::backtracking(const SimpleGraph& g, std::int64_t nodeLimit, std::vector<std::int32_t>& cycle) {
  Backtracker::Options options = options_.backtrack;
  options.nodeLimit = nodeLimit;
  const Answer answer = backtracker_.run(g, *deadline_, cycle, options);
  stats_.backtrackNodes += backtracker_.nodes();
  StageWork& work = stats_.stages[at(static_cast<std::int64_t>(Stage::Backtracking))];
  ++work.runs;
  work.work += backtracker_.nodes();
  return answer;
}

// Both are exact: the programme's "no" means its state set ran empty. It gives up (Unknown) when
// its order is too wide or the states exceed their budget, and the unlimited backtracking then
// decides.
Answer ExactSolver::frontierSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle) {
  const Answer answer = frontier_.run(g, *deadline_, cycle);
  stats_.frontierStates += frontier_.states();
  StageWork& work = stats_.stages[at(static_cast<std::int64_t>(Stage::Frontier))];
  ++work.runs;
  work.work += frontier_.states();
  if (answer != Answer::Unknown) ++stats_.frontierRuns;
  return answer;
}

}  // namespace bicubic::exact
