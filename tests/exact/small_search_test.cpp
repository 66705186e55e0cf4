// SmallSearch against the independent brute force on whole nauty families and on named graphs,
// and the graphs it must refuse.
#include <gtest/gtest.h>

#include "check/formats.h"
#include "check/report.h"
#include "exact/small_search.h"
#include "check/check_support.h"

namespace bicubic::exact {
namespace {

using check::decodeGraph6;

// Decides g; a Hamiltonian answer must carry a Hamiltonian cycle of g, the others none.
Answer decideChecked(const SimpleGraph& g, const std::string& name, std::int64_t nodeLimit) {
  SmallSearch search;
  std::vector<std::int32_t> cycle;
  EXPECT_TRUE(search.load(g)) << name;
  const Answer answer = search.run(cycle, nodeLimit);
  if (answer == Answer::Hamiltonian) {
    EXPECT_TRUE(isHamiltonianCycle(g, cycle)) << name;
  } else {
    EXPECT_TRUE(cycle.empty()) << name;
  }
  return answer;
}

Answer expectedAnswer(const SimpleGraph& g) {
  return testing::bruteForceHamiltonian(g) ? Answer::Hamiltonian : Answer::NonHamiltonian;
}

struct Family {
  std::string command;
  std::size_t expectedGraphs;
};

void PrintTo(const Family& family, std::ostream* os) { *os << family.command; }

class SmallSearchFamily : public ::testing::TestWithParam<Family> {};

TEST_P(SmallSearchFamily, MatchesBruteForce) {
  const Family& family = GetParam();
  const auto lines = testing::nautyGraphs(family.command);
  if (!lines) GTEST_SKIP() << "nauty is not installed (apt-get install nauty); skipped: " << family.command;
  ASSERT_EQ(lines->size(), family.expectedGraphs) << family.command;
  SimpleGraph g;
  std::string error;
  for (const std::string& line : *lines) {
    ASSERT_TRUE(decodeGraph6(line, g, error)) << line << ": " << error;
    ASSERT_EQ(decideChecked(g, line, std::numeric_limits<std::int64_t>::max()), expectedAnswer(g)) << line;
  }
}

// Counts as nauty lists them; a short list would mean the generator failed midway.
INSTANTIATE_TEST_SUITE_P(
    Nauty, SmallSearchFamily,
    ::testing::Values(Family{"nauty-genbg -c -q -d3:3 -D3:3 3 3", 1}, Family{"nauty-genbg -c -q -d3:3 -D3:3 4 4", 1},
                      Family{"nauty-genbg -c -q -d3:3 -D3:3 5 5", 2}, Family{"nauty-genbg -c -q -d3:3 -D3:3 6 6", 6},
                      Family{"nauty-genbg -c -q -d3:3 -D3:3 7 7", 15}, Family{"nauty-genbg -c -q -d3:3 -D3:3 8 8", 48},
                      Family{"nauty-genbg -c -q -d3:3 -D3:3 9 9", 215}, Family{"nauty-geng -c -q -d3 -D3 4", 1},
                      Family{"nauty-geng -c -q -d3 -D3 6", 2}, Family{"nauty-geng -c -q -d3 -D3 8", 5},
                      Family{"nauty-geng -c -q -d3 -D3 10", 19}, Family{"nauty-geng -c -q -d3 -D3 12", 85},
                      Family{"nauty-geng -c -q -d3 -D3 14", 509}, Family{"nauty-geng -c -q -d3 -D3 16", 4060},
                      // subcubic: degree-2 vertices, odd orders, non-bipartite graphs
                      Family{"nauty-geng -c -q -d2 -D3 4", 3}, Family{"nauty-geng -c -q -d2 -D3 5", 4},
                      Family{"nauty-geng -c -q -d2 -D3 7", 21}, Family{"nauty-geng -c -q -d2 -D3 9", 148},
                      Family{"nauty-geng -c -q -d2 -D3 10", 458}));

SimpleGraph cycleGraph(std::int32_t n) {
  SimpleGraph g(n);
  for (std::int32_t v = 0; v < n; ++v) g.addEdge(v, (v + 1) % n);
  return g;
}

struct NamedGraph {
  std::string name;
  SimpleGraph graph;
  Answer expected;
  std::int64_t nodeLimit = std::numeric_limits<std::int64_t>::max();
};

TEST(SmallSearch, DecidesNamedGraphs) {
  using testing::fromEdges;
  const std::vector<NamedGraph> cases = {
      {"K4", fromEdges(4, {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}), Answer::Hamiltonian},
      {"K3,3", fromEdges(6, {{0, 3}, {0, 4}, {0, 5}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}}),
       Answer::Hamiltonian},
      {"prism", fromEdges(6, {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}, {0, 3}, {1, 4}, {2, 5}}),
       Answer::Hamiltonian},
      {"cube", testing::cube(), Answer::Hamiltonian},
      {"Heawood", testing::heawood(), Answer::Hamiltonian},
      {"Petersen", testing::petersen(), Answer::NonHamiltonian},
      {"cubic bipartite on 20", testing::smallestNonHamiltonianCubicBipartite(), Answer::NonHamiltonian},
      // forced entirely by the degree-2 rule, so even a zero node limit decides it
      {"cycle of 64", cycleGraph(64), Answer::Hamiltonian, 0},
      {"triangle and pendant vertex", fromEdges(4, {{0, 1}, {1, 2}, {2, 0}, {2, 3}}), Answer::NonHamiltonian},
      {"two triangles", fromEdges(6, {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}}), Answer::NonHamiltonian},
      {"K2,3 (unequal sides)", fromEdges(5, {{0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}}),
       Answer::NonHamiltonian},
      {"one edge", fromEdges(2, {{0, 1}}), Answer::NonHamiltonian},
      {"Petersen, node limit 1", testing::petersen(), Answer::Unknown, 1},
  };
  for (const NamedGraph& c : cases) {
    EXPECT_EQ(decideChecked(c.graph, c.name, c.nodeLimit), c.expected) << c.name;
    if (c.expected != Answer::Unknown) {
      EXPECT_EQ(expectedAnswer(c.graph), c.expected) << c.name;
    }
  }
}

// Graphs the solver must leave to the general search: loading fails, and run() then answers
// Unknown rather than deciding the graph loaded before.
TEST(SmallSearch, RefusesWhatItCannotTake) {
  SimpleGraph k5(5);
  for (std::int32_t u = 0; u < 5; ++u) {
    for (std::int32_t v = u + 1; v < 5; ++v) k5.addEdge(u, v);
  }
  const std::vector<std::pair<std::string, SimpleGraph>> cases = {{"cycle of 65", cycleGraph(65)},
                                                                  {"K5 (degree 4)", k5}};
  SmallSearch search;
  std::vector<std::int32_t> cycle;
  for (const auto& [name, g] : cases) {
    ASSERT_TRUE(search.load(testing::cube())) << name;
    EXPECT_FALSE(search.load(g)) << name;
    EXPECT_EQ(search.run(cycle), Answer::Unknown) << name;
  }
}

}  // namespace
}  // namespace bicubic::exact
