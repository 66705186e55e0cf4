// Drawings: the caption says how each answer was reached, a Hamiltonian graph's vertices are
// pinned round a circle in cycle order with the cycle bold, and --png/--svg render real images
// through Graphviz (or say that it is missing).
#include <gtest/gtest.h>

#include <fstream>
#include <numeric>
#include <sstream>

#include "check/drawing.h"
#include "check/formats.h"
#include "check_support.h"
#include "families/families.h"
#include "support/test_support.h"

namespace bicubic::check {
namespace {

std::size_t occurrences(const std::string& text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

TEST(Drawing, CaptionAndLayoutFollowTheAnswer) {
  testing::ExactSolver solver;
  const SimpleGraph k23 = testing::fromEdges(5, {{0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}});
  const struct {
    const char* name;
    SimpleGraph graph;
    const char* caption;
    std::size_t pinned, bold;
  } cases[] = {
      {"heawood", testing::heawood(), "hamiltonian: the bold cycle, checked", 14, 14},
      {"non-hamiltonian", testing::smallestNonHamiltonianCubicBipartite(), "by an exhaustive search", 0, 0},
      {"unbalanced", k23, "the colour classes differ in size (2 and 3)", 0, 0},
      {"petersen", testing::petersen(), "by an exhaustive search", 0, 0},
  };
  for (const auto& c : cases) {
    const testing::ExactResult result = solver.solve(c.graph, Deadline());
    const std::string dot = drawingDot(c.graph, result.cycle, result.answer, c.name);
    EXPECT_NE(dot.find(c.caption), std::string::npos) << dot;
    EXPECT_EQ(occurrences(dot, "pos=\""), c.pinned) << c.name;
    EXPECT_EQ(occurrences(dot, "penwidth=3"), c.bold) << c.name;
    EXPECT_EQ(occurrences(dot, " -- "), static_cast<std::size_t>(c.graph.edgeCount())) << c.name;
    // Two fill colours exactly when the graph is bipartite.
    EXPECT_EQ(occurrences(dot, "fillcolor=") > 0, c.graph.order() != 10) << c.name;
  }
}

// g with vertex x replaced by piece minus its vertex 0, the three loose ends joined pairwise:
// g's other vertices keep their order, the piece's follow them. Cubic and bipartite stay so.
SimpleGraph replaceVertex(const SimpleGraph& g, std::int32_t x, const SimpleGraph& piece) {
  const std::int32_t base = g.order() - 1;
  const auto ofG = [x](std::int32_t v) { return v < x ? v : v - 1; };
  const auto ofPiece = [base](std::int32_t v) { return base + v - 1; };
  SimpleGraph out(base + piece.order() - 1);
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w && v != x && w != x) out.addNewEdge(ofG(v), ofG(w));
    }
  }
  for (std::int32_t v = 1; v < piece.order(); ++v) {
    for (std::int32_t w : piece.neighbours(v)) {
      if (v < w) out.addNewEdge(ofPiece(v), ofPiece(w));
    }
  }
  for (std::size_t i = 0; i < 3; ++i) out.addNewEdge(ofG(g.neighbours(x)[i]), ofPiece(piece.neighbours(0)[i]));
  return out;
}

std::vector<std::int32_t> range(std::int32_t from, std::int32_t to) {
  std::vector<std::int32_t> r(static_cast<std::size_t>(to - from));
  std::iota(r.begin(), r.end(), from);
  return r;
}

// The Ellingham-Horton graph spliced into a random cubic bipartite graph keeps no cycle: its copy
// (the lowest vertex numbers) admits no way through the splice's cut. The drawing must show that
// copy shaded and exactly the edges leaving it marked, in the caller's numbering, with a cube
// nested in the copy (reduced first) shaded too, and nothing marked when the copy was never the
// piece refused.
TEST(Drawing, MarksTheCutNoCycleCanCross) {
  exact::Rng rng(17);
  const SimpleGraph eh54 = testing::ellinghamHorton54();
  const SimpleGraph spliced = exact::spliceThreeCut(eh54, exact::randomCubicBipartite(40, rng));
  std::vector<std::int32_t> nestedPiece = range(0, 52);
  for (std::int32_t v : range(131, 138)) nestedPiece.push_back(v);
  const struct {
    const char* name;
    SimpleGraph graph;
    std::vector<std::int32_t> piece;
    std::size_t cutSize;
    const char* caption;
  } cases[] = {
      {"eh54 by a 3-edge cut", spliced, range(0, 53), 3, "no cycle can cross this 3-edge cut as needed"},
      {"eh54 by a 2-edge cut", exact::spliceTwoCut(eh54, exact::randomCubicBipartite(40, rng)), range(0, 54), 2,
       "no cycle can cross this 2-edge cut as needed"},
      {"eh54 holding a cube", replaceVertex(spliced, 10, testing::cube()), nestedPiece, 3,
       "no cycle can cross this 3-edge cut as needed"},
      // The smaller host side is replaced first and the copy left is searched as the core.
      {"eh54 into a small host", exact::spliceThreeCut(eh54, exact::randomCubicBipartite(8, rng)), {}, 0,
       "no cycle exists, by the cut reduction"},
  };
  exact::HamiltonianSolver solver;
  for (const auto& c : cases) {
    const exact::Result result = solver.solve(c.graph);
    ASSERT_EQ(result.answer, Answer::NonHamiltonian) << c.name;
    EXPECT_EQ(result.blockedSide, c.piece) << c.name;
    const CutEvidence cut{result.decidedBy == exact::Stage::CutReduction, result.blockedSide, result.cutEdges};
    const std::string dot = drawingDot(c.graph, result.cycle, result.answer, c.name, cut);
    EXPECT_NE(dot.find(c.caption), std::string::npos) << dot;
    EXPECT_EQ(occurrences(dot, "fontcolor=black"), c.piece.size()) << c.name;
    std::vector<bool> inPiece(static_cast<std::size_t>(c.graph.order()), false);
    for (std::int32_t v : c.piece) inPiece[static_cast<std::size_t>(v)] = true;
    std::size_t leaving = 0;  // edges of the graph with one end in the piece
    for (std::int32_t v : c.piece) {
      for (std::int32_t w : c.graph.neighbours(v)) {
        if (inPiece[static_cast<std::size_t>(w)]) continue;
        ++leaving;
        const std::string line = std::to_string(std::min(v, w) + 1) + " -- " + std::to_string(std::max(v, w) + 1) +
                                 " [color=red, style=dashed, penwidth=3];";
        EXPECT_NE(dot.find(line), std::string::npos) << c.name << ": " << line;
      }
    }
    EXPECT_EQ(occurrences(dot, "color=red"), leaving) << c.name;
    EXPECT_EQ(leaving, c.cutSize) << c.name;
  }
}

TEST(Drawing, PngAndSvgAreImages) {
  if (testing::runShell("command -v neato").status != 0) GTEST_SKIP() << "Graphviz is not installed";
  const std::string dir = bicubic::testing::scratchDirectory();
  const auto run = testing::runShell("echo '" + encodeGraph6(testing::heawood()) + "' | \"$CHECK\" -q --png '" + dir + "/g.png' --svg '" + dir + "/g.svg'");
  ASSERT_EQ(run.status, 0) << run.err;
  const auto read = [](const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  };
  const std::string png = read(dir + "/g.png"), svg = read(dir + "/g.svg");
  EXPECT_TRUE(png.starts_with("\x89PNG\r\n\x1a\n")) << png.substr(0, 16);
  EXPECT_GT(png.size(), 2000u);
  EXPECT_NE(svg.find("<svg"), std::string::npos);
  EXPECT_NE(svg.find("hamiltonian: the bold cycle"), std::string::npos);
}

TEST(Drawing, MissingGraphvizIsSaid) {
  const auto run = testing::runShell("echo '" + encodeGraph6(testing::heawood()) + "' | PATH=/nonexistent \"$CHECK\" -q --png /dev/null");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("--png: Graphviz is not installed (no neato on PATH)"), std::string::npos) << run.err;
  EXPECT_NE(run.out.find("hamiltonian"), std::string::npos);  // the report is still complete
}

}  // namespace
}  // namespace bicubic::check
