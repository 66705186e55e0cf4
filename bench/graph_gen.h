// Benchmark graph shapes, made deterministically from a seed with a self-contained generator, so
// the same seed gives the same graph on every machine and standard library. Header-only: both the
// file writer (make_graph) and the in-memory solver benchmark use it without linking anything.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <numeric>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace benchgen {

// xoshiro256** seeded through splitmix64: fast, and its sequence is fixed by the algorithm alone
// (std::uniform_int_distribution is not, which would make files differ between toolchains).
class Rng {
 public:
  explicit Rng(std::uint64_t seed) {
    for (auto& word : state_) {
      seed += 0x9E3779B97F4A7C15ULL;
      std::uint64_t z = seed;
      z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
      z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
      word = z ^ (z >> 31);
    }
  }

  std::uint64_t next() {
    const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
    const std::uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = rotl(state_[3], 45);
    return result;
  }

  // Uniform in [0, bound), bound > 0, without modulo bias (multiply-shift with rejection).
  std::uint32_t below(std::uint32_t bound) {
    std::uint64_t product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(next() >> 32)) * bound;
    auto low = static_cast<std::uint32_t>(product);
    if (low < bound) {
      const std::uint32_t threshold = (0u - bound) % bound;
      while (low < threshold) {
        product = static_cast<std::uint64_t>(static_cast<std::uint32_t>(next() >> 32)) * bound;
        low = static_cast<std::uint32_t>(product);
      }
    }
    return static_cast<std::uint32_t>(product >> 32);
  }

  void shuffle(std::vector<std::int32_t>& values) {
    for (std::size_t i = values.size(); i > 1; --i) {
      std::swap(values[i - 1], values[below(static_cast<std::uint32_t>(i))]);
    }
  }

  std::vector<std::int32_t> permutation(std::int32_t size) {
    std::vector<std::int32_t> values(static_cast<std::size_t>(size));
    std::iota(values.begin(), values.end(), 0);
    shuffle(values);
    return values;
  }

 private:
  static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  std::array<std::uint64_t, 4> state_{};
};

// Three neighbours per vertex, in increasing order.
using CubicNeighbours = std::vector<std::array<std::int32_t, 3>>;

inline bool connected(const CubicNeighbours& neighbours) {
  if (neighbours.empty()) return true;
  std::vector<char> seen(neighbours.size(), 0);
  std::vector<std::int32_t> stack{0};
  seen[0] = 1;
  std::size_t reached = 1;
  while (!stack.empty()) {
    const std::int32_t v = stack.back();
    stack.pop_back();
    for (std::int32_t w : neighbours[static_cast<std::size_t>(v)]) {
      if (seen[static_cast<std::size_t>(w)] == 0) {
        seen[static_cast<std::size_t>(w)] = 1;
        ++reached;
        stack.push_back(w);
      }
    }
  }
  return reached == neighbours.size();
}

// A connected simple cubic bipartite graph on n vertices (n even, n >= 6): the union of three
// edge-disjoint random perfect matchings between two halves of n/2 vertices, redrawn until it is
// connected, then every vertex relabelled at random so that the colour classes interleave.
// Disjointness is what keeps the graph simple and every degree exactly 3; three disjoint
// matchings always exist (any Latin rectangle extends), so the redraws end.
inline CubicNeighbours cubicBipartite(std::int32_t n, std::uint64_t seed) {
  if (n < 6 || n % 2 != 0) throw std::invalid_argument("cubic: n must be even and at least 6");
  const std::int32_t half = n / 2;
  Rng rng(seed);
  CubicNeighbours neighbours(static_cast<std::size_t>(n));
  for (;;) {
    // match[k][i] is the right-hand partner of left vertex i in matching k.
    std::array<std::vector<std::int32_t>, 3> match;
    for (std::size_t k = 0; k < 3; ++k) {
      for (;;) {
        match[k] = rng.permutation(half);
        bool disjoint = true;
        for (std::size_t i = 0; i < static_cast<std::size_t>(half) && disjoint; ++i) {
          for (std::size_t j = 0; j < k; ++j) disjoint = disjoint && match[k][i] != match[j][i];
        }
        if (disjoint) break;
      }
    }
    const std::vector<std::int32_t> label = rng.permutation(n);
    std::vector<std::int32_t> filled(static_cast<std::size_t>(n), 0);
    auto addEdge = [&](std::int32_t a, std::int32_t b) {
      neighbours[static_cast<std::size_t>(a)][static_cast<std::size_t>(filled[static_cast<std::size_t>(a)]++)] = b;
      neighbours[static_cast<std::size_t>(b)][static_cast<std::size_t>(filled[static_cast<std::size_t>(b)]++)] = a;
    };
    for (std::size_t k = 0; k < 3; ++k) {
      for (std::int32_t i = 0; i < half; ++i) {
        addEdge(label[static_cast<std::size_t>(i)],
                label[static_cast<std::size_t>(half + match[k][static_cast<std::size_t>(i)])]);
      }
    }
    for (auto& row : neighbours) std::sort(row.begin(), row.end());
    if (connected(neighbours)) return neighbours;
  }
}

// Row-major n x n integers 0..99, no structure at all (the matrix is not symmetric).
inline std::vector<std::int32_t> denseMatrix(std::int32_t n, std::uint64_t seed) {
  Rng rng(seed);
  std::vector<std::int32_t> cells(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
  for (auto& cell : cells) cell = static_cast<std::int32_t>(rng.below(100));
  return cells;
}

// Row-major symmetric n x n matrix (n even, n >= 4) of a weighted complete bipartite graph: two
// interleaved random halves, weights 0..99 between them and 0 inside each half. A planted cycle of
// weight-1 edges through all vertices, alternating halves, keeps the weight-1 edges (the ones a
// colouring follows) connected, so a run gets past colouring and balance to the solver.
inline std::vector<std::int32_t> denseBipartiteMatrix(std::int32_t n, std::uint64_t seed) {
  if (n < 4 || n % 2 != 0) throw std::invalid_argument("densebip: n must be even and at least 4");
  Rng rng(seed);
  const auto size = static_cast<std::size_t>(n);
  const std::size_t half = size / 2;
  const std::vector<std::int32_t> label = rng.permutation(n);
  std::vector<std::int32_t> cells(size * size, 0);
  auto set = [&](std::size_t leftIndex, std::size_t rightIndex, std::int32_t weight) {
    const auto a = static_cast<std::size_t>(label[leftIndex]);
    const auto b = static_cast<std::size_t>(label[half + rightIndex]);
    cells[a * size + b] = weight;
    cells[b * size + a] = weight;
  };
  for (std::size_t i = 0; i < half; ++i) {
    for (std::size_t j = 0; j < half; ++j) set(i, j, static_cast<std::int32_t>(rng.below(100)));
  }
  for (std::size_t i = 0; i < half; ++i) {
    set(i, i, 1);
    set((i + 1) % half, i, 1);
  }
  return cells;
}

}  // namespace benchgen
