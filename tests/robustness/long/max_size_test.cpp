// The largest accepted graphs with every entry present and half of them edges: 50 MB files,
// a colouring over 25 million entries, and for the balanced one an assignment and a half graph
// of full size. Slow (seconds each), hence the "long" label.
#include <string>

#include <gtest/gtest.h>

#include "robustness/graph_text.h"
#include "support/tool_text.h"
#include "support/test_support.h"

namespace bicubic::testing {
namespace {

// Complete bipartite graph between the even and the odd vertices.
bool evenOddEdge(std::int32_t i, std::int32_t j) { return (i + j) % 2 == 1; }

TEST(MaxSize, CompleteBipartiteOf4999VerticesIsReadAndJudged) {
  const std::string path = writeScratchFile("kbip4999", graphTextFromRule(4999, evenOddEdge));
  const RunResult run = runExecutable({path});
  EXPECT_EQ(run.status, 0);
  // 2500 even vertices against 2499 odd ones.
  EXPECT_EQ(maskTicks(run.out), kBanner + "graph " + path +
                                       " input finish \nGraph is bipartite but it has no Hamiltonian cycle\n"
                                       "total ticks  is <ticks>\n");
}

TEST(MaxSize, CompleteBipartiteOf4998VerticesRunsEveryTest) {
  const std::string path = writeScratchFile("kbip4998", graphTextFromRule(4998, evenOddEdge));
  const RunResult run = runExecutable({path});
  EXPECT_EQ(run.status, 0);
  const std::string output = maskTicks(run.out);
  const std::string start = kBanner + "graph " + path + " input finish \nGraph is balanced bipartite\n";
  EXPECT_EQ(output.substr(0, start.size()), start);
  EXPECT_NE(output.find("\nThe max is:4998\n"), std::string::npos);
  EXPECT_NE(output.find("\nThe max is:2499\n"), std::string::npos);
  // The first walk of the remaining edges covers every vertex, and a graph that is balanced
  // but not cubic then gets "may be".
  const std::string ending = "\nSince it is not Bicubic , so it may be H \ntotal ticks  is <ticks>\n";
  ASSERT_GE(output.size(), ending.size());
  EXPECT_EQ(output.substr(output.size() - ending.size()), ending);
}

}  // namespace
}  // namespace bicubic::testing
