#include "exact/hamiltonian.h"

#include <charconv>
#include <stdexcept>

#include "exact/exact.h"

namespace bicubic::exact {

std::string_view stageName(Stage stage) {
  switch (stage) {
    case Stage::None: return "-";
    case Stage::Conditions: return "conditions";
    case Stage::SmallSearch: return "small-search";
    case Stage::CutReduction: return "cuts";
    case Stage::Rotations: return "rotations";
    case Stage::Frontier: return "frontier";
    case Stage::Backtracking: return "backtracking";
  }
  return "-";
}

std::span<const SettingInfo> settingsTable() { return {}; }

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

struct HamiltonianSolver::Impl {
  Options options;
  ExactSolver solver;
  SimpleGraph graph;
};

HamiltonianSolver::HamiltonianSolver(const Options& options) : impl_(std::make_unique<Impl>()) {
  impl_->options = options;
}
HamiltonianSolver::~HamiltonianSolver() = default;
HamiltonianSolver::HamiltonianSolver(HamiltonianSolver&&) noexcept = default;
HamiltonianSolver& HamiltonianSolver::operator=(HamiltonianSolver&&) noexcept = default;

const Options& HamiltonianSolver::options() const { return impl_->options; }

Result HamiltonianSolver::solve(std::int32_t order, std::span<const Edge> edges) {
  if (order < 0) throw std::invalid_argument("negative order");
  SimpleGraph& g = impl_->graph;
  g.reset(order);
  for (const auto& [u, v] : edges) {
    if (u < 0 || v < 0 || u >= order || v >= order) {
      throw std::invalid_argument("edge " + std::to_string(u) + "-" + std::to_string(v) + " has an end outside 0.." +
                                  std::to_string(order - 1));
    }
    g.addEdge(u, v);
  }
  const Deadline deadline = Deadline::after(impl_->options.timeLimitSeconds > 0 ? impl_->options.timeLimitSeconds : 1e18)
                                .orWhen(impl_->options.stop);
  ExactResult exact = impl_->solver.solve(g, deadline);
  Result result;
  result.answer = exact.answer;
  result.cycle = std::move(exact.cycle);
  // A certificate is only handed out once it is checked against the caller's own edges.
  if (result.answer == Answer::Hamiltonian && !isHamiltonianCycle(g, result.cycle)) {
    result.answer = Answer::Unknown;
    result.cycle.clear();
  }
  return result;
}

Result findHamiltonianCycle(std::int32_t order, std::span<const Edge> edges, const Options& options) {
  HamiltonianSolver solver(options);
  return solver.solve(order, edges);
}

}  // namespace bicubic::exact
