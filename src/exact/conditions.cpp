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

namespace {

// The iterative low-point search of hasCutVertex, asking the deadline; a vertex it does not
// reach from vertex 0 fails too (not connected).
ConditionsVerdict withoutCutVertex(const SimpleGraph& g, DeadlinePoller& poller) {
  const std::int32_t n = g.order();
  std::vector<std::int32_t> disc(at(n), -1), low(at(n), 0), parent(at(n), -1), next(at(n), 0), stack{0};
  disc[0] = 0;
  std::int32_t time = 1, rootChildren = 0;
  while (!stack.empty()) {
    if (poller.expired()) return ConditionsVerdict::Stopped;
    const std::int32_t v = stack.back();
    if (next[at(v)] < g.degree(v)) {
      const std::int32_t w = g.neighbours(v)[at(next[at(v)]++)];
      if (disc[at(w)] < 0) {
        parent[at(w)] = v;
        disc[at(w)] = low[at(w)] = time++;
        rootChildren += v == 0 ? 1 : 0;
        stack.push_back(w);
      } else if (w != parent[at(v)]) {
        low[at(v)] = std::min(low[at(v)], disc[at(w)]);
      }
      continue;
    }
    stack.pop_back();
    const std::int32_t p = parent[at(v)];
    if (p < 0) continue;
    low[at(p)] = std::min(low[at(p)], low[at(v)]);
    if (p != 0 && low[at(v)] >= disc[at(p)]) return ConditionsVerdict::Fail;
  }
  return rootChildren > 1 || time != n ? ConditionsVerdict::Fail : ConditionsVerdict::Pass;
}

}  // namespace

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
  return withoutCutVertex(g, poller);
}

}  // namespace bicubic::exact
