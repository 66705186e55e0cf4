// Times the assignment solver alone, and the Hamiltonian decision stage alone, on graphs built in
// memory (no file reading, no printing: every sink discards). The graphs are the ones make_graph
// writes for the same shape, size and seed, so these numbers line up with whole-run timings.
//
//   solver_benchmark [--matrix_file=PATH ...] [--graph6_file=PATH ...] [Google Benchmark flags]
//
// Each --matrix_file adds a benchmark that solves the matrix read from that file, which gives the
// solver's share of a whole run on exactly the file the run used. Each --graph6_file adds one
// that runs the verdict-only path (what bicubic-check pays per graph for the method) over every
// graph of that file, e.g. nauty-genbg -c -d3:3 -D3:3 12 12 (one order, below 63 vertices).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "assignment/assignment.h"
#include "bipartite/balance.h"
#include "bipartite/half_graph.h"
#include "driver/method.h"
#include "graph/graph.h"
#include "graph/output_sink.h"
#include "graph_gen.h"
#include "hamilton/decision.h"

namespace {

constexpr std::uint64_t kSeed = 1;

bicubic::Graph cubicGraph(std::int32_t n) {
  bicubic::Graph graph(n);
  const benchgen::CubicNeighbours neighbours = benchgen::cubicBipartite(n, kSeed);
  for (std::int32_t v = 0; v < n; ++v) {
    for (std::int32_t w : neighbours[static_cast<std::size_t>(v)]) graph.setEdge(v, w, 1);
  }
  // Colours and status as the pipeline leaves them before it calls the solver.
  if (!bicubic::checkBalance(graph)) std::fputs("solver_benchmark: generated graph failed the balance test\n", stderr);
  return graph;
}

bicubic::Graph denseGraph(std::int32_t n) {
  bicubic::Graph graph(n);
  graph.adjacency_matrix = benchgen::denseMatrix(n, kSeed);
  return graph;
}

// Runs the solver once per iteration; the matrix is restored (untimed) before each run so that a
// solver that works in place still sees the original every time.
void solveRepeatedly(benchmark::State& state, bicubic::Graph& graph) {
  const std::vector<std::int32_t> original = graph.adjacency_matrix;
  bicubic::OutputSink sink = bicubic::OutputSink::discarding();
  for (auto _ : state) {
    state.PauseTiming();
    graph.adjacency_matrix = original;
    state.ResumeTiming();
    bicubic::solveAssignment(graph, "max", sink);
    benchmark::DoNotOptimize(graph.pairs.data());
    benchmark::ClobberMemory();
  }
  state.counters["n"] = graph.nCities;
}

void BM_SolveCubic(benchmark::State& state) {
  bicubic::Graph graph = cubicGraph(static_cast<std::int32_t>(state.range(0)));
  solveRepeatedly(state, graph);
}

void BM_SolveDense(benchmark::State& state) {
  bicubic::Graph graph = denseGraph(static_cast<std::int32_t>(state.range(0)));
  solveRepeatedly(state, graph);
}

// The decision stage as the pipeline runs it on the half graph of a cubic graph of n vertices:
// its own solve of the m x m half matrix, the walks and the power test. The half graph is rebuilt
// (untimed) for each iteration because the decision clears its matched entries.
void BM_DecideCubic(benchmark::State& state) {
  bicubic::Graph graph = cubicGraph(static_cast<std::int32_t>(state.range(0)));
  bicubic::OutputSink sink = bicubic::OutputSink::discarding();
  bicubic::HamiltonVerdict verdict = bicubic::HamiltonVerdict::NotH;
  for (auto _ : state) {
    state.PauseTiming();
    std::unique_ptr<bicubic::HalfGraph> half = bicubic::buildHalfGraph(graph, sink);
    half->setParentStatus(graph.getStatus());
    state.ResumeTiming();
    verdict = bicubic::decideHamiltonian(*half, sink);
    benchmark::DoNotOptimize(verdict);
    state.PauseTiming();
    half.reset();  // freeing the half graph is not part of the decision
    state.ResumeTiming();
  }
  state.counters["n"] = graph.nCities;
  state.counters["verdict"] = static_cast<double>(static_cast<int>(verdict));
}

using EdgeList = std::vector<bicubic::MethodRunner::Edge>;

// The verdict-only path bicubic-check calls once per graph: a stream of different graphs of one
// order through one MethodRunner, as a nauty family goes through it. Time per graph.
void verdictRepeatedly(benchmark::State& state, std::int32_t n, const std::vector<EdgeList>& graphs) {
  bicubic::MethodRunner runner;
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(runner.verdictOnEdges(n, graphs[next]));
    next = next + 1 == graphs.size() ? 0 : next + 1;
  }
  state.counters["n"] = n;
}

void BM_VerdictOnEdges(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  std::vector<EdgeList> graphs(1000);
  for (std::size_t g = 0; g < graphs.size(); ++g) {
    const benchgen::CubicNeighbours neighbours = benchgen::cubicBipartite(n, kSeed + g);
    for (std::int32_t v = 0; v < n; ++v) {
      for (std::int32_t w : neighbours[static_cast<std::size_t>(v)]) {
        if (v < w) graphs[g].push_back({v, w});
      }
    }
  }
  verdictRepeatedly(state, n, graphs);
}

// The graphs of a graph6 file whose graphs all have one order below 63 (a nauty family).
bool readGraph6(const std::string& path, std::int32_t& order, std::vector<EdgeList>& graphs) {
  std::ifstream in(path);
  std::string line;
  order = -1;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] < 63 || line[0] > 125) return false;
    const std::int32_t n = line[0] - 63;
    if (order >= 0 && n != order) return false;
    order = n;
    EdgeList edges;
    std::size_t bit = 0;  // the upper triangle column by column, six bits a byte
    for (std::int32_t v = 1; v < n; ++v) {
      for (std::int32_t u = 0; u < v; ++u, ++bit) {
        const std::size_t at = 1 + bit / 6;
        if (at >= line.size()) return false;
        if (((line[at] - 63) >> (5 - bit % 6)) & 1) edges.push_back({u, v});
      }
    }
    graphs.push_back(std::move(edges));
  }
  return order > 0;
}

void BM_VerdictFile(benchmark::State& state, const std::string& path) {
  std::int32_t n = 0;
  std::vector<EdgeList> graphs;
  if (!readGraph6(path, n, graphs)) {
    state.SkipWithError(("cannot read " + path + " as graph6 graphs of one order below 63").c_str());
    for (auto _ : state) {
    }
    return;
  }
  verdictRepeatedly(state, n, graphs);
}

void BM_SolveFile(benchmark::State& state, const std::string& path) {
  bicubic::Graph graph;
  bicubic::OutputSink sink;  // keeps the reader's message in case the file is unusable
  if (!graph.readGraph(path.c_str(), sink)) {
    state.SkipWithError(("cannot read " + path + ": " + sink.captured()).c_str());
    for (auto _ : state) {
    }
    return;
  }
  solveRepeatedly(state, graph);
}

}  // namespace

BENCHMARK(BM_SolveCubic)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4998)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SolveDense)->Arg(200)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_DecideCubic)->Arg(500)->Arg(1000)->Arg(2000)->Arg(4998)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_VerdictOnEdges)->Arg(24)->Arg(60)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
  // Take out our own flag before Google Benchmark sees the rest.
  constexpr std::string_view kFileFlag = "--matrix_file=";
  constexpr std::string_view kGraph6Flag = "--graph6_file=";
  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    const std::string_view argument(argv[i]);
    if (i > 0 && argument.substr(0, kFileFlag.size()) == kFileFlag) {
      const std::string path(argument.substr(kFileFlag.size()));
      const std::string name = "BM_SolveFile/" + path.substr(path.find_last_of('/') + 1);
      benchmark::RegisterBenchmark(name.c_str(), BM_SolveFile, path)->Unit(benchmark::kMillisecond)->UseRealTime();
    } else if (i > 0 && argument.substr(0, kGraph6Flag.size()) == kGraph6Flag) {
      const std::string path(argument.substr(kGraph6Flag.size()));
      const std::string name = "BM_VerdictFile/" + path.substr(path.find_last_of('/') + 1);
      benchmark::RegisterBenchmark(name.c_str(), BM_VerdictFile, path)->Unit(benchmark::kMicrosecond);
    } else {
      rest.push_back(argv[i]);
    }
  }
  int restCount = static_cast<int>(rest.size());
  rest.push_back(nullptr);
  benchmark::Initialize(&restCount, rest.data());
  if (benchmark::ReportUnrecognizedArguments(restCount, rest.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
