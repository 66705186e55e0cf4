// bicubic-check-families: writes benchmark graphs for bicubic-check in graph6, one per line.
//   random N COUNT SEED          shuffled random connected cubic bipartite graphs of N vertices
//   two-cut N COUNT SEED FILE    FILE's first graph6 graph spliced into a random graph through
//   three-cut N COUNT SEED FILE  a 2-edge cut / a 3-edge cut; N vertices in all, shuffled
//   matrix N SEED                one random graph as a bicubic matrix file
//   flower K                     the flower snark J_K (4K vertices, K odd >= 5): cubic,
//                                3-connected, not bipartite, no Hamiltonian cycle
#include <cstdio>
#include <cstdlib>
#include <string>

#include "families/families.h"
#include "check/formats.h"

using namespace bicubic::check;
using namespace bicubic::exact;

int main(int argc, char** argv) {
  auto usage = [] {
    std::fputs("usage: bicubic-check-families random|two-cut|three-cut N COUNT SEED [FILE] | matrix N SEED | flower K\n",
               stderr);
    return 2;
  };
  if (argc == 3 && std::string(argv[1]) == "flower") {
    const long k = std::strtol(argv[2], nullptr, 10);
    if (k < 5 || k % 2 == 0 || k > 10000) return usage();
    const SimpleGraph g = flowerSnark(static_cast<std::int32_t>(k));
    std::printf("%s\n", encodeGraph6(g).c_str());
    return 0;
  }
  if (argc < 4) return usage();
  const std::string kind = argv[1];
  const long n = std::strtol(argv[2], nullptr, 10);
  if (n < 6 || n % 2 != 0 || n > 1000000) return usage();
  if (kind == "matrix") {
    Rng rng(std::strtoull(argv[3], nullptr, 10));
    const SimpleGraph g = shuffled(randomCubicBipartite(static_cast<std::int32_t>(n / 2), rng), rng);
    std::printf("%ld\n", n);
    std::string row;
    for (std::int32_t v = 0; v < g.order(); ++v) {
      row.assign(static_cast<std::size_t>(2 * n), ' ');
      for (long j = 0; j < n; ++j) row[static_cast<std::size_t>(2 * j)] = '0';
      for (std::int32_t w : g.neighbours(v)) row[static_cast<std::size_t>(2 * w)] = '1';
      row.back() = '\n';
      std::fputs(row.c_str(), stdout);
    }
    return 0;
  }
  if (argc < 5) return usage();
  const long count = std::strtol(argv[3], nullptr, 10);
  Rng rng(std::strtoull(argv[4], nullptr, 10));
  SimpleGraph small;
  if (kind != "random") {
    if (argc < 6) return usage();
    std::FILE* file = std::fopen(argv[5], "r");
    char line[1 << 16];
    std::string error;
    if (file == nullptr || std::fgets(line, sizeof line, file) == nullptr) return usage();
    std::fclose(file);
    std::string text = line;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (!decodeGraph6(text, small, error)) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return 1;
    }
  }
  for (long i = 0; i < count; ++i) {
    SimpleGraph g;
    if (kind == "random") {
      g = randomCubicBipartite(static_cast<std::int32_t>(n / 2), rng);
    } else if (kind == "two-cut") {
      g = spliceTwoCut(small, randomCubicBipartite(static_cast<std::int32_t>((n - small.order()) / 2), rng));
    } else if (kind == "three-cut") {
      g = spliceThreeCut(small, randomCubicBipartite(static_cast<std::int32_t>((n - small.order() + 2) / 2), rng));
    } else {
      return usage();
    }
    std::printf("%s\n", encodeGraph6(shuffled(g, rng)).c_str());
  }
  return 0;
}
