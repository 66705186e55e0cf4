#include "check/cuts.h"

#include <algorithm>
#include <array>

#include "check/index.h"
#include "check/rng.h"

namespace bicubic::check {

namespace {

constexpr std::int32_t kDeadlinePollMask = 63;  // poll the clock once every 64 edges
using Candidate = std::array<std::int32_t, 3>;  // edge numbers, sorted; -1 first for a 2-edge cut

class CutFinder {
 public:
  CutFinder(const SimpleGraph& g, std::uint64_t seed) : n_(g.order()) {
    std::vector<std::int32_t> slot;
    indexEdges(g, eu_, ev_, incStart_, incEdge_, slot);
    m_ = static_cast<std::int32_t>(eu_.size());
    labelCycleSpace(seed);
    markA_.assign(at(n_), 0);
    markB_.assign(at(n_), 0);
  }

  // Any two edges with equal labels form a 2-edge cut; a few pairs per class suffice, since a
  // class whose pieces are not reduced this time is looked at again on the smaller graph.
  void collectTwo(std::int32_t pairsPerClass, std::vector<Candidate>& out) const {
    std::vector<std::int32_t> byLabel(at(m_));
    for (std::int32_t e = 0; e < m_; ++e) byLabel[at(e)] = e;
    std::sort(byLabel.begin(), byLabel.end(),
              [&](std::int32_t a, std::int32_t b) { return label_[at(a)] < label_[at(b)]; });
    for (std::size_t i = 0; i < byLabel.size();) {
      std::size_t j = i;
      while (j < byLabel.size() && label_[at(byLabel[j])] == label_[at(byLabel[i])]) ++j;
      for (std::size_t k = i + 1; k < j && k <= i + at(pairsPerClass); ++k) {
        out.push_back({-1, std::min(byLabel[i], byLabel[k]), std::max(byLabel[i], byLabel[k])});
      }
      i = j;
    }
  }

  // Triples of edges whose labels XOR to zero, from pairs of edges near each other (radius > 0)
  // or from all pairs.
  bool collectThree(std::int32_t radius, const std::vector<char>* startAt, const Deadline& deadline,
                    std::vector<Candidate>& out) {
    buildLabelTable();
    if (radius <= 0) {
      // Every cut holds a tree edge. With one, its two other edges are not tree edges; with two
      // or three, two are. So pairs of tree edges and pairs of other edges find every cut.
      for (const std::vector<std::int32_t>* kind : {&treeEdges_, &otherEdges_}) {
        for (std::size_t i = 0; i < kind->size(); ++i) {
          if ((i & kDeadlinePollMask) == 0 && deadline.expired()) return false;
          for (std::size_t j = i + 1; j < kind->size(); ++j) addTriples((*kind)[i], (*kind)[j], out);
        }
      }
      return true;
    }
    std::vector<std::int32_t> depth(at(n_), -1), ball;
    for (std::int32_t a = 0; a < m_; ++a) {
      if ((a & kDeadlinePollMask) == 0 && deadline.expired()) return false;
      if (startAt != nullptr && !(*startAt)[at(eu_[at(a)])]) continue;
      ball.assign(1, eu_[at(a)]);
      depth[at(eu_[at(a)])] = 0;
      for (std::size_t k = 0; k < ball.size(); ++k) {
        const std::int32_t v = ball[k];
        for (std::int32_t i = incStart_[at(v)]; i < incStart_[at(v) + 1]; ++i) {
          const std::int32_t b = incEdge_[at(i)];
          const std::int32_t w = other(b, v);
          // Pairs are kept with a < b, the other order being found from b, except where only some
          // starts are searched.
          if (b > a || (startAt != nullptr && b != a)) addTriples(a, b, out);
          if (depth[at(w)] < 0 && depth[at(v)] < radius) {
            depth[at(w)] = depth[at(v)] + 1;
            ball.push_back(w);
          }
        }
      }
      for (std::int32_t x : ball) depth[at(x)] = -1;
    }
    return true;
  }

  // The candidate for the given edge ends, unless one of the edges is gone.
  bool candidateFor(const std::array<std::int32_t, 6>& ends, Candidate& edges) const {
    for (std::size_t k = 0; k < 3; ++k) {
      edges[k] = ends[2 * k] < 0 ? -1 : edgeBetween(ends[2 * k], ends[2 * k + 1]);
      if (ends[2 * k] >= 0 && edges[k] < 0) return false;
    }
    std::sort(edges.begin(), edges.end());
    return true;
  }

  // Marks the vertices within radius steps of the given ones.
  std::vector<char> near(const std::vector<std::int32_t>& from, std::int32_t radius) const {
    std::vector<char> mark(at(n_), 0);
    std::vector<std::int32_t> depth(at(n_), -1), queue;
    for (std::int32_t v : from) {
      if (depth[at(v)] < 0) depth[at(v)] = 0, queue.push_back(v);
    }
    for (std::size_t k = 0; k < queue.size(); ++k) {
      const std::int32_t v = queue[k];
      mark[at(v)] = 1;
      for (std::int32_t i = incStart_[at(v)]; i < incStart_[at(v) + 1] && depth[at(v)] < radius; ++i) {
        const std::int32_t w = other(incEdge_[at(i)], v);
        if (depth[at(w)] < 0) depth[at(w)] = depth[at(v)] + 1, queue.push_back(w);
      }
    }
    return mark;
  }

  // Grows the two sides from the ends of the first edge in turns, so the cost is that of the
  // smaller side; a meeting means the edges do not separate anything. Fills cut on success.
  bool confirm(const Candidate& edges, std::int32_t minSide, EdgeCut& cut);

 private:
  std::int32_t other(std::int32_t e, std::int32_t v) const { return eu_[at(e)] == v ? ev_[at(e)] : eu_[at(e)]; }
  std::int32_t edgeBetween(std::int32_t u, std::int32_t v) const {
    if (u < 0 || v < 0 || u >= n_ || v >= n_) return -1;
    for (std::int32_t i = incStart_[at(u)]; i < incStart_[at(u) + 1]; ++i) {
      if (other(incEdge_[at(i)], u) == v) return incEdge_[at(i)];
    }
    return -1;
  }
  void labelCycleSpace(std::uint64_t seed);
  void buildLabelTable();
  void addTriples(std::int32_t a, std::int32_t b, std::vector<Candidate>& out) const;
  bool sharedVertex(std::int32_t a, std::int32_t b, std::int32_t c) const {
    for (std::int32_t v : {eu_[at(a)], ev_[at(a)]}) {
      if ((eu_[at(b)] == v || ev_[at(b)] == v) && (eu_[at(c)] == v || ev_[at(c)] == v)) return true;
    }
    return false;
  }

  std::int32_t n_;
  std::int32_t m_ = 0;
  std::vector<std::int32_t> eu_, ev_, incStart_, incEdge_;
  std::vector<std::uint64_t> label_;
  std::vector<std::int32_t> treeEdges_, otherEdges_;
  // Label table: the label in each slot beside its last edge (-1: empty), so that a probe
  // reads one place; edges with equal labels chain.
  std::vector<std::uint64_t> tableLabel_;
  std::vector<std::int32_t> table_, chain_;
  std::size_t tableMask_ = 0;
  std::vector<std::int32_t> markA_, markB_, qa_, qb_;
  std::int32_t stamp_ = 0;
};

// Spanning tree by breadth-first search; non-tree edges get random labels and each tree edge the
// XOR of the labels of the non-tree edges leaving the subtree below it.
void CutFinder::labelCycleSpace(std::uint64_t seed) {
  label_.assign(at(m_), 0);
  std::vector<std::int32_t> parentEdge(at(n_), -1), order;
  std::vector<char> seen(at(n_), 0), isTree(at(m_), 0);
  order.reserve(at(n_));
  order.push_back(0);
  seen[0] = 1;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const std::int32_t v = order[k];
    for (std::int32_t i = incStart_[at(v)]; i < incStart_[at(v) + 1]; ++i) {
      const std::int32_t e = incEdge_[at(i)];
      const std::int32_t w = other(e, v);
      if (seen[at(w)]) continue;
      seen[at(w)] = 1;
      parentEdge[at(w)] = e;
      isTree[at(e)] = 1;
      order.push_back(w);
    }
  }
  Rng rng(seed);
  std::vector<std::uint64_t> acc(at(n_), 0);
  for (std::int32_t e = 0; e < m_; ++e) {
    (isTree[at(e)] ? treeEdges_ : otherEdges_).push_back(e);
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
}

// Open-addressing table from label to the last edge with it; equal labels chain.
void CutFinder::buildLabelTable() {
  std::size_t size = 16;
  while (size < 2 * at(m_)) size *= 2;
  tableMask_ = size - 1;
  table_.assign(size, -1);
  tableLabel_.assign(size, 0);
  chain_.assign(at(m_), -1);
  for (std::int32_t e = 0; e < m_; ++e) {
    std::size_t h = static_cast<std::size_t>(label_[at(e)]) & tableMask_;
    while (table_[h] >= 0 && tableLabel_[h] != label_[at(e)]) h = (h + 1) & tableMask_;
    if (table_[h] >= 0) chain_[at(e)] = table_[h];
    table_[h] = e;
    tableLabel_[h] = label_[at(e)];
  }
}

void CutFinder::addTriples(std::int32_t a, std::int32_t b, std::vector<Candidate>& out) const {
  const std::uint64_t t = label_[at(a)] ^ label_[at(b)];
  if (t == 0) return;  // a 2-edge cut class: found by collectTwo
  std::size_t h = static_cast<std::size_t>(t) & tableMask_;
  while (table_[h] >= 0 && tableLabel_[h] != t) h = (h + 1) & tableMask_;
  for (std::int32_t c = table_[h]; c >= 0; c = chain_[at(c)]) {
    if (c == a || c == b || sharedVertex(a, b, c)) continue;  // the three edges of one vertex
    Candidate triple{a, b, c};
    std::sort(triple.begin(), triple.end());
    out.push_back(triple);
  }
}

bool CutFinder::confirm(const Candidate& edges, std::int32_t minSide, EdgeCut& cut) {
  ++stamp_;
  auto removed = [&](std::int32_t e) { return e == edges[0] || e == edges[1] || e == edges[2]; };
  const std::int32_t first = edges[2];
  qa_.assign(1, eu_[at(first)]);
  qb_.assign(1, ev_[at(first)]);
  markA_[at(qa_[0])] = stamp_;
  markB_[at(qb_[0])] = stamp_;
  std::size_t heads[2] = {0, 0};
  for (int turn = 0;; turn ^= 1) {
    auto& q = turn == 0 ? qa_ : qb_;
    auto& mine = turn == 0 ? markA_ : markB_;
    const auto& theirs = turn == 0 ? markB_ : markA_;
    if (heads[turn] == q.size()) break;  // this side is complete, and the smaller one
    const std::int32_t v = q[heads[turn]++];
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
  const bool sideA = qa_.size() == heads[0];
  const auto& side = sideA ? qa_ : qb_;
  const auto& mark = sideA ? markA_ : markB_;
  const auto sideSize = static_cast<std::int32_t>(side.size());
  if (sideSize < minSide || n_ - sideSize < minSide) return false;
  cut.crossing.clear();
  for (std::int32_t e : edges) {
    if (e < 0) continue;
    const bool uIn = mark[at(eu_[at(e)])] == stamp_;
    const bool vIn = mark[at(ev_[at(e)])] == stamp_;
    if (uIn == vIn) return false;  // an edge within one side: not a cut between two sides
    cut.crossing.emplace_back(uIn ? eu_[at(e)] : ev_[at(e)], uIn ? ev_[at(e)] : eu_[at(e)]);
  }
  cut.side = side;
  return true;
}

}  // namespace

std::vector<EdgeCut> findSmallCuts(const SimpleGraph& g, const CutSearch& search, std::uint64_t seed,
                                   const Deadline& deadline, const CutHints* hints) {
  std::vector<EdgeCut> cuts;
  if (g.order() < 2 * search.minSide || !isConnected(g)) return cuts;
  CutFinder finder(g, seed);
  std::vector<Candidate> candidates;
  finder.collectTwo(search.pairsPerClass, candidates);
  if (search.threeEdgeCuts && hints != nullptr) {
    // A cut whose edges came within reach of each other only through a change has an edge
    // near it (the path between them passes there); the others were found before.
    const std::vector<char> startAt = finder.near(hints->changedNear, search.radius);
    finder.collectThree(search.radius, &startAt, deadline, candidates);
  } else if (search.threeEdgeCuts && g.edgeCount() <= search.allPairsEdgeLimit) {
    finder.collectThree(0, nullptr, deadline, candidates);
  } else if (search.threeEdgeCuts && search.radius > 0) {
    finder.collectThree(search.radius, nullptr, deadline, candidates);
  }
  if (hints != nullptr) {
    Candidate edges{};
    for (const auto& ends : hints->known) {
      if (finder.candidateFor(ends, edges)) candidates.push_back(edges);
    }
  }
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  EdgeCut cut;
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if ((i & kDeadlinePollMask) == 0 && deadline.expired()) break;
    if (finder.confirm(candidates[i], search.minSide, cut)) cuts.push_back(cut);
  }
  return cuts;
}

}  // namespace bicubic::check
