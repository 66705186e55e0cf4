// time-frontier: times the frontier dynamic programme alone on the piece classes it is meant
// for: random cubic bipartite graphs (all, and those without 2- or nontrivial 3-edge cuts),
// graph6 files named on the command line, flower snarks and a chain of nested Ellingham-Horton
// graphs built from the first file's first graph.
//   time-frontier [--quick] [--graph6] [file.g6 ...]
// --graph6 prints the graphs (graph6 lines) instead of timing them, to time other builds on.
// Prints per graph: class, n, width and states along the plain greedy order (as the programme
// used to plan it), width of the planned order, the planning time, states, median wall-clock
// and CPU ms of three runs (planning included) and the answer. On a shared machine the CPU
// time is the steadier figure.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "exact/cuts.h"
#include "families/families.h"
#include "check/formats.h"
#include "exact/frontier.h"
#include "exact/index.h"
#include "check/report.h"
#include "exact/vertex_order.h"

using namespace bicubic::check;
using namespace bicubic::exact;
using Clock = std::chrono::steady_clock;

namespace {

double msSince(Clock::time_point t0) { return std::chrono::duration<double, std::milli>(Clock::now() - t0).count(); }

double cpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

bool printGraphs = false;

void timeOne(const std::string& what, const SimpleGraph& g) {
  if (printGraphs) {
    std::printf("%s\n", encodeGraph6(g).c_str());
    return;
  }
  FrontierSearch dp;
  const VertexOrder greedy = greedyVertexOrder(g, FrontierSearch::Options().order.greedyStarts);
  std::vector<std::int32_t> cycle;
  const Answer greedyAnswer = dp.run(g, greedy.order, Deadline::after(60), cycle);
  const std::string greedyStates =
      std::string(greedyAnswer == Answer::Unknown ? ">" : "").append(std::to_string(dp.states()));
  auto t0 = Clock::now();
  const std::int32_t width = dp.planOrder(g).width;
  const double planMs = msSince(t0);
  std::vector<double> ms, cpu;
  Answer answer = Answer::Unknown;
  bool ok = true;
  for (int r = 0; r < 3; ++r) {
    t0 = Clock::now();
    const double c0 = cpuMs();
    answer = dp.run(g, Deadline::after(60), cycle);
    ms.push_back(msSince(t0));
    cpu.push_back(cpuMs() - c0);
    ok = ok && (answer != Answer::Hamiltonian || isHamiltonianCycle(g, cycle));
    if (ms.back() > 20'000) break;  // one slow run says enough
  }
  std::sort(ms.begin(), ms.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf("%-22s n=%-5d greedy: width=%-3d states=%-9s planned: width=%-3d plan=%.2fms states=%-9lld "
              "ms=%.2f cpu-ms=%.2f %s%s\n",
              what.c_str(), g.order(), greedy.width, greedyStates.c_str(), width, planMs,
              static_cast<long long>(dp.states()), ms[ms.size() / 2], cpu[cpu.size() / 2],
              std::string(exactName(answer)).c_str(), ok ? "" : " (CYCLE FAILED CHECK)");
  std::fflush(stdout);
}

bool cyclicallyFourConnected(const SimpleGraph& g) {
  CutSearch everyCut;
  everyCut.minSide = 2;
  return findSmallCuts(g, everyCut, 1, Deadline()).empty();
}

// Two adjacent vertices of g as far as possible from the edge a-b (by breadth-first distance).
std::pair<std::int32_t, std::int32_t> farEdge(const SimpleGraph& g, std::int32_t a, std::int32_t b) {
  std::vector<std::int32_t> dist(at(g.order()), -1), queue{a, b};
  dist[at(a)] = dist[at(b)] = 0;
  for (std::size_t i = 0; i < queue.size(); ++i) {
    for (std::int32_t w : g.neighbours(queue[i])) {
      if (dist[at(w)] < 0) {
        dist[at(w)] = dist[at(queue[i])] + 1;
        queue.push_back(w);
      }
    }
  }
  const std::int32_t x = queue.back();
  return {x, g.neighbours(x)[0]};
}

// g with the adjacent vertices u, v replaced by a copy of base minus its adjacent x, y; the
// four loose ends of each side are joined colour to opposite colour. `far` is an edge of base
// away from x-y; it comes back renamed to the copy's vertex numbers.
SimpleGraph replaceEdge(const SimpleGraph& g, std::int32_t u, std::int32_t v, const SimpleGraph& base, std::int32_t x,
                        std::int32_t y, std::pair<std::int32_t, std::int32_t>& far) {
  std::vector<std::int32_t> mapG(at(g.order()), -1), mapB(at(base.order()), -1);
  std::int32_t n = 0;
  for (std::int32_t w = 0; w < g.order(); ++w) {
    if (w != u && w != v) mapG[at(w)] = n++;
  }
  for (std::int32_t w = 0; w < base.order(); ++w) {
    if (w != x && w != y) mapB[at(w)] = n++;
  }
  SimpleGraph h(n);
  auto copyEdges = [&](const SimpleGraph& src, const std::vector<std::int32_t>& map) {
    for (std::int32_t w = 0; w < src.order(); ++w) {
      for (std::int32_t z : src.neighbours(w)) {
        if (w < z && map[at(w)] >= 0 && map[at(z)] >= 0) h.addEdge(map[at(w)], map[at(z)]);
      }
    }
  };
  copyEdges(g, mapG);
  copyEdges(base, mapB);
  auto others = [](const SimpleGraph& src, std::int32_t w, std::int32_t skip) {
    std::vector<std::int32_t> r;
    for (std::int32_t z : src.neighbours(w)) {
      if (z != skip) r.push_back(z);
    }
    return r;
  };
  // u's other neighbours have y's colour side opposite to x's other neighbours' partners.
  const auto nu = others(g, u, v), nv = others(g, v, u), nx = others(base, x, y), ny = others(base, y, x);
  for (std::size_t i = 0; i < 2; ++i) {
    h.addEdge(mapG[at(nu[i])], mapB[at(ny[i])]);
    h.addEdge(mapG[at(nv[i])], mapB[at(nx[i])]);
  }
  far = {mapB[at(far.first)], mapB[at(far.second)]};
  return h;
}

}  // namespace

int main(int argc, char** argv) {
  bool quick = false;
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--quick") {
      quick = true;
    } else if (arg == "--graph6") {
      printGraphs = true;
    } else {
      files.push_back(arg);
    }
  }
  Rng rng(2026);
  const std::vector<std::int32_t> sizes = quick ? std::vector<std::int32_t>{60, 100} : std::vector<std::int32_t>{60, 100, 150, 200};
  for (std::int32_t n : sizes) {
    for (int t = 0; t < 3; ++t) {
      SimpleGraph g = randomCubicBipartite(n / 2, rng);
      timeOne("random-cubic-bip", g);
      for (int tries = 0; tries < 50 && !cyclicallyFourConnected(g); ++tries) g = randomCubicBipartite(n / 2, rng);
      timeOne("random-cyc4-bip", g);
    }
  }
  SimpleGraph first;
  for (const std::string& file : files) {
    std::ifstream in(file);
    std::string line, error;
    SimpleGraph g;
    while (std::getline(in, line)) {
      if (line.empty() || !decodeGraph6(line, g, error)) continue;
      if (first.order() == 0) first = g;
      timeOne(file.substr(file.find_last_of('/') + 1), g);
    }
  }
  for (std::int32_t k : quick ? std::vector<std::int32_t>{25, 51} : std::vector<std::int32_t>{25, 51, 101, 151}) {
    timeOne("flower-snark-J" + std::to_string(k), flowerSnark(k));
  }
  if (first.order() == 0) return 0;
  // The nested chain: each step replaces an edge of the last copy, far from where that copy
  // was joined, by a new copy of the first graph minus an edge's two ends.
  const std::int32_t x = 0, y = first.neighbours(0)[0];
  const auto far = farEdge(first, x, y);
  SimpleGraph chain = first;
  std::pair<std::int32_t, std::int32_t> next = far;
  while (chain.order() < (quick ? 300 : 1100)) {
    const auto [u, v] = next;
    next = far;
    chain = replaceEdge(chain, u, v, first, x, y, next);
    const std::int32_t n = chain.order();
    if (n == 104 || n == 204 || n == 504 || n == 1004) timeOne("nested-EH-chain", chain);
  }
  return 0;
}
