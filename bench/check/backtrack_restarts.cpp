// bicubic-check-restarts: the backtracking search's node and time distribution with and without
// restarts, on the search alone (no cut splitting, no frontier programme).
//   bicubic-check-restarts g6 [BASE] < graphs.g6     one run each way per graph, summary at end
//   bicubic-check-restarts random N GRAPHS ORDERS SECONDS [REMOVE [BASE]]
//       GRAPHS random connected cubic bipartite graphs of N vertices (REMOVE edges between
//       degree-3 vertices deleted: subcubic), each searched in ORDERS shuffled vertex orders;
//       a run past SECONDS counts as unfinished.
// Prints per run: graph, order, mode, answer, nodes, restarts, ms; then median and max per mode.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "exact/backtrack.h"
#include "families/families.h"
#include "check/formats.h"
#include "check/report.h"

using namespace bicubic::check;
using namespace bicubic::exact;
using Clock = std::chrono::steady_clock;

namespace {

struct Sample {
  double ms;
  std::int64_t nodes;
  bool finished;
};

struct RunTally {
  std::vector<Sample> runs;
  std::int64_t restarted = 0;
  void print(const char* mode) {
    if (runs.empty()) return;
    std::vector<double> ms;
    std::vector<std::int64_t> nodes;
    std::int64_t unfinished = 0;
    double total = 0;
    for (const Sample& s : runs) {
      ms.push_back(s.ms);
      nodes.push_back(s.nodes);
      total += s.ms;
      unfinished += s.finished ? 0 : 1;
    }
    std::sort(ms.begin(), ms.end());
    std::sort(nodes.begin(), nodes.end());
    const std::size_t mid = ms.size() / 2;
    std::printf("# %s: runs %zu, unfinished %lld, restarted %lld, nodes median %lld max %lld, ms median %.2f max %.2f total %.1f\n",
                mode, runs.size(), static_cast<long long>(unfinished), static_cast<long long>(restarted),
                static_cast<long long>(nodes[mid]), static_cast<long long>(nodes.back()), ms[mid], ms.back(), total);
  }
};

void measure(const SimpleGraph& g, long graph, long order, std::int64_t base, double seconds, RunTally& tally,
             Backtracker& backtracker) {
  Backtracker::Options options;
  options.restartBase = base;
  std::vector<std::int32_t> cycle;
  const auto t0 = Clock::now();
  const Answer answer = backtracker.run(g, seconds > 0 ? Deadline::after(seconds) : Deadline(), cycle, options);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  const bool ok = answer != Answer::Hamiltonian || isHamiltonianCycle(g, cycle);
  tally.runs.push_back({ms, backtracker.nodes(), answer != Answer::Unknown});
  tally.restarted += backtracker.restarts() > 0 ? 1 : 0;
  std::printf("%ld\t%ld\t%s\t%s%s\t%lld\t%d\t%.2f\n", graph, order, base > 0 ? "restarts" : "single",
              std::string(exactName(answer)).c_str(), ok ? "" : "(CYCLE FAILED CHECK)",
              static_cast<long long>(backtracker.nodes()), backtracker.restarts(), ms);
}

// Deletes `count` random edges whose ends both have degree 3, so each leaves two degree-2 vertices.
SimpleGraph removeEdges(const SimpleGraph& g, std::int32_t count, Rng& rng) {
  std::vector<std::pair<std::int32_t, std::int32_t>> edges;
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w) edges.emplace_back(v, w);
    }
  }
  std::vector<std::int32_t> degree(static_cast<std::size_t>(g.order()), 3);
  std::vector<char> drop(edges.size(), 0);
  for (std::int32_t removed = 0, tries = 0; removed < count && tries < 1000; ++tries) {
    const std::size_t k = rng.below(static_cast<std::uint32_t>(edges.size()));
    auto [u, v] = edges[k];
    if (drop[k] || degree[static_cast<std::size_t>(u)] < 3 || degree[static_cast<std::size_t>(v)] < 3) continue;
    drop[k] = 1;
    --degree[static_cast<std::size_t>(u)];
    --degree[static_cast<std::size_t>(v)];
    ++removed;
  }
  SimpleGraph out(g.order());
  for (std::size_t k = 0; k < edges.size(); ++k) {
    if (!drop[k]) out.addNewEdge(edges[k].first, edges[k].second);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  Backtracker backtracker;
  RunTally single, restarted;
  if (mode == "g6") {
    const std::int64_t base = argc > 2 ? std::atoll(argv[2]) : Backtracker::kDefaultRestartBase;
    SimpleGraph g;
    std::string line, error;
    long index = 0;
    while (std::getline(std::cin, line)) {
      if (line.starts_with(">>graph6<<")) line.erase(0, 10);
      if (line.empty()) continue;
      if (!decodeGraph6(line, g, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
      }
      ++index;
      measure(g, index, 0, 0, 0, single, backtracker);
      measure(g, index, 0, base, 0, restarted, backtracker);
    }
  } else if (mode == "random" && argc >= 6) {
    const long n = std::atol(argv[2]);
    const long graphs = std::atol(argv[3]);
    const long orders = std::atol(argv[4]);
    const double seconds = std::atof(argv[5]);
    const auto remove = static_cast<std::int32_t>(argc > 6 ? std::atol(argv[6]) : 0);
    const std::int64_t restartBase = argc > 7 ? std::atoll(argv[7]) : Backtracker::kDefaultRestartBase;
    Rng rng(static_cast<std::uint64_t>(n * 1000 + remove));
    for (long i = 1; i <= graphs; ++i) {
      const SimpleGraph base = removeEdges(randomCubicBipartite(static_cast<std::int32_t>(n / 2), rng), remove, rng);
      for (long k = 1; k <= orders; ++k) {
        const SimpleGraph g = shuffled(base, rng);
        measure(g, i, k, 0, seconds, single, backtracker);
        measure(g, i, k, restartBase, seconds, restarted, backtracker);
      }
    }
  } else {
    std::fputs("usage: bicubic-check-restarts g6 [BASE] < graphs.g6 | random N GRAPHS ORDERS SECONDS [REMOVE [BASE]]\n", stderr);
    return 2;
  }
  single.print("single");
  restarted.print("restarts");
  return 0;
}
