// make_graph: writes a benchmark graph in the tool's matrix format (the vertex count on one line,
// then n rows of n integers separated by single spaces), deterministically from a seed.
//
//   make_graph cubic    N SEED [FILE]  connected cubic bipartite graph, labels shuffled (N even, >= 6)
//   make_graph dense    N SEED [FILE]  integers 0..99 everywhere, no structure
//   make_graph densebip N SEED [FILE]  weighted complete bipartite graph, 0..99, connected by 1-edges
//   make_graph isolated N SEED [FILE]  a cubic bipartite graph plus one or two isolated vertices
//
// Without FILE the matrix goes to standard output. Rows are built whole in memory and written in
// large blocks, so a 50 MB file costs about as much as the disk takes.
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "graph_gen.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const {
    if (file != nullptr && file != stdout) std::fclose(file);
  }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

class MatrixWriter {
 public:
  MatrixWriter(std::FILE* file, std::int32_t n) : file_(file), n_(n) {
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 22);
    char count[16];
    const auto end = std::to_chars(count, count + sizeof count, n).ptr;
    *end = '\n';
    put(count, static_cast<std::size_t>(end - count + 1));
  }

  // A 0/1 row given by the columns of its ones; the "0 0 ... 0\n" template is patched in place
  // and restored, so each row costs O(n) copying and no formatting.
  void binaryRow(const std::int32_t* ones, std::size_t count) {
    if (zeros_.empty()) {
      zeros_.assign(2 * static_cast<std::size_t>(n_), ' ');
      for (std::size_t c = 0; c < static_cast<std::size_t>(n_); ++c) zeros_[2 * c] = '0';
      zeros_.back() = '\n';
    }
    for (std::size_t k = 0; k < count; ++k) zeros_[2 * static_cast<std::size_t>(ones[k])] = '1';
    put(zeros_.data(), zeros_.size());
    for (std::size_t k = 0; k < count; ++k) zeros_[2 * static_cast<std::size_t>(ones[k])] = '0';
  }

  void valueRow(const std::int32_t* values) {
    line_.resize(12 * static_cast<std::size_t>(n_) + 1);
    char* out = line_.data();
    for (std::int32_t c = 0; c < n_; ++c) {
      if (c > 0) *out++ = ' ';
      out = std::to_chars(out, line_.data() + line_.size(), values[c]).ptr;
    }
    *out++ = '\n';
    put(line_.data(), static_cast<std::size_t>(out - line_.data()));
  }

  bool finish() { return std::fflush(file_) == 0 && !failed_; }

 private:
  void put(const char* data, std::size_t size) {
    if (std::fwrite(data, 1, size, file_) != size) failed_ = true;
  }

  std::FILE* file_;
  std::int32_t n_;
  bool failed_ = false;
  std::string zeros_;
  std::vector<char> line_;
};

int usage() {
  std::fputs(
      "usage: make_graph SHAPE N SEED [FILE]\n"
      "  SHAPE: cubic (N even, >= 6), dense, densebip (N even, >= 4), isolated (N >= 7)\n",
      stderr);
  return 2;
}

bool parseNumber(const char* text, std::int64_t low, std::int64_t high, std::int64_t& value) {
  const char* end = text + std::strlen(text);
  auto [ptr, ec] = std::from_chars(text, end, value);
  return ec == std::errc() && ptr == end && value >= low && value <= high;
}

void writeCubic(MatrixWriter& writer, const benchgen::CubicNeighbours& neighbours) {
  for (const auto& row : neighbours) writer.binaryRow(row.data(), row.size());
}

void writeIsolated(MatrixWriter& writer, std::int32_t n, std::uint64_t seed) {
  // The largest even cubic part that leaves at least one vertex alone.
  const std::int32_t core = (n - 1) % 2 == 0 ? n - 1 : n - 2;
  const benchgen::CubicNeighbours neighbours = benchgen::cubicBipartite(core, seed);
  benchgen::Rng rng(seed ^ 0x5DEECE66DULL);
  const std::vector<std::int32_t> label = rng.permutation(n);  // core vertex v becomes label[v]
  std::vector<std::int32_t> coreOf(static_cast<std::size_t>(n), -1);
  for (std::int32_t v = 0; v < core; ++v) coreOf[static_cast<std::size_t>(label[static_cast<std::size_t>(v)])] = v;
  for (std::int32_t r = 0; r < n; ++r) {
    const std::int32_t v = coreOf[static_cast<std::size_t>(r)];
    if (v < 0) {
      writer.binaryRow(nullptr, 0);
      continue;
    }
    std::array<std::int32_t, 3> ones{};
    for (std::size_t k = 0; k < 3; ++k) {
      ones[k] = label[static_cast<std::size_t>(neighbours[static_cast<std::size_t>(v)][k])];
    }
    writer.binaryRow(ones.data(), ones.size());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) return usage();
  const std::string shape = argv[1];
  std::int64_t n = 0;
  std::int64_t seed = 0;
  if (!parseNumber(argv[2], 1, 100000, n) || !parseNumber(argv[3], 0, INT64_MAX, seed)) return usage();
  const auto size = static_cast<std::int32_t>(n);

  File file(argc == 5 ? std::fopen(argv[4], "wb") : stdout);
  if (!file) {
    std::fprintf(stderr, "make_graph: cannot open %s: %s\n", argv[4], std::strerror(errno));
    return 1;
  }
  try {
    MatrixWriter writer(file.get(), size);
    const auto seedBits = static_cast<std::uint64_t>(seed);
    if (shape == "cubic") {
      writeCubic(writer, benchgen::cubicBipartite(size, seedBits));
    } else if (shape == "isolated") {
      if (size < 7) return usage();
      writeIsolated(writer, size, seedBits);
    } else if (shape == "dense" || shape == "densebip") {
      const std::vector<std::int32_t> cells = shape == "dense" ? benchgen::denseMatrix(size, seedBits)
                                                               : benchgen::denseBipartiteMatrix(size, seedBits);
      for (std::int32_t r = 0; r < size; ++r) writer.valueRow(cells.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(size));
    } else {
      return usage();
    }
    if (!writer.finish()) {
      std::fprintf(stderr, "make_graph: write failed: %s\n", std::strerror(errno));
      return 1;
    }
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "make_graph: %s\n", error.what());
    return 2;
  }
  return 0;
}
