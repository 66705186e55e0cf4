// The fast solver against the literal six steps: same pairs, same labels, same report bytes, on
// thousands of random matrices of every shape that can make tie-breaking matter.
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

#include "assignment/assignment.h"
#include "oracle/literal_assignment.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::Rows;

enum class Shape { CubicBipartite, SparseSymmetric, DenseSymmetric, WithIsolated, Weights, NegativeWeights, Ties, Extremes };

struct Generator {
  std::mt19937_64 random;

  std::int32_t uniform(std::int32_t low, std::int32_t high) {
    return std::uniform_int_distribution<std::int32_t>(low, high)(random);
  }

  Rows symmetric01(std::int32_t n, double density) {
    Rows rows(static_cast<std::size_t>(n), std::vector<std::int32_t>(static_cast<std::size_t>(n), 0));
    std::bernoulli_distribution edge(density);
    for (std::int32_t i = 0; i < n; ++i) {
      for (std::int32_t j = i + 1; j < n; ++j) {
        if (edge(random)) rows[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] = rows[static_cast<std::size_t>(j)][static_cast<std::size_t>(i)] = 1;
      }
    }
    return rows;
  }

  // Union of three random perfect matchings between two shuffled halves (multi-edges merge, so
  // some degrees fall below 3): cubic-like bipartite graphs with interleaved colours.
  Rows cubicBipartite(std::int32_t n) {
    const std::int32_t half = n / 2;
    std::vector<std::int32_t> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::shuffle(order.begin(), order.end(), random);
    Rows rows(static_cast<std::size_t>(n), std::vector<std::int32_t>(static_cast<std::size_t>(n), 0));
    for (int round = 0; round < 3; ++round) {
      std::vector<std::int32_t> partner(static_cast<std::size_t>(half));
      std::iota(partner.begin(), partner.end(), half);
      std::shuffle(partner.begin(), partner.end(), random);
      for (std::int32_t i = 0; i < half; ++i) {
        const auto a = static_cast<std::size_t>(order[static_cast<std::size_t>(i)]);
        const auto b = static_cast<std::size_t>(order[static_cast<std::size_t>(partner[static_cast<std::size_t>(i)])]);
        rows[a][b] = rows[b][a] = 1;
      }
    }
    return rows;
  }

  Rows valued(std::int32_t n, std::int32_t low, std::int32_t high) {
    Rows rows(static_cast<std::size_t>(n), std::vector<std::int32_t>(static_cast<std::size_t>(n)));
    for (auto& row : rows) {
      for (auto& value : row) value = uniform(low, high);
    }
    return rows;
  }

  Rows make(Shape shape, std::int32_t n) {
    switch (shape) {
      case Shape::CubicBipartite: return cubicBipartite(std::max(2, n - n % 2));
      case Shape::SparseSymmetric: return symmetric01(n, 3.0 / std::max(n, 4));
      case Shape::DenseSymmetric: return symmetric01(n, 0.6);
      case Shape::WithIsolated: {
        Rows rows = symmetric01(n, 0.3);
        for (std::int32_t k = 0; k < n / 4 + 1; ++k) {
          const auto v = static_cast<std::size_t>(uniform(0, n - 1));
          for (std::size_t j = 0; j < rows.size(); ++j) rows[v][j] = rows[j][v] = 0;
        }
        return rows;
      }
      case Shape::Weights: return valued(n, 0, 99);
      case Shape::NegativeWeights: return valued(n, -50, 50);
      case Shape::Ties: return valued(n, 0, 2);
      case Shape::Extremes: {
        Rows rows = valued(n, -2, 2);
        for (auto& row : rows) {
          for (auto& value : row) value = value == 2 ? INT32_MAX : value == -2 ? INT32_MIN : value;
        }
        return rows;
      }
    }
    return {};
  }
};

void colourRandomly(Graph& graph, std::mt19937_64& random) {
  for (Vertex& v : graph.vertices) v.colour = "rb\0"[random() % 3];
}

struct Outcome {
  std::string report;
  std::vector<std::int32_t> columns;
};

template <typename Solve>
Outcome solveWith(const Rows& rows, std::uint64_t colourSeed, const std::string& mode, Solve solve) {
  Graph graph = testing::graphFromRows(rows);
  std::mt19937_64 colours(colourSeed);
  colourRandomly(graph, colours);
  OutputSink out;
  solve(graph, mode, out);
  Outcome outcome{out.captured(), {}};
  for (std::int32_t r = 0; r < graph.nCities; ++r) outcome.columns.push_back(graph.pairs[static_cast<std::size_t>(r)].col);
  return outcome;
}

struct ShapeCase {
  friend void PrintTo(const ShapeCase& c, std::ostream* os) { *os << c.name; }
  const char* name;
  Shape shape;
  int matrices;
  std::int32_t maxSize;
  std::int32_t minSize = 1;
};

class SolverAgreesWithLiteralSteps : public ::testing::TestWithParam<ShapeCase> {};

TEST_P(SolverAgreesWithLiteralSteps, OnRandomMatricesInBothModes) {
  const ShapeCase& c = GetParam();
  Generator generator{std::mt19937_64(0x5eed0000u + static_cast<unsigned>(c.shape))};
  // One workspace through every matrix, of every size and both modes: what a solve leaves
  // behind must never reach the next one.
  AssignmentWorkspace workspace;
  auto solveInWorkspace = [&](Graph& graph, const std::string& mode, OutputSink& out) {
    solveAssignment(graph, mode, out, workspace);
  };
  for (int trial = 0; trial < c.matrices; ++trial) {
    const std::int32_t n = generator.uniform(c.minSize, c.maxSize);
    const Rows rows = generator.make(c.shape, n);
    const auto colourSeed = static_cast<std::uint64_t>(trial);
    for (const char* mode : {"max", "min"}) {
      const Outcome expected = solveWith(rows, colourSeed, mode, literal::solveAssignment);
      const Outcome actual = solveWith(rows, colourSeed, mode, solveInWorkspace);
      ASSERT_EQ(actual.columns, expected.columns) << c.name << " trial " << trial << " n " << n << " mode " << mode
                                                  << "\n" << testing::matrixFileText(rows);
      ASSERT_EQ(actual.report, expected.report);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Shapes, SolverAgreesWithLiteralSteps,
                         ::testing::Values(ShapeCase{"cubic", Shape::CubicBipartite, 1200, 60},
                                           ShapeCase{"sparse", Shape::SparseSymmetric, 1200, 60},
                                           ShapeCase{"dense", Shape::DenseSymmetric, 800, 60},
                                           ShapeCase{"isolated", Shape::WithIsolated, 800, 60},
                                           ShapeCase{"weights", Shape::Weights, 500, 40},
                                           ShapeCase{"negative", Shape::NegativeWeights, 500, 40},
                                           ShapeCase{"ties", Shape::Ties, 1500, 30},
                                           ShapeCase{"extremes", Shape::Extremes, 500, 20},
                                           // Up to 64 rows one solver keeps its sets in words,
                                           // beyond that the other keeps lists: both sides of
                                           // the change, and past it.
                                           ShapeCase{"wordBoundary", Shape::Ties, 200, 66, 62},
                                           ShapeCase{"cubicLarge", Shape::CubicBipartite, 60, 140, 65},
                                           ShapeCase{"weightsLarge", Shape::Weights, 40, 100, 65}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bicubic
