// Scarce memory: the executable runs under `ulimit -v` so small that one buffer or another cannot
// be had, and must then print that buffer's line and end with status 0, never with a signal and
// never with a verdict that the missing buffer could have changed.
//
// The limits are not fixed numbers: what the loader, the C library and the tool's earlier
// buffers take differs between builds, so each test searches (doubling, then bisection) for the
// smallest limit at which the run gets past a given point and checks the output there, where
// exactly the next buffer is the first one that cannot be had. The search relies on more memory
// never letting a run stop earlier. The found limits are printed, for the record.
#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "robustness/graph_text.h"
#include "support/tool_text.h"
#include "support/test_support.h"

#if defined(__SANITIZE_ADDRESS__)
#define BICUBIC_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BICUBIC_ASAN 1
#endif
#endif

namespace bicubic::testing {
namespace {

const std::string kOutOfMemoryLine = "\nnot enough memory to finish the tests\n";

// With every allocation its own mapping, the address space grows by exactly each buffer's size,
// so there is a limit at which the matrix fits and the few KB of labels do not. Without it the
// small buffers come out of heap slack and are never the first to fail.
const std::string kExactAccounting = "export GLIBC_TUNABLES=glibc.malloc.mmap_threshold=0; ";

// How far a run got, in the order the buffers are allocated.
enum Stage {
  kNotStarted,        // the loader could not map the program: no output of ours
  kNoOutputBuffer,    // "not enough memory to run" before the banner
  kMatrixFailed,      // the banner, then the adjacency_matrix line
  kLabelsFailed,      // ... the vertex labels line
  kPathFailed,        // ... the path line
  kPipelineNoMemory,  // the graph was read, a working buffer of the tests was not had
  kFinished,          // no buffer failed
};

const char* nameOf(Stage stage) {
  static const char* const names[] = {"not started", "no output buffer", "adjacency_matrix", "vertex labels",
                                      "path", "tests out of memory", "finished"};
  return names[stage];
}

Stage stageOf(const RunResult& run) {
  const std::string& out = run.out;
  auto has = [&](const std::string& text) { return out.find(text) != std::string::npos; };
  if (out.empty()) return kNotStarted;
  if (out.rfind(kBanner, 0) != 0) return kNoOutputBuffer;
  if (has("malloc for adjacency_matrix failed")) return kMatrixFailed;
  if (has("malloc for vertex labels failed")) return kLabelsFailed;
  if (has("malloc for path failed")) return kPathFailed;
  if (has(kOutOfMemoryLine)) return kPipelineNoMemory;
  return kFinished;
}

// Too small for anything to start, and as good as no limit.
constexpr std::int64_t kNothingStarts = 512;
constexpr std::int64_t kNoLimit = std::int64_t{16} << 20;

class LimitedRuns {
 public:
  LimitedRuns(std::string path, std::string environment)
      : path_(std::move(path)), environment_(std::move(environment)) {}

  RunResult run(std::int64_t kib) const {
    return runExecutable({path_}, environment_ + "ulimit -v " + std::to_string(kib) + ";");
  }

  // The smallest limit above `below` whose run reaches `stage`; `below` must not reach it. The
  // bracket is found by doubling from below, so that the expensive runs with much memory (the
  // whole pipeline) are rarely made.
  std::int64_t smallestReaching(Stage stage, std::int64_t below) const {
    std::int64_t atOrAbove = below;
    do {
      below = atOrAbove;
      atOrAbove = std::min(2 * atOrAbove, kNoLimit);
    } while (stageOf(run(atOrAbove)) < stage && atOrAbove < kNoLimit);
    while (atOrAbove - below > 1) {
      const std::int64_t middle = below + (atOrAbove - below) / 2;
      (stageOf(run(middle)) >= stage ? atOrAbove : below) = middle;
    }
    return atOrAbove;
  }

 private:
  std::string path_;
  std::string environment_;
};

// The prism over a k-cycle, k even: cubic, bipartite and balanced, so every test runs, and its
// decision needs the matrix powers (its first walk does not cover the half graph).
std::string prismText(std::int32_t k) {
  std::vector<std::pair<std::int32_t, std::int32_t>> edges;
  for (std::int32_t i = 0; i < k; ++i) {
    edges.emplace_back(i, (i + 1) % k);
    edges.emplace_back(k + i, k + (i + 1) % k);
    edges.emplace_back(i, k + i);
  }
  return graphTextFromEdges(2 * k, edges);
}

bool skippedUnderSanitizer() {
#ifdef BICUBIC_ASAN
  return true;
#else
  return false;
#endif
}

// The verdict line of a run, or "" when it printed none.
std::string verdictOf(const std::string& output) {
  for (const char* verdict : {"\nBicubic is H\n", "\nSince it is not Bicubic , so it may be H \n", "\nGraph is not H\n",
                              "Graph is not bipartite, stop determining\n",
                              "Graph is bipartite but it has no Hamiltonian cycle\n",
                              "Graph is not connected, so it has no Hamiltonian cycle\n"}) {
    if (output.find(verdict) != std::string::npos) return verdict;
  }
  return "";
}

TEST(MemoryLimit, EachReadingBufferReportsItsOwnFailure) {
  if (skippedUnderSanitizer()) GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space";
  const std::string path = writeScratchFile("prism600", prismText(300));
  const LimitedRuns runs(path, kExactAccounting);
  ASSERT_EQ(stageOf(runs.run(kNoLimit)), kFinished) << runs.run(kNoLimit).out;
  ASSERT_EQ(stageOf(runs.run(kNothingStarts)), kNotStarted);

  struct Expectation {
    Stage stage;
    std::string output;
  };
  const std::vector<Expectation> expectations = {
      {kNoOutputBuffer, "\nnot enough memory to run\n"},
      {kMatrixFailed, kBanner + "malloc for adjacency_matrix failed \n" + kNotRead},
      {kLabelsFailed, kBanner + "malloc for vertex labels failed \n" + kNotRead},
      {kPathFailed, kBanner + "graph " + path + " input finish \nmalloc for path failed\n" + kNotRead},
  };
  std::int64_t below = kNothingStarts;
  for (const Expectation& expected : expectations) {
    const std::int64_t limit = runs.smallestReaching(expected.stage, below);
    const RunResult run = runs.run(limit);
    std::cout << "ulimit -v " << limit << ": " << nameOf(stageOf(run)) << "\n";
    EXPECT_EQ(run.status, 0) << "at ulimit -v " << limit;
    EXPECT_EQ(run.out, expected.output) << "at ulimit -v " << limit;
    below = limit;
  }

  // Just enough to read the graph: a buffer of the tests is the first that cannot be had. The
  // run stops with its line and the tick line, and prints no verdict.
  const std::int64_t limit = runs.smallestReaching(kPipelineNoMemory, below);
  const RunResult run = runs.run(limit);
  std::cout << "ulimit -v " << limit << ": " << nameOf(stageOf(run)) << "\n";
  EXPECT_EQ(run.status, 0);
  const std::string output = maskTicks(run.out);
  const std::string start = kBanner + "graph " + path + " input finish \n";
  const std::string end = kOutOfMemoryLine + "total ticks  is <ticks>\n";
  EXPECT_EQ(output.substr(0, start.size()), start) << output;
  ASSERT_GE(output.size(), end.size());
  EXPECT_EQ(output.substr(output.size() - end.size()), end) << output;
  EXPECT_EQ(verdictOf(output), "") << output;
}

// Between the smallest limit that reads the graph and the smallest that lets every test finish,
// each run stops at some working buffer of the tests (the assignment's, the half graph's, the
// decision's). Wherever that is, the run ends with exit status 0, the out-of-memory line and the
// tick line, and it never prints a verdict other than the one it gives with memory enough.
TEST(MemoryLimit, NoVerdictIsGuessedWhileTheTestsRunShort) {
  if (skippedUnderSanitizer()) GTEST_SKIP() << "AddressSanitizer reserves terabytes of address space";
  const std::string path = writeScratchFile("prism1000", prismText(500));
  const std::string unlimitedVerdict = verdictOf(runExecutable({path}).out);
  ASSERT_EQ(unlimitedVerdict, "\nBicubic is H\n");

  const LimitedRuns runs(path, "");
  const std::int64_t readLimit = runs.smallestReaching(kPipelineNoMemory, kNothingStarts);
  const std::int64_t finishLimit = runs.smallestReaching(kFinished, readLimit);
  std::cout << "tests short of memory from ulimit -v " << readLimit << " to " << finishLimit - 1 << "\n";
  constexpr std::int64_t kSteps = 24;
  const std::int64_t step = std::max<std::int64_t>(1, (finishLimit - readLimit) / kSteps);
  for (std::int64_t limit = readLimit; limit < finishLimit; limit += step) {
    const RunResult run = runs.run(limit);
    const std::string output = maskTicks(run.out);
    EXPECT_EQ(run.status, 0) << "at ulimit -v " << limit;
    const std::string verdict = verdictOf(output);
    if (verdict.empty()) {
      const std::string end = kOutOfMemoryLine + "total ticks  is <ticks>\n";
      EXPECT_TRUE(output.size() >= end.size() && output.substr(output.size() - end.size()) == end)
          << "at ulimit -v " << limit << ":\n" << output.substr(output.size() > 300 ? output.size() - 300 : 0);
    } else {
      EXPECT_EQ(verdict, unlimitedVerdict) << "at ulimit -v " << limit;
    }
  }
  EXPECT_EQ(verdictOf(runs.run(finishLimit).out), unlimitedVerdict);
}

}  // namespace
}  // namespace bicubic::testing
