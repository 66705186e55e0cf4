// graph6 reading and writing for the benchmark programs (the generator and the Gecode peer), kept
// apart from the checker's own parser so that they build on their own. An adjacency list is
// symmetric with no loops; graph6 encoding costs O(n^2) time and bits, like the format itself,
// sparse6 encoding O(m log m) time and O(m log n) bits (the form for graphs of 10^5 vertices and up).
#pragma once

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <string>
#include <vector>

namespace bench {

using Adjacency = std::vector<std::vector<int>>;

constexpr int kGraph6Offset = 63;
constexpr int kGraph6ShortOrderLimit = 63;
constexpr int kGraph6LongMarker = 126;

inline Adjacency decodeGraph6(const std::string& line) {
  std::size_t pos = 0;
  auto byte = [&]() -> int {
    if (pos >= line.size()) throw std::runtime_error("graph6 line too short");
    const int value = line[pos++] - kGraph6Offset;
    if (value < 0 || value > kGraph6LongMarker - kGraph6Offset) throw std::runtime_error("not a graph6 character");
    return value;
  };
  int n = byte();
  if (n == kGraph6LongMarker - kGraph6Offset) n = (byte() << 12) | (byte() << 6) | byte();
  Adjacency adj(static_cast<std::size_t>(n));
  int bits = 0, value = 0;
  for (int j = 1; j < n; ++j) {
    for (int i = 0; i < j; ++i) {
      if (bits == 0) {
        value = byte();
        bits = 6;
      }
      --bits;
      if ((value >> bits) & 1) {
        adj[i].push_back(j);
        adj[j].push_back(i);
      }
    }
  }
  return adj;
}

inline std::string encodeGraph6(const Adjacency& adj) {
  const int n = static_cast<int>(adj.size());
  std::string out;
  if (n < kGraph6ShortOrderLimit) {
    out += static_cast<char>(n + kGraph6Offset);
  } else {
    out += static_cast<char>(kGraph6LongMarker);
    for (int shift : {12, 6, 0}) out += static_cast<char>(((n >> shift) & 63) + kGraph6Offset);
  }
  std::vector<std::vector<bool>> matrix(adj.size(), std::vector<bool>(adj.size(), false));
  for (int v = 0; v < n; ++v)
    for (int w : adj[v]) matrix[v][w] = true;
  int bits = 0, value = 0;
  for (int j = 1; j < n; ++j) {
    for (int i = 0; i < j; ++i) {
      value = (value << 1) | (matrix[i][j] ? 1 : 0);
      if (++bits == 6) {
        out += static_cast<char>(value + kGraph6Offset);
        bits = value = 0;
      }
    }
  }
  if (bits > 0) out += static_cast<char>((value << (6 - bits)) + kGraph6Offset);
  return out;
}

// sparse6: ':' and the order, then the edges {u, w} (u <= w) sorted by w as (b, x) pairs of
// one bit and k = ceil(log2 n) bits, read by a cursor v that b = 1 advances and x > v moves.
inline std::string encodeSparse6(const Adjacency& adj) {
  const auto n = static_cast<std::int64_t>(adj.size());
  std::string out = ":";
  if (n < kGraph6ShortOrderLimit) {
    out += static_cast<char>(n + kGraph6Offset);
  } else {
    const bool small = n < (std::int64_t{1} << 18);
    out += std::string(small ? 1 : 2, static_cast<char>(kGraph6LongMarker));
    for (int shift = small ? 12 : 30; shift >= 0; shift -= 6) out += static_cast<char>(((n >> shift) & 63) + kGraph6Offset);
  }
  int k = 0;
  while ((std::int64_t{1} << k) < n) ++k;
  std::vector<std::pair<int, int>> edges;  // (w, u) with u <= w
  for (int w = 0; w < static_cast<int>(n); ++w)
    for (int u : adj[static_cast<std::size_t>(w)])
      if (u <= w) edges.emplace_back(w, u);
  std::sort(edges.begin(), edges.end());
  int bits = 0, value = 0;
  auto put = [&](std::int64_t x, int width) {
    for (int b = width - 1; b >= 0; --b) {
      value = (value << 1) | static_cast<int>((x >> b) & 1);
      if (++bits == 6) {
        out += static_cast<char>(value + kGraph6Offset);
        bits = value = 0;
      }
    }
  };
  std::int64_t v = 0;
  for (const auto& [w, u] : edges) {
    if (w == v) {
      put(0, 1), put(u, k);
    } else if (w == v + 1) {
      put(1, 1), put(u, k);
    } else {
      put(1, 1), put(w, k), put(0, 1), put(u, k);
    }
    v = w;
  }
  if (bits > 0) {
    // Padding of ones must not read as one more edge (x) at the cursor: nauty's special case.
    const int pad = 6 - bits;
    if (k < 6 && v == n - 2 && n == (std::int64_t{1} << k) && pad >= k) put(0, 1);
    if (bits > 0) put((std::int64_t{1} << (6 - bits)) - 1, 6 - bits);
  }
  return out;
}

}  // namespace bench
