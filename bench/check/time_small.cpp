// bicubic-check-time-small: times SmallSearch on graph6 lines from files (or standard input).
//   bicubic-check-time-small [--verify] [file ...]      ("-" or no file: standard input)
// Prints the counts of hamiltonian, non-hamiltonian, unknown and skipped graphs (skipped: the
// line did not decode or the search refused the graph, so bicubic-check would use its general
// search) and the search nodes,
// then CPU times (process CPU clock, so that other load on a shared machine counts less than in
// wall time): reading the lines into memory, decoding and loading alone (decodeGraph6 and
// SmallSearch::load), decoding + search, and from those the search alone and read + decode +
// search, each also per graph. --verify checks each cycle with isHamiltonianCycle, after the
// timed passes.
#include <time.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "check/formats.h"
#include "check/report.h"
#include "exact/small_search.h"

using namespace bicubic::check;
using namespace bicubic::exact;

namespace {

double cpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

// Every non-empty graph6 line of the stream, header and line end removed, appended to lines.
void readLines(std::FILE* in, std::vector<std::string>& lines) {
  char* buffer = nullptr;
  std::size_t capacity = 0;
  for (ssize_t got; (got = ::getline(&buffer, &capacity, in)) >= 0;) {
    std::string_view line(buffer, static_cast<std::size_t>(got));
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.starts_with(">>graph6<<")) line.remove_prefix(10);
    if (!line.empty()) lines.emplace_back(line);
  }
  std::free(buffer);
}

struct Counts {
  long hamiltonian = 0, nonHamiltonian = 0, unknown = 0, skipped = 0;
  long long nodes = 0;
};

}  // namespace

int main(int argc, char** argv) {
  bool verify = false;
  std::vector<std::string> names;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--verify") == 0) {
      verify = true;
    } else {
      names.emplace_back(argv[i]);
    }
  }
  if (names.empty()) names.emplace_back("-");

  const double t0 = cpuSeconds();
  std::vector<std::string> lines;
  for (const std::string& name : names) {
    std::FILE* in = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
    if (in == nullptr) {
      std::fprintf(stderr, "%s: %s\n", name.c_str(), std::strerror(errno));
      return 1;
    }
    readLines(in, lines);
    if (in != stdin) std::fclose(in);
  }
  const double t1 = cpuSeconds();

  SmallSearch search;
  SimpleGraph g;
  std::string error;
  long loadedCount = 0;
  for (const std::string& line : lines) loadedCount += decodeGraph6(line, g, error) && search.load(g) ? 1 : 0;
  const double t2 = cpuSeconds();

  Counts counts;
  std::vector<std::int32_t> cycle;
  for (const std::string& line : lines) {
    if (!decodeGraph6(line, g, error) || !search.load(g)) {
      ++counts.skipped;
      continue;
    }
    const Answer answer = search.run(cycle);
    counts.nodes += search.nodes();
    if (answer == Answer::Hamiltonian) ++counts.hamiltonian;
    if (answer == Answer::NonHamiltonian) ++counts.nonHamiltonian;
    if (answer == Answer::Unknown) ++counts.unknown;
  }
  const double t3 = cpuSeconds();

  const long graphs = counts.hamiltonian + counts.nonHamiltonian + counts.unknown;
  const double perGraph = graphs > 0 ? 1e6 / static_cast<double>(graphs) : 0;
  const double read = t1 - t0, decode = t2 - t1, decodeSearch = t3 - t2, alone = decodeSearch - decode;
  std::printf("graphs %ld hamiltonian %ld non-hamiltonian %ld unknown %ld skipped %ld nodes %lld (%.2f/graph)\n",
              graphs, counts.hamiltonian, counts.nonHamiltonian, counts.unknown, counts.skipped, counts.nodes,
              graphs > 0 ? static_cast<double>(counts.nodes) / static_cast<double>(graphs) : 0.0);
  std::printf("cpu ms: read %.1f decode %.1f decode+search %.1f | search alone %.1f (%.3f us/graph) "
              "read+decode+search %.1f (%.3f us/graph)\n",
              read * 1e3, decode * 1e3, decodeSearch * 1e3, alone * 1e3, alone * perGraph,
              (read + decodeSearch) * 1e3, (read + decodeSearch) * perGraph);
  if (loadedCount != graphs) std::printf("loader disagreed between passes\n");

  long badCycles = 0;
  if (verify) {
    for (const std::string& line : lines) {
      if (!decodeGraph6(line, g, error) || !search.load(g) || search.run(cycle) != Answer::Hamiltonian) continue;
      if (!isHamiltonianCycle(g, cycle)) ++badCycles;
    }
    std::printf("cycles failing verification: %ld\n", badCycles);
  }
  return badCycles == 0 ? 0 : 1;
}
