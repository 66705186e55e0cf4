// bicubic-check-timing: times the exact search alone (and, separately, the method) on graph6
// lines from standard input, so that the benchmark figures can split the two costs.
//   bicubic-check-timing [--no-method | --frontier-only] < graphs.g6
// --frontier-only times the frontier programme alone (no cut splitting, no backtracking).
// Prints per graph: index, n, exact answer, exact ms (search + certificate check), method ms,
// then what the search used (pieces decided by the cut reduction, its rounds and decider calls;
// frontier=graphs decided by the frontier programme/its states).
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "check/app.h"
#include "check/exact.h"
#include "check/formats.h"
#include "check/frontier.h"
#include "check/report.h"

using namespace bicubic::check;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const std::string flag = argc > 1 ? argv[1] : "";
  const bool method = flag.empty();
  const bool frontierOnly = flag == "--frontier-only";
  FrontierSearch frontier;
  ExactSolver solver;
  bicubic::MethodRunner methodRunner;
  std::vector<bicubic::MethodRunner::Edge> edges;
  SimpleGraph g;
  std::string line, error;
  double worst = 0, sum = 0;
  long index = 0;
  while (std::getline(std::cin, line)) {
    if (line.starts_with(">>graph6<<")) line.erase(0, 10);
    if (line.empty()) continue;
    if (!decodeGraph6(line, g, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
    ++index;
    const auto t0 = Clock::now();
    ExactResult r;
    if (frontierOnly) {
      r.answer = frontier.run(g, Deadline(), r.cycle);
    } else {
      r = solver.solve(g, Deadline());
    }
    const bool ok = r.answer != Answer::Hamiltonian || isHamiltonianCycle(g, r.cycle);
    const double exactMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    double methodMs = 0;
    if (method) {
      const auto t1 = Clock::now();
      bicubic::OutputSink quiet = bicubic::OutputSink::discarding();
      edges.clear();
      for (std::int32_t v = 0; v < g.order(); ++v) {
        for (std::int32_t w : g.neighbours(v)) {
          if (v < w) edges.push_back({v, w});
        }
      }
      methodRunner.runOnEdges(g.order(), edges, quiet);
      methodMs = std::chrono::duration<double, std::milli>(Clock::now() - t1).count();
    }
    worst = std::max(worst, exactMs);
    sum += exactMs;
    if (frontierOnly) {
      std::printf("%ld\t%d\t%s%s\t%.3f\twidth=%d states=%lld\n", index, g.order(),
                  std::string(exactName(r.answer)).c_str(), ok ? "" : "(CYCLE FAILED CHECK)", exactMs, frontier.width(),
                  static_cast<long long>(frontier.states()));
      continue;
    }
    std::printf("%ld\t%d\t%s%s\t%.3f\t%.3f\tnodes=%lld pieces=%d rounds=%d decisions=%d rotations=%d frontier=%d/%lld\n",
                index, g.order(), std::string(exactName(r.answer)).c_str(), ok ? "" : "(CYCLE FAILED CHECK)", exactMs,
                methodMs, static_cast<long long>(solver.stats().backtrackNodes), solver.stats().cutsSplit,
                solver.stats().reductionRounds, solver.stats().pieceDecisions, solver.stats().rotationCycles,
                solver.stats().frontierRuns,
                static_cast<long long>(solver.stats().frontierStates));
  }
  std::printf("# %ld graphs, exact total %.3f ms, worst %.3f ms\n", index, sum, worst);
  return 0;
}
