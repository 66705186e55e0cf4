#include "exact/hamiltonian.h"

#include <algorithm>
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

Renumbering::Renumbering(const SimpleGraph& g) : state_(graphSeed(g)) {}

void Renumbering::next(std::span<std::int32_t> label) {
  for (std::size_t v = 0; v < label.size(); ++v) label[v] = static_cast<std::int32_t>(v);
  // The generator's state lives here between calls, so the k-th numbering depends only on g.
  Rng rng(state_);
  shuffle(label.begin(), label.end(), rng);
  state_ = rng.state();
}

struct HamiltonianSolver::Impl {
  Options options;
  ExactSolver solver;
  SimpleGraph graph;
};

HamiltonianSolver::HamiltonianSolver(const Options& options) : impl_(std::make_unique<Impl>()) {
  impl_->options = options;
  impl_->solver = ExactSolver(solverOptions(options.values()));
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
  return solve(g);
}

Result HamiltonianSolver::solve(const SimpleGraph& g) {
  Result result;
  solve(g, result);
  return result;
}

void HamiltonianSolver::solve(const SimpleGraph& g, Result& result) {
  const Options& options = impl_->options;
  const Deadline deadline =
      (options.timeLimitSeconds > 0 ? Deadline::after(options.timeLimitSeconds) : Deadline()).orWhen(options.stop);
  solve(g, deadline, result);
}

void HamiltonianSolver::solve(const SimpleGraph& g, const Deadline& deadline, Result& result) {
  ExactResult exact = impl_->solver.solve(g, deadline);
  result.answer = exact.answer;
  result.decidedBy = exact.decidedBy;
  result.cycle.swap(exact.cycle);
  result.cycleRejected = false;
  result.blockedSide.swap(exact.blockedSide);
  result.cutEdges.swap(exact.cutEdges);
  const auto& stages = impl_->solver.stats().stages;
  result.stages.resize(stages.size());
  std::copy(stages.begin(), stages.end(), result.stages.begin());
  // A certificate is only handed out once it is checked against the caller's own edges.
  if (result.answer == Answer::Hamiltonian && !isHamiltonianCycle(g, result.cycle)) {
    result.answer = Answer::Unknown;
    result.decidedBy = Stage::None;
    result.cycle.clear();
    result.cycleRejected = true;
  }
}

Result findHamiltonianCycle(std::int32_t order, std::span<const Edge> edges, const Options& options) {
  HamiltonianSolver solver(options);
  return solver.solve(order, edges);
}

}  // namespace bicubic::exact
