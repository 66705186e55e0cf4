#include "check_support.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/test_support.h"

#include "check/formats.h"
#include "exact/index.h"

namespace bicubic::testing {

using namespace bicubic::exact;
using check::decodeGraph6;

namespace {

bool extend(const std::vector<std::uint64_t>& adj, std::int32_t n, std::int32_t v, std::uint64_t visited,
            std::int32_t count) {
  if (count == n) return (adj[at(v)] & 1) != 0;
  for (std::uint64_t open = adj[at(v)] & ~visited; open != 0; open &= open - 1) {
    const int w = __builtin_ctzll(open);
    if (extend(adj, n, w, visited | (std::uint64_t{1} << w), count + 1)) return true;
  }
  return false;
}
}  // namespace

SimpleGraph fromEdges(std::int32_t n, const EdgeList& edges) {
  SimpleGraph g(n);
  for (const auto& [u, v] : edges) g.addEdge(u, v);
  return g;
}

bool bruteForceHamiltonian(const SimpleGraph& g) {
  const std::int32_t n = g.order();
  if (n < 3 || n > 64) return false;
  std::vector<std::uint64_t> adj(at(n), 0);
  for (std::int32_t v = 0; v < n; ++v) {
    for (std::int32_t w : g.neighbours(v)) adj[at(v)] |= std::uint64_t{1} << w;
  }
  return extend(adj, n, 0, 1, 1);
}

namespace {
bicubic::testing::ProcessCall bashCall(const std::string& commandLine) {
  bicubic::testing::ProcessCall call;
  call.program = "/bin/bash";
  call.arguments = {"-c", commandLine};
  return call;
}
}  // namespace

std::optional<std::vector<std::string>> nautyGraphs(const std::string& commandLine) {
  const ToolRun run = bicubic::testing::runProcess(bashCall(commandLine));
  if (run.status != 0) return std::nullopt;  // 127 when the program is not installed
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < run.out.size()) {
    std::size_t end = run.out.find('\n', start);
    if (end == std::string::npos) end = run.out.size();
    std::string line = run.out.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

ToolRun runShell(const std::string& commandLine) {
  bicubic::testing::ProcessCall call = bashCall(commandLine);
  call.shellPrefix = "export CHECK=" + bicubic::testing::shellQuoted(BICUBIC_CHECK_EXECUTABLE) + ";";
  return bicubic::testing::runProcess(call);
}

ToolRun runCheckTool(const std::vector<std::string>& arguments, const std::string& stdinText) {
  bicubic::testing::ProcessCall call;
  call.program = BICUBIC_CHECK_EXECUTABLE;
  call.arguments = arguments;
  call.stdinText = stdinText;
  return bicubic::testing::runProcess(call);
}

SimpleGraph petersen() {
  EdgeList e;
  for (int i = 0; i < 5; ++i) {
    e.emplace_back(i, (i + 1) % 5);
    e.emplace_back(i, i + 5);
    e.emplace_back(5 + i, 5 + (i + 2) % 5);
  }
  return fromEdges(10, e);
}

SimpleGraph heawood() {
  // LCF notation [5, -5]^7 on a 14-cycle.
  EdgeList e;
  for (int i = 0; i < 14; ++i) {
    e.emplace_back(i, (i + 1) % 14);
    e.emplace_back(i, (i + (i % 2 == 0 ? 5 : 9)) % 14);
  }
  return fromEdges(14, e);
}

SimpleGraph cube() {
  EdgeList e;
  for (int v = 0; v < 8; ++v) {
    for (int bit = 1; bit < 8; bit <<= 1) {
      if ((v ^ bit) > v) e.emplace_back(v, v ^ bit);
    }
  }
  return fromEdges(8, e);
}

void expectCycleOrNothing(const SimpleGraph& g, bool found, bool mayFind, const std::vector<std::int32_t>& cycle,
                          const std::string& name) {
  EXPECT_EQ(found, mayFind) << name;
  if (found) {
    EXPECT_TRUE(exact::isHamiltonianCycle(g, cycle)) << name;
  } else {
    EXPECT_TRUE(cycle.empty()) << name;
  }
}

void solveAndCompare(ExactSolver& tried, ExactSolver& reference, const SimpleGraph& g, double seconds, int index,
                     ExactResult& a, ExactResult& b) {
  a = tried.solve(g, Deadline::after(seconds));
  b = reference.solve(g, Deadline::after(seconds));
  ASSERT_NE(a.answer, Answer::Unknown) << index;
  ASSERT_EQ(a.answer, b.answer) << "graph " << index;
  ASSERT_TRUE(a.answer != Answer::Hamiltonian || isHamiltonianCycle(g, a.cycle)) << index;
}

SimpleGraph smallestNonHamiltonianCubicBipartite() {
  SimpleGraph g;
  std::string error;
  decodeGraph6("S???????F?[?F??wWA?o_?w?[??E_@H??", g, error);
  return g;
}

SimpleGraph ellinghamHorton54() {
  SimpleGraph g;
  std::string error;
  decodeGraph6("uhCGGCP?GGo@?PG?_?KO@?????G?????C??@??AG??????P??@?????_???G???P??AA??OCC?C?CC???AAO???__???CC???????????@????????????_?????G?????P????????????AG?????G???????C??????@??????AG?????OOG?????__??G???__??????OQ??????CC???????__?????G??G?????O??W", g, error);
  return g;
}

}  // namespace bicubic::testing
