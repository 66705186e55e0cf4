#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exact/path_tree.h"
#include "exact/rng.h"

namespace bicubic::exact {
namespace {

// The tree against a plain vector under random extensions at both ends and reversals of the
// kinds the rotation search makes (a stretch at either end) and of any stretch; every few
// operations the whole order, a position and a vertex lookup are compared.
TEST(PathTree, MatchesAPlainArrayUnderRandomRotationsAndExtensions) {
  struct Case {
    std::string name;
    std::int32_t n;
    std::int32_t operations;
    std::uint32_t reversePercent;  // of the operations once some vertices are placed
    std::uint64_t seed;
  };
  const std::vector<Case> cases = {
      {"one vertex", 1, 10, 50, 1},
      {"small, mostly reversals", 12, 2000, 90, 2},
      {"medium, balanced", 300, 20000, 50, 3},
      {"large, mostly extensions", 5000, 30000, 20, 4},
  };
  for (const Case& c : cases) {
    Rng rng(c.seed);
    PathTree tree(c.n, c.seed);
    std::vector<std::int32_t> plain, order(static_cast<std::size_t>(c.n)), listed;
    for (std::int32_t v = 0; v < c.n; ++v) order[static_cast<std::size_t>(v)] = v;
    shuffle(order.begin(), order.end(), rng);
    std::size_t placed = 0;
    for (std::int32_t op = 0; op < c.operations; ++op) {
      const auto size = static_cast<std::int32_t>(plain.size());
      const bool extend = placed < order.size() && (size < 2 || rng.below(100) >= c.reversePercent);
      if (extend) {
        const std::int32_t v = order[placed++];
        ASSERT_FALSE(tree.contains(v)) << c.name;
        if (rng.below(2) == 0) {
          tree.pushBack(v);
          plain.push_back(v);
        } else {
          tree.pushFront(v);
          plain.insert(plain.begin(), v);
        }
      } else if (size >= 1) {
        std::int32_t lo = static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(size)));
        std::int32_t hi = static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(size)));
        if (lo > hi) std::swap(lo, hi);
        const std::uint32_t kind = rng.below(3);  // 0: at the back, 1: at the front, 2: anywhere
        if (kind == 0) hi = size - 1;
        if (kind == 1) lo = 0;
        tree.reverse(lo, hi);
        std::reverse(plain.begin() + lo, plain.begin() + hi + 1);
      }
      ASSERT_EQ(tree.size(), static_cast<std::int32_t>(plain.size())) << c.name;
      if (plain.empty() || op % 7 != 0) continue;
      const auto k = static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(plain.size())));
      ASSERT_EQ(tree.vertexAt(k), plain[static_cast<std::size_t>(k)]) << c.name << " op " << op;
      const std::int32_t v = plain[static_cast<std::size_t>(k)];
      ASSERT_EQ(tree.position(v), k) << c.name << " op " << op;
      const std::int32_t next = k + 1 < tree.size() ? plain[static_cast<std::size_t>(k + 1)] : -1;
      const std::int32_t previous = k > 0 ? plain[static_cast<std::size_t>(k - 1)] : -1;
      ASSERT_EQ(tree.nextOfLocated(v), next) << c.name << " op " << op;
      ASSERT_EQ(tree.previousOfLocated(v), previous) << c.name << " op " << op;
      tree.list(listed);
      ASSERT_EQ(listed, plain) << c.name << " op " << op;
    }
    for (std::int32_t v = 0; v < c.n; ++v) {
      EXPECT_EQ(tree.contains(v), std::find(plain.begin(), plain.end(), v) != plain.end()) << c.name;
    }
  }
}

}  // namespace
}  // namespace bicubic::exact
