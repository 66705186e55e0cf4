// The one entry other programs use: its verdict-only path (neighbour lists, no matrix) against
// the printing pipeline on thousands of graphs, and reading from a buffer exactly as the tool reads a file.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <numeric>
#include <random>

#include "driver/method.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using Edges = std::vector<MethodRunner::Edge>;

// Random graphs of the shapes the method meets: cubic bipartite (3 perfect matchings), sparse
// bipartite, and any graph (odd cycles, isolated vertices, pieces).
Edges randomGraph(std::mt19937& rng, std::int32_t n, int shape) {
  Edges edges;
  std::vector<std::vector<char>> taken(static_cast<std::size_t>(n), std::vector<char>(static_cast<std::size_t>(n), 0));
  auto add = [&](std::int32_t u, std::int32_t v) {
    if (u == v || taken[static_cast<std::size_t>(u)][static_cast<std::size_t>(v)]) return;
    taken[static_cast<std::size_t>(u)][static_cast<std::size_t>(v)] = taken[static_cast<std::size_t>(v)][static_cast<std::size_t>(u)] = 1;
    edges.push_back({u, v});
  };
  const std::int32_t half = n / 2;
  std::vector<std::int32_t> blues(static_cast<std::size_t>(half));
  for (std::int32_t i = 0; i < half; ++i) blues[static_cast<std::size_t>(i)] = half + i;
  for (int matching = 0; matching < 3 && shape == 0; ++matching) {
    std::shuffle(blues.begin(), blues.end(), rng);
    for (std::int32_t i = 0; i < half; ++i) add(i, blues[static_cast<std::size_t>(i)]);
  }
  std::uniform_int_distribution<std::int32_t> vertex(0, n - 1);
  for (std::int32_t k = 0; k < 2 * n && shape != 0; ++k) {
    const std::int32_t u = vertex(rng), v = vertex(rng);
    if (shape == 2 || (u < half) != (v < half)) add(u, v);
  }
  return edges;
}

TEST(MethodRunner, VerdictAloneMatchesThePrintingPipeline) {
  std::mt19937 rng(2024);
  MethodRunner printing, verdictOnly;
  int seen[kVerdictCount] = {};
  for (int round = 0; round < 3000; ++round) {
    const int shape = round % 3;
    // Odd orders too, and vertex numbers shuffled, so that vertex 0 is of either class and the
    // classes interleave; up to 70 vertices, past the 64-row word paths.
    const std::int32_t n = std::uniform_int_distribution<std::int32_t>(1, round % 2 == 0 ? 40 : 70)(rng);
    Edges edges = randomGraph(rng, n, shape);
    std::vector<std::int32_t> relabel(static_cast<std::size_t>(n));
    std::iota(relabel.begin(), relabel.end(), 0);
    if (round % 4 != 0) std::shuffle(relabel.begin(), relabel.end(), rng);
    for (auto& e : edges) e = {relabel[static_cast<std::size_t>(e.u)], relabel[static_cast<std::size_t>(e.v)]};
    OutputSink quiet = OutputSink::discarding();
    const Verdict expected = printing.runOnEdges(n, edges, quiet);
    ASSERT_EQ(verdictOnly.verdictOnEdges(n, edges), expected) << "round " << round;
    ++seen[static_cast<int>(expected)];
  }
  // The comparison is only worth something if every verdict came up.
  for (Verdict v : {Verdict::NotBipartite, Verdict::NotConnected, Verdict::Unbalanced, Verdict::BicubicH, Verdict::NotH}) {
    EXPECT_GT(seen[static_cast<int>(v)], 0) << static_cast<int>(v);
  }
}

TEST(MethodRunner, ReadsABufferAsTheToolReadsAFile) {
  const std::string cube = "8\n0 1 0 1 1 0 0 0\n1 0 1 0 0 1 0 0\n0 1 0 1 0 0 1 0\n1 0 1 0 0 0 0 1\n"
                           "1 0 0 0 0 1 0 1\n0 1 0 0 1 0 1 0\n0 0 1 0 0 1 0 1\n0 0 0 1 1 0 1 0\n";
  MethodRunner runner;
  BufferReader bytes(cube);
  OutputSink lines;
  const MethodRunner::MatrixRead read = runner.readMatrix(bytes, "cube", lines);
  ASSERT_TRUE(read.read);
  EXPECT_EQ(read.order, 8);
  EXPECT_EQ(read.edges.size(), 12u);
  EXPECT_EQ(lines.captured(), "graph cube input finish \n");
  EXPECT_EQ(runner.verdictOfLastRead(), Verdict::BicubicH);

  BufferReader shortBytes("3\n0 1 1\n1 0");
  const MethodRunner::MatrixRead failed = runner.readMatrix(shortBytes, "short", lines);
  EXPECT_FALSE(failed.read);
  EXPECT_EQ(failed.failure, "graph short ends after 5 of 9 matrix values");
  EXPECT_EQ(runner.verdictOfLastRead(), Verdict::OutOfMemory);  // nothing usable was read
}

}  // namespace
}  // namespace bicubic
