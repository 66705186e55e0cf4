// Graphs at the top of the accepted size whose structure is deep: a path and a ladder (long
// walks, a colouring that reaches 4998 levels down), a single long cycle and a Moebius ladder.
// Each runs end to end through the executable and must finish normally, stack intact.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "robustness/graph_text.h"
#include "support/tool_text.h"
#include "support/test_support.h"

namespace bicubic::testing {
namespace {

using EdgeList = std::vector<std::pair<std::int32_t, std::int32_t>>;

// Vertices 0..n-1 in a line.
EdgeList pathEdges(std::int32_t n) {
  EdgeList edges;
  for (std::int32_t i = 0; i + 1 < n; ++i) edges.emplace_back(i, i + 1);
  return edges;
}

// Two paths of n/2 vertices (0..k-1 and k..2k-1) joined rung by rung.
EdgeList ladderEdges(std::int32_t n) {
  const std::int32_t k = n / 2;
  EdgeList edges;
  for (std::int32_t i = 0; i + 1 < k; ++i) {
    edges.emplace_back(i, i + 1);
    edges.emplace_back(k + i, k + i + 1);
  }
  for (std::int32_t i = 0; i < k; ++i) edges.emplace_back(i, k + i);
  return edges;
}

EdgeList cycleEdges(std::int32_t n) {
  EdgeList edges = pathEdges(n);
  edges.emplace_back(n - 1, 0);
  return edges;
}

// The cycle with each vertex also joined to the opposite one: cubic, and bipartite when n/2 is
// odd; the cycle itself is a Hamiltonian cycle.
EdgeList moebiusEdges(std::int32_t n) {
  EdgeList edges = cycleEdges(n);
  for (std::int32_t i = 0; i < n / 2; ++i) edges.emplace_back(i, i + n / 2);
  return edges;
}

RunResult runOn(const std::string& name, std::int32_t n, const EdgeList& edges, std::string& path) {
  path = writeScratchFile(name, graphTextFromEdges(n, edges));
  return runExecutable({path});
}

// The run reached the last test and ended with the given lines and the tick line.
void expectFullRun(const RunResult& run, const std::string& path, std::int32_t n, const std::string& ending) {
  EXPECT_EQ(run.status, 0);
  const std::string output = maskTicks(run.out);
  const std::string start = kBanner + "graph " + path + " input finish \nGraph is balanced bipartite\n";
  EXPECT_EQ(output.substr(0, start.size()), start);
  // Every graph here has a perfect matching, and so has its half graph.
  EXPECT_NE(output.find("\nThe max is:" + std::to_string(n) + "\n"), std::string::npos);
  EXPECT_NE(output.find("\nThe max is:" + std::to_string(n / 2) + "\n"), std::string::npos);
  const std::string fullEnding = ending + "total ticks  is <ticks>\n";
  EXPECT_TRUE(output.ends_with(fullEnding)) << output.substr(output.size() - std::min<std::size_t>(output.size(), 200));
}

TEST(DeepGraph, PathOf4999VerticesIsColouredToTheEnd) {
  std::string path;
  const RunResult run = runOn("path4999", 4999, pathEdges(4999), path);
  EXPECT_EQ(run.status, 0);
  // Colouring reached every vertex (else "not connected"), then 2500 red against 2499 blue.
  EXPECT_EQ(maskTicks(run.out), kBanner + "graph " + path +
                                       " input finish \nGraph is bipartite but it has no Hamiltonian cycle\n"
                                       "total ticks  is <ticks>\n");
}

TEST(DeepGraph, LadderOf4998VerticesRunsEveryTest) {
  std::string path;
  const RunResult run = runOn("ladder4998", 4998, ladderEdges(4998), path);
  // Pinned to the verdict the method gives today: a change here is a change in the method.
  expectFullRun(run, path, 4998, "\nb^2499 Stop \nGraph is not H\n");
}

TEST(DeepGraph, CycleOf4998VerticesRunsEveryTest) {
  std::string path;
  const RunResult run = runOn("cycle4998", 4998, cycleEdges(4998), path);
  expectFullRun(run, path, 4998, "\nb^2499 Stop \nGraph is not H\n");
}

TEST(DeepGraph, MoebiusLadderOf4998VerticesIsBicubicH) {
  std::string path;
  const RunResult run = runOn("moebius4998", 4998, moebiusEdges(4998), path);
  expectFullRun(run, path, 4998, "=4999\n\nBicubic is H\n");
}

}  // namespace
}  // namespace bicubic::testing
