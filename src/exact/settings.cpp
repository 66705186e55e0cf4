#include "exact/settings.h"

#include <charconv>

#include "exact/exact.h"

namespace bicubic::exact {

std::span<const SettingInfo> settingsTable() { return kSettings; }

Options::Options() {
  for (const SettingInfo& row : settingsTable()) values_.push_back(row.defaultValue);
}

std::string Options::set(std::string_view name, std::string_view value) {
  const auto table = settingsTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].name != name) continue;
    std::int64_t parsed = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), parsed);
    if (error != std::errc() || end != value.data() + value.size()) {
      return "setting " + std::string(name) + " takes a whole number, not '" + std::string(value) + "'";
    }
    if (parsed < table[i].min || parsed > table[i].max) {
      return "setting " + std::string(name) + " must be in [" + std::to_string(table[i].min) + ", " +
             std::to_string(table[i].max) + "]";
    }
    values_[i] = parsed;
    return {};
  }
  return "unknown setting '" + std::string(name) + "' (--list-settings lists them)";
}

std::int64_t Options::get(std::string_view name) const {
  const auto table = settingsTable();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (table[i].name == name) return values_[i];
  }
  return 0;
}

ExactSolver::Options solverOptions(std::span<const std::int64_t> values) {
  const auto get = [values]<class T>(Setting s, T& field) { field = settingValue<T>(values, s); };
  ExactSolver::Options o;
  get(Setting::DirectSearchOrder, o.directSearchOrder);
  get(Setting::SmallSearch, o.smallSearch);
  get(Setting::SmallSearchNodes, o.smallSearchNodes);
  get(Setting::ReduceCuts, o.reduceCuts);
  get(Setting::RotationFirst, o.rotationFirst);
  get(Setting::EarlyRotationOrder, o.earlyRotationOrder);
  get(Setting::RotationSteps, o.rotationStepsPerVertex);
  get(Setting::BriefRotationSteps, o.briefRotationStepsPerVertex);
  get(Setting::BriefRotationMaxSteps, o.briefRotationMaxSteps);
  get(Setting::QuickSearchNodes, o.quickSearchNodes);
  get(Setting::FrontierMinOrder, o.frontierMinOrder);
  get(Setting::FrontierMaxOrder, o.frontierMaxOrder);
  get(Setting::FourCutMinOrder, o.fourCutMinOrder);
  CutReducer::Options& cuts = o.cuts;
  get(Setting::CheapConditionsEdges, cuts.cheapConditionsEdges);
  get(Setting::MaxRounds, cuts.maxRounds);
  get(Setting::FourEdgeCuts, cuts.fourEdgeCuts);
  get(Setting::FourCutKept, cuts.maxFourCutPiecesKept);
  get(Setting::CutMinSide, cuts.search.minSide);
  get(Setting::CutPairsPerClass, cuts.search.pairsPerClass);
  get(Setting::FourCutMinSide, cuts.fourSearch.minSide);
  get(Setting::FourCutMaxSide, cuts.fourSearch.maxSide);
  get(Setting::FourCutRadius, cuts.fourSearch.radius);
  FrontierSearch::Options& frontier = o.frontier;
  get(Setting::FrontierMaxWidth, frontier.maxWidth);
  get(Setting::FrontierStatesPerVertex, frontier.statesPerVertex);
  get(Setting::FrontierMaxStates, frontier.maxStates);
  get(Setting::FrontierMaxLayerStates, frontier.maxLayerStates);
  get(Setting::FrontierImprovableExcess, frontier.improvableExcess);
  get(Setting::OrderGreedyStarts, frontier.order.greedyStarts);
  get(Setting::OrderBreadthFirst, frontier.order.breadthFirst);
  get(Setting::OrderImprovePasses, frontier.order.improvePasses);
  get(Setting::OrderImproveWindow, frontier.order.improveWindow);
  get(Setting::OrderImproveCandidates, frontier.order.improveCandidates);
  get(Setting::OrderImproveAboveCost, frontier.order.improveAboveCostPerVertex);
  get(Setting::OrderImproveMaxWidth, frontier.order.improveMaxWidth);
  get(Setting::RestartBase, o.backtrack.restartBase);
  get(Setting::FlowCheckOrder, o.backtrack.flowCheckOrder);
  get(Setting::LazyPruning, o.backtrack.lazyPruning);
  RotationOptions& rotation = o.rotation;
  get(Setting::RandomRotationOrder, rotation.randomRotationOrder);
  get(Setting::StepsPerForcedFailure, rotation.stepsPerForcedFailure);
  get(Setting::ForcedProbeOrder, rotation.forcedProbeOrder);
  get(Setting::ForcedProbeFailures, rotation.forcedProbeFailures);
  get(Setting::ForcedFailuresPerRun, rotation.forced.failuresPerRun);
  get(Setting::ForcedDecisionsPerJump, rotation.forced.decisionsPerJump);
  get(Setting::ForcedLoneNeighbourPenalty, rotation.forced.loneNeighbourPenalty);
  get(Setting::ForcedRemainderShare, rotation.forced.remainderShare);
  get(Setting::ForcedRemainderMinOrder, rotation.forced.remainderMinOrder);
  get(Setting::ForcedGuidePenalty, rotation.forced.guidePenalty);
  return o;
}

}  // namespace bicubic::exact
