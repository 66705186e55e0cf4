// The fast decision against the literal one on random half graphs: the same bytes for walks,
// counts, the power line and the verdict, whatever the shape of the remaining edges.
#include <gtest/gtest.h>

#include <numeric>
#include <random>

#include "hamilton/decision.h"
#include "oracle/literal_decision.h"

namespace bicubic {
namespace {

enum class HalfShape { Cubic, Sparse, Dense, EmptyRows };

std::unique_ptr<HalfGraph> randomHalfGraph(HalfShape shape, std::int32_t m, std::mt19937_64& random) {
  auto half = std::make_unique<HalfGraph>(m);
  const auto size = static_cast<std::size_t>(m);
  if (shape == HalfShape::Cubic) {
    // Three random permutations: a cubic bipartite biadjacency matrix (repeats merge).
    for (int round = 0; round < 3; ++round) {
      std::vector<std::int32_t> partner(size);
      std::iota(partner.begin(), partner.end(), 0);
      std::shuffle(partner.begin(), partner.end(), random);
      for (std::int32_t r = 0; r < m; ++r) half->setEdge(r, partner[static_cast<std::size_t>(r)], 1);
    }
    return half;
  }
  const double density = shape == HalfShape::Dense ? 0.6 : 3.0 / std::max(m, 3);
  std::bernoulli_distribution edge(density);
  for (std::int32_t r = 0; r < m; ++r) {
    for (std::int32_t c = 0; c < m; ++c) half->setEdge(r, c, edge(random) ? 1 : 0);
  }
  if (shape == HalfShape::EmptyRows) {
    for (std::int32_t k = 0; k < m / 3 + 1; ++k) {
      const auto r = static_cast<std::int32_t>(random() % size);
      for (std::int32_t c = 0; c < m; ++c) half->setEdge(r, c, 0);
    }
  }
  return half;
}

struct HalfCase {
  const char* name;
  HalfShape shape;
  int graphs;
  std::int32_t minM = 1;
  std::int32_t maxM = 40;
  friend void PrintTo(const HalfCase& c, std::ostream* os) { *os << c.name; }
};

class DecisionAgreesWithLiteralSteps : public ::testing::TestWithParam<HalfCase> {};

TEST_P(DecisionAgreesWithLiteralSteps, OnRandomHalfGraphs) {
  const HalfCase& c = GetParam();
  std::mt19937_64 random(0xdec1de00u + static_cast<unsigned>(c.shape));
  int sawPowerLine = 0;
  // One workspace through every graph, as the verdict-only path keeps it: nothing a decision
  // leaves behind may reach the next.
  DecisionWorkspace workspace;
  for (int trial = 0; trial < c.graphs; ++trial) {
    const auto m = static_cast<std::int32_t>(c.minM + static_cast<std::int32_t>(random() % static_cast<unsigned>(c.maxM - c.minM + 1)));
    const std::int32_t status = 1 + static_cast<std::int32_t>(random() % 2);
    std::unique_ptr<HalfGraph> fast = randomHalfGraph(c.shape, m, random);
    auto slow = std::make_unique<HalfGraph>(m);
    slow->adjacency_matrix = fast->adjacency_matrix;
    fast->setParentStatus(status);
    slow->setParentStatus(status);
    OutputSink fastOut;
    OutputSink slowOut;
    decideHamiltonian(*fast, fastOut, workspace);
    literal::decideHamiltonian(*slow, slowOut);
    ASSERT_EQ(fastOut.captured(), slowOut.captured()) << c.name << " trial " << trial << " m " << m;
    ASSERT_EQ(fast->adjacency_matrix, slow->adjacency_matrix);
    sawPowerLine += fastOut.captured().find(" Stop ") != std::string::npos;
  }
  // The comparison only means something if the power loop ran on a good share of the graphs.
  EXPECT_GT(sawPowerLine, c.graphs / 10) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Shapes, DecisionAgreesWithLiteralSteps,
                         ::testing::Values(HalfCase{"cubic", HalfShape::Cubic, 1500},
                                           HalfCase{"sparse", HalfShape::Sparse, 1500},
                                           HalfCase{"dense", HalfShape::Dense, 600},
                                           HalfCase{"empty_rows", HalfShape::EmptyRows, 1500},
                                           // Up to 64 rows the walks run on words of bits,
                                           // beyond on lists: both sides and the change.
                                           HalfCase{"word_boundary", HalfShape::Cubic, 300, 60, 70},
                                           HalfCase{"sparse_large", HalfShape::Sparse, 100, 65, 130}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bicubic
