#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "exact/cycle_space.h"
#include "check/check_support.h"

namespace bicubic::exact {
namespace {

// Each class of equal labels against the 2-edge cuts found by deleting every pair of edges.
TEST(CutPairLabels, ClassesAreTheTwoEdgeCuts) {
  struct Case {
    std::string name;
    SimpleGraph g;
  };
  // Two 4-cycles with a chord each, joined by two edges; a 6-cycle (every pair a cut); the cube
  // (3-edge-connected: none).
  const std::vector<Case> cases = {
      {"two blocks", testing::fromEdges(8, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {0, 2}, {4, 5}, {5, 6}, {6, 7}, {7, 4},
                                            {4, 6}, {1, 5}, {3, 7}})},
      {"cycle", testing::fromEdges(6, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}})},
      {"cube", testing::cube()},
  };
  for (const Case& c : cases) {
    EdgeIndex index;
    index.build(c.g);
    const std::int32_t m = index.edgeCount();
    std::vector<std::pair<std::int32_t, std::int32_t>> expected, found;
    for (std::int32_t e = 0; e < m; ++e) {
      for (std::int32_t f = e + 1; f < m; ++f) {
        SimpleGraph h(c.g.order());
        for (std::int32_t k = 0; k < m; ++k) {
          if (k != e && k != f) h.addNewEdge(index.first[at(k)], index.second[at(k)]);
        }
        if (!isConnected(h)) expected.emplace_back(e, f);
      }
    }
    CutPairLabels labels;
    labels.seed(c.name.size());
    ASSERT_TRUE(labels.findClasses(index, Deadline()));
    const auto& classes = labels.classes();
    for (std::size_t i = 0; i < classes.size(); ++i) {
      for (std::size_t j = i + 1; j < classes.size() && classes[j].first == classes[i].first; ++j) {
        found.emplace_back(std::min(classes[i].second, classes[j].second), std::max(classes[i].second, classes[j].second));
      }
    }
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, expected) << c.name;
  }
}

}  // namespace
}  // namespace bicubic::exact
