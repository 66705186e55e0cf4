// Readers of bicubic-check: graph6 and sparse6 decoding against hand-worked lines and nauty,
// round trips through the encoders, format detection, junk sources, TSPLIB HCP files, the tool's
// own matrix files, and input quoted safely in messages.
#include <gtest/gtest.h>

#include <fstream>

#include "families/families.h"
#include "check/formats.h"
#include "exact/rng.h"
#include "check_support.h"
#include "support/test_support.h"

namespace bicubic::check {
namespace {

using exact::Rng;

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

using Edges = std::vector<std::pair<std::int32_t, std::int32_t>>;

TEST(Sparse6, DecodesHandWorkedLines) {
  struct Case {
    const char* line;
    std::int32_t n;
    Edges edges;
    std::int64_t loops;
    std::int64_t repeats;
  };
  // ":Fa@x^" is the seven-vertex example of the format's description. On two vertices a unit is
  // two bits: ":Ab" is (1,0)(0,0) then 1-padding, the edge 0-1 twice; ":AF" is (0,0), a loop,
  // then the padding 0111 that must not read as a loop at vertex 1.
  const Case cases[] = {{":?", 0, {}, 0, 0},
                        {":@", 1, {}, 0, 0},
                        {":Fa@x^", 7, {{0, 1}, {0, 2}, {1, 2}, {5, 6}}, 0, 0},
                        {":Ab", 2, {{0, 1}}, 0, 1},
                        {":AF", 2, {}, 1, 0}};
  for (const Case& c : cases) {
    SimpleGraph g;
    IgnoredEdges ignored;
    std::string error;
    ASSERT_TRUE(decodeSparse6(c.line, g, ignored, error)) << c.line << ": " << error;
    EXPECT_EQ(g.order(), c.n) << c.line;
    EXPECT_EQ(edgesOf(g), c.edges) << c.line;
    EXPECT_EQ(ignored.loops, c.loops) << c.line;
    EXPECT_EQ(ignored.repeats, c.repeats) << c.line;
  }
  const char* bad[] = {":", ":~", ":~?", "Fa@x^", ":Fa@x^ ", ":Fa@x\x7f"};
  for (const char* line : bad) {
    SimpleGraph g;
    IgnoredEdges ignored;
    std::string error;
    EXPECT_FALSE(decodeSparse6(line, g, ignored, error)) << line;
    EXPECT_FALSE(error.empty()) << line;
  }
}

// sparse6 text listing the edges x-v in the order given (v never decreasing), on 40 vertices.
std::string sparse6Listing(const Edges& listed) {
  constexpr int kWidth = 6;
  std::string bits;
  auto unit = [&](int b, std::int32_t x) {
    bits += static_cast<char>('0' + b);
    for (int k = kWidth - 1; k >= 0; --k) bits += static_cast<char>('0' + ((x >> k) & 1));
  };
  std::int32_t current = 0;
  for (auto [x, v] : listed) {
    if (v == current + 1) {
      unit(1, x);
    } else {
      if (v != current) unit(1, v);  // one step on, then a jump to v
      unit(0, x);
    }
    current = v;
  }
  while (bits.size() % 6 != 0) bits += '1';
  std::string text = ":g";  // 40 vertices
  for (std::size_t k = 0; k < bits.size(); k += 6) text += static_cast<char>(63 + std::stoi(bits.substr(k, 6), nullptr, 2));
  return text;
}

// A repeated edge is told wherever it stands: in a short list (searched) and in a long one
// (marked once past 16 entries), repeats before and after the list grows long.
TEST(Sparse6, RepeatsAreLeftOutInShortAndLongLists) {
  Edges hub, hubTwice, small = {{1, 5}, {2, 5}, {1, 5}, {3, 7}, {3, 7}};
  for (std::int32_t x = 0; x < 38; ++x) hub.emplace_back(x, 39);
  hubTwice = hub;
  hubTwice.insert(hubTwice.end(), hub.begin(), hub.end());
  Edges early = {{0, 39}, {1, 39}, {0, 39}};
  early.insert(early.end(), hub.begin() + 2, hub.end());
  early.emplace_back(1, 39);
  const struct {
    const char* name;
    Edges listed;
    std::int64_t edges, repeats;
  } cases[] = {{"short", small, 3, 2}, {"longListAgain", hubTwice, 38, 38}, {"earlyAndLate", early, 38, 2}};
  for (const auto& c : cases) {
    SimpleGraph g;
    IgnoredEdges ignored;
    std::string error;
    ASSERT_TRUE(decodeSparse6(sparse6Listing(c.listed), g, ignored, error)) << c.name << ": " << error;
    EXPECT_EQ(g.order(), 40) << c.name;
    EXPECT_EQ(g.edgeCount(), c.edges) << c.name;
    EXPECT_EQ(ignored.repeats, c.repeats) << c.name;
    EXPECT_EQ(ignored.loops, 0) << c.name;
  }
}

// nauty writes the same graphs as graph6 and, through copyg -s, as sparse6: both decode to the
// same edges, and the encoder writes nauty's sparse6 text byte for byte. The printf lines are
// the padding special cases (last edge at n - 2 with n = 4, 8, 16), which canonical labelling
// seldom produces.
TEST(Sparse6, AgreesWithNauty) {
  for (const std::string generator : {"nauty-geng -cq 7", "nauty-geng -q 4", "nauty-geng -q 8 0:7",
                                      "printf 'Cw\\nG??EG?\\nO???????????????A????\\n'"}) {
    const auto graph6 = testing::nautyGraphs(generator);
    const auto sparse6 = testing::nautyGraphs(generator + " | nauty-copyg -s");
    if (!graph6 || !sparse6) GTEST_SKIP() << "nauty is not installed";
    ASSERT_EQ(graph6->size(), sparse6->size()) << generator;
    ASSERT_FALSE(graph6->empty()) << generator;
    for (std::size_t i = 0; i < graph6->size(); ++i) {
      SimpleGraph fromGraph6;
      SimpleGraph fromSparse6;
      IgnoredEdges ignored;
      std::string error;
      ASSERT_TRUE(decodeGraph6((*graph6)[i], fromGraph6, error)) << (*graph6)[i] << ": " << error;
      ASSERT_TRUE(decodeSparse6((*sparse6)[i], fromSparse6, ignored, error)) << (*sparse6)[i] << ": " << error;
      EXPECT_EQ(fromSparse6.order(), fromGraph6.order()) << (*sparse6)[i];
      EXPECT_EQ(edgesOf(fromSparse6), edgesOf(fromGraph6)) << (*sparse6)[i];
      EXPECT_EQ(ignored.loops + ignored.repeats, 0) << (*sparse6)[i];
      EXPECT_EQ(encodeSparse6(fromGraph6), (*sparse6)[i]) << (*graph6)[i];
    }
  }
}

TEST(FormatDetection, FirstLineDecides) {
  const std::pair<const char*, Format> cases[] = {
      {"4", Format::Matrix},           {"  12 ", Format::Matrix},
      {"-3", Format::Matrix},          {">>graph6<<C~", Format::Graph6},
      {"C~", Format::Graph6},          {"NAME : alb1000", Format::Hcp},
      {"NAME: x", Format::Hcp},        {"TYPE : HCP", Format::Hcp},
      {"DIMENSION:10", Format::Hcp},   {"EDGE_DATA_SECTION", Format::Hcp},
      {"NAMEB", Format::Graph6},       {":Fa@x^", Format::Sparse6},
      {">>sparse6<<:Fa@x^", Format::Sparse6},
  };
  for (const auto& [line, format] : cases) EXPECT_EQ(detectFormat(line), format) << line;
}

// Reads every graph of a file through GraphSource.
struct ReadResult {
  std::vector<SimpleGraph> graphs;
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
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
    r.warnings.insert(r.warnings.end(), source.warnings().begin(), source.warnings().end());
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
  GraphSource digraph(bicubic::testing::writeScratchFile("g.d6", "&B?_\n"), method);
  EXPECT_FALSE(digraph.open(error));
  EXPECT_NE(error.find("digraph6"), std::string::npos);
}

// Every encoder's text reads back as the same graph: sparse6 through its decoder, the matrix
// text through the tool's own reader. The shapes include the sparse6 padding special cases
// (the last edge at n - 2 with n a power of two) and a 4998-vertex cubic graph.
TEST(Encoders, RoundTripThroughTheReaders) {
  Rng rng(11);
  auto random = [&](std::int32_t n) {
    SimpleGraph g(n);
    for (std::int32_t v = 0; v < n; ++v) {
      for (std::int32_t w = v + 1; w < n; ++w) {
        if (rng.below(3) == 0) g.addNewEdge(v, w);
      }
    }
    return g;
  };
  const struct {
    const char* name;
    SimpleGraph g;
  } cases[] = {{"single vertex", SimpleGraph(1)},
               {"one edge", testing::fromEdges(2, {{0, 1}})},
               {"triangle below n-1 of 4", testing::fromEdges(4, {{0, 1}, {0, 2}, {1, 2}})},
               {"path ending at n-2 of 8", testing::fromEdges(8, {{0, 6}, {1, 6}, {5, 6}})},
               {"edge ending at n-2 of 16", testing::fromEdges(16, {{3, 14}})},
               {"random 5", random(5)},
               {"random 64", random(64)},
               {"random 130", random(130)},
               {"cubic 4998", randomCubicBipartite(2499, rng)}};
  for (const auto& c : cases) {
    const std::string sparse6 = encodeSparse6(c.g);
    SimpleGraph back;
    IgnoredEdges ignored;
    std::string error;
    ASSERT_TRUE(decodeSparse6(sparse6, back, ignored, error)) << c.name << ": " << error;
    EXPECT_EQ(back.order(), c.g.order()) << c.name;
    EXPECT_EQ(edgesOf(back), edgesOf(c.g)) << c.name;
    EXPECT_EQ(ignored.loops + ignored.repeats, 0) << c.name;
    if (c.g.order() > 200) continue;  // the matrix of the large graph is 50 MB of text
    const ReadResult r = readAll(bicubic::testing::writeScratchFile("encoded.txt", matrixText(c.g)));
    ASSERT_EQ(r.graphs.size(), 1u) << c.name << ": " << (r.errors.empty() ? "" : r.errors[0]);
    EXPECT_EQ(edgesOf(r.graphs[0]), edgesOf(c.g)) << c.name;
  }
  EXPECT_EQ(matrixText(testing::fromEdges(4, {{0, 1}, {1, 2}, {2, 3}, {0, 3}})),
            "4\n0 1 0 1\n1 0 1 0\n0 1 0 1\n1 0 1 0\n");
}

// graph6 and sparse6 lines mix in one source; each graph comes with the text of its line, and
// sparse6 loops come with a warning that lasts until the next read.
TEST(GraphSource, MixedLinesEchoTheirTextAndWarn) {
  const std::string path = bicubic::testing::writeScratchFile(
      "mixed.g6", ">>sparse6<<:Fa@x^\n>>graph6<<C~\r\n:AF\n;Fa@x^\n  Bw \n");
  MethodRunner method;
  GraphSource source(path, method);
  std::string error;
  ASSERT_TRUE(source.open(error)) << error;
  EXPECT_EQ(source.format(), Format::Sparse6);
  const struct {
    GraphSource::Status status;
    const char* line;
    Format format;
    const char* found;  // in the error, or in the one warning
  } expected[] = {{GraphSource::Status::Graph, ":Fa@x^", Format::Sparse6, nullptr},
                  {GraphSource::Status::Graph, "C~", Format::Graph6, nullptr},
                  {GraphSource::Status::Graph, ":AF", Format::Sparse6, "line 3: 1 loop(s) ignored"},
                  {GraphSource::Status::Error, "", Format::Sparse6, "line 4: incremental sparse6"},
                  {GraphSource::Status::Graph, "Bw", Format::Graph6, nullptr},
                  {GraphSource::Status::End, "", Format::Graph6, nullptr}};
  SimpleGraph g;
  for (const auto& e : expected) {
    ASSERT_EQ(source.next(g, error), e.status) << e.line << ": " << error;
    EXPECT_EQ(source.lastLine(), e.line);
    if (e.status == GraphSource::Status::Graph) { EXPECT_EQ(source.lastLineFormat(), e.format) << e.line; }
    const bool warned = e.status == GraphSource::Status::Graph && e.found != nullptr;
    ASSERT_EQ(source.warnings().size(), warned ? 1u : 0u) << e.line;
    if (warned) { EXPECT_EQ(source.warnings()[0], e.found); }
    if (e.status == GraphSource::Status::Error) { EXPECT_NE(error.find(e.found), std::string::npos) << error; }
  }
}

// Binary junk is one error for the whole source, told from control bytes in the first line or
// from a first line that is neither a graph nor printable; a genuine graph6 file with one bad
// line in the middle still reports that line and reads on.
TEST(GraphSource, JunkSourcesGetOneError) {
  std::string elf = "\x7f" "ELF\x02\x01\x01";
  elf += std::string(3, '\0') + "\n\x01\x02\n\n\x03\n";
  const struct {
    const char* name;
    std::string text;
    bool opens;
    std::size_t graphs;
    std::vector<const char*> errors;
  } cases[] = {
      {"elf", elf, false, 0, {"not a graph file: its first line holds the control byte \\x7f"}},
      {"escape", "C~\x1b[2J\nC~\n", false, 0, {"not a graph file"}},
      {"png", "\x89PNG\r\n\x1a\x0a\xff\xfe\n\x81\n", true, 0, {"not a graph file: line 1"}},
      {"latin1", "\xe9t\xe9\nC~\n", true, 0, {"not a graph file: line 1"}},
      {"badMiddleLine", "C~\n\xff\xfe\nBw\n", true, 2, {"line 2: "}},
      {"badFirstPrintable", "Bw?\nBw\n", true, 1, {"line 1: "}},
      // Lines longer than the reader's first look: blanks before a graph, and junk.
      {"longBlankRun", "C~\n" + std::string(5000, ' ') + ">>graph6<<Bw\n", true, 2, {}},
      {"longJunkLine", std::string(5000, '\x80') + "\nC~\n", true, 0, {"not a graph file: line 1: a line of 5000 bytes"}},
  };
  for (const auto& c : cases) {
    const ReadResult r = readAll(bicubic::testing::writeScratchFile("junk.bin", c.text));
    EXPECT_EQ(r.opened, c.opens) << c.name;
    EXPECT_EQ(r.graphs.size(), c.graphs) << c.name;
    std::vector<std::string> errors = r.errors;
    if (!r.opened) errors.push_back(r.openError);
    ASSERT_EQ(errors.size(), c.errors.size()) << c.name;
    for (std::size_t i = 0; i < errors.size(); ++i) {
      EXPECT_EQ(errors[i].rfind(c.errors[i], 0), 0u) << c.name << ": " << errors[i];
    }
  }
}

// HCP: numbers on the section line are edges; EOF may be followed by another instance (another
// graph); nothing but EOF may follow the closing -1; DIMENSION may repeat only itself; loops and
// repeated edges are warned about by line and left out, while an adjacency list may name each
// edge from both ends.
TEST(GraphSource, HcpNeverDropsSilently) {
  const std::string head = "NAME : x\nTYPE : HCP\nDIMENSION : 3\n";
  // A 30000-cycle written on the section's own line, after a comment of a megabyte: read in
  // pieces, numbers cut between pieces carried over.
  std::string longLine = "NAME : c\nCOMMENT : ";
  longLine.append(1 << 20, 'c').append("\nDIMENSION : 30000\nEDGE_DATA_SECTION");
  for (int v = 1; v <= 30000; ++v) longLine.append(" ").append(std::to_string(v)).append(" ").append(std::to_string(v % 30000 + 1));
  longLine += " -1\nEOF\n";
  const std::string adjacency = "NAME : x\nDIMENSION : 3\nEDGE_DATA_FORMAT : ADJ_LIST\nEDGE_DATA_SECTION\n";
  const struct {
    const char* name;
    std::string text;
    std::vector<std::int64_t> edgeCounts;  // one per graph read
    const char* error;
    std::vector<std::string> warnings;
  } cases[] = {
      {"sectionLine", head + "EDGE_DATA_SECTION 1 2 2 3\n3 1\n-1\nEOF\n", {3}, nullptr, {}},
      {"twoInstances", head + "EDGE_DATA_SECTION\n1 2\n-1\nEOF\n\nNAME : y\nDIMENSION : 4\nEDGE_DATA_SECTION\n1 2 3 4 2 3\n-1\nEOF\n\n",
       {1, 3}, nullptr, {}},
      {"afterClosingLine", head + "EDGE_DATA_SECTION\n1 2\n-1\n2 3\nEOF\n", {}, "line 7: 2 3 after the closing -1", {}},
      {"afterClosingSameLine", head + "EDGE_DATA_SECTION\n1 2 -1 2 3\n", {}, "line 5: 2 after the closing -1", {}},
      {"sameDimension", head + "DIMENSION: 3\nEDGE_DATA_SECTION\n1 2\n-1\n", {1}, nullptr, {}},
      {"otherDimension", head + "DIMENSION: 4\nEDGE_DATA_SECTION\n1 2\n-1\n", {}, "line 4: DIMENSION 4 contradicts", {}},
      {"loopAndRepeat", head + "EDGE_DATA_SECTION\n1 2\n2 2\n2 1\n-1\nEOF\n", {1}, nullptr,
       {"line 6: loop 2-2 ignored", "line 7: repeated edge 2-1 ignored"}},
      {"adjacencyBothEnds", adjacency + "1 2 3 -1\n2 1 -1\n3 1 -1\n-1\nEOF\n", {2}, nullptr, {}},
      {"adjacencyRepeat", adjacency + "1 2 2 -1\n-1\n", {1}, nullptr, {"line 5: repeated edge 1-2 ignored"}},
      {"adjacencyHeadOutOfRange", adjacency + "9 -1\n-1\n", {}, "line 5: vertex 9 is outside 1..3", {}},
      {"eofBeforeClosing", head + "EDGE_DATA_SECTION\n1 2\nEOF\n", {}, "line 6: EOF before the closing -1", {}},
      {"inputEndsInSection", head + "EDGE_DATA_SECTION\n1 2\n2 3\n", {}, "line 6: the input ends inside", {}},
      {"oneLongLine", longLine, {30000}, nullptr, {}},
  };
  for (const auto& c : cases) {
    const ReadResult r = readAll(bicubic::testing::writeScratchFile("case.hcp", c.text));
    ASSERT_TRUE(r.opened) << c.name;
    std::vector<std::int64_t> edgeCounts;
    for (const SimpleGraph& g : r.graphs) edgeCounts.push_back(g.edgeCount());
    EXPECT_EQ(edgeCounts, c.edgeCounts) << c.name;
    ASSERT_EQ(r.errors.size(), c.error ? 1u : 0u) << c.name << ": " << (r.errors.empty() ? "" : r.errors[0]);
    if (c.error) { EXPECT_EQ(r.errors[0].rfind(c.error, 0), 0u) << c.name << ": " << r.errors[0]; }
    EXPECT_EQ(r.warnings, c.warnings) << c.name;
  }
}

// A deadline that passes while a graph is read stops the reading of that graph (its order known,
// its edges not all there) and the source goes on with the next graph: the time limit holds on
// graphs whose reading alone is long.
TEST(GraphSource, DeadlineStopsTheReadingAndTheNextGraphFollows) {
  SimpleGraph k1500(1500), k200(200);
  for (std::int32_t v = 0; v < 1500; ++v) {
    for (std::int32_t w = v + 1; w < 1500; ++w) k1500.addNewEdge(v, w);
  }
  std::string hcp = "NAME : k200\nTYPE : HCP\nDIMENSION : 200\nEDGE_DATA_SECTION\n";
  for (std::int32_t v = 0; v < 200; ++v) {
    for (std::int32_t w = v + 1; w < 200; ++w) k200.addNewEdge(v, w), hcp += std::to_string(v + 1) + " " + std::to_string(w + 1) + "\n";
  }
  hcp += "-1\nEOF\nNAME : t\nDIMENSION : 3\nEDGE_DATA_SECTION\n1 2 2 3 3 1\n-1\nEOF\n";
  const struct {
    const char* name;
    std::string text;
    std::int32_t order;
  } cases[] = {{"graph6", encodeGraph6(k1500) + "\nBw\n", 1500},
               {"sparse6", encodeSparse6(k1500) + "\n:Bf\n", 1500},
               {"hcp", hcp, 200}};
  for (const auto& c : cases) {
    MethodRunner method;
    GraphSource source(bicubic::testing::writeScratchFile("dense.txt", c.text), method);
    std::string error;
    ASSERT_TRUE(source.open(error)) << c.name << ": " << error;
    SimpleGraph g;
    const Deadline passed = Deadline::after(1e-9);
    ASSERT_EQ(source.next(g, error, passed), GraphSource::Status::OutOfTime) << c.name << ": " << error;
    EXPECT_EQ(g.order(), c.order) << c.name;
    EXPECT_LT(g.edgeCount(), std::int64_t{c.order} * (c.order - 1) / 2) << c.name;
    ASSERT_EQ(source.next(g, error), GraphSource::Status::Graph) << c.name << ": " << error;
    EXPECT_EQ(g.order(), 3) << c.name;
    EXPECT_EQ(source.next(g, error), GraphSource::Status::End) << c.name;
  }
}

TEST(Messages, InputIsQuotedSafely) {
  const std::string longToken(200000, 'x');
  std::string accents;
  for (int i = 0; i < 70; ++i) accents += "\xc3\xa9";
  const struct {
    std::string input;
    std::string quoted;
  } cases[] = {
      {"DIMENSION", "DIMENSION"},
      {std::string("a\0b", 3), "a\\x00b"},
      {"\x1b[31mred\x1b[0m", "\\x1b[31mred\\x1b[0m"},
      {"tab\there\r\n", "tab\\x09here\\x0d\\x0a"},
      {"back\\slash\x7f", "back\\\\slash\\x7f"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
      {"\xc3( \xed\xa0\x80 \xc0\xaf \xf5\x80\x80\x80", "\\xc3( \\xed\\xa0\\x80 \\xc0\\xaf \\xf5\\x80\\x80\\x80"},
      {"\xc2\x9b" "2J \xe2\x82", "\\xc2\\x9b2J \\xe2\\x82"},
      {longToken, std::string(64, 'x') + "..."},
      {std::string(64, 'y'), std::string(64, 'y')},
      {accents, accents.substr(0, 128) + "..."},
      {std::string(40, '\0') + "z", [] {
         std::string s;
         for (int i = 0; i < 40; ++i) s += "\\x00";
         return s + "z";
       }()},
  };
  for (const auto& c : cases) EXPECT_EQ(quotedForMessage(c.input), c.quoted) << c.quoted;
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
      // Endless matrices of one vertex after it: its row comes while they are still being read.
      {"endlessStdin", "{ cat '" + file + "'; yes 1; } | TMPDIR=/nonexistent timeout 20 \"$CHECK\" | head -3"},
  };
  for (const auto& c : cases) {
    const testing::ToolRun run = testing::runShell(c.command);
    EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
    EXPECT_NE(run.out.find(expected), std::string::npos) << c.name << ":\n" << run.out;
  }
}

}  // namespace
}  // namespace bicubic::check
