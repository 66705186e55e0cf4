// FrontierSearch: exact Hamiltonian cycle search by dynamic programming over a vertex order with
// a small frontier (the placed vertices that still have unplaced neighbours). A state records,
// per frontier vertex, its degree in the partial cycle and which path fragment it ends; equal
// states are merged, so "no" means every way of choosing the cycle's edges was refuted.
#pragma once

#include <cstdint>
#include <vector>

#include "check/answer.h"
#include "check/deadline.h"
#include "check/simple_graph.h"

namespace bicubic::check {

class FrontierSearch {
 public:
  // The widest frontier the state encoding holds (four bits a vertex, 12 fragments at most).
  static constexpr std::int32_t kWidthLimit = 24;

  struct Options {
    // Gives up (answer Unknown) when the best order found has a wider frontier than this...
    std::int32_t maxWidth = 20;
    // ... or when the states of all steps together exceed this many.
    std::int64_t maxStates = 500'000;
    // Number of start vertices tried for the greedy order.
    std::int32_t orderStarts = 12;
  };

  FrontierSearch() = default;
  explicit FrontierSearch(const Options& options) : options_(options) {}

  // Decides g. Hamiltonian comes with the cycle (vertex order, starting at vertex 0), rebuilt
  // from the states' back-pointers and checked here; NonHamiltonian only when the state set
  // ran empty; Unknown when the frontier is too wide, the state budget ran out or the deadline
  // passed.
  Answer run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle);

  // A vertex order with a small frontier (greedy, several starts) and its width: the largest
  // number of frontier vertices, counting the vertex being placed.
  std::int32_t planOrder(const SimpleGraph& g, std::vector<std::int32_t>& order) const;

  // What the last run saw: frontier width of the order used and states over all steps.
  std::int32_t width() const { return width_; }
  std::int64_t states() const { return states_; }

 private:
  Options options_;
  std::int32_t width_ = 0;
  std::int64_t states_ = 0;
};

}  // namespace bicubic::check
