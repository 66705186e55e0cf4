#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "families/families.h"
#include "check/report.h"
#include "exact/rotation.h"
#include "check/check_support.h"

namespace bicubic::exact {
namespace {

SimpleGraph prism(std::int32_t k) {
  SimpleGraph g(2 * k);
  for (std::int32_t i = 0; i < k; ++i) {
    g.addNewEdge(i, (i + 1) % k);
    g.addNewEdge(k + i, k + (i + 1) % k);
    g.addNewEdge(i, k + i);
  }
  return g;
}

SimpleGraph complete(std::int32_t n) {
  SimpleGraph g(n);
  for (std::int32_t u = 0; u < n; ++u) {
    for (std::int32_t v = u + 1; v < n; ++v) g.addNewEdge(u, v);
  }
  return g;
}

SimpleGraph randomCubicBipartiteGraph(std::int32_t n, std::uint64_t seed) {
  Rng rng(seed);
  return shuffled(randomCubicBipartite(n / 2, rng), rng);
}

struct RotationCase {
  std::string name;
  SimpleGraph g;
  std::int64_t maxSteps;
  double seconds;  // < 0: no deadline; 0: already expired
  bool mayFind;    // false where finding a cycle is impossible or the limits forbid it
};

TEST(RotationExtension, FindsOnlyValidCyclesAndHonoursItsLimits) {
  const std::vector<RotationCase> cases = {
      {"prism 5", prism(5), 10000, -1, true},
      {"prism 50", prism(50), 100000, -1, true},
      {"cube", testing::cube(), 10000, -1, true},
      {"heawood", testing::heawood(), 10000, -1, true},
      {"random cubic bipartite 100", randomCubicBipartiteGraph(100, 1), 100000, -1, true},
      {"random cubic bipartite 400", randomCubicBipartiteGraph(400, 2), 400000, -1, true},
      {"complete 3", complete(3), 100, -1, true},
      {"complete 60", complete(60), 10000, -1, true},
      {"petersen", testing::petersen(), 100000, -1, false},
      {"flower snark 5", flowerSnark(5), 100000, -1, false},
      {"20-vertex cubic bipartite", testing::smallestNonHamiltonianCubicBipartite(), 100000, -1, false},
      {"too few steps", randomCubicBipartiteGraph(400, 3), 50, -1, false},
      {"expired deadline", complete(60), 10000, 0, false},
  };
  for (const RotationCase& c : cases) {
    Rng rng(99);
    std::vector<std::int32_t> cycle{7};
    const Deadline deadline = c.seconds < 0 ? Deadline() : Deadline::after(c.seconds);
    const bool found = rotationExtensionCycle(c.g, c.maxSteps, rng, deadline, cycle);
    testing::expectCycleOrNothing(c.g, found, c.mayFind, cycle, c.name);
  }
}

// The settings that pick the walk: from random-rotation-order on, the path is a tree, a stuck walk
// rotates at random and the forced-edge search goes first (with its share of the budget); below
// it, from forced-probe-order on, a brief forced-edge search goes before the array walk. Forced
// down to small graphs, every path through them still gives only valid cycles.
TEST(RotationExtension, EveryWalkTheSettingsChooseFindsOnlyValidCycles) {
  struct Variant {
    std::string name;
    std::int32_t randomRotationOrder;
    std::int64_t stepsPerForcedFailure;
    std::int32_t forcedProbeOrder;
  };
  const std::vector<Variant> variants = {
      {"array walk", 1 << 30, 256, 1 << 30},
      {"array walk after a brief forced-edge search", 1 << 30, 256, 0},
      {"tree walk after the forced-edge search", 0, 256, 1 << 30},
      {"tree walk, forced-edge search allowed one dead end", 0, std::int64_t{1} << 40, 1 << 30},
  };
  const std::vector<RotationCase> cases = {
      {"prism 50", prism(50), 100000, -1, true},
      {"random cubic bipartite 400", randomCubicBipartiteGraph(400, 2), 400000, -1, true},
      {"complete 60", complete(60), 10000, -1, true},
      {"petersen", testing::petersen(), 100000, -1, false},
      {"flower snark 5", flowerSnark(5), 100000, -1, false},
  };
  for (const Variant& v : variants) {
    RotationOptions options;
    options.randomRotationOrder = v.randomRotationOrder;
    options.stepsPerForcedFailure = v.stepsPerForcedFailure;
    options.forcedProbeOrder = v.forcedProbeOrder;
    for (const RotationCase& c : cases) {
      Rng rng(7);
      std::vector<std::int32_t> cycle;
      const bool found = rotationExtensionCycle(c.g, c.maxSteps, rng, Deadline(), cycle, nullptr, options);
      testing::expectCycleOrNothing(c.g, found, c.mayFind, cycle, v.name + ": " + c.name);
    }
  }
}

}  // namespace
}  // namespace bicubic::exact
