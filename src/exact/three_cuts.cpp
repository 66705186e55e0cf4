#include "exact/three_cuts.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>

#include "exact/fenwick.h"
#include "exact/index.h"
#include "exact/rng.h"

namespace bicubic::exact {

namespace {

constexpr std::int32_t kNone = -1;

// Maximum over positions, with a search for the first and the last position in a range that
// holds a value (anything but kNone). O(log n) an operation.
class RangeMax {
 public:
  explicit RangeMax(std::int32_t size) {
    while (leaves_ < at(size)) leaves_ *= 2;
    tree_.assign(2 * leaves_, kNone);
  }
  void raise(std::int32_t p, std::int32_t value) {
    for (std::size_t i = at(p) + leaves_; i > 0; i /= 2) tree_[i] = std::max(tree_[i], value);
  }
  std::int32_t max(std::int32_t first, std::int32_t last) const {
    std::int32_t best = kNone;
    for (std::size_t a = at(first) + leaves_, b = at(last) + leaves_; a < b; a /= 2, b /= 2) {
      if ((a & 1) != 0) best = std::max(best, tree_[a++]);
      if ((b & 1) != 0) best = std::max(best, tree_[--b]);
    }
    return best;
  }
  std::int32_t firstHeld(std::int32_t first, std::int32_t last) const {
    return find(1, 0, leaves_, at(first), at(last), true);
  }
  std::int32_t lastHeld(std::int32_t first, std::int32_t last) const {
    return find(1, 0, leaves_, at(first), at(last), false);
  }

 private:
  std::int32_t find(std::size_t node, std::size_t from, std::size_t to, std::size_t first, std::size_t last,
                    bool leftmost) const {
    if (to <= first || last <= from || tree_[node] == kNone) return kNone;
    if (to - from == 1) return static_cast<std::int32_t>(from);
    const std::size_t mid = (from + to) / 2;
    const std::int32_t near = leftmost ? find(2 * node, from, mid, first, last, true)
                                       : find(2 * node + 1, mid, to, first, last, false);
    if (near != kNone) return near;
    return leftmost ? find(2 * node + 1, mid, to, first, last, true) : find(2 * node, from, mid, first, last, false);
  }

  std::size_t leaves_ = 1;
  std::vector<std::int32_t> tree_;
};

// XOR of the labels at positions [first, last).
using RangeXor = Fenwick<std::uint64_t, std::bit_xor<>, std::bit_xor<>>;

// The items in increasing key(item), each key in 0 .. keys - 1, equal keys in their order: O(n +
// keys), where a comparison sort through the keys would miss the cache at every comparison.
template <class T, class Key>
std::vector<T> sortedByKey(const std::vector<T>& items, std::int32_t keys, Key key) {
  std::vector<std::int32_t> firstAt(at(keys) + 1, 0);
  for (const T& item : items) ++firstAt[at(key(item)) + 1];
  for (std::int32_t k = 0; k < keys; ++k) firstAt[at(k) + 1] += firstAt[at(k)];
  std::vector<T> sorted(items.size());
  for (const T& item : items) sorted[at(firstAt[at(key(item))]++)] = item;
  return sorted;
}

}  // namespace

bool ThreeCutFinder::run(const EdgeIndex& index, std::uint64_t seed, const Deadline& deadline) {
  cuts_.clear();
  twoCuts_.clear();
  work_ = 0;
  seed_ = seed;
  n_ = index.vertexCount();
  m_ = index.edgeCount();
  if (n_ < 2) return true;
  if (!depthFirst(index, deadline)) return false;
  if (vertexAt_[at(n_ - 1)] == kNone) return true;  // not connected
  // Between the passes that do not ask the deadline themselves (each O(n + m)), it is asked here:
  // at a million vertices each is a noticeable share of a short time limit.
  countBackEdges();
  for (std::int32_t p = 1; p < n_; ++p) {
    if (leaving_[at(p)] == 0) return true;  // a bridge
  }
  if (deadline.expired()) return false;
  indexLabels();
  if (deadline.expired()) return false;
  twoEdgeCuts(deadline);
  oneTreeEdge();
  if (deadline.expired() || !sweep(deadline)) return false;
  twoTreeEdgesBelow();
  if (!walkMeetingPaths(deadline) || deadline.expired()) return false;
  std::sort(cuts_.begin(), cuts_.end(), [](const Cut& a, const Cut& b) { return a.edges < b.edges; });
  cuts_.erase(std::unique(cuts_.begin(), cuts_.end(), [](const Cut& a, const Cut& b) { return a.edges == b.edges; }),
              cuts_.end());
  return true;
}

// Iterative, so that a path-like tree of millions of vertices needs no deep call stack. From here
// on every per-vertex array is indexed by preorder position: a subtree is a run of positions, and
// walking up the tree mostly reads the position just before.
bool ThreeCutFinder::depthFirst(const EdgeIndex& index, const Deadline& deadline) {
  pre_.assign(at(n_), kNone);
  vertexAt_.assign(at(n_), kNone);
  up_.assign(at(n_), kNone);
  treeEdge_.assign(at(n_), kNone);
  depth_.assign(at(n_), 0);
  size_.assign(at(n_), 1);
  std::vector<std::int32_t> next(index.start.begin(), index.start.end() - 1), stack{0};
  pre_[0] = vertexAt_[0] = 0;
  std::int32_t reached = 1;
  DeadlinePoller poller(deadline);
  while (!stack.empty()) {
    if (poller.expired()) return false;
    const std::int32_t p = stack.back(), v = vertexAt_[at(p)];
    if (next[at(v)] == index.start[at(v) + 1]) {
      stack.pop_back();
      if (up_[at(p)] != kNone) size_[at(up_[at(p)])] += size_[at(p)];
      continue;
    }
    const std::int32_t e = index.edgeOf[at(next[at(v)]++)];
    const std::int32_t w = index.other(e, v);
    if (pre_[at(w)] != kNone) continue;
    const std::int32_t q = reached++;
    pre_[at(w)] = q;
    vertexAt_[at(q)] = w;
    up_[at(q)] = p;
    treeEdge_[at(q)] = e;
    depth_[at(q)] = depth_[at(p)] + 1;
    stack.push_back(q);
  }
  back_.clear();
  for (std::int32_t e = 0; e < m_; ++e) {
    std::int32_t a = pre_[at(index.first[at(e)])], b = pre_[at(index.second[at(e)])];
    if (a == kNone || b == kNone || treeEdge_[at(a)] == e || treeEdge_[at(b)] == e) continue;
    if (a < b) std::swap(a, b);  // an ancestor comes first in preorder
    back_.push_back({a, b, e});
  }
  return true;
}

// Each back edge counts at its lower end and is taken back at its upper end, so a subtree's sum
// holds exactly the back edges leaving it (a depth-first tree has no edge between two subtrees).
void ThreeCutFinder::countBackEdges() {
  label_.assign(at(n_), 0);
  idSum_.assign(at(n_), 0);
  idSquareSum_.assign(at(n_), 0);
  leaving_.assign(at(n_), 0);
  for (const auto& [lower, upper, e] : back_) {
    const std::uint64_t label = edgeLabel(e);
    const auto id = static_cast<std::uint64_t>(e);
    label_[at(lower)] ^= label, label_[at(upper)] ^= label;
    ++leaving_[at(lower)], --leaving_[at(upper)];
    idSum_[at(lower)] += id, idSum_[at(upper)] -= id;
    idSquareSum_[at(lower)] += id * id, idSquareSum_[at(upper)] -= id * id;
  }
  for (std::int32_t p = n_ - 1; p > 0; --p) {
    const std::int32_t up = up_[at(p)];
    label_[at(up)] ^= label_[at(p)];
    leaving_[at(up)] += leaving_[at(p)];
    idSum_[at(up)] += idSum_[at(p)];
    idSquareSum_[at(up)] += idSquareSum_[at(p)];
  }
}

// Each slot holds a label beside the last position with it, so that a probe reads one place.
void ThreeCutFinder::indexLabels() {
  std::size_t size = 16;
  while (size < 2 * at(n_)) size *= 2;
  tableMask_ = size - 1;
  table_.assign(size, {0, kNone});
  chain_.assign(at(n_), kNone);
  present_.assign(size / 8, 0);  // 16 bits a label: two megabytes at a million vertices
  for (std::int32_t p = 1; p < n_; ++p) {
    const std::uint64_t bit = label_[at(p)] >> kPresentShift;
    present_[at(static_cast<std::int64_t>(bit >> 6 & (present_.size() - 1)))] |= std::uint64_t{1} << (bit & 63);
    std::size_t h = mix64(label_[at(p)]) & tableMask_;
    while (table_[h].second != kNone && table_[h].first != label_[at(p)]) h = (h + 1) & tableMask_;
    chain_[at(p)] = table_[h].second;
    table_[h] = {label_[at(p)], p};
  }
}

template <class Visit>
void ThreeCutFinder::forEachWithLabel(std::uint64_t label, Visit visit) const {
  // Most lookups find nothing: the bit filter answers them without touching the table.
  const std::uint64_t bit = label >> kPresentShift;
  if ((present_[at(static_cast<std::int64_t>(bit >> 6 & (present_.size() - 1)))] >> (bit & 63) & 1) == 0) return;
  std::size_t h = mix64(label) & tableMask_;
  while (table_[h].second != kNone && table_[h].first != label) h = (h + 1) & tableMask_;
  if (table_[h].second == kNone) return;
  for (std::int32_t p = table_[h].second; p != kNone; p = chain_[at(p)]) visit(p);
}

void ThreeCutFinder::add(std::array<std::int32_t, 3> edges, std::int32_t top, std::int32_t hole, std::int32_t hole2,
                         std::int32_t extra) {
  std::sort(edges.begin(), edges.end());
  cuts_.push_back({edges, top, hole, hole2, extra});
}

// A subtree left by one back edge; tree edges with one label, all on one root path (the back edges
// leaving below each are the same), taken in pairs of neighbours along it.
void ThreeCutFinder::twoEdgeCuts(const Deadline& deadline) {
  for (std::int32_t p = 1; p < n_; ++p) {
    const std::uint64_t id = idSum_[at(p)];
    if (leaving_[at(p)] == 1 && id < at(m_) && edgeLabel(static_cast<std::int32_t>(id)) == label_[at(p)]) {
      twoCuts_.push_back({{kNone, std::min(treeEdge_[at(p)], static_cast<std::int32_t>(id)), std::max(treeEdge_[at(p)], static_cast<std::int32_t>(id))}, p, kNone, kNone, kNone});
    }
  }
  std::vector<std::int32_t> path;
  DeadlinePoller poller(deadline);
  for (const auto& [label, last] : table_) {
    if (poller.expired() || last == kNone || chain_[at(last)] == kNone) continue;
    path.clear();
    for (std::int32_t p = last; p != kNone; p = chain_[at(p)]) path.push_back(p);
    std::sort(path.begin(), path.end());  // an ancestor comes first in preorder
    for (std::size_t k = 0; k + 1 < path.size(); ++k) {
      const std::int32_t u = path[k], w = path[k + 1];
      twoCuts_.push_back({{kNone, std::min(treeEdge_[at(u)], treeEdge_[at(w)]), std::max(treeEdge_[at(u)], treeEdge_[at(w)])}, u, w, kNone, kNone});
    }
  }
}

// A subtree left by two back edges: their numbers are the roots of t^2 - sum t + product.
void ThreeCutFinder::oneTreeEdge() {
  for (std::int32_t p = 1; p < n_; ++p) {
    if (leaving_[at(p)] != 2) continue;
    const std::uint64_t sum = idSum_[at(p)];
    const std::uint64_t gapSquared = 2 * idSquareSum_[at(p)] - sum * sum;
    auto gap = static_cast<std::uint64_t>(std::sqrt(static_cast<double>(gapSquared)));
    while (gap * gap > gapSquared) --gap;
    while ((gap + 1) * (gap + 1) <= gapSquared) ++gap;
    const std::uint64_t x = (sum - gap) / 2, y = (sum + gap) / 2;
    if (y >= at(m_) || (edgeLabel(static_cast<std::int32_t>(x)) ^ edgeLabel(static_cast<std::int32_t>(y))) != label_[at(p)]) continue;
    add({treeEdge_[at(p)], static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)}, p, kNone, kNone, kNone);
  }
}

std::int32_t ThreeCutFinder::lowestCommonAncestor(std::int32_t x, std::int32_t y) const {
  if (y < x) std::swap(x, y);
  if (inSubtree(y, x)) return x;
  // The shallowest position after x up to y is a child of the ancestor sought.
  std::uint64_t best = ~std::uint64_t{0};
  for (std::size_t a = at(x + 1) + leaves_, b = at(y + 1) + leaves_; a < b; a /= 2, b /= 2) {
    if ((a & 1) != 0) best = std::min(best, depthTree_[a++]);
    if ((b & 1) != 0) best = std::min(best, depthTree_[--b]);
  }
  return up_[at(best & 0xffffffffU)];
}

// The subtree of u less those of two children's descendants w and z of the meeting point (from
// which, then, no back edge leaves above u): the back edges leaving below the first child name w.
template <class Reach, class Labels>
void ThreeCutFinder::splitBelow(std::int32_t u, std::int32_t meet, const Reach& reach, const Labels& labels) {
  std::array<std::int32_t, 2> held{};
  std::int32_t count = 0;
  for (std::int32_t child = meet + 1; child < meet + size_[at(meet)] && count <= 2; child += size_[at(child)]) {
    if (reach.max(child, child + size_[at(child)]) == kNone) continue;
    if (count < 2) held[at(count)] = child;
    ++count;
  }
  if (count != 2) return;
  const std::uint64_t left = labels.of(held[0], held[0] + size_[at(held[0])]);
  forEachWithLabel(left, [&](std::int32_t w) {
    if (!inSubtree(w, held[0])) return;
    forEachWithLabel(label_[at(u)] ^ left, [&](std::int32_t z) {
      if (inSubtree(z, held[1])) add({treeEdge_[at(u)], treeEdge_[at(w)], treeEdge_[at(z)]}, u, w, z, kNone);
    });
  });
}

// Positions by increasing depth; before a position u is asked, the back edges reaching above it
// are in the range structures at their lower ends, so the run of u's subtree sees exactly the
// back edges leaving it: the deepest vertex they reach, the meeting point of their lower ends and,
// for a meeting point with two children below which they leave, the cut that takes both
// children's subtrees out of u's (its labels name the two subtrees' roots).
bool ThreeCutFinder::sweep(const Deadline& deadline) {
  leaves_ = 1;
  while (leaves_ < at(n_)) leaves_ *= 2;
  depthTree_.assign(2 * leaves_, ~std::uint64_t{0});
  for (std::int32_t p = 0; p < n_; ++p) depthTree_[at(p) + leaves_] = static_cast<std::uint64_t>(depth_[at(p)]) << 32 | static_cast<std::uint64_t>(p);
  for (std::size_t i = leaves_ - 1; i > 0; --i) depthTree_[i] = std::min(depthTree_[2 * i], depthTree_[2 * i + 1]);
  // Counting sorts by depth: of the positions, and of the back edges by their upper ends.
  std::vector<std::int32_t> positions(at(n_));
  std::iota(positions.begin(), positions.end(), 0);
  const std::vector<std::int32_t> byDepth = sortedByKey(positions, n_, [&](std::int32_t p) { return depth_[at(p)]; });
  back_ = sortedByKey(back_, n_, [&](const auto& edge) { return depth_[at(edge[1])]; });
  RangeMax reach(n_);
  RangeXor labels(n_);
  highDepth_.assign(at(n_), kNone);
  meeting_.assign(at(n_), kNone);
  std::size_t inserted = 0;
  DeadlinePoller poller(deadline);
  for (const std::int32_t u : byDepth) {
    if (poller.expired(8)) return false;
    for (; inserted < back_.size() && depth_[at(back_[inserted][1])] < depth_[at(u)]; ++inserted) {
      const auto& [lower, upper, e] = back_[inserted];
      reach.raise(lower, depth_[at(upper)]);
      labels.add(lower, edgeLabel(e));
    }
    if (u == 0) continue;
    const std::int32_t last = u + size_[at(u)];
    highDepth_[at(u)] = reach.max(u, last);
    const std::int32_t meet = lowestCommonAncestor(reach.firstHeld(u, last), reach.lastHeld(u, last));
    meeting_[at(u)] = meet;
    if (reach.max(meet, meet + 1) == kNone) splitBelow(u, meet, reach, labels);
  }
  return true;
}

// A subtree u less a subtree w below it, left by one back edge from between them: every back edge
// leaving w's subtree reaches above u, and u's has one more. The ancestors of w with each count
// are kept in stacks along the current tree path, deepest on top.
void ThreeCutFinder::twoTreeEdgesBelow() {
  std::vector<std::int32_t> topWith(at(m_) + 2, kNone), nextWith(at(n_), kNone), path;
  for (std::int32_t w = 0; w < n_; ++w) {
    while (!path.empty() && path.back() != up_[at(w)]) {
      topWith[at(leaving_[at(path.back())])] = nextWith[at(path.back())];
      path.pop_back();
    }
    if (w != 0) {
      const std::int32_t wanted = leaving_[at(w)] + 1;
      for (std::int32_t u = topWith[at(wanted)]; u != kNone && depth_[at(u)] > highDepth_[at(w)]; u = nextWith[at(u)]) {
        addWithBackEdge(u, w, idSum_[at(u)] - idSum_[at(w)]);
      }
    }
    nextWith[at(w)] = topWith[at(leaving_[at(w)])];
    topWith[at(leaving_[at(w)])] = w;
    path.push_back(w);
  }
}

// Cuts whose tree edges are u's and that of a vertex w between u and the meeting point of the
// back edges leaving u's subtree (all of which then leave w's too): left by one more back edge
// (from w's subtree to between them), or by the tree edge of a subtree below w that holds the
// rest of w's leaving edges (so w has more of them than u).
bool ThreeCutFinder::walkMeetingPaths(const Deadline& deadline) {
  DeadlinePoller poller(deadline);
  for (std::int32_t u = 1; u < n_; ++u) {
    for (std::int32_t w = meeting_[at(u)]; w != u; w = up_[at(w)]) {
      if (poller.expired()) return false;
      ++work_;
      if (leaving_[at(w)] == leaving_[at(u)]) continue;
      if (leaving_[at(w)] == leaving_[at(u)] + 1) addWithBackEdge(u, w, idSum_[at(w)] - idSum_[at(u)]);
      forEachWithLabel(label_[at(u)] ^ label_[at(w)], [&](std::int32_t z) {
        if (z != w && inSubtree(z, w)) add({treeEdge_[at(u)], treeEdge_[at(w)], treeEdge_[at(z)]}, u, w, kNone, z);
      });
    }
  }
  return true;
}

// The back edge named by a difference of id sums must be one whose label closes the cut; a
// mismatch (which the counts rule out) is dropped rather than reported.
void ThreeCutFinder::addWithBackEdge(std::int32_t u, std::int32_t w, std::uint64_t id) {
  if (id >= at(m_)) return;
  const auto e = static_cast<std::int32_t>(id);
  if ((label_[at(u)] ^ label_[at(w)]) != edgeLabel(e)) return;
  add({treeEdge_[at(u)], treeEdge_[at(w)], e}, u, w, kNone, kNone);
}

std::int32_t ThreeCutFinder::farSideOrder(const Cut& cut) const {
  const auto order = [&](std::int32_t p) { return p == kNone ? 0 : size_[at(p)]; };
  return order(cut.top) - order(cut.hole) - order(cut.hole2) + order(cut.extra);
}

bool ThreeCutFinder::onFarSide(const Cut& cut, std::int32_t v) const {
  const std::int32_t p = pre_[at(v)];
  return (inSubtree(p, cut.top) && !inSubtree(p, cut.hole) && !inSubtree(p, cut.hole2)) || inSubtree(p, cut.extra);
}

ThreeCutFinder::Runs ThreeCutFinder::runs(const Cut& cut, bool far) const {
  // Boundaries where membership flips, in position order; the far side starts outside.
  std::array<std::int32_t, 8> flips{};  // two per subtree named
  std::int32_t count = 0;
  for (const std::int32_t p : {cut.top, cut.hole, cut.hole2, cut.extra}) {
    if (p == kNone) continue;
    flips[at(count++)] = p;
    flips[at(count++)] = p + size_[at(p)];
  }
  // At most eight: an insertion sort (std::sort's unrolled prologue trips the bounds warning).
  for (std::int32_t i = 1; i < count; ++i) {
    for (std::int32_t j = i; j > 0 && flips[at(j - 1)] > flips[at(j)]; --j) std::swap(flips[at(j - 1)], flips[at(j)]);
  }
  Runs result;
  std::int32_t from = 0;
  bool inside = !far;
  for (std::int32_t k = 0; k <= count; ++k) {
    const std::int32_t to = k < count ? flips[at(k)] : n_;
    if (inside && to > from) result.run[at(result.count++)] = {from, to};
    from = to;
    inside = !inside;
  }
  return result;
}

}  // namespace bicubic::exact
