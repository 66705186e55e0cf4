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

// The Ellingham-Horton graph spliced into a random cubic bipartite graph keeps no cycle: its copy
// (the lowest vertex numbers) admits no way through the splice's cut. The drawing must show that
// copy shaded and exactly the edges leaving it marked, in the caller's numbering, or nothing
// marked when the piece refused was no longer made of input vertices alone.
TEST(Drawing, MarksTheCutNoCycleCanCross) {
  exact::Rng rng(17);
  const SimpleGraph eh54 = testing::ellinghamHorton54();
  const struct {
    const char* name;
    SimpleGraph graph;
    std::int32_t pieceOrder;
    std::size_t cutSize;
    const char* caption;
  } cases[] = {
      {"eh54 by a 3-edge cut", exact::spliceThreeCut(eh54, exact::randomCubicBipartite(40, rng)), 53, 3,
       "no cycle can cross this 3-edge cut as needed"},
      {"eh54 by a 2-edge cut", exact::spliceTwoCut(eh54, exact::randomCubicBipartite(40, rng)), 54, 2,
       "no cycle can cross this 2-edge cut as needed"},
      // The smaller host side is replaced first; the piece left holds its gadget, so no marks.
      {"eh54 into a small host", exact::spliceThreeCut(eh54, exact::randomCubicBipartite(8, rng)), 0, 0,
       "no cycle exists, by the cut reduction"},
  };
  exact::HamiltonianSolver solver;
  for (const auto& c : cases) {
    const exact::Result result = solver.solve(c.graph);
    ASSERT_EQ(result.answer, Answer::NonHamiltonian) << c.name;
    std::vector<std::int32_t> piece(static_cast<std::size_t>(c.pieceOrder));
    std::iota(piece.begin(), piece.end(), 0);
    EXPECT_EQ(result.blockedSide, piece) << c.name;
    const CutEvidence cut{result.decidedBy == exact::Stage::CutReduction, result.blockedSide, result.cutEdges};
    const std::string dot = drawingDot(c.graph, result.cycle, result.answer, c.name, cut);
    EXPECT_NE(dot.find(c.caption), std::string::npos) << dot;
    EXPECT_EQ(occurrences(dot, "fontcolor=black"), piece.size()) << c.name;
    std::size_t leaving = 0;  // edges of the graph with one end in the piece
    for (std::int32_t v = 0; v < c.pieceOrder; ++v) {
      for (std::int32_t w : c.graph.neighbours(v)) {
        if (w < c.pieceOrder) continue;
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
