// The engine's settings table (every row reaches the solver, bad values are refused, the docs
// show the same table) and its public entry points: the stage that decides each kind of graph,
// the checked certificate, the stop flag.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <set>
#include <sstream>

#include "check/check_support.h"
#include "exact/exact.h"
#include "exact/hamiltonian.h"
#include "exact/settings.h"
#include "families/families.h"

namespace bicubic::exact {
namespace {

TEST(Settings, EveryRowReachesTheSolverAndDefaultsAgree) {
  const Options defaults;
  EXPECT_TRUE(solverOptions(defaults.values()) == ExactSolver::Options());
  std::set<std::string_view> names;
  for (const SettingInfo& row : settingsTable()) {
    EXPECT_TRUE(names.insert(row.name).second) << row.name << " is listed twice";
    EXPECT_LE(row.min, row.defaultValue) << row.name;
    EXPECT_LE(row.defaultValue, row.max) << row.name;
    Options changed;
    const std::int64_t other = row.defaultValue < row.max ? row.defaultValue + 1 : row.defaultValue - 1;
    ASSERT_EQ(changed.set(row.name, std::to_string(other)), "") << row.name;
    EXPECT_EQ(changed.get(row.name), other) << row.name;
    EXPECT_FALSE(solverOptions(changed.values()) == solverOptions(defaults.values()))
        << row.name << " does not reach the solver's options";
  }
}

TEST(Settings, BadValuesAreRefusedAndLeaveTheOptionsUnchanged) {
  const struct {
    std::string_view name, value, inMessage;
  } cases[] = {
      {"no-such-setting", "1", "unknown setting 'no-such-setting'"},
      {"four-cut-radius", "five", "takes a whole number, not 'five'"},
      {"four-cut-radius", "5x", "takes a whole number"},
      {"four-cut-radius", "", "takes a whole number"},
      {"four-cut-radius", "17", "must be in [0, 16]"},
      {"small-search", "-1", "must be in [0, 1]"},
      {"small-search-nodes", "99999999999999999999", "takes a whole number"},
  };
  for (const auto& c : cases) {
    Options options;
    const std::string message = options.set(c.name, c.value);
    EXPECT_NE(message.find(c.inMessage), std::string::npos) << c.name << "=" << c.value << ": " << message;
    EXPECT_TRUE(std::ranges::equal(options.values(), Options().values())) << c.name << "=" << c.value;
  }
}

// The table in docs/check.md, row for row as --list-settings gives it, so the two cannot drift.
TEST(Settings, DocsTableIsTheProgramsTable) {
  std::ifstream docs(BICUBIC_SOURCE_DIR "/docs/check.md");
  ASSERT_TRUE(docs) << "docs/check.md not found";
  std::vector<std::string> documented;
  bool inSection = false;
  for (std::string line; std::getline(docs, line);) {
    if (line.starts_with("## ")) inSection = line == "## Settings";
    if (inSection && line.starts_with("| `")) documented.push_back(line);
  }
  const auto number = [](std::int64_t v) {
    if (v == std::numeric_limits<std::int32_t>::max()) return std::string("2^31-1");
    if (v == std::numeric_limits<std::int64_t>::max()) return std::string("2^63-1");
    return std::to_string(v);
  };
  std::vector<std::string> expected;
  for (const SettingInfo& row : settingsTable()) {
    expected.push_back("| `" + std::string(row.name) + "` | " + number(row.defaultValue) + " | " + number(row.min) +
                       " to " + number(row.max) + " | " + std::string(row.meaning) + " |");
  }
  EXPECT_EQ(documented, expected);
}

SimpleGraph completeGraph(std::int32_t n) {
  SimpleGraph g(n);
  for (std::int32_t u = 0; u < n; ++u) {
    for (std::int32_t v = u + 1; v < n; ++v) g.addEdge(u, v);
  }
  return g;
}

// Each kind of graph is settled by the stage meant for it, and that stage shows work.
TEST(Pipeline, EachStageDecidesItsKindOfGraph) {
  Rng rng(5);
  const SimpleGraph bowtie = testing::fromEdges(5, {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 4}, {4, 2}});
  const struct {
    const char* name;
    SimpleGraph graph;
    Answer answer;
    Stage stage;
  } cases[] = {
      {"cube", testing::cube(), Answer::Hamiltonian, Stage::SmallSearch},
      {"bowtie (a cut vertex, degree 4)", bowtie, Answer::NonHamiltonian, Stage::Conditions},
      {"K6", completeGraph(6), Answer::Hamiltonian, Stage::Backtracking},
      {"Petersen spliced into a 600-vertex graph", spliceThreeCut(testing::petersen(), randomCubicBipartite(300, rng)),
       Answer::NonHamiltonian, Stage::CutReduction},
      {"random cubic bipartite, 1000 vertices", randomCubicBipartite(500, rng), Answer::Hamiltonian, Stage::Rotations},
      {"flower snark J25", flowerSnark(25), Answer::NonHamiltonian, Stage::Frontier},
  };
  HamiltonianSolver solver;
  for (const auto& c : cases) {
    const Result result = solver.solve(c.graph);
    EXPECT_EQ(result.answer, c.answer) << c.name;
    EXPECT_EQ(result.decidedBy, c.stage) << c.name << ": " << stageName(result.decidedBy);
    EXPECT_GE(result.stages[static_cast<std::size_t>(c.stage)].runs, 1) << c.name;
    EXPECT_FALSE(result.cycleRejected) << c.name;
    if (c.answer == Answer::Hamiltonian) {
      EXPECT_TRUE(isHamiltonianCycle(c.graph, result.cycle)) << c.name;
    }
  }
}

TEST(HamiltonianSolver, EdgeListsStopFlagAndBadInput) {
  const SimpleGraph cube = testing::cube();
  std::vector<Edge> edges;
  for (std::int32_t v = 0; v < cube.order(); ++v) {
    for (std::int32_t w : cube.neighbours(v)) {
      if (v < w) edges.emplace_back(v, w);
    }
  }
  edges.emplace_back(3, 3);          // a loop: ignored
  edges.emplace_back(edges.front());  // a repeat: ignored
  const Result fromEdges = findHamiltonianCycle(cube.order(), edges);
  EXPECT_EQ(fromEdges.answer, Answer::Hamiltonian);
  EXPECT_TRUE(isHamiltonianCycle(cube, fromEdges.cycle));
  EXPECT_EQ(fromEdges.cycle, HamiltonianSolver().solve(cube).cycle);

  const std::vector<Edge> outside = {{0, 1}, {1, 8}};
  EXPECT_THROW(findHamiltonianCycle(8, outside), std::invalid_argument);
  EXPECT_THROW(findHamiltonianCycle(-1, {}), std::invalid_argument);

  // A stop flag already set: the conditions may still answer, a search may not.
  std::atomic<bool> stop{true};
  Options stopped;
  stopped.stop = &stop;
  HamiltonianSolver solver(stopped);
  const Result searched = solver.solve(testing::cube());
  EXPECT_EQ(searched.answer, Answer::Unknown);
  EXPECT_EQ(searched.decidedBy, Stage::None);
  EXPECT_TRUE(searched.cycle.empty());
  EXPECT_EQ(solver.solve(testing::fromEdges(4, {{0, 1}, {1, 2}, {2, 3}})).answer, Answer::NonHamiltonian);
}

}  // namespace
}  // namespace bicubic::exact
