#include "exact/exact.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "exact/conditions.h"
#include "exact/index.h"
#include "exact/renumber.h"
#include "exact/rotation.h"

namespace bicubic::exact {

// Large inputs are solved in depth-first numbering (every stage's passes then read memory mostly
// forwards), and the answer's vertices are named back in the input's numbers.
ExactResult ExactSolver::solve(const SimpleGraph& g, const Deadline& deadline) {
  if (g.order() < kRenumberOrder) return solveInOrder(g, deadline);
  std::optional<Renumbered> local = depthFirstRenumbered(g, deadline);
  if (!local) {  // the deadline passed: unknown
    stats_ = {};
    return {};
  }
  ExactResult result = solveInOrder(local->graph, deadline);
  const std::vector<std::int32_t>& order = local->order;
  for (std::int32_t& v : result.cycle) v = order[at(v)];
  for (std::int32_t& v : result.blockedSide) v = order[at(v)];
  std::sort(result.blockedSide.begin(), result.blockedSide.end());
  for (Edge& edge : result.cutEdges) edge = {order[at(edge.first)], order[at(edge.second)]};
  return result;
}

// The pipeline: each line is one stage, and the first that answers (or meets a limit) ends it.
ExactResult ExactSolver::solveInOrder(const SimpleGraph& g, const Deadline& deadline) {
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
  const Answer answer = shortSearch(g, briefRotationSteps(g), pass.cycle, stage);
  // The brief rotation attempt is not the short search the later stages would repeat.
  pass.shortSearched = g.order() < options_.earlyRotationOrder;
  pass.briefSearched = true;
  return settle(pass, stage, answer);
}

// Past the deadline the conditions still run on graphs small enough that they cost nothing next
// to the time limit: they need no search and may settle the question.
bool ExactSolver::conditions(Pass& pass) {
  const SimpleGraph& g = *pass.graph;
  if (pass.conditionsChecked) return false;
  const Deadline& limit = conditionsDeadline(g, options_.cuts.cheapConditionsEdges, *deadline_);
  if (limit.expired()) return stopped(pass);
  StageWork& work = stats_.stages[at(static_cast<std::int64_t>(Stage::Conditions))];
  ++work.runs;
  work.work += g.order() + g.edgeCount();
  const ConditionsVerdict verdict = checkNecessaryConditions(g, limit);
  if (verdict == ConditionsVerdict::Fail) return settle(pass, Stage::Conditions, Answer::NonHamiltonian);
  if (verdict == ConditionsVerdict::Stopped) return stopped(pass);
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
// looked for only when a brief search of what the smaller cuts leave finds no cycle; the full
// rotation budget is kept for the core that is left after them. A brief search that settles the
// core ends the reduction (Reduced, with pass.answer set).
CutReducer::Outcome ExactSolver::reduceFurther(Pass& pass) {
  CutReducer& reducer = reducer_;
  if (!options_.cuts.fourEdgeCuts || reducer.core().order() < options_.fourCutMinOrder) return CutReducer::Outcome::Reduced;
  // The brief search already failed on the input, while the core is still the input.
  if (!(pass.briefSearched && reducer.stats().piecesDecided == 0)) {
    Stage stage = Stage::None;
    const Answer answer = shortSearch(reducer.core(), briefRotationSteps(reducer.core()), pass.cycle, stage);
    if (settle(pass, stage, answer)) return CutReducer::Outcome::Reduced;
  }
  const std::int32_t piecesBefore = reducer.stats().piecesDecided;
  const CutReducer::Outcome outcome = reducer.reduceFurther(options_.cuts.search, true, pieceDecider(), rng_, *deadline_);
  // What the brief search failed on is not the short search the later stages would repeat.
  pass.shortSearched = pass.shortSearched && piecesBefore == reducer.stats().piecesDecided;
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
      settle(pass, Stage::Rotations, rotations(g, options_.rotationStepsPerVertex * n, pass.cycle))) {
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

Answer ExactSolver::shortSearch(const SimpleGraph& g, std::int64_t rotationSteps, std::vector<std::int32_t>& cycle,
                                Stage& stage) {
  if (g.order() >= options_.earlyRotationOrder) {
    stage = Stage::Rotations;
    return rotations(g, rotationSteps, cycle);
  }
  stage = Stage::Backtracking;
  return backtracking(g, options_.quickSearchNodes, cycle);
}

// The brief attempt's budget: per vertex, and capped, since a graph that resists it is usually
// one made of pieces, whose cuts the reduction finds in far fewer steps.
std::int64_t ExactSolver::briefRotationSteps(const SimpleGraph& g) const {
  return std::min(options_.briefRotationStepsPerVertex * g.order(), options_.briefRotationMaxSteps);
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

Answer ExactSolver::rotations(const SimpleGraph& g, std::int64_t totalSteps, std::vector<std::int32_t>& cycle) {
  StageWork& work = stats_.stages[at(static_cast<std::int64_t>(Stage::Rotations))];
  ++work.runs;
  std::int64_t steps = 0;
  const bool found = rotationExtensionCycle(g, totalSteps, rng_, *deadline_, cycle, &steps, options_.rotation);
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
