// graph6 reading and writing for the benchmark programs (the generator and the Gecode peer), kept
// apart from the checker's own parser so that they build on their own. An adjacency list is
// symmetric with no loops; encoding costs O(n^2) time and bits, like the format itself.
#pragma once

#include <stdexcept>
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

}  // namespace bench
