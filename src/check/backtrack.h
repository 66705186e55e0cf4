// Backtracker: exhaustive Hamiltonian cycle search on one graph. Every edge is unknown, in or
// out; propagation keeps the invariants of a partial cycle (at most two in-edges per vertex, at
// least two available, no closed cycle shorter than n) and each node checks that the available
// edges still form a graph without a cut vertex and puts both edges of every 2-edge cut of the
// available graph into the cycle (a cycle crosses a cut an even number of times, and at least
// twice); on bipartite graphs it also checks that the
// available edges still hold a 2-factor through every in-edge. "No" therefore means the whole
// tree was refuted.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "check/answer.h"
#include "check/deadline.h"
#include "check/simple_graph.h"

namespace bicubic::check {

class Backtracker {
 public:
  // Decides g; on Hamiltonian, cycle holds the vertices in cycle order starting at 0. Buffers are
  // kept between calls so that a stream of small graphs allocates nothing. Past nodeLimit search
  // nodes it stops with Unknown, as at the deadline.
  Answer run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle,
             std::int64_t nodeLimit = std::numeric_limits<std::int64_t>::max());
  // Search nodes visited by the last run.
  std::int64_t nodes() const { return nodes_; }

 private:
  enum : std::int8_t { kUnknown = 0, kIn = 1, kOut = 2 };
  struct Change {
    std::int32_t kind;  // 0: edge state set from unknown; 1: end[] overwritten
    std::int32_t index;
    std::int32_t old;
  };

  bool setIn(std::int32_t e);
  bool setOut(std::int32_t e);
  bool propagate();
  void undo(std::size_t mark);
  bool search();
  bool availableGraphIsBiconnected();
  bool twoFactorPossible();
  bool forceTwoEdgeCuts(bool& forcedAny);
  bool separates(std::int32_t e, std::int32_t f);
  bool augment(std::int32_t red);
  std::int32_t chooseEdge() const;

  std::int32_t n_ = 0;
  std::int32_t m_ = 0;
  std::vector<std::int32_t> eu_, ev_, incStart_, incEdge_;
  std::vector<std::int8_t> state_;
  std::vector<std::int32_t> inDeg_, avail_, end_;
  std::int32_t inCount_ = 0;
  std::vector<Change> trail_;
  std::vector<std::int32_t> queue_;
  // Work arrays for the biconnectivity check.
  std::vector<std::int32_t> disc_, low_, parentEdge_, nextSlot_, stack_, order_;
  // Random edge labels and work arrays for finding 2-edge cuts of the available graph.
  std::vector<std::uint64_t> random_, label_, acc_;
  std::vector<std::pair<std::uint64_t, std::int32_t>> byLabel_;
  std::vector<std::int32_t> mark_;
  std::int32_t markStamp_ = 0;
  // Work arrays for the 2-factor check (bipartite graphs only): side_ is the colour class.
  std::vector<std::int8_t> side_, flow_;
  std::vector<std::int32_t> used_, seen_;
  std::int32_t seenStamp_ = 0;
  bool bipartite_ = false;
  const Deadline* deadline_ = nullptr;
  bool aborted_ = false;
  std::int64_t nodeLimit_ = 0;
  std::int64_t nodes_ = 0;
};

}  // namespace bicubic::check
