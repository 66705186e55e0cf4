#include "check/cuts.h"

#include <algorithm>

#include "check/index.h"
#include "check/rng.h"

namespace bicubic::check {

namespace {

class CutFinder {
 public:
  CutFinder(const SimpleGraph& g, std::uint64_t seed) : g_(g), n_(g.order()) {
    std::vector<std::int32_t> slot;
    indexEdges(g, eu_, ev_, incStart_, incEdge_, slot);
    m_ = static_cast<std::int32_t>(eu_.size());
    // Spanning tree by breadth-first search; non-tree edges get random labels and each tree
    // edge the XOR of the labels of the non-tree edges leaving the subtree below it.
    label_.assign(at(m_), 0);
    std::vector<std::int32_t> parentEdge(at(n_), -1), order;
    std::vector<char> seen(at(n_), 0);
    std::vector<char> isTree(at(m_), 0);
    order.reserve(at(n_));
    order.push_back(0);
    seen[0] = 1;
    for (std::size_t k = 0; k < order.size(); ++k) {
      const std::int32_t v = order[k];
      for (std::int32_t i = incStart_[at(v)]; i < incStart_[at(v) + 1]; ++i) {
        const std::int32_t e = incEdge_[at(i)];
        const std::int32_t w = other(e, v);
        if (!seen[at(w)]) {
          seen[at(w)] = 1;
          parentEdge[at(w)] = e;
          isTree[at(e)] = 1;
          order.push_back(w);
        }
      }
    }
    Rng rng(seed);
    std::vector<std::uint64_t> acc(at(n_), 0);
    for (std::int32_t e = 0; e < m_; ++e) {
      if (isTree[at(e)]) continue;
      label_[at(e)] = rng.next() | 1;
      acc[at(eu_[at(e)])] ^= label_[at(e)];
      acc[at(ev_[at(e)])] ^= label_[at(e)];
    }
    for (std::size_t k = order.size(); k-- > 1;) {
      const std::int32_t v = order[k];
      const std::int32_t e = parentEdge[at(v)];
      label_[at(e)] = acc[at(v)];
      acc[at(other(e, v))] ^= acc[at(v)];
    }
    markA_.assign(at(n_), 0);
    markB_.assign(at(n_), 0);
  }

  bool findTwo(std::int32_t minSide, const Deadline& deadline, EdgeCut& cut) {
    std::vector<std::int32_t> byLabel(at(m_));
    for (std::int32_t e = 0; e < m_; ++e) byLabel[at(e)] = e;
    std::sort(byLabel.begin(), byLabel.end(), [&](std::int32_t a, std::int32_t b) {
      return label_[at(a)] < label_[at(b)];
    });
    for (std::size_t i = 0; i < byLabel.size();) {
      std::size_t j = i;
      while (j < byLabel.size() && label_[at(byLabel[j])] == label_[at(byLabel[i])]) ++j;
      // Any two edges of a class form a 2-edge cut; a few pairs per class are enough to find
      // one with two large sides if the class has one.
      std::int32_t tried = 0;
      for (std::size_t a = i; a < j && tried < 64; ++a) {
        for (std::size_t b = a + 1; b < j && tried < 64; ++b, ++tried) {
          if (deadline.expired()) return false;
          const std::int32_t edges[] = {byLabel[a], byLabel[b]};
          if (confirm(edges, minSide, cut)) return true;
        }
      }
      i = j;
    }
    return false;
  }

  bool findThree(std::int32_t minSide, std::int32_t radius, const Deadline& deadline, EdgeCut& cut) {
    // Open-addressing table from label to the first edge with it; equal labels chain.
    std::size_t size = 16;
    while (size < 2 * at(m_)) size *= 2;
    const std::size_t mask = size - 1;
    std::vector<std::int32_t> table(size, -1), chain(at(m_), -1);
    for (std::int32_t e = 0; e < m_; ++e) {
      std::size_t h = static_cast<std::size_t>(label_[at(e)]) & mask;
      while (table[h] >= 0 && label_[at(table[h])] != label_[at(e)]) h = (h + 1) & mask;
      if (table[h] >= 0) chain[at(e)] = table[h];
      table[h] = e;
    }
    auto tryPair = [&](std::int32_t a, std::int32_t b, bool ordered) {
      const std::uint64_t t = label_[at(a)] ^ label_[at(b)];
      if (t == 0) return false;
      std::size_t h = static_cast<std::size_t>(t) & mask;
      while (table[h] >= 0 && label_[at(table[h])] != t) h = (h + 1) & mask;
      for (std::int32_t c = table[h]; c >= 0; c = chain[at(c)]) {
        if (ordered ? c <= b : (c == a || c == b)) continue;
        if (sharedVertex(a, b, c)) continue;  // the three edges of one vertex
        const std::int32_t edges[] = {a, b, c};
        if (confirm(edges, minSide, cut)) return true;
      }
      return false;
    };
    if (radius > 0) {
      // Only cuts whose crossing edges lie within `radius` steps of each other: the sides that
      // are small in diameter, found at a fraction of the cost of trying every pair.
      std::vector<std::int32_t> depth(at(n_), -1), ball;
      for (std::int32_t a = 0; a < m_; ++a) {
        if ((a & 63) == 0 && deadline.expired()) return false;
        ball.assign(1, eu_[at(a)]);
        depth[at(eu_[at(a)])] = 0;
        for (std::size_t k = 0; k < ball.size(); ++k) {
          const std::int32_t v = ball[k];
          for (std::int32_t i = incStart_[at(v)]; i < incStart_[at(v) + 1]; ++i) {
            const std::int32_t b = incEdge_[at(i)];
            const std::int32_t w = other(b, v);
            // An edge inside the ball is tried from both ends; harmless, and simpler than
            // remembering which end came first.
            if (b != a && tryPair(a, b, false)) {
              for (std::int32_t x : ball) depth[at(x)] = -1;
              return true;
            }
            if (depth[at(w)] < 0 && depth[at(v)] < radius) {
              depth[at(w)] = depth[at(v)] + 1;
              ball.push_back(w);
            }
          }
        }
        for (std::int32_t x : ball) depth[at(x)] = -1;
      }
      return false;
    }
    for (std::int32_t a = 0; a < m_; ++a) {
      if ((a & 63) == 0 && deadline.expired()) return false;
      for (std::int32_t b = a + 1; b < m_; ++b) {
        if (tryPair(a, b, true)) return true;
      }
    }
    return false;
  }

 private:
  std::int32_t other(std::int32_t e, std::int32_t v) const { return eu_[at(e)] == v ? ev_[at(e)] : eu_[at(e)]; }

  bool sharedVertex(std::int32_t a, std::int32_t b, std::int32_t c) const {
    for (std::int32_t v : {eu_[at(a)], ev_[at(a)]}) {
      if ((eu_[at(b)] == v || ev_[at(b)] == v) && (eu_[at(c)] == v || ev_[at(c)] == v)) return true;
    }
    return false;
  }

  // Grows the two sides from the ends of the first edge in turns, so the cost is that of the
  // smaller side; a meeting means the edges do not separate anything.
  template <std::size_t K>
  bool confirm(const std::int32_t (&edges)[K], std::int32_t minSide, EdgeCut& cut) {
    ++stamp_;
    auto removed = [&](std::int32_t e) {
      for (std::int32_t f : edges) {
        if (f == e) return true;
      }
      return false;
    };
    const std::int32_t s = eu_[at(edges[0])];
    const std::int32_t t = ev_[at(edges[0])];
    qa_.assign(1, s);
    qb_.assign(1, t);
    markA_[at(s)] = stamp_;
    markB_[at(t)] = stamp_;
    std::size_t ha = 0, hb = 0;
    const std::vector<std::int32_t>* smaller = nullptr;
    while (smaller == nullptr) {
      for (int turn = 0; turn < 2 && smaller == nullptr; ++turn) {
        auto& q = turn == 0 ? qa_ : qb_;
        auto& mine = turn == 0 ? markA_ : markB_;
        auto& theirs = turn == 0 ? markB_ : markA_;
        std::size_t& head = turn == 0 ? ha : hb;
        if (head == q.size()) {
          smaller = &q;
          break;
        }
        const std::int32_t v = q[head++];
        for (std::int32_t i = incStart_[at(v)]; i < incStart_[at(v) + 1]; ++i) {
          const std::int32_t e = incEdge_[at(i)];
          if (removed(e)) continue;
          const std::int32_t w = other(e, v);
          if (theirs[at(w)] == stamp_) return false;
          if (mine[at(w)] != stamp_) {
            mine[at(w)] = stamp_;
            q.push_back(w);
          }
        }
      }
    }
    const auto sideSize = static_cast<std::int32_t>(smaller->size());
    if (sideSize < minSide || n_ - sideSize < minSide) return false;
    const auto& mark = smaller == &qa_ ? markA_ : markB_;
    cut.crossing.clear();
    for (std::int32_t e : edges) {
      const bool uIn = mark[at(eu_[at(e)])] == stamp_;
      const bool vIn = mark[at(ev_[at(e)])] == stamp_;
      if (uIn == vIn) return false;  // an edge inside one side: the set is not a minimal cut
      cut.crossing.emplace_back(uIn ? eu_[at(e)] : ev_[at(e)], uIn ? ev_[at(e)] : eu_[at(e)]);
    }
    cut.inside.assign(at(n_), 0);
    for (std::int32_t v : *smaller) cut.inside[at(v)] = 1;
    cut.insideSize = sideSize;
    return true;
  }

  const SimpleGraph& g_;
  std::int32_t n_;
  std::int32_t m_ = 0;
  std::vector<std::int32_t> eu_, ev_, incStart_, incEdge_;
  std::vector<std::uint64_t> label_;
  std::vector<std::int32_t> markA_, markB_, qa_, qb_;
  std::int32_t stamp_ = 0;
};

}  // namespace

bool findEdgeCut(const SimpleGraph& g, int size, std::int32_t minSide, std::uint64_t seed,
                 const Deadline& deadline, EdgeCut& cut, std::int32_t radius) {
  if (g.order() < 2 * minSide || !isConnected(g)) return false;
  CutFinder finder(g, seed);
  if (size == 2) return finder.findTwo(minSide, deadline, cut);
  if (size == 3) return finder.findThree(minSide, radius, deadline, cut);
  return false;
}

}  // namespace bicubic::check
