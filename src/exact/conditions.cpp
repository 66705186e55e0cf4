#include "exact/conditions.h"

#include <algorithm>

#include "exact/index.h"

namespace bicubic::exact {

bool passesNecessaryConditions(const SimpleGraph& g, const std::vector<std::int8_t>& colour) {
  const std::int32_t n = g.order();
  if (n < 3) return false;
  for (std::int32_t v = 0; v < n; ++v) {
    if (g.degree(v) < 2) return false;
  }
  if (!colour.empty()) {
    std::int32_t zeros = 0;
    for (std::int8_t c : colour) zeros += c == 0 ? 1 : 0;
    if (2 * zeros != n) return false;
  }
  return isConnected(g) && !hasCutVertex(g);
}

bool passesNecessaryConditions(const SimpleGraph& g) { return passesNecessaryConditions(g, twoColouring(g)); }

ConditionsVerdict checkNecessaryConditions(const SimpleGraph& g, const Deadline& deadline) {
  const std::int32_t n = g.order();
  if (n < 3) return ConditionsVerdict::Fail;
  DeadlinePoller poller(deadline);
  for (std::int32_t v = 0; v < n; ++v) {
    if (poller.expired()) return ConditionsVerdict::Stopped;
    if (g.degree(v) < 2) return ConditionsVerdict::Fail;
  }
  const std::optional<std::vector<std::int8_t>> colour = twoColouring(g, deadline);
  if (!colour) return ConditionsVerdict::Stopped;
  if (!colour->empty() && 2 * std::count(colour->begin(), colour->end(), std::int8_t{0}) != n) {
    return ConditionsVerdict::Fail;  // unequal colour classes
  }
  const std::optional<CutVertexSearch> search = searchCutVertex(g, deadline);
  if (!search) return ConditionsVerdict::Stopped;
  return search->cutVertex || search->reached != n ? ConditionsVerdict::Fail : ConditionsVerdict::Pass;
}

}  // namespace bicubic::exact
