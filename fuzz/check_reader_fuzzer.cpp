// Fuzz target for bicubic-check's readers: the bytes become an in-memory file that GraphSource
// opens by path and reads to its end, so every format is reached through the same door as in
// the program: graph6/sparse6 lines, HCP instances, matrices one after another, and all of
// them gzip-compressed (the dictionary holds the gzip magic and the HCP keywords). Each graph
// read must be a simple graph of a sane order; the sanitizers watch the rest.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "memory_file.h"
#include "check/formats.h"

namespace {

// A source yields at most this many graphs per input, so a run stays within milliseconds.
constexpr int kLargestGraphCount = 64;

void fail(const char* what) {
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

void checkGraph(const bicubic::check::SimpleGraph& g) {
  if (g.order() < 0 || g.order() > bicubic::check::kMaxGraphOrder) fail("order outside 0..kMaxGraphOrder");
  std::int64_t ends = 0;
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (w < 0 || w >= g.order() || w == v) fail("a neighbour outside the graph, or a loop");
      ++ends;
    }
  }
  if (ends != 2 * g.edgeCount()) fail("edge count differs from the lists");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = memoryFile("graphs", data, size);
  if (fd < 0) return 0;
  {
    bicubic::MethodRunner method;
    bicubic::check::GraphSource source("/proc/self/fd/" + std::to_string(fd), method);
    std::string error;
    if (source.open(error)) {
      bicubic::check::SimpleGraph g;
      for (int k = 0; k < kLargestGraphCount; ++k) {
        const auto status = source.next(g, error, bicubic::check::Deadline::after(1.0));
        if (status == bicubic::check::GraphSource::Status::End) break;
        if (status == bicubic::check::GraphSource::Status::Error && error.empty()) fail("an error without a message");
        if (status == bicubic::check::GraphSource::Status::Graph) checkGraph(g);
      }
    } else if (error.empty()) {
      fail("a refused source without a message");
    }
  }
  ::close(fd);
  return 0;
}
