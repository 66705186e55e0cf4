#include "families/families.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "exact/index.h"

namespace bicubic::exact {

namespace {

std::vector<std::int32_t> permutation(std::int32_t n, Rng& rng) {
  std::vector<std::int32_t> p(at(n));
  std::iota(p.begin(), p.end(), 0);
  shuffle(p.begin(), p.end(), rng);
  return p;
}
}  // namespace

SimpleGraph randomCubicBipartite(std::int32_t k, Rng& rng) {
  // Three random perfect matchings between the colour classes; redraw the rare draws that
  // repeat an edge or leave the graph in pieces.
  for (;;) {
    SimpleGraph g(2 * k);
    bool simple = true;
    for (int round = 0; round < 3 && simple; ++round) {
      const std::vector<std::int32_t> p = permutation(k, rng);
      for (std::int32_t r = 0; r < k && simple; ++r) simple = g.addEdge(r, k + p[at(r)]);
    }
    if (simple && isConnected(g)) return g;
  }
}

SimpleGraph randomCubic(std::int32_t n, Rng& rng) {
  for (;;) {
    // Three points a vertex, paired at random: point i belongs to vertex i / 3.
    const std::vector<std::int32_t> points = permutation(3 * n, rng);
    SimpleGraph g(n);
    bool simple = true;
    for (std::size_t i = 0; i + 1 < points.size() && simple; i += 2) {
      simple = g.addEdge(points[i] / 3, points[i + 1] / 3);
    }
    if (simple && isConnected(g)) return g;
  }
}

SimpleGraph shuffled(const SimpleGraph& g, Rng& rng) {
  const std::vector<std::int32_t> p = permutation(g.order(), rng);
  SimpleGraph out(g.order());
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w) out.addNewEdge(p[at(v)], p[at(w)]);
    }
  }
  return out;
}

namespace {
// Copies a and b side by side (b's vertices shifted by a's order), leaving out the given edges
// and vertices.
SimpleGraph disjointUnion(const SimpleGraph& a, const SimpleGraph& b, std::int32_t skipA, std::int32_t skipB,
                          std::int32_t dropU, std::int32_t dropV, std::int32_t dropP, std::int32_t dropQ,
                          std::vector<std::int32_t>& mapA, std::vector<std::int32_t>& mapB) {
  mapA.assign(at(a.order()), -1);
  mapB.assign(at(b.order()), -1);
  std::int32_t next = 0;
  for (std::int32_t v = 0; v < a.order(); ++v) {
    if (v != skipA) mapA[at(v)] = next++;
  }
  for (std::int32_t v = 0; v < b.order(); ++v) {
    if (v != skipB) mapB[at(v)] = next++;
  }
  SimpleGraph g(next);
  auto copy = [&](const SimpleGraph& h, const std::vector<std::int32_t>& map, std::int32_t x, std::int32_t y) {
    for (std::int32_t v = 0; v < h.order(); ++v) {
      for (std::int32_t w : h.neighbours(v)) {
        if (v >= w || map[at(v)] < 0 || map[at(w)] < 0) continue;
        if ((v == x && w == y) || (v == y && w == x)) continue;
        g.addNewEdge(map[at(v)], map[at(w)]);
      }
    }
  };
  copy(a, mapA, dropU, dropV);
  copy(b, mapB, dropP, dropQ);
  return g;
}
}  // namespace

SimpleGraph spliceTwoCut(const SimpleGraph& small, const SimpleGraph& large) {
  const std::vector<std::int8_t> cs = twoColouring(small);
  const std::vector<std::int8_t> cl = twoColouring(large);
  // u-v in small and p-q in large with u and p of colour 0.
  std::int32_t u = 0;
  std::int32_t v = small.neighbours(0)[0];
  if (!cs.empty() && cs[at(u)] != 0) std::swap(u, v);
  std::int32_t p = 0;
  std::int32_t q = large.neighbours(0)[0];
  if (cl[at(p)] != 0) std::swap(p, q);
  std::vector<std::int32_t> mapA, mapB;
  SimpleGraph g = disjointUnion(small, large, -1, -1, u, v, p, q, mapA, mapB);
  g.addNewEdge(mapA[at(u)], mapB[at(q)]);
  g.addNewEdge(mapA[at(v)], mapB[at(p)]);
  return g;
}

SimpleGraph spliceThreeCut(const SimpleGraph& small, const SimpleGraph& large) {
  const std::vector<std::int8_t> cs = twoColouring(small);
  const std::vector<std::int8_t> cl = twoColouring(large);
  const std::int32_t w = 0;
  std::int32_t r = 0;
  while (!cs.empty() && cl[at(r)] == cs[at(w)]) ++r;
  std::vector<std::int32_t> mapA, mapB;
  SimpleGraph g = disjointUnion(small, large, w, r, -1, -1, -1, -1, mapA, mapB);
  const auto a = small.neighbours(w);
  const auto b = large.neighbours(r);
  for (std::size_t i = 0; i < 3; ++i) g.addNewEdge(mapA[at(a[i])], mapB[at(b[i])]);
  return g;
}

SimpleGraph flowerSnark(std::int32_t k) {
  SimpleGraph g(4 * k);
  for (std::int32_t i = 0; i < k; ++i) {
    g.addEdge(i, k + i);
    g.addEdge(i, 2 * k + i);
    g.addEdge(i, 3 * k + i);
    g.addEdge(k + i, k + (i + 1) % k);
    g.addEdge(2 * k + i, i + 1 < k ? 2 * k + i + 1 : 3 * k);
    g.addEdge(3 * k + i, i + 1 < k ? 3 * k + i + 1 : 2 * k);
  }
  return g;
}

}  // namespace bicubic::exact
