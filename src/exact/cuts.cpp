#include "exact/cuts.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>
#include <tuple>
#include <utility>

#include "exact/cycle_space.h"
#include "exact/index.h"
#include "exact/rng.h"

namespace bicubic::exact {

namespace {

// Edge numbers, sorted, with -1 first in the slots a 2- or 3-edge cut leaves empty.
using Candidate = std::array<std::int32_t, kMaxCutEdges>;

class CutFinder {
 public:
  // Indexes g and labels its cycle space; false when the deadline passed first.
  bool prepare(const SimpleGraph& g, std::uint64_t seed, const Deadline& deadline) {
    n_ = g.order();
    if (!index_.build(g, deadline)) return false;
    m_ = index_.edgeCount();
    markA_.assign(at(n_), 0);
    markB_.assign(at(n_), 0);
    return labelCycleSpace(seed, deadline);
  }

  // Any two edges with equal labels form a 2-edge cut; a few pairs per class suffice, since a
  // class whose pieces are not reduced this time is looked at again on the smaller graph.
  bool collectTwo(std::int32_t pairsPerClass, const Deadline& deadline, std::vector<Candidate>& out) {
    if (!labels_.findClasses(index_, parentEdge_, order_, kNoEdgeExcluded, deadline)) return false;
    const std::vector<CutPairLabels::Entry>& classes = labels_.classes();
    for (std::size_t i = 0; i < classes.size();) {
      std::size_t j = i;
      while (j < classes.size() && classes[j].first == classes[i].first) ++j;
      for (std::size_t k = i + 1; k < j && k <= i + at(pairsPerClass); ++k) {
        out.push_back({-1, -1, std::min(classes[i].second, classes[k].second), std::max(classes[i].second, classes[k].second)});
      }
      i = j;
    }
    return true;
  }

  // Triples of edges whose labels XOR to zero, from all pairs. Every cut holds a tree edge. With
  // one, its two other edges are not tree edges; with two or three, two are. So pairs of tree
  // edges and pairs of other edges find every cut.
  bool collectThree(const Deadline& deadline, std::vector<Candidate>& out) {
    buildLabelTable();
    DeadlinePoller poller(deadline);
    for (const std::vector<std::int32_t>* kind : {&treeEdges_, &otherEdges_}) {
      for (std::size_t i = 0; i < kind->size(); ++i) {
        if (poller.expired(static_cast<std::int64_t>(kind->size() - i))) return false;
        for (std::size_t j = i + 1; j < kind->size(); ++j) addTriples((*kind)[i], (*kind)[j], out);
      }
    }
    return true;
  }

  // Sets of four edges whose labels XOR to zero, found as two pairs of near edges with equal
  // XOR. The pairs are met in the order of their first edges (the graph is numbered depth-first,
  // so a piece's edges come close together), and each is looked up among those of the last two
  // windows of kWindowStarts start edges: a table that stays in cache, where a table of every
  // pair would miss it at every probe. A cut whose two pairs start further apart is not seen.
  // O(m * b) time, memory fixed by the window (b = edges of a ball of `radius` steps).
  bool collectFour(std::int32_t radius, const std::vector<char>* startAt, const Deadline& deadline,
                   std::vector<Candidate>& out) {
    static constexpr std::int32_t kNever = std::numeric_limits<std::int32_t>::min() / 2;
    struct Slot {
      std::uint64_t key = 0;
      std::int32_t a = -1, b = -1, window = kNever;
    };
    constexpr std::int32_t kWindowStarts = 512;
    // Pairs a start edge makes on a graph of degree at most 3: at most the edges of its ball.
    const std::size_t pairsPerStart = 3 * (std::size_t{1} << std::min(radius, 16));
    std::vector<Slot> table(std::bit_ceil(4 * kWindowStarts * pairsPerStart));
    const std::size_t mask = table.size() - 1;
    // Two edges at one vertex XOR to the label of its third edge (or to zero at a vertex of
    // degree two): with a second pair they would make a 3-edge cut plus an edge, or the four
    // edges around one edge; neither is a piece worth its own reduction.
    const auto adjacent = [&](std::int32_t a, std::int32_t b) {
      return index_.first[at(a)] == index_.first[at(b)] || index_.first[at(a)] == index_.second[at(b)] ||
             index_.second[at(a)] == index_.first[at(b)] || index_.second[at(a)] == index_.second[at(b)];
    };
    std::int32_t lastStart = -1, starts = 0, window = 0;
    return forEachNearPair(radius, startAt, deadline, [&](std::int32_t a, std::int32_t b) {
      if (a != lastStart) {
        lastStart = a;
        if (++starts == kWindowStarts) starts = 0, ++window;
      }
      const std::uint64_t key = label_[at(a)] ^ label_[at(b)];
      if (key == 0 || adjacent(a, b)) return;  // 0: a 2-edge cut, found by collectTwo
      const std::int32_t lo = std::min(a, b), hi = std::max(a, b);
      std::size_t h = mix64(key) & mask;
      // A slot of an older window counts as empty.
      for (; table[h].window >= window - 1 && table[h].key != key; h = (h + 1) & mask) {
      }
      Slot& slot = table[h];
      if (slot.window >= window - 1 && slot.a != lo && slot.b != hi && slot.a != hi && slot.b != lo) {
        Candidate four{slot.a, slot.b, lo, hi};
        std::sort(four.begin(), four.end());
        out.push_back(four);
      }
      slot = {key, lo, hi, window};
    });
  }

  // The candidate for the given edge ends, unless one of the edges is gone.
  bool candidateFor(const KnownCut& ends, Candidate& edges) const {
    for (std::size_t k = 0; k < kMaxCutEdges; ++k) {
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
      for (std::int32_t i = index_.start[at(v)]; i < index_.start[at(v) + 1] && depth[at(v)] < radius; ++i) {
        const std::int32_t w = other(index_.edgeOf[at(i)], v);
        if (depth[at(w)] < 0) depth[at(w)] = depth[at(v)] + 1, queue.push_back(w);
      }
    }
    return mark;
  }

  // Grows the two sides from the ends of the first edge in turns, so the cost is that of the
  // smaller side; a meeting means the edges do not separate anything. Fills cut on success.
  // Past maxSide vertices on both sides (0: no bound) it gives up.
  bool confirm(const Candidate& edges, std::int32_t minSide, std::int32_t maxSide, EdgeCut& cut);
  // Vertices the last confirmation reached on both sides: its work.
  std::int64_t lastSearch() const { return static_cast<std::int64_t>(qa_.size() + qb_.size()); }

 private:
  // Calls visit(a, b) for every edge a (only those starting at a marked vertex, when startAt is
  // given) and every edge b at a vertex within radius steps of a's first end, each unordered
  // pair once when every edge is a start. False when the deadline passed first.
  template <typename Visit>
  bool forEachNearPair(std::int32_t radius, const std::vector<char>* startAt, const Deadline& deadline, Visit visit) {
    std::vector<std::int32_t> depth(at(n_), -1), ball, visitedFrom(at(m_), -1);
    DeadlinePoller poller(deadline);
    std::int64_t ballWork = 0;  // vertices of the last ball, each with its edges
    for (std::int32_t a = 0; a < m_; ++a) {
      if (poller.expired(1 + std::exchange(ballWork, 0))) return false;
      if (startAt != nullptr && !(*startAt)[at(index_.first[at(a)])]) continue;
      ball.assign(1, index_.first[at(a)]);
      depth[at(index_.first[at(a)])] = 0;
      for (std::size_t k = 0; k < ball.size(); ++k) {
        const std::int32_t v = ball[k];
        for (std::int32_t i = index_.start[at(v)]; i < index_.start[at(v) + 1]; ++i) {
          const std::int32_t b = index_.edgeOf[at(i)];
          const std::int32_t w = other(b, v);
          // Pairs are kept with a < b, the other order being found from b, except where only some
          // starts are searched; an edge with both ends in the ball is visited once.
          if ((b > a || (startAt != nullptr && b != a)) && visitedFrom[at(b)] != a) visit(a, b);
          visitedFrom[at(b)] = a;
          if (depth[at(w)] < 0 && depth[at(v)] < radius) {
            depth[at(w)] = depth[at(v)] + 1;
            ball.push_back(w);
          }
        }
      }
      for (std::int32_t x : ball) depth[at(x)] = -1;
      ballWork = static_cast<std::int64_t>(ball.size());
    }
    return true;
  }

  std::int32_t other(std::int32_t e, std::int32_t v) const { return index_.other(e, v); }
  static constexpr auto kNoEdgeExcluded = [](std::int32_t) { return false; };
  std::int32_t edgeBetween(std::int32_t u, std::int32_t v) const {
    if (u < 0 || v < 0 || u >= n_ || v >= n_) return -1;
    for (std::int32_t i = index_.start[at(u)]; i < index_.start[at(u) + 1]; ++i) {
      if (other(index_.edgeOf[at(i)], u) == v) return index_.edgeOf[at(i)];
    }
    return -1;
  }
  bool labelCycleSpace(std::uint64_t seed, const Deadline& deadline);
  void buildLabelTable();
  void addTriples(std::int32_t a, std::int32_t b, std::vector<Candidate>& out) const;
  bool sharedVertex(std::int32_t a, std::int32_t b, std::int32_t c) const {
    for (std::int32_t v : {index_.first[at(a)], index_.second[at(a)]}) {
      if ((index_.first[at(b)] == v || index_.second[at(b)] == v) && (index_.first[at(c)] == v || index_.second[at(c)] == v)) return true;
    }
    return false;
  }

  std::int32_t n_ = 0;
  std::int32_t m_ = 0;
  EdgeIndex index_;
  CutPairLabels labels_;
  std::vector<std::int32_t> parentEdge_, order_;  // the breadth-first spanning forest
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

// Spanning forest by breadth-first search; non-tree edges get random labels and each tree edge
// the XOR of the labels of the non-tree edges leaving the subtree below it.
bool CutFinder::labelCycleSpace(std::uint64_t seed, const Deadline& deadline) {
  spanningForest(index_, kNoEdgeExcluded, parentEdge_, order_);
  labels_.seed(seed);
  label_.assign(at(m_), 0);
  treeEdges_.clear();
  otherEdges_.clear();
  return labels_.labelEdges(index_, parentEdge_, order_, kNoEdgeExcluded, deadline,
                            [&](std::int32_t e, std::uint64_t label, bool inForest) {
                              label_[at(e)] = label;
                              (inForest ? treeEdges_ : otherEdges_).push_back(e);
                            });
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
    Candidate triple{-1, a, b, c};
    std::sort(triple.begin() + 1, triple.end());
    out.push_back(triple);
  }
}

bool CutFinder::confirm(const Candidate& edges, std::int32_t minSide, std::int32_t maxSide, EdgeCut& cut) {
  ++stamp_;
  auto removed = [&](std::int32_t e) { return std::find(edges.begin(), edges.end(), e) != edges.end(); };
  const std::int32_t first = edges.back();
  qa_.assign(1, index_.first[at(first)]);
  qb_.assign(1, index_.second[at(first)]);
  markA_[at(qa_[0])] = stamp_;
  markB_[at(qb_[0])] = stamp_;
  std::size_t heads[2] = {0, 0};
  for (int turn = 0;; turn ^= 1) {
    auto& q = turn == 0 ? qa_ : qb_;
    auto& mine = turn == 0 ? markA_ : markB_;
    const auto& theirs = turn == 0 ? markB_ : markA_;
    if (heads[turn] == q.size()) break;  // this side is complete, and the smaller one
    if (maxSide > 0 && std::min(heads[0], heads[1]) > at(maxSide)) return false;
    const std::int32_t v = q[heads[turn]++];
    for (std::int32_t i = index_.start[at(v)]; i < index_.start[at(v) + 1]; ++i) {
      const std::int32_t e = index_.edgeOf[at(i)];
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
    const bool uIn = mark[at(index_.first[at(e)])] == stamp_;
    const bool vIn = mark[at(index_.second[at(e)])] == stamp_;
    if (uIn == vIn) return false;  // an edge within one side: not a cut between two sides
    cut.crossing.emplace_back(uIn ? index_.first[at(e)] : index_.second[at(e)], uIn ? index_.second[at(e)] : index_.first[at(e)]);
  }
  cut.side = side;
  return true;
}

}  // namespace

namespace {

// Adds the candidates of the cuts found before whose edges are all still there, drops repeats
// and returns the confirmed ones.
std::vector<EdgeCut> confirmed(CutFinder& finder, std::vector<Candidate>& candidates, const CutHints* hints,
                               std::int32_t minSide, std::int32_t maxSide, const Deadline& deadline) {
  if (hints != nullptr) {
    Candidate edges{};
    for (const auto& ends : hints->known) {
      if (finder.candidateFor(ends, edges)) candidates.push_back(edges);
    }
  }
  std::sort(candidates.begin(), candidates.end());
  candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
  std::vector<EdgeCut> cuts;
  EdgeCut cut;
  DeadlinePoller poller(deadline);
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    if (poller.expired(1 + finder.lastSearch())) break;
    if (finder.confirm(candidates[i], minSide, maxSide, cut)) cuts.push_back(cut);
  }
  return cuts;
}

}  // namespace

std::vector<EdgeCut> findSmallCuts(const SimpleGraph& g, const CutSearch& search, std::uint64_t seed,
                                   const Deadline& deadline) {
  if (g.order() < 2 * search.minSide || !isConnected(g)) return {};
  CutFinder finder;
  std::vector<Candidate> candidates;
  if (!finder.prepare(g, seed, deadline) || !finder.collectTwo(search.pairsPerClass, deadline, candidates)) return {};
  if (search.threeEdgeCuts) finder.collectThree(deadline, candidates);
  return confirmed(finder, candidates, nullptr, search.minSide, 0, deadline);
}

std::vector<EdgeCut> findFourEdgeCuts(const SimpleGraph& g, const FourCutSearch& search, std::uint64_t seed,
                                      const Deadline& deadline, const CutHints* hints) {
  if (g.order() < 2 * search.minSide || !isConnected(g, deadline).value_or(false)) return {};
  for (std::int32_t v = 0; v < g.order(); ++v) {
    if (g.degree(v) > 3) return {};  // the near pairs would grow with the degree
  }
  CutFinder finder;
  std::vector<Candidate> candidates;
  if (!finder.prepare(g, seed, deadline)) return {};
  if (hints != nullptr) {
    const std::vector<char> startAt = finder.near(hints->changedNear, search.radius);
    finder.collectFour(search.radius, &startAt, deadline, candidates);
  } else {
    finder.collectFour(search.radius, nullptr, deadline, candidates);
  }
  std::vector<EdgeCut> cuts = confirmed(finder, candidates, hints, search.minSide, search.maxSide, deadline);
  // Hints may hold 2- and 3-edge cuts' ends too: only the 4-edge cuts are this search's.
  std::erase_if(cuts, [](const EdgeCut& cut) { return cut.crossing.size() != kMaxCutEdges; });
  return cuts;
}

}  // namespace bicubic::exact
