#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/check_support.h"
#include "exact/forced_search.h"
#include "families/families.h"

namespace bicubic::exact {
namespace {

// Every cycle found passes the check against the graph; graphs without a cycle, graphs it does
// not take (a degree above 3 or below 2) and an expired deadline give nothing.
TEST(ForcedPathCycle, FindsOnlyValidCyclesAndDeclinesWhatItDoesNotTake) {
  struct Case {
    std::string name;
    SimpleGraph g;
    double seconds;  // < 0: no deadline; 0: already expired
    bool mayFind;
  };
  Rng rng(5);
  SimpleGraph withDegreeFour = randomCubic(40, rng);
  withDegreeFour.addEdge(0, withDegreeFour.neighbours(0)[0] == 1 ? 2 : 1);
  SimpleGraph withDegreeOne(4);
  withDegreeOne.addNewEdge(0, 1);
  withDegreeOne.addNewEdge(1, 2);
  withDegreeOne.addNewEdge(2, 0);
  withDegreeOne.addNewEdge(2, 3);
  // Every edge forced before any decision: no path end is left to grow from.
  SimpleGraph cycleGraph(7);
  for (std::int32_t v = 0; v < 7; ++v) cycleGraph.addNewEdge(v, (v + 1) % 7);
  const std::vector<Case> cases = {
      {"cycle", cycleGraph, -1, true},
      {"heawood", testing::heawood(), -1, true},
      {"random cubic 2000", randomCubic(2000, rng), -1, true},
      {"random cubic 20000", randomCubic(20000, rng), -1, true},
      {"random cubic bipartite 20000", shuffled(randomCubicBipartite(10000, rng), rng), -1, true},
      {"petersen", testing::petersen(), -1, false},
      {"flower snark 7", flowerSnark(7), -1, false},
      {"20-vertex cubic bipartite", testing::smallestNonHamiltonianCubicBipartite(), -1, false},
      {"a vertex of degree 4", withDegreeFour, -1, false},
      {"a vertex of degree 1", withDegreeOne, -1, false},
      {"expired deadline", randomCubic(2000, rng), 0, false},
  };
  for (const Case& c : cases) {
    Rng search(11);
    std::vector<std::int32_t> cycle{7};
    const Deadline deadline = c.seconds < 0 ? Deadline() : Deadline::after(c.seconds);
    const bool found = forcedPathCycle(c.g, 100000, search, deadline, cycle);
    testing::expectCycleOrNothing(c.g, found, c.mayFind, cycle, c.name);
  }
}

// What is left of a descent is searched as a graph of its own, nested as deep as the settings
// allow; every cycle it brings back, expanded through the paths it stood in for, is a cycle of
// the whole graph, with the 2-factor guide and without it.
TEST(ForcedPathCycle, CyclesFoundInWhatIsLeftExpandToCyclesOfTheWholeGraph) {
  struct Case {
    std::string name;
    std::int64_t share;
    std::int32_t minOrder;
    std::int32_t guidePenalty;
  };
  const std::vector<Case> cases = {
      {"default share, nested to 100 vertices", 8, 100, 100},
      {"halves, nested to 20 vertices", 2, 20, 100},
      {"no guide", 4, 100, 0},
      {"guide outweighed by the neighbour count", 4, 100, 1},
  };
  Rng rng(3);
  const SimpleGraph cubic = randomCubic(3000, rng);
  const SimpleGraph bipartite = shuffled(randomCubicBipartite(1500, rng), rng);
  for (const Case& c : cases) {
    ForcedSearchOptions options;
    options.remainderShare = c.share;
    options.remainderMinOrder = c.minOrder;
    options.guidePenalty = c.guidePenalty;
    for (const SimpleGraph* g : {&cubic, &bipartite}) {
      Rng search(17);
      std::vector<std::int32_t> cycle;
      const bool found = forcedPathCycle(*g, 1'000'000, search, Deadline(), cycle, options);
      testing::expectCycleOrNothing(*g, found, true, cycle, c.name);
    }
  }
}

}  // namespace
}  // namespace bicubic::exact
