// The two-colouring from vertex 0: which vertices it colours and how, what counts as a
// neighbour, and that a long path does not exhaust the stack.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "bipartite/two_colour.h"
#include "oracle/literal_colour.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::PrintTo;

using testing::Rows;

// Colours as a string, '.' for an uncoloured vertex.
std::string coloursOf(const Graph& graph) {
  std::string colours;
  for (const Vertex& v : graph.vertices) colours += v.colour == 0 ? '.' : v.colour;
  return colours;
}

struct ColourCase {
  const char* name;
  Rows rows;
  bool result;
  const char* colours;
};

class TwoColourCases : public ::testing::TestWithParam<ColourCase> {};

TEST_P(TwoColourCases, FromVertexZeroWithRed) {
  const ColourCase& c = GetParam();
  Graph graph = testing::graphFromRows(c.rows);
  EXPECT_EQ(twoColour(graph, 0, kRed), c.result);
  EXPECT_EQ(coloursOf(graph), c.colours);
}

using testing::rowsFromEdges;

using testing::withEntries;

INSTANTIATE_TEST_SUITE_P(
    Graphs, TwoColourCases,
    ::testing::Values(
        ColourCase{"oneVertex", {{0}}, true, "r"},
        ColourCase{"fourCycle", rowsFromEdges(4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}), true, "rbrb"},
        // 2 finds 0 red and stops; the colours given so far stay.
        ColourCase{"triangle", rowsFromEdges(3, {{0, 1}, {1, 2}, {2, 0}}), false, "rbr"},
        ColourCase{"edgeAndTriangle", rowsFromEdges(5, {{0, 1}, {2, 3}, {3, 4}, {4, 2}}), true, "rb..."},
        ColourCase{"diagonalIgnored", withEntries(rowsFromEdges(2, {{0, 1}}), {{0, 0, 1}}), true, "rb"},
        ColourCase{"selfLoopOnly", {{1}}, true, "r"},
        ColourCase{"twosAreNotNeighbours", {{0, 2}, {2, 0}}, true, "r."},
        ColourCase{"minusOneIsNotANeighbour", {{0, -1}, {-1, 0}}, true, "r."},
        // Only row 0 leads to 1; row 1 leads nowhere.
        ColourCase{"asymmetricEntry", {{0, 1}, {0, 0}}, true, "rb"},
        ColourCase{"asymmetricBackwards", {{0, 0}, {1, 0}}, true, "r."},
        // Depth first, lowest neighbour first: 0 -> 3 -> 1 -> 4 -> 2 -> 5 colours K3,3.
        ColourCase{"k33", rowsFromEdges(6, {{0, 3}, {0, 4}, {0, 5}, {1, 3}, {1, 4}, {1, 5}, {2, 3}, {2, 4}, {2, 5}}),
                   true, "rrrbbb"},
        ColourCase{"cube", rowsFromEdges(8, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}}),
                   true, "rbrbbrbr"},
        // The five-cycle fails at the last vertex of the first descent: 0 r, 1 b, 2 r, 3 b,
        // 4 r meets 0.
        ColourCase{"fiveCycle", rowsFromEdges(5, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}}), false, "rbrbr"},
        // A conflict deep in the first branch stops the scan before vertex 0's later
        // neighbours are looked at: 0 -> 1 -> 2 -> 3 meets 1; 5 is never reached.
        ColourCase{"conflictStopsEverything",
                   rowsFromEdges(6, {{0, 1}, {1, 2}, {2, 3}, {3, 1}, {0, 5}}), false, "rbrb.."}),
    [](const ::testing::TestParamInfo<ColourCase>& info) { return std::string(info.param.name); });

TEST(TwoColour, SecondCallChangesNothing) {
  Graph graph = testing::graphFromEdges(6, {{0, 3}, {3, 1}, {1, 4}, {4, 2}, {2, 5}, {5, 0}});
  ASSERT_TRUE(twoColour(graph, 0, kRed));
  const std::string first = coloursOf(graph);
  EXPECT_EQ(first, "rrrbbb");
  EXPECT_TRUE(twoColour(graph, 0, kRed));
  EXPECT_EQ(coloursOf(graph), first);
}

TEST(TwoColour, StartingBlueFlipsEveryColour) {
  Graph graph = testing::graphFromEdges(4, {{0, 1}, {1, 2}, {2, 3}});
  EXPECT_TRUE(twoColour(graph, 0, kBlue));
  EXPECT_EQ(coloursOf(graph), "brbr");
}

TEST(TwoColour, LongestPathDoesNotExhaustTheStack) {
  // A path in reverse order, so the search goes the full 4999 vertices deep.
  const std::int32_t n = kMaxVertices;
  Graph graph(n);
  graph.setEdge(0, n - 1, 1);
  graph.setEdge(n - 1, 0, 1);
  for (std::int32_t v = 1; v + 1 < n; ++v) {
    graph.setEdge(v + 1, v, 1);
    graph.setEdge(v, v + 1, 1);
  }
  ASSERT_TRUE(twoColour(graph, 0, kRed));
  // Vertex n-1 is at distance 1, n-2 at 2, ..., 1 at n-1 = 4998 (even).
  EXPECT_EQ(graph.vertices[static_cast<std::size_t>(n - 1)].colour, kBlue);
  EXPECT_EQ(graph.vertices[static_cast<std::size_t>(n - 2)].colour, kRed);
  EXPECT_EQ(graph.vertices[1].colour, kRed);
  EXPECT_TRUE(everyVertexColoured(graph));
}

enum class RandomShape { Bipartite, AnyGraph, AnyEntries, PreColoured };

// Random graphs of 1 to 80 vertices (a word of colour bits holds 64): bipartite ones, which the
// colouring finishes, possibly in pieces; any simple graph, which mostly clashes; matrices of
// arbitrary entries (asymmetric, 2 and -1, diagonal ones); and graphs some of whose vertices
// arrive coloured, or with bytes that are no colour.
Graph randomGraph(std::mt19937& rng, RandomShape shape) {
  const std::int32_t n = std::uniform_int_distribution<std::int32_t>(1, 80)(rng);
  const auto size = static_cast<std::size_t>(n);
  testing::Rows rows(size, std::vector<std::int32_t>(size, 0));
  std::vector<int> side(size);
  for (int& s : side) s = static_cast<int>(rng() % 2);
  const double density = 3.0 / n;
  std::uniform_real_distribution<double> coin(0.0, 1.0);
  for (std::size_t i = 0; i < size; ++i) {
    for (std::size_t j = 0; j < size; ++j) {
      if (shape == RandomShape::AnyEntries) {
        rows[i][j] = std::vector<std::int32_t>{0, 0, 0, 0, 0, 1, 1, 2, -1}[rng() % 9];
      } else if (i < j && coin(rng) < density && (shape == RandomShape::AnyGraph || side[i] != side[j])) {
        rows[i][j] = rows[j][i] = 1;
      }
    }
  }
  Graph graph = testing::graphFromRows(rows);
  if (shape == RandomShape::PreColoured) {
    for (Vertex& v : graph.vertices) v.colour = coin(rng) < 0.2 ? "rbxq"[rng() % 4] : kUncoloured;
  }
  return graph;
}

std::string colourBytes(const Graph& graph) {
  std::string bytes;
  for (const Vertex& v : graph.vertices) bytes += v.colour;
  return bytes;
}

TEST(TwoColour, AgreesWithTheRecursiveSearchOnRandomGraphs) {
  std::mt19937 rng(77);
  ColourStack work;  // one store through every graph, as a caller running a family keeps it
  int outcomes[2] = {};
  for (RandomShape shape : {RandomShape::Bipartite, RandomShape::AnyGraph, RandomShape::AnyEntries, RandomShape::PreColoured}) {
    for (int round = 0; round < 400; ++round) {
      Graph fast = randomGraph(rng, shape);
      Graph slow = fast;
      const auto start = static_cast<std::int32_t>(rng() % static_cast<unsigned>(fast.nCities));
      const char colour = "rbrbx"[rng() % 5];
      const bool expected = literal::twoColour(slow, start, colour);
      ASSERT_EQ(twoColour(fast, start, colour, work), expected) << "shape " << static_cast<int>(shape) << " round " << round;
      ASSERT_EQ(colourBytes(fast), colourBytes(slow)) << "shape " << static_cast<int>(shape) << " round " << round;
      ++outcomes[expected ? 1 : 0];
    }
  }
  // Both outcomes must come up for the comparison to mean something.
  EXPECT_GT(outcomes[0], 100);
  EXPECT_GT(outcomes[1], 100);
}

TEST(EveryVertexColoured, FalseWhileAnyVertexIsUncoloured) {
  Graph graph = testing::graphFromEdges(3, {{0, 1}});
  EXPECT_FALSE(everyVertexColoured(graph));
  ASSERT_TRUE(twoColour(graph, 0, kRed));
  EXPECT_FALSE(everyVertexColoured(graph));
  // A repeated colouring descends only into uncoloured neighbours, so an edge added from an
  // already coloured vertex is not followed.
  graph.setEdge(1, 2, 1);
  ASSERT_TRUE(twoColour(graph, 0, kRed));
  EXPECT_FALSE(everyVertexColoured(graph));

  Graph path = testing::graphFromEdges(3, {{0, 1}, {1, 2}});
  ASSERT_TRUE(twoColour(path, 0, kRed));
  EXPECT_TRUE(everyVertexColoured(path));
}

}  // namespace
}  // namespace bicubic
