// Readers of bicubic-check: graph6 decoding against hand-worked lines and a round trip through
// the encoder, format detection, TSPLIB HCP files, and the tool's own matrix files.
#include <gtest/gtest.h>

#include <fstream>

#include "check/formats.h"
#include "check/rng.h"
#include "check_support.h"
#include "support/test_support.h"

namespace bicubic::check {
namespace {

std::vector<std::pair<std::int32_t, std::int32_t>> edgesOf(const SimpleGraph& g) {
  std::vector<std::pair<std::int32_t, std::int32_t>> edges;
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w) edges.emplace_back(v, w);
    }
  }
  std::sort(edges.begin(), edges.end());
  return edges;
}

TEST(Graph6, DecodesHandWorkedLines) {
  struct Case {
    const char* line;
    std::int32_t n;
    std::vector<std::pair<std::int32_t, std::int32_t>> edges;
  };
  // "A_": two vertices, bit (0,1) set. "Bw": a triangle. "C~": K4. "?": no vertex.
  const Case cases[] = {{"?", 0, {}},
                        {"@", 1, {}},
                        {"A_", 2, {{0, 1}}},
                        {"A?", 2, {}},
                        {"Bw", 3, {{0, 1}, {0, 2}, {1, 2}}},
                        {"C~", 4, {{0, 1}, {0, 2}, {0, 3}, {1, 2}, {1, 3}, {2, 3}}}};
  for (const Case& c : cases) {
    SimpleGraph g;
    std::string error;
    ASSERT_TRUE(decodeGraph6(c.line, g, error)) << c.line << ": " << error;
    EXPECT_EQ(g.order(), c.n) << c.line;
    EXPECT_EQ(edgesOf(g), c.edges) << c.line;
  }
}

TEST(Graph6, RoundTripsThroughTheEncoder) {
  Rng rng(3);
  for (std::int32_t n : {5, 20, 62, 63, 64, 130}) {
    SimpleGraph g(n);
    for (std::int32_t v = 0; v < n; ++v) {
      for (std::int32_t w = v + 1; w < n; ++w) {
        if (rng.below(3) == 0) g.addNewEdge(v, w);
      }
    }
    SimpleGraph back;
    std::string error;
    ASSERT_TRUE(decodeGraph6(encodeGraph6(g), back, error)) << n << ": " << error;
    EXPECT_EQ(back.order(), n);
    EXPECT_EQ(edgesOf(back), edgesOf(g)) << n;
  }
}

TEST(Graph6, RejectsBrokenLines) {
  const char* bad[] = {"Bw?", "B", "C~ ", "A\x7f", "~?", "~??"};
  for (const char* line : bad) {
    SimpleGraph g;
    std::string error;
    EXPECT_FALSE(decodeGraph6(line, g, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

TEST(FormatDetection, FirstLineDecides) {
  const std::pair<const char*, Format> cases[] = {
      {"4", Format::Matrix},           {"  12 ", Format::Matrix},
      {"-3", Format::Matrix},          {">>graph6<<C~", Format::Graph6},
      {"C~", Format::Graph6},          {"NAME : alb1000", Format::Hcp},
      {"NAME: x", Format::Hcp},        {"TYPE : HCP", Format::Hcp},
      {"DIMENSION:10", Format::Hcp},   {"EDGE_DATA_SECTION", Format::Hcp},
      {"NAMEB", Format::Graph6},
  };
  for (const auto& [line, format] : cases) EXPECT_EQ(detectFormat(line), format) << line;
}

// Reads every graph of a file through GraphSource.
struct ReadResult {
  std::vector<SimpleGraph> graphs;
  std::vector<std::string> errors;
  bool opened = false;
  std::string openError;
};

ReadResult readAll(const std::string& path) {
  ReadResult r;
  MethodRunner method;
  GraphSource source(path, method);
  r.opened = source.open(r.openError);
  if (!r.opened) return r;
  SimpleGraph g;
  std::string error;
  for (;;) {
    const auto status = source.next(g, error);
    if (status == GraphSource::Status::End) break;
    if (status == GraphSource::Status::Error) {
      r.errors.push_back(error);
    } else {
      r.graphs.push_back(g);
    }
  }
  return r;
}

TEST(GraphSource, Graph6FileWithHeaderBlankAndBadLines) {
  const std::string path = bicubic::testing::writeScratchFile("family.g6", ">>graph6<<C~\n\nBw\r\nB?x\nA_\n");
  const ReadResult r = readAll(path);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.graphs.size(), 3u);
  EXPECT_EQ(r.graphs[0].edgeCount(), 6);
  EXPECT_EQ(r.graphs[1].edgeCount(), 3);
  EXPECT_EQ(r.graphs[2].edgeCount(), 1);
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_NE(r.errors[0].find("line 4"), std::string::npos) << r.errors[0];
}

TEST(GraphSource, HcpEdgeAndAdjacencyLists) {
  const std::string edgeList = bicubic::testing::writeScratchFile(
      "square.hcp",
      "NAME : square\nCOMMENT : four-cycle\nTYPE : HCP\nDIMENSION : 4\nEDGE_DATA_FORMAT : EDGE_LIST\n"
      "EDGE_DATA_SECTION\n 1 2\n2 3\n3 4\n4 1\n1 2\n-1\nEOF\n");
  ReadResult r = readAll(edgeList);
  ASSERT_TRUE(r.opened);
  ASSERT_EQ(r.graphs.size(), 1u) << (r.errors.empty() ? "" : r.errors[0]);
  EXPECT_EQ(edgesOf(r.graphs[0]), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 1}, {0, 3}, {1, 2}, {2, 3}}));

  const std::string adjList = bicubic::testing::writeScratchFile(
      "star.hcp", "NAME: star\nTYPE: HCP\nDIMENSION: 4\nEDGE_DATA_FORMAT: ADJ_LIST\nEDGE_DATA_SECTION\n1 2 3 4 -1\n-1\nEOF\n");
  r = readAll(adjList);
  ASSERT_EQ(r.graphs.size(), 1u) << (r.errors.empty() ? "" : r.errors[0]);
  EXPECT_EQ(r.graphs[0].edgeCount(), 3);
}

TEST(GraphSource, HcpErrorsAreReported) {
  const std::pair<const char*, const char*> cases[] = {
      {"NAME : x\nTYPE : TSP\nDIMENSION : 3\nEDGE_DATA_SECTION\n1 2\n-1\n", "TYPE"},
      {"NAME : x\nTYPE : HCP\nEDGE_DATA_SECTION\n1 2\n-1\n", "DIMENSION"},
      {"NAME : x\nTYPE : HCP\nDIMENSION : 3\nEDGE_DATA_SECTION\n1 4\n-1\n", "outside"},
      {"NAME : x\nTYPE : HCP\nDIMENSION : 3\nEDGE_DATA_SECTION\n1 2 3\n-1\n", "inside an edge"},
      {"NAME : x\nTYPE : HCP\nDIMENSION : 3\nEDGE_DATA_SECTION\n1 x\n-1\n", "not a vertex"},
      {"NAME : x\nTYPE : HCP\nDIMENSION : 99999999999\nEDGE_DATA_SECTION\n-1\n", "DIMENSION"},
  };
  for (const auto& [text, expected] : cases) {
    const ReadResult r = readAll(bicubic::testing::writeScratchFile("bad.hcp", text));
    ASSERT_TRUE(r.opened);
    EXPECT_TRUE(r.graphs.empty()) << text;
    ASSERT_EQ(r.errors.size(), 1u) << text;
    EXPECT_NE(r.errors[0].find(expected), std::string::npos) << r.errors[0];
  }
}

TEST(GraphSource, MatrixFileUsesTheToolsReader) {
  const std::string path = bicubic::testing::writeScratchFile("square.txt", "4\n0 1 0 1\n1 0 1 0\n0 1 0 1\n1 0 1 0\n");
  MethodRunner method;
  GraphSource source(path, method);
  std::string error;
  ASSERT_TRUE(source.open(error));
  EXPECT_EQ(source.format(), Format::Matrix);
  SimpleGraph g;
  ASSERT_EQ(source.next(g, error), GraphSource::Status::Graph) << error;
  EXPECT_EQ(g.edgeCount(), 4);
  // The method then runs on what its own reader read: the 4-cycle.
  OutputSink quiet = OutputSink::discarding();
  EXPECT_EQ(method.runOnLastRead(quiet), Verdict::MaybeH);
  EXPECT_EQ(source.next(g, error), GraphSource::Status::End);

  // Any non-zero entry on either side of the diagonal is an edge; the diagonal is none.
  GraphSource lopsided(bicubic::testing::writeScratchFile("lopsided.txt", "3\n1 2 0\n0 0 0\n0 1 0\n"), method);
  ASSERT_TRUE(lopsided.open(error));
  ASSERT_EQ(lopsided.next(g, error), GraphSource::Status::Graph) << error;
  EXPECT_EQ(edgesOf(g), (std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 1}, {1, 2}}));

  // A short matrix gets the reader's own message.
  const ReadResult r = readAll(bicubic::testing::writeScratchFile("short.txt", "3\n0 1 1\n1 0\n"));
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_NE(r.errors[0].find("ends after 5 of 9 matrix values"), std::string::npos) << r.errors[0];
}

TEST(GraphSource, UnreadableSources) {
  std::string error;
  MethodRunner method;
  GraphSource missing("/nonexistent/graph.g6", method);
  EXPECT_FALSE(missing.open(error));
  GraphSource directory(bicubic::testing::scratchDirectory(), method);
  EXPECT_FALSE(directory.open(error));
  GraphSource sparse(bicubic::testing::writeScratchFile("g.s6", ":Fa@x^\n"), method);
  EXPECT_FALSE(sparse.open(error));
  EXPECT_NE(error.find("sparse6"), std::string::npos);
}

// A source is read once, front to back, whatever kind of file it is: the same matrix through a
// pipe path, /dev/stdin, a named FIFO, standard input and gzip is the same graph, and a matrix
// on standard input is read only as far as it goes (nothing is copied aside first).
TEST(GraphSource, EverySourceKindIsReadOnceAsAStream) {
  std::string matrix = "60\n";
  for (int i = 0; i < 60; ++i) {
    for (int j = 0; j < 60; ++j) matrix += (j == (i + 1) % 60 || i == (j + 1) % 60 || (i % 2 == 0 && j == (i + 31) % 60) || (j % 2 == 0 && i == (j + 31) % 60)) ? "1 " : "0 ";
    matrix += "\n";
  }
  const std::string file = bicubic::testing::writeScratchFile("m60.txt", matrix);
  const std::string fifo = bicubic::testing::scratchDirectory() + "/m60.fifo";
  const std::string expected = "\t1\t60\tH\thamiltonian\tyes\t";
  const struct {
    const char* name;
    std::string command;
  } cases[] = {
      {"pipePath", "\"$CHECK\" <(cat '" + file + "')"},
      {"devStdin", "cat '" + file + "' | \"$CHECK\" /dev/stdin"},
      {"namedFifo", "mkfifo '" + fifo + "' && { cat '" + file + "' > '" + fifo + "' & } && timeout 20 \"$CHECK\" '" + fifo + "'"},
      {"gzip", "gzip -c '" + file + "' | \"$CHECK\""},
      {"endlessStdin", "{ cat '" + file + "'; yes 1; } | TMPDIR=/nonexistent timeout 20 \"$CHECK\""},
  };
  for (const auto& c : cases) {
    const testing::ToolRun run = testing::runShell(c.command);
    EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
    EXPECT_NE(run.out.find(expected), std::string::npos) << c.name << ":\n" << run.out;
  }
}

}  // namespace
}  // namespace bicubic::check
