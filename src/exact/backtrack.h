// Backtracker: exhaustive Hamiltonian cycle search on one graph. Every edge is unknown, in or
// out; propagation keeps the invariants of a partial cycle (at most two in-edges per vertex, at
// least two available, no closed cycle shorter than n) and each node checks that the available
// edges still form a graph without a cut vertex and puts both edges of every 2-edge cut of the
// available graph into the cycle (a cycle crosses a cut an even number of times, and at least
// twice); on bipartite graphs it also checks that the available edges still hold a 2-factor
// through every in-edge. A node costs O(n + m) (O(n m) with the 2-factor check).
// Searches restart with a growing node budget (Luby sequence) and a new branching order, so one
// unlucky order cannot hold the run; a restart that ends within its budget explored its whole
// tree, so "no" still means the whole tree was refuted.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "exact/hamiltonian.h"
#include "exact/cycle_space.h"
#include "exact/deadline.h"
#include "exact/rng.h"
#include "exact/settings.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

class Backtracker {
 public:
  // Nodes of the first restart's budget. Measured: no graph of nauty's connected cubic graphs
  // on 18 vertices, cubic bipartite on 24 or connected graphs on 9 needs more than 119 nodes;
  // on random cubic bipartite graphs of 600 vertices 500 cut the tail further than 2000, and
  // it costs less on the proofs of "no" that need many nodes (Luby restarts cost a factor there).
  static constexpr std::int64_t kDefaultRestartBase = settingDefault(Setting::RestartBase);

  struct Options {
    // Past this many search nodes over all restarts the run stops with Unknown.
    std::int64_t nodeLimit = std::numeric_limits<std::int64_t>::max();
    // Seed of the restarts' branching orders; unset, a hash of the graph (n, m and the edge
    // list), so that a graph gets the same run whatever was decided before it.
    std::optional<std::uint64_t> seed;
    // Restart i (from 1) may visit restartBase * luby(i) nodes; 0 searches once, unrestarted.
    std::int64_t restartBase = kDefaultRestartBase;
    // The 2-factor check runs on bipartite graphs up to this order (it costs O(n m) a node).
    std::int32_t flowCheckOrder = settingDefault<std::int32_t>(Setting::FlowCheckOrder);
    // The checks of a node (2-edge cuts, biconnectivity, the 2-factor) cost O(n + m) each; a
    // Hamiltonian graph is usually found in one descent without a dead end, where they find
    // nothing. Lazy, they start at the run's first dead end; they only prune, so the answers are
    // the same either way.
    bool lazyPruning = settingDefault(Setting::LazyPruning) != 0;
    bool operator==(const Options&) const = default;
  };

  // Decides g; on Hamiltonian, cycle holds the vertices in cycle order starting at 0. Buffers are
  // kept between calls so that a stream of small graphs allocates nothing. Past nodeLimit search
  // nodes it stops with Unknown, as at the deadline.
  Answer run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle,
             std::int64_t nodeLimit = std::numeric_limits<std::int64_t>::max());
  Answer run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle,
             const Options& options);
  // Search nodes visited by the last run, over all its restarts.
  std::int64_t nodes() const { return nodes_; }
  // Restarts the last run made (0 when the first search ended within its budget).
  std::int32_t restarts() const { return restarts_; }

 private:
  enum : std::int8_t { kUnknown = 0, kIn = 1, kOut = 2 };
  enum class ChangeKind : std::int8_t { EdgeState, PathEnd };
  struct Change {
    ChangeKind kind;     // EdgeState: edge `index` left unknown; PathEnd: end_[index] was `old`
    std::int32_t index;
    std::int32_t old;
  };

  bool setUp(const SimpleGraph& g);
  void shuffleBranchingOrder(Rng& rng);
  void resetSearch();
  Answer searchWithinBudget(std::int64_t budget);
  void extractCycle(std::vector<std::int32_t>& cycle) const;
  bool setIn(std::int32_t e);
  bool setOut(std::int32_t e);
  bool propagate();
  void undo(std::size_t mark);
  bool search();
  bool prune();
  bool availableGraphIsBiconnected();
  bool twoFactorPossible();
  bool forceTwoEdgeCuts(bool& forcedAny);
  bool separates(std::int32_t e, std::int32_t f);
  bool augment(std::int32_t red);
  std::int32_t chooseEdge();
  // Counts `steps` units of edge work for the deadline poller, so that a node costing O(m) on a
  // dense graph still notices the deadline within milliseconds; a hit stops the run.
  bool outOfTime(std::int64_t steps) {
    if (!poller_.expired(steps)) return false;
    deadlineHit_ = aborted_ = true;
    return true;
  }

  std::int32_t n_ = 0;
  std::int32_t m_ = 0;
  EdgeIndex ix_;
  std::vector<std::int32_t> scanOrder_;  // vertex order in which chooseEdge breaks ties
  std::vector<std::int8_t> state_;
  std::vector<std::int32_t> inDeg_, avail_, end_;
  std::int32_t inCount_ = 0;
  std::vector<Change> trail_;
  std::vector<std::int32_t> queue_;
  // Work arrays for the biconnectivity check; its depth-first tree feeds the cut labels.
  std::vector<std::int32_t> disc_, low_, parentEdge_, nextSlot_, stack_, order_;
  CutPairLabels cutLabels_;
  std::vector<std::int32_t> mark_;
  std::int32_t markStamp_ = 0;
  // Work arrays for the 2-factor check (bipartite graphs only): side_ is the colour class.
  std::vector<std::int8_t> side_, flow_;
  std::vector<std::int32_t> used_, seen_;
  std::int32_t seenStamp_ = 0;
  bool bipartite_ = false;
  std::int32_t flowCheckOrder_ = 0;
  const Deadline* deadline_ = nullptr;
  DeadlinePoller poller_{Deadline::never()};
  bool aborted_ = false;      // the current search stopped: budget spent or deadline passed
  bool pruning_ = true;       // the node checks run (from the start, or since the first dead end)
  bool deadlineHit_ = false;
  std::int64_t budgetEnd_ = 0;  // node count at which the current restart stops
  std::int64_t nodes_ = 0;
  std::int32_t restarts_ = 0;
};

}  // namespace bicubic::exact
