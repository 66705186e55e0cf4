// The depth-first renumbering against the graph it copies: the copy must have exactly the
// input's edges under the numbering, each list in the input's order; with one search, a search
// of the copy from vertex 0 taking neighbours in list order must meet the vertices as 0, 1, 2,
// ... (the property that makes the later passes read memory forwards), and with several the
// order must still number every vertex once. Regular and irregular
// graphs take different paths through the flat lists, and several components each start a new
// search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exact/index.h"
#include "exact/renumber.h"
#include "exact/rng.h"
#include "families/families.h"

namespace bicubic::exact {
namespace {

// The preorder of the recursive search that takes each vertex's neighbours in list order.
std::vector<std::int32_t> recursivePreorder(const SimpleGraph& g) {
  std::vector<std::int32_t> order;
  std::vector<char> seen(at(g.order()), 0);
  const auto visit = [&](const auto& self, std::int32_t v) -> void {
    seen[at(v)] = 1;
    order.push_back(v);
    for (const std::int32_t w : g.neighbours(v)) {
      if (!seen[at(w)]) self(self, w);
    }
  };
  for (std::int32_t v = 0; v < g.order(); ++v) {
    if (!seen[at(v)]) visit(visit, v);
  }
  return order;
}

struct RenumberCase {
  const char* name;
  SimpleGraph (*make)(Rng&);
};

const RenumberCase kCases[] = {
    {"randomCubic", [](Rng& rng) { return randomCubic(400, rng); }},
    {"twoCubicComponentsAndALoneVertex",
     [](Rng& rng) {
       const SimpleGraph a = randomCubic(20, rng), b = randomCubic(30, rng);
       SimpleGraph g(51);  // vertex 0 alone, a on 1..20, b on 21..50
       const auto copy = [&g](const SimpleGraph& part, std::int32_t offset) {
         for (std::int32_t v = 0; v < part.order(); ++v) {
           for (const std::int32_t w : part.neighbours(v)) {
             if (v < w) g.addNewEdge(offset + v, offset + w);
           }
         }
       };
       copy(a, 1);
       copy(b, 21);
       return g;
     }},
    {"irregularDegrees",
     [](Rng& rng) {
       SimpleGraph g(300);
       for (std::int32_t v = 1; v < 300; ++v) g.addEdge(v, static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(v))));
       for (int k = 0; k < 300; ++k) {
         g.addEdge(static_cast<std::int32_t>(rng.below(300)), static_cast<std::int32_t>(rng.below(300)));
       }
       return g;
     }},
};

class DepthFirstRenumbering : public ::testing::TestWithParam<RenumberCase> {};

TEST_P(DepthFirstRenumbering, CopiesEveryListRenamedInOrderAndOneSearchNumbersInPreorder) {
  Rng rng(7);
  const SimpleGraph g = GetParam().make(rng);
  const std::optional<Renumbered> one = depthFirstRenumbered(g, Deadline::never(), 1);
  ASSERT_TRUE(one.has_value());
  EXPECT_EQ(one->order, recursivePreorder(g));
  std::vector<std::int32_t> identity(at(g.order()));
  for (std::int32_t k = 0; k < g.order(); ++k) identity[at(k)] = k;
  EXPECT_EQ(recursivePreorder(one->graph), identity);
  const std::optional<Renumbered> r = depthFirstRenumbered(g, Deadline::never());
  ASSERT_TRUE(r.has_value());
  std::vector<std::int32_t> sorted = r->order;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(sorted, identity);
  ASSERT_EQ(r->graph.order(), g.order());
  EXPECT_EQ(r->graph.edgeCount(), g.edgeCount());
  std::vector<std::int32_t> number(at(g.order()));
  for (std::int32_t k = 0; k < g.order(); ++k) number[at(r->order[at(k)])] = k;
  for (std::int32_t v = 0; v < g.order(); ++v) {
    std::vector<std::int32_t> renamed;
    for (const std::int32_t w : g.neighbours(v)) renamed.push_back(number[at(w)]);
    const auto copied = r->graph.neighbours(number[at(v)]);
    EXPECT_EQ(std::vector<std::int32_t>(copied.begin(), copied.end()), renamed) << "vertex " << v;
  }
  // The copy's lists are full to the brim; a later edge must still find room.
  SimpleGraph grown = r->graph;
  if (!grown.hasEdge(0, g.order() - 1) && g.order() > 1) {
    grown.addNewEdge(0, g.order() - 1);
    EXPECT_TRUE(grown.hasEdge(g.order() - 1, 0));
  }
}

INSTANTIATE_TEST_SUITE_P(Graphs, DepthFirstRenumbering, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RenumberCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bicubic::exact
