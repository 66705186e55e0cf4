// bicubic-check-timing: times the exact search alone (and, separately, the method) on graph6
// lines, so that the benchmark figures can split the two costs.
//   bicubic-check-timing [--no-method | --frontier-only] [FILE ...]
// FILE may be gzip-compressed; none, or "-", reads standard input. --frontier-only times the
// frontier programme alone (no cut splitting, no backtracking).
// Prints per graph: index, n, exact answer, exact ms (search + certificate check), method ms,
// then what the search used (pieces decided by the cut reduction, its rounds and decider calls;
// frontier=graphs decided by the frontier programme/its states).
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "check/app.h"
#include "exact/exact.h"
#include "check/formats.h"
#include "exact/frontier.h"
#include "check/input_stream.h"
#include "check/report.h"

using namespace bicubic::check;
using namespace bicubic::exact;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kExitOk = 0;
constexpr int kExitReadError = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    "usage: bicubic-check-timing [--no-method | --frontier-only] [--time-limit SECONDS] [FILE ...]\n"
    "Times bicubic-check's exact search (with the certificate check) on each graph6 graph of the\n"
    "FILEs (gzip allowed; none or - reads standard input), one line per graph:\n"
    "  index  n  answer  exact-ms  method-ms  nodes= pieces= rounds= decisions= rotations=\n"
    "  frontier=RUNS/STATES four=REPLACED/KEPT core=ORDER\n"
    "  --no-method      do not run the method (method-ms is 0)\n"
    "  --frontier-only  run the frontier programme alone: index  n  answer  ms  width= states=\n"
    "The last line gives the number of graphs, the total and the worst exact ms.\n";

struct TimingOptions {
  bool method = true;
  bool frontierOnly = false;
  double timeLimit = 1e18;  // seconds per graph
  std::vector<std::string> files;
};

// Times one graph; returns its exact-search milliseconds.
double timeGraph(const SimpleGraph& g, long index, const TimingOptions& options, ExactSolver& solver,
                 FrontierSearch& frontier, bicubic::MethodRunner& methodRunner,
                 std::vector<bicubic::MethodRunner::Edge>& edges) {
  const auto t0 = Clock::now();
  ExactResult r;
  if (options.frontierOnly) {
    r.answer = frontier.run(g, Deadline(), r.cycle);
  } else {
    r = solver.solve(g, Deadline::after(options.timeLimit));
  }
  const bool ok = r.answer != Answer::Hamiltonian || isHamiltonianCycle(g, r.cycle);
  const double exactMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  const std::string answer = std::string(exactName(r.answer)) + (ok ? "" : "(CYCLE FAILED CHECK)");
  if (options.frontierOnly) {
    std::printf("%ld\t%d\t%s\t%.3f\twidth=%d states=%lld\n", index, g.order(), answer.c_str(), exactMs,
                frontier.width(), static_cast<long long>(frontier.states()));
    return exactMs;
  }
  double methodMs = 0;
  if (options.method) {
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
  std::printf("%ld\t%d\t%s\t%.3f\t%.3f\tnodes=%lld pieces=%d rounds=%d decisions=%d rotations=%d frontier=%d/%lld "
              "four=%d/%d core=%d\n",
              index, g.order(), answer.c_str(), exactMs, methodMs,
              static_cast<long long>(solver.stats().backtrackNodes), solver.stats().cutsSplit,
              solver.stats().reductionRounds, solver.stats().pieceDecisions, solver.stats().rotationCycles,
              solver.stats().frontierRuns, static_cast<long long>(solver.stats().frontierStates),
              solver.stats().fourCutPiecesReplaced, solver.stats().fourCutPiecesKept, solver.stats().coreOrder);
  return exactMs;
}

}  // namespace

int main(int argc, char** argv) {
  TimingOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    }
    if (arg == "--no-method") {
      options.method = false;
    } else if (arg == "--frontier-only") {
      options.frontierOnly = true;
    } else if (arg == "--time-limit" && i + 1 < argc) {
      options.timeLimit = std::strtod(argv[++i], nullptr);
    } else if (arg.size() > 1 && arg[0] == '-') {
      std::fprintf(stderr, "bicubic-check-timing: unknown option %s\n%s", arg.c_str(), kUsage);
      return kExitUsage;
    } else {
      options.files.push_back(arg);
    }
  }
  if (options.files.empty()) options.files.push_back("-");
  FrontierSearch frontier;
  ExactSolver solver;
  bicubic::MethodRunner methodRunner;
  std::vector<bicubic::MethodRunner::Edge> edges;
  SimpleGraph g;
  std::string line, error;
  double worst = 0, sum = 0;
  long index = 0;
  for (const std::string& file : options.files) {
    InputStream input;
    if (!input.open(file, error)) {
      std::fprintf(stderr, "bicubic-check-timing: %s: %s\n", file.c_str(), error.c_str());
      return kExitReadError;
    }
    while (input.readLine(line)) {
      if (line.starts_with(">>graph6<<")) line.erase(0, 10);
      if (line.empty()) continue;
      if (!decodeGraph6(line, g, error)) {
        std::fprintf(stderr, "bicubic-check-timing: %s: %s\n", file.c_str(), error.c_str());
        return kExitReadError;
      }
      const double exactMs = timeGraph(g, ++index, options, solver, frontier, methodRunner, edges);
      worst = std::max(worst, exactMs);
      sum += exactMs;
    }
    if (input.failed()) {
      std::fprintf(stderr, "bicubic-check-timing: %s: %s\n", file.c_str(), input.error().c_str());
      return kExitReadError;
    }
  }
  std::printf("# %ld graphs, exact total %.3f ms, worst %.3f ms\n", index, sum, worst);
  return kExitOk;
}
