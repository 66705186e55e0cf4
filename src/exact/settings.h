// The engine's tuning numbers, one row each (name, default, accepted range, meaning): the
// internal options structs take their defaults from these rows, and Options::set/get and the
// checker's --set and --list-settings read the same rows. Every lookup is a constant expression.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "exact/hamiltonian.h"

namespace bicubic::exact {

// One enumerator per row of kSettings, in the same order.
enum class Setting {
  DirectSearchOrder,
  SmallSearch,
  SmallSearchNodes,
  ReduceCuts,
  RotationFirst,
  EarlyRotationOrder,
  RotationSteps,
  BriefRotationSteps,
  BriefRotationMaxSteps,
  QuickSearchNodes,
  FrontierMinOrder,
  FrontierMaxOrder,
  CheapConditionsEdges,
  CutMinSide,
  CutPairsPerClass,
  MaxRounds,
  FourEdgeCuts,
  FourCutMinOrder,
  FourCutMinSide,
  FourCutMaxSide,
  FourCutRadius,
  FourCutKept,
  FrontierMaxWidth,
  FrontierStatesPerVertex,
  FrontierMaxStates,
  FrontierMaxLayerStates,
  FrontierImprovableExcess,
  OrderGreedyStarts,
  OrderBreadthFirst,
  OrderImprovePasses,
  OrderImproveWindow,
  OrderImproveCandidates,
  OrderImproveAboveCost,
  OrderImproveMaxWidth,
  RestartBase,
  FlowCheckOrder,
  LazyPruning,
  RandomRotationOrder,
  StepsPerForcedFailure,
  ForcedProbeOrder,
  ForcedProbeFailures,
  ForcedFailuresPerRun,
  ForcedDecisionsPerJump,
  ForcedLoneNeighbourPenalty,
  ForcedRemainderShare,
  ForcedRemainderMinOrder,
  ForcedGuidePenalty,
};

namespace settings_detail {
inline constexpr std::int64_t kOrders = std::numeric_limits<std::int32_t>::max();
inline constexpr std::int64_t kCounts = std::numeric_limits<std::int64_t>::max();
}  // namespace settings_detail

inline constexpr std::array kSettings{
    SettingInfo{"direct-search-order", 40, 0, settings_detail::kOrders,
                "graphs up to this order go straight to the searches, without the cut reduction"},
    SettingInfo{"small-search", 1, 0, 1,
                "1: subcubic graphs of at most 64 vertices try the fixed-size small-graph search first"},
    SettingInfo{"small-search-nodes", 100'000, 0, settings_detail::kCounts,
                "node budget of the small-graph search above direct-search-order (unlimited below)"},
    SettingInfo{"reduce-cuts", 1, 0, 1, "1: larger graphs are reduced along their 2-, 3- and 4-edge cuts first"},
    SettingInfo{"rotation-first", 1, 0, 1,
                "1: a brief rotation attempt (or a short backtracking run) comes before the cut reduction"},
    SettingInfo{"early-rotation-order", 200, 0, settings_detail::kOrders,
                "from this order on the rotation-extension attempt comes before the exact searches"},
    SettingInfo{"rotation-steps", 200, 0, 1'000'000, "rotation steps per vertex before the exact searches"},
    SettingInfo{"brief-rotation-steps", 20, 0, 1'000'000,
                "rotation steps per vertex in the brief attempt before the cut reduction"},
    SettingInfo{"brief-rotation-max-steps", 200'000, 0, settings_detail::kCounts,
                "the brief rotation attempt takes at most this many steps in all (a large graph made of "
                "pieces resists it, and its cuts are cheaper to find)"},
    SettingInfo{"quick-search-nodes", 200, 0, settings_detail::kCounts,
                "nodes of the short backtracking run before the frontier programme and the cut reduction"},
    SettingInfo{"frontier-min-order", 41, 0, settings_detail::kOrders,
                "smallest order that tries the frontier programme before the backtracking"},
    SettingInfo{"frontier-max-order", 100'000, 0, settings_detail::kOrders,
                "largest order that tries the frontier programme before the backtracking"},
    SettingInfo{"cheap-conditions-edges", 10'000, 0, settings_detail::kCounts,
                "past the time limit the necessary conditions still run on graphs up to this many edges"},
    SettingInfo{"cut-min-side", 3, 1, settings_detail::kOrders, "both sides of a 2- or 3-edge cut keep at least this many vertices"},
    SettingInfo{"cut-pairs-per-class", 8, 1, 1'000'000, "2-edge cut pairs tried per class of edges with equal labels"},
    SettingInfo{"max-rounds", 1024, 0, 1'000'000, "rounds of the cut reduction before the rest is left to the searches"},
    SettingInfo{"four-edge-cuts", 1, 0, 1, "1: 4-edge cuts are reduced on graphs of degree at most 3"},
    SettingInfo{"four-cut-min-order", 65, 0, settings_detail::kOrders,
                "the 4-edge cut reduction runs only on reduced graphs of at least this order"},
    SettingInfo{"four-cut-min-side", 6, 1, settings_detail::kOrders,
                "both sides of a 4-edge cut keep at least this many vertices"},
    SettingInfo{"four-cut-max-side", 120, 1, settings_detail::kOrders,
                "the smaller side of a 4-edge cut has at most this many vertices"},
    SettingInfo{"four-cut-radius", 4, 0, 16, "the two pairs of a 4-edge cut's edges lie within this many steps"},
    SettingInfo{"four-cut-kept", 64, 0, settings_detail::kOrders,
                "past this many kept 4-edge cut pieces (or half the order, if more) no more are tried"},
    SettingInfo{"frontier-max-width", 22, 1, 64, "the frontier programme gives up on vertex orders wider than this"},
    SettingInfo{"frontier-states-per-vertex", 20'000, 0, settings_detail::kCounts,
                "the frontier programme gives up past this many states per vertex over all steps"},
    SettingInfo{"frontier-max-states", 20'000'000, 0, settings_detail::kCounts,
                "the frontier programme's state budget is capped at this many states (8 bytes each)"},
    SettingInfo{"frontier-max-layer-states", 2'000'000, 0, settings_detail::kCounts,
                "the frontier programme gives up when one step alone holds more states than this"},
    SettingInfo{"frontier-improvable-excess", 4, 0, 64,
                "vertex orders more than this much wider than frontier-max-width are not improved"},
    SettingInfo{"order-greedy-starts", 12, 1, 1'000'000, "start vertices of the greedy vertex order"},
    SettingInfo{"order-breadth-first", 1, 0, 1, "1: breadth-first vertex orders are tried too"},
    SettingInfo{"order-improve-passes", 6, 0, 1'000, "passes of the local improvement of the vertex order"},
    SettingInfo{"order-improve-window", 24, 1, 1'000'000, "how far the improvement moves one vertex"},
    SettingInfo{"order-improve-candidates", 3, 1, 1'000, "best start orders the improvement runs on"},
    SettingInfo{"order-improve-above-cost", 60'000, 0, settings_detail::kCounts,
                "the improvement runs only on orders costing more than this per vertex"},
    SettingInfo{"order-improve-max-width", 64, 1, 64, "the order improvement runs only on orders at most this wide"},
    SettingInfo{"restart-base", 500, 0, settings_detail::kCounts,
                "nodes of the backtracking's first restart budget (0: one unrestarted search)"},
    SettingInfo{"flow-check-order", 2000, 0, settings_detail::kOrders,
                "the backtracking's 2-factor check runs on bipartite graphs up to this order"},
    SettingInfo{"lazy-pruning", 1, 0, 1,
                "1: the backtracking's cut and 2-factor checks start at its first dead end"},
    SettingInfo{"random-rotation-order", 5000, 0, settings_detail::kOrders,
                "from this order on the rotations keep the path in a tree, rotate at random when stuck, "
                "and the forced-edge search runs first"},
    SettingInfo{"steps-per-forced-failure", 256, 1, settings_detail::kCounts,
                "rotation steps of the budget per dead end of the forced-edge search"},
    SettingInfo{"forced-probe-order", 1000, 0, settings_detail::kOrders,
                "below random-rotation-order, from this order on a brief forced-edge search runs before "
                "the rotations"},
    SettingInfo{"forced-probe-failures", 128, 1, settings_detail::kCounts,
                "dead ends the brief forced-edge search below random-rotation-order may meet"},
    SettingInfo{"forced-failures-per-run", 64, 1, settings_detail::kCounts,
                "dead ends of the forced-edge search between jumps back (times the Luby term)"},
    SettingInfo{"forced-decisions-per-jump", 1024, 1, settings_detail::kCounts,
                "decisions a jump of the forced-edge search undoes (times the Luby term)"},
    SettingInfo{"forced-lone-neighbour-penalty", 4, 0, 1000,
                "weight against a lone vertex (not a path end) as the forced-edge search's next step"},
    SettingInfo{"forced-remainder-share", 8, 2, 1'000'000,
                "the forced-edge search searches what is left as a graph of its own once at most 1/this of "
                "the vertices are left"},
    SettingInfo{"forced-remainder-min-order", 2000, 3, settings_detail::kOrders,
                "the forced-edge search searches what is left on its own only from this many vertices"},
    SettingInfo{"forced-guide-penalty", 100, 0, 1000,
                "weight against the edge a vertex drops in the forced-edge search's guiding 2-factor "
                "(0: no guide)"},
};
inline constexpr int kSettingCount = static_cast<int>(Setting::ForcedGuidePenalty) + 1;
static_assert(kSettings.size() == static_cast<std::size_t>(kSettingCount), "one row per Setting");

constexpr const SettingInfo& settingRow(Setting s) { return kSettings[static_cast<std::size_t>(s)]; }

// The default of a setting in the type of the field it fills.
template <class T = std::int64_t>
constexpr T settingDefault(Setting s) {
  return static_cast<T>(settingRow(s).defaultValue);
}

// A setting's value among values (indexed by row, as Options::values()), in the field's type.
template <class T>
T settingValue(std::span<const std::int64_t> values, Setting s) {
  return static_cast<T>(values[static_cast<std::size_t>(s)]);
}

}  // namespace bicubic::exact
