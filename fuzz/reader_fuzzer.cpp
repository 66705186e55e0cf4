// Fuzz target for the whole run after the banner: the bytes become an in-memory file, readGraph
// reads it by path, and an accepted graph goes through every test of the pipeline. Output is
// discarded; the sanitizers and a few invariants of an accepted read are the oracle.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "memory_file.h"
#include "driver/pipeline.h"
#include "graph/graph.h"
#include "graph/output_sink.h"

namespace {

// Graphs above this count are skipped: the assignment grows with n^4 in the worst case, and
// a run must stay within milliseconds for the fuzzer to explore anything.
constexpr std::int64_t kLargestCount = 64;
// Enough bytes for a complete 64-vertex matrix written with single spaces.
constexpr std::size_t kLargestInput = 16 * 1024;

// The first token read as the reader would read it, or a value outside 1..kLargestCount when it
// is not a number; counts the reader rejects anyway still run, since rejecting them is cheap.
bool countTooLargeToRun(const std::uint8_t* data, std::size_t size) {
  std::size_t i = 0;
  while (i < size && (data[i] == ' ' || (data[i] >= '\t' && data[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < size && (data[i] == '+' || data[i] == '-')) negative = data[i++] == '-';
  std::int64_t value = 0;
  while (i < size && data[i] >= '0' && data[i] <= '9' && value <= 100000) value = value * 10 + (data[i++] - '0');
  if (negative) return false;
  return value > kLargestCount && value <= bicubic::kMaxVertices;
}

void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kLargestInput || countTooLargeToRun(data, size)) return -1;

  const int fd = memoryFile("graph", data, size);
  if (fd < 0) return 0;
  const std::string path = "/proc/self/fd/" + std::to_string(fd);

  bicubic::OutputSink sink = bicubic::OutputSink::discarding();
  bicubic::Graph graph;
  const bool accepted = graph.readGraph(path.c_str(), sink);
  if (accepted) {
    const std::int32_t n = graph.nCities;
    if (n < 1 || n > bicubic::kMaxVertices) fail("accepted count outside 1..4999");
    const auto cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    if (graph.adjacency_matrix.size() < cells) fail("matrix smaller than n*n");
    if (graph.vertices.size() != static_cast<std::size_t>(n)) fail("vertex records not n");
    if (graph.path.size() < bicubic::pathStoreSize(n)) fail("path store too small");
    const bicubic::Verdict verdict = bicubic::runPipeline(graph, sink);
    if (verdict == bicubic::Verdict::OutOfMemory) fail("a graph of at most 64 vertices ran out of memory");
  } else if (graph.nCities >= 1 && graph.nCities <= bicubic::kMaxVertices && !graph.adjacency_matrix.empty()) {
    fail("a refused read kept its matrix");
  }
  ::close(fd);
  return 0;
}
