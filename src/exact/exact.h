// ExactSolver: decides whether a simple graph has a Hamiltonian cycle, as a pipeline of stages
// that each answer or pass the graph on: the small-graph search, a short search for a cycle, the
// necessary conditions, the reduction along small edge cuts (decompose.h), and on what remains
// the rotation-extension attempt, the frontier dynamic programme and the backtracking search.
// "Hamiltonian" comes with a cycle (which the caller still verifies against the input);
// "non-Hamiltonian" only from an exhaustive argument. Random choices are seeded from the graph
// itself, so a graph gets the same work whatever was solved before it.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "exact/hamiltonian.h"
#include "exact/backtrack.h"
#include "exact/deadline.h"
#include "exact/decompose.h"
#include "exact/frontier.h"
#include "exact/rng.h"
#include "exact/rotation.h"
#include "exact/settings.h"
#include "exact/simple_graph.h"
#include "exact/small_search.h"

namespace bicubic::exact {

struct ExactResult {
  Answer answer = Answer::Unknown;
  std::vector<std::int32_t> cycle;  // vertices in cycle order when Hamiltonian
  Stage decidedBy = Stage::None;
  // When the cut reduction found a piece no cycle can pass (see Result): its vertices, sorted,
  // and the edges of its cut, each from the piece's end.
  std::vector<std::int32_t> blockedSide;
  std::vector<Edge> cutEdges;
};

class ExactSolver {
 public:
  struct Options {
    // Graphs up to this order go straight to the searches, without the cut reduction.
    std::int32_t directSearchOrder = settingDefault<std::int32_t>(Setting::DirectSearchOrder);
    // Graphs of at most SmallSearch::kMaxOrder vertices and degree 3 go to the small-graph
    // search first: without limit up to directSearchOrder, above it for this many nodes.
    bool smallSearch = settingDefault<bool>(Setting::SmallSearch);
    std::int64_t smallSearchNodes = settingDefault<std::int64_t>(Setting::SmallSearchNodes);
    // Whether larger graphs are reduced along their small edge cuts first.
    bool reduceCuts = settingDefault<bool>(Setting::ReduceCuts);
    CutReducer::Options cuts;
    // From this order on, a rotation-extension attempt comes before the exact searches, and with
    // rotationFirst a short one before the cut reduction too.
    std::int32_t earlyRotationOrder = settingDefault<std::int32_t>(Setting::EarlyRotationOrder);
    bool rotationFirst = settingDefault<bool>(Setting::RotationFirst);
    // Rotation steps per vertex in the attempt before the exact searches, and in the brief one
    // before the cut reduction (most Hamiltonian graphs end there).
    std::int64_t rotationStepsPerVertex = settingDefault<std::int64_t>(Setting::RotationSteps);
    std::int64_t briefRotationStepsPerVertex = settingDefault<std::int64_t>(Setting::BriefRotationSteps);
    std::int64_t briefRotationMaxSteps = settingDefault<std::int64_t>(Setting::BriefRotationMaxSteps);
    // Graphs of this order up to frontierMaxOrder try the frontier dynamic programme before
    // the backtracking search (below it the backtracking is quicker than planning an order).
    std::int32_t frontierMinOrder = settingDefault<std::int32_t>(Setting::FrontierMinOrder);
    std::int32_t frontierMaxOrder = settingDefault<std::int32_t>(Setting::FrontierMaxOrder);
    // There, a backtracking run of this many nodes comes first (it finds most cycles).
    std::int64_t quickSearchNodes = settingDefault<std::int64_t>(Setting::QuickSearchNodes);
    // The 4-edge cut reduction (see CutReducer::Options::fourEdgeCuts) runs on what the smaller
    // cuts leave only above this order (the small-graph search is quicker below) and only when
    // a short search of it found no cycle.
    std::int32_t fourCutMinOrder = settingDefault<std::int32_t>(Setting::FourCutMinOrder);
    FrontierSearch::Options frontier;
    Backtracker::Options backtrack;
    RotationOptions rotation;
    bool operator==(const Options&) const = default;
  };
  ExactSolver() = default;
  explicit ExactSolver(const Options& options) : options_(options), frontier_(options.frontier) {}

  ExactResult solve(const SimpleGraph& g, const Deadline& deadline);
  // From this order on a graph is solved in depth-first numbering (see renumber.h): on large
  // graphs with scattered vertex numbers every pass is otherwise bound by cache misses.
  static constexpr std::int32_t kRenumberOrder = 1 << 16;

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
    // Runs and work of each stage (indexed by Stage), the pieces' searches included.
    std::array<StageWork, kStageCount> stages{};
  };
  const Stats& stats() const { return stats_; }

 private:
  // What one solve carries from stage to stage about the graph the stages work on: the input,
  // then the core the cut reduction leaves. Kept out of the members, so that what a stage knows
  // is what it is handed.
  struct Pass {
    const SimpleGraph* graph = nullptr;
    std::vector<std::int32_t> cycle;  // of *graph, when Hamiltonian
    Answer answer = Answer::Unknown;
    Stage decidedBy = Stage::None;
    bool stop = false;               // a limit ended the search: the answer stays Unknown
    bool smallSearched = false;      // the small-graph search ran on *graph and did not answer
    bool conditionsChecked = false;  // *graph passed the necessary conditions
    bool shortSearched = false;      // the short search of *graph found no cycle
    bool briefSearched = false;      // the brief rotation attempt found no cycle in *graph
    std::vector<std::int32_t> blockedSide;  // of the input, from the cut reduction's refusal
  };

  // Records an answer of stage; true when the pipeline ends here.
  static bool settle(Pass& pass, Stage stage, Answer answer);
  // A limit ended the search: true, and the answer stays Unknown.
  static bool stopped(Pass& pass);
  bool smallSearchFirst(Pass& pass);
  bool shortSearchFirst(Pass& pass);
  bool conditions(Pass& pass);
  bool reduceCuts(Pass& pass);
  CutReducer::Outcome reduceFurther(Pass& pass);
  CutReducer::Decider pieceDecider();
  // The stages after the cut reduction, on a piece or on what the reduction left.
  bool decide(Pass& pass);
  void expandCycle(const SimpleGraph& g, Pass& pass);
  static void keepEvidence(const SimpleGraph& g, Pass& pass, ExactResult& result);

  ExactResult solveInOrder(const SimpleGraph& g, const Deadline& deadline);
  // The searches themselves, each counted in its stage's work.
  Answer smallSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle);
  Answer rotations(const SimpleGraph& g, std::int64_t totalSteps, std::vector<std::int32_t>& cycle);
  std::int64_t briefRotationSteps(const SimpleGraph& g) const;
  Answer backtracking(const SimpleGraph& g, std::int64_t nodeLimit, std::vector<std::int32_t>& cycle);
  Answer frontierSearch(const SimpleGraph& g, std::vector<std::int32_t>& cycle);
  // A short attempt that settles most graphs with a cycle: the rotations on graphs of
  // earlyRotationOrder vertices and more, a backtracking run of quickSearchNodes nodes on the
  // others. Unknown when it proves nothing; `stage` says which of the two ran.
  Answer shortSearch(const SimpleGraph& g, std::int64_t rotationSteps, std::vector<std::int32_t>& cycle,
                     Stage& stage);
  void keepReductionStats(const CutReducer& reducer);

  Options options_;
  Backtracker backtracker_;
  SmallSearch small_;
  FrontierSearch frontier_;
  // The reduction of the graph being solved: made afresh for each graph it runs on (a family of
  // small graphs never builds one), and holding the core the later stages work on.
  CutReducer reducer_;
  Rng rng_;
  const Deadline* deadline_ = nullptr;
  Stats stats_;
};

// The solver's options from the settings' values (indexed by settingsTable() row).
ExactSolver::Options solverOptions(std::span<const std::int64_t> values);

}  // namespace bicubic::exact
