// Graphs of 10^5 vertices end to end through the public entry point: the answer must be a cycle
// that passes the check against the input edges. Long (seconds each): label `long`.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exact/hamiltonian.h"
#include "families/families.h"

namespace bicubic::exact {
namespace {

TEST(LargeGraphsLong, CyclesAtOneHundredThousandVerticesPassTheCheckAgainstTheInput) {
  struct Case {
    std::string name;
    SimpleGraph g;
  };
  constexpr std::int32_t kOrder = 100'000;
  Rng rng(16);
  std::vector<Case> cases;
  for (int seed = 0; seed < 2; ++seed) {
    cases.push_back({"random cubic " + std::to_string(seed), randomCubic(kOrder, rng)});
    cases.push_back({"random cubic bipartite " + std::to_string(seed), shuffled(randomCubicBipartite(kOrder / 2, rng), rng)});
  }
  for (const Case& c : cases) {
    std::vector<Edge> edges;
    for (std::int32_t v = 0; v < c.g.order(); ++v) {
      for (std::int32_t w : c.g.neighbours(v)) {
        if (v < w) edges.emplace_back(v, w);
      }
    }
    const Result result = findHamiltonianCycle(c.g.order(), edges);
    ASSERT_EQ(result.answer, Answer::Hamiltonian) << c.name;
    EXPECT_TRUE(isHamiltonianCycle(c.g, result.cycle)) << c.name;
  }
}

}  // namespace
}  // namespace bicubic::exact
