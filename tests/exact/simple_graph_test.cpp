// SimpleGraph's pooled lists against plain per-vertex vectors: edges added in orders that move
// lists, pack the pool and reuse it after reset() must leave every list and every test for an
// edge as the plain form has them.
#include <gtest/gtest.h>

#include <cstdint>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "exact/hamiltonian.h"

namespace bicubic::exact {
namespace {

struct GrowthCase {
  const char* name;
  std::int32_t order;
  double density;  // share of all pairs offered as edges
  bool lowestFirst;  // pairs in sparse6 order (by higher end) rather than at random
};

class SimpleGraphPool : public ::testing::TestWithParam<GrowthCase> {};

TEST_P(SimpleGraphPool, MatchesPlainListsThroughGrowthPackingAndReset) {
  const GrowthCase& c = GetParam();
  std::mt19937 rng(static_cast<std::uint32_t>(c.order));
  std::vector<std::pair<std::int32_t, std::int32_t>> pairs;
  for (std::int32_t v = 1; v < c.order; ++v) {
    for (std::int32_t u = 0; u < v; ++u) {
      if (std::uniform_real_distribution<double>(0, 1)(rng) < c.density) pairs.emplace_back(u, v);
    }
  }
  if (!c.lowestFirst) std::shuffle(pairs.begin(), pairs.end(), rng);
  SimpleGraph g(3);  // a first graph whose pool the next one reuses
  g.addNewEdge(0, 1);
  for (int round = 0; round < 2; ++round) {
    g.reset(c.order);
    std::vector<std::vector<std::int32_t>> plain(static_cast<std::size_t>(c.order));
    std::int64_t added = 0;
    for (auto [u, v] : pairs) {
      // Each pair offered twice, the second time reversed: addEdge must refuse the repeat.
      ASSERT_TRUE(g.addEdge(u, v));
      ASSERT_FALSE(g.addEdge(v, u));
      plain[static_cast<std::size_t>(u)].push_back(v);
      plain[static_cast<std::size_t>(v)].push_back(u);
      ++added;
    }
    EXPECT_FALSE(g.addEdge(0, 0));
    const SimpleGraph copy = g;
    for (const SimpleGraph* graph : {static_cast<const SimpleGraph*>(&g), &copy}) {
      ASSERT_EQ(graph->edgeCount(), added);
      for (std::int32_t v = 0; v < c.order; ++v) {
        const auto list = graph->neighbours(v);
        ASSERT_EQ(std::vector<std::int32_t>(list.begin(), list.end()), plain[static_cast<std::size_t>(v)]) << v;
        ASSERT_EQ(graph->degree(v), static_cast<std::int32_t>(list.size()));
      }
    }
    std::int64_t found = 0;
    for (std::int32_t u = 0; u < c.order; ++u) {
      for (std::int32_t v = 0; v < c.order; ++v) found += g.hasEdge(u, v) ? 1 : 0;
    }
    EXPECT_EQ(found, 2 * added);
  }
}

INSTANTIATE_TEST_SUITE_P(Orders, SimpleGraphPool,
                         ::testing::Values(GrowthCase{"empty", 0, 0, true}, GrowthCase{"sparse_random", 300, 0.01, false},
                                           GrowthCase{"sparse_in_order", 300, 0.01, true},
                                           GrowthCase{"dense_random", 120, 0.7, false},
                                           GrowthCase{"complete_in_order", 90, 1.0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bicubic::exact
