// FrontierSearch: exact Hamiltonian cycle search by dynamic programming over a vertex order with
// a small frontier (the placed vertices that still have unplaced neighbours). A state records,
// per frontier vertex, its degree in the partial cycle and which path fragment it ends; equal
// states are merged, so "no" means every way of choosing the cycle's edges was refuted. A step
// costs O(states * choices * width); the states of a frontier of w vertices grow like c^w.
#pragma once

#include <cstdint>
#include <vector>

#include "exact/hamiltonian.h"
#include "exact/deadline.h"
#include "exact/settings.h"
#include "exact/simple_graph.h"
#include "exact/vertex_order.h"

namespace bicubic::exact {

class FrontierSearch {
 public:
  // The widest frontier the state encoding holds.
  static constexpr std::int32_t kWidthLimit = 64;

  struct Options {
    // Gives up (answer Unknown) at once when the best order found is wider than this (random
    // cubic pieces need about 2M states at width 15 and several times more a vertex beyond) ...
    std::int32_t maxWidth = settingDefault<std::int32_t>(Setting::FrontierMaxWidth);
    // ... or when the states of all steps together exceed statesPerVertex * n, capped at
    // maxStates (the back-pointers take 8 bytes a state) ...
    std::int64_t statesPerVertex = settingDefault<std::int64_t>(Setting::FrontierStatesPerVertex);
    std::int64_t maxStates = settingDefault<std::int64_t>(Setting::FrontierMaxStates);
    // ... or when one step alone holds more states than this.
    std::int64_t maxLayerStates = settingDefault<std::int64_t>(Setting::FrontierMaxLayerStates);
    // How much the local improvement may narrow an order: orders wider than maxWidth by more
    // are not worth improving.
    std::int32_t improvableExcess = settingDefault<std::int32_t>(Setting::FrontierImprovableExcess);
    OrderOptions order;
    bool operator==(const Options&) const = default;
  };

  FrontierSearch() = default;
  explicit FrontierSearch(const Options& options) : options_(options) {}

  // Decides g. Hamiltonian comes with the cycle (vertex order, starting at vertex 0), rebuilt
  // from the states' back-pointers and checked here; NonHamiltonian only when the state set
  // ran empty; Unknown when the frontier is too wide, the state budget ran out or the deadline
  // passed.
  Answer run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle);
  // The same along a given order of g's vertices (Unknown unless it is a permutation of them).
  Answer run(const SimpleGraph& g, const std::vector<std::int32_t>& order, const Deadline& deadline,
             std::vector<std::int32_t>& cycle);

  // The vertex order run() uses, with its width (largest frontier counting the vertex placed).
  // Orders far wider than maxWidth are not improved: the run gives up on them anyway.
  VertexOrder planOrder(const SimpleGraph& g) const;

  // What the last run saw: frontier width of the order used and states over all steps.
  std::int32_t width() const { return width_; }
  std::int64_t states() const { return states_; }

 private:
  Answer sweep(const SimpleGraph& g, const VertexOrder& order, const Deadline& deadline,
               std::vector<std::int32_t>& cycle);

  Options options_;
  std::int32_t width_ = 0;
  std::int64_t states_ = 0;
};

}  // namespace bicubic::exact
