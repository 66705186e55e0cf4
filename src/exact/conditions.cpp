#include "exact/conditions.h"

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

}  // namespace bicubic::exact
