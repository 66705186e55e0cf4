// Vertex orders with a small frontier for the frontier dynamic programme. The frontier after a
// prefix is the set of its vertices that still have a neighbour outside it; an order's width is
// the largest frontier plus one (the vertex being placed). Planning costs O(n * w) per start for
// the greedy and BFS orders and O(n * window^2) per improvement pass.
#pragma once

#include <cstdint>
#include <vector>

#include "exact/settings.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

struct VertexOrder {
  std::vector<std::int32_t> order;
  std::int32_t width = 0;
  // Sum over the steps of kStateGrowth^frontier: a stand-in for the programme's state count,
  // to choose between orders of equal width.
  double cost = 0;
};

struct OrderOptions {
  // Start vertices for the greedy order (the two ends of a long shortest path first).
  std::int32_t greedyStarts = settingDefault<std::int32_t>(Setting::OrderGreedyStarts);
  // Also try breadth-first (Cuthill-McKee style) orders from the peripheral starts.
  bool breadthFirst = settingDefault<bool>(Setting::OrderBreadthFirst);
  // Passes of the local improvement (moving one vertex within the window) on the best orders.
  std::int32_t improvePasses = settingDefault<std::int32_t>(Setting::OrderImprovePasses);
  std::int32_t improveWindow = settingDefault<std::int32_t>(Setting::OrderImproveWindow);
  // How many of the best start orders the improvement runs on.
  std::int32_t improveCandidates = settingDefault<std::int32_t>(Setting::OrderImproveCandidates);
  // The improvement runs only when the best start order costs more than this per vertex: on
  // cheaper orders it would take longer than the sweep it saves.
  double improveAboveCostPerVertex = settingDefault<double>(Setting::OrderImproveAboveCost);
  // ... and only on orders at most this wide (single moves narrow an order by a few at most).
  std::int32_t improveMaxWidth = settingDefault<std::int32_t>(Setting::OrderImproveMaxWidth);
  bool operator==(const OrderOptions&) const = default;
};

// How fast the state count grows per frontier vertex, for the cost of an order.
inline constexpr double kStateGrowth = 3.0;

// Width and cost of a given order (a permutation of g's vertices).
VertexOrder measureOrder(const SimpleGraph& g, std::vector<std::int32_t> order);

// The greedy order alone (place the vertex that grows the frontier least), best of the starts.
VertexOrder greedyVertexOrder(const SimpleGraph& g, std::int32_t starts);

// The best order found by the greedy and breadth-first starts and the local improvement.
VertexOrder planVertexOrder(const SimpleGraph& g, const OrderOptions& options);

}  // namespace bicubic::exact
