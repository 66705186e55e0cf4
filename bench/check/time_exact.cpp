// bicubic-check-timing: times the exact search alone (and, separately, the method) on graph6
// lines from standard input, so that the benchmark figures can split the two costs.
//   bicubic-check-timing [--no-method] < graphs.g6
// Prints per graph: index, n, exact answer, exact ms (search + certificate check), method ms.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "check/app.h"
#include "check/exact.h"
#include "check/formats.h"
#include "check/report.h"

using namespace bicubic::check;
using Clock = std::chrono::steady_clock;

int main(int argc, char** argv) {
  const bool method = !(argc > 1 && std::string(argv[1]) == "--no-method");
  ExactSolver solver;
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
    ExactResult r = solver.solve(g, Deadline());
    const bool ok = r.answer != Answer::Hamiltonian || isHamiltonianCycle(g, r.cycle);
    const double exactMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    double methodMs = 0;
    if (method) {
      const auto t1 = Clock::now();
      methodVerdict(g);
      methodMs = std::chrono::duration<double, std::milli>(Clock::now() - t1).count();
    }
    worst = std::max(worst, exactMs);
    sum += exactMs;
    std::printf("%ld\t%d\t%s%s\t%.3f\t%.3f\tnodes=%lld cuts=%d rotations=%d\n", index, g.order(),
                std::string(exactName(r.answer)).c_str(), ok ? "" : "(CYCLE FAILED CHECK)", exactMs, methodMs,
                static_cast<long long>(solver.stats().backtrackNodes), solver.stats().cutsSplit,
                solver.stats().rotationCycles);
  }
  std::printf("# %ld graphs, exact total %.3f ms, worst %.3f ms\n", index, sum, worst);
  return 0;
}
