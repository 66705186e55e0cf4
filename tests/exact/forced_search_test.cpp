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

}  // namespace
}  // namespace bicubic::exact
