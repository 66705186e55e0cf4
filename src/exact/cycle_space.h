// Cycle-space labels for 2-edge cuts: every edge outside a spanning forest gets a random 64-bit
// label and every forest edge the XOR of the labels of the edges leaving the subtree below it,
// so two edges of a 2-edge-connected graph share a label exactly when they form a 2-edge cut
// (a false match has chance 2^-64 per pair; callers needing certainty confirm it). Labelling
// costs O(m) and grouping O(n log n + (m - n) log n), polling the deadline as it goes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <span>
#include <utility>
#include <vector>

#include "exact/deadline.h"
#include "exact/index.h"
#include "exact/rng.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

class CutPairLabels {
 public:
  using Entry = std::pair<std::uint64_t, std::int32_t>;  // label, edge

  // Chooses the random labels: edge e's is a hash of seed and e, so none is stored.
  void seed(std::uint64_t seed) { seed_ = seed; }

  // Labels the edges e with excluded(e) false. parentEdge[v] is the forest edge from v towards
  // its root (-1 at a root) and order lists the forest's vertices, each after its parent.
  // Afterwards classes() lists every class of two or more edges with one nonzero label (a
  // forest edge labelled 0 is a bridge, a cut on its own). Returns false, with the classes
  // empty, when the deadline passed first.
  template <class Excluded>
  bool findClasses(const EdgeIndex& index, std::span<const std::int32_t> parentEdge,
                   std::span<const std::int32_t> order, Excluded excluded, const Deadline& deadline);

  // The same for every edge of a whole graph, over a breadth-first spanning forest: what a
  // search for the 2-edge cuts of an input graph needs.
  bool findClasses(const EdgeIndex& index, const Deadline& deadline);

  // The labels themselves: visit(e, label, inForest) for every edge e not excluded, the
  // non-forest edges first. Three edges form a 3-edge cut when their labels XOR to 0.
  template <class Excluded, class Visit>
  bool labelEdges(const EdgeIndex& index, std::span<const std::int32_t> parentEdge,
                  std::span<const std::int32_t> order, Excluded excluded, const Deadline& deadline, Visit visit);

  // Sorted by label: each run of equal labels is one class.
  const std::vector<Entry>& classes() const { return classes_; }

 private:
  // Odd, so that no non-forest edge is ever labelled 0 (the bridge label).
  std::uint64_t randomLabel(std::int32_t e) const { return Rng(seed_ ^ static_cast<std::uint64_t>(e)).next() | 1; }
  // Looks the non-forest edges' labels up among the sorted forest labels.
  template <class Excluded>
  bool matchNonForest(const EdgeIndex& index, std::span<const std::int32_t> parentEdge, Excluded excluded,
                      const Deadline& deadline);
  void keepClasses();

  std::uint64_t seed_ = 0;
  std::vector<std::uint64_t> acc_;
  std::vector<std::int32_t> parentEdge_, order_;  // the whole-graph forest
  std::vector<Entry> forest_, classes_;
};

// A breadth-first spanning forest of the edges e with excluded(e) false, in the form
// CutPairLabels::findClasses takes. O(n + m).
template <class Excluded>
void spanningForest(const EdgeIndex& index, Excluded excluded, std::vector<std::int32_t>& parentEdge,
                    std::vector<std::int32_t>& order) {
  const std::int32_t n = index.vertexCount();
  parentEdge.assign(at(n), -1);
  order.clear();
  std::vector<char> seen(at(n), 0);
  for (std::int32_t root = 0; root < n; ++root) {
    if (seen[at(root)]) continue;
    seen[at(root)] = 1;
    order.push_back(root);
    for (std::size_t k = order.size() - 1; k < order.size(); ++k) {
      const std::int32_t v = order[k];
      for (std::int32_t i = index.start[at(v)]; i < index.start[at(v) + 1]; ++i) {
        const std::int32_t e = index.edgeOf[at(i)];
        const std::int32_t w = index.other(e, v);
        if (excluded(e) || seen[at(w)]) continue;
        seen[at(w)] = 1;
        parentEdge[at(w)] = e;
        order.push_back(w);
      }
    }
  }
}

template <class Excluded, class Visit>
bool CutPairLabels::labelEdges(const EdgeIndex& index, std::span<const std::int32_t> parentEdge,
                               std::span<const std::int32_t> order, Excluded excluded, const Deadline& deadline,
                               Visit visit) {
  acc_.assign(at(index.vertexCount()), 0);
  const std::int32_t m = index.edgeCount();
  DeadlinePoller poller(deadline);
  for (std::int32_t e = 0; e < m; ++e) {
    if (poller.expired()) return false;
    if (excluded(e)) continue;
    const std::int32_t u = index.first[at(e)];
    const std::int32_t v = index.second[at(e)];
    if (parentEdge[at(u)] == e || parentEdge[at(v)] == e) continue;
    const std::uint64_t label = randomLabel(e);
    acc_[at(u)] ^= label;
    acc_[at(v)] ^= label;
    visit(e, label, false);
  }
  for (std::size_t k = order.size(); k-- > 0;) {
    const std::int32_t v = order[k];
    const std::int32_t e = parentEdge[at(v)];
    if (e < 0) continue;
    acc_[at(index.other(e, v))] ^= acc_[at(v)];
    visit(e, acc_[at(v)], true);
  }
  return true;
}

template <class Excluded>
bool CutPairLabels::findClasses(const EdgeIndex& index, std::span<const std::int32_t> parentEdge,
                                std::span<const std::int32_t> order, Excluded excluded, const Deadline& deadline) {
  classes_.clear();
  forest_.clear();
  const auto keepForest = [this](std::int32_t e, std::uint64_t label, bool inForest) {
    if (inForest && label != 0) forest_.emplace_back(label, e);
  };
  if (!labelEdges(index, parentEdge, order, excluded, deadline, keepForest)) return false;
  std::sort(forest_.begin(), forest_.end());
  if (!matchNonForest(index, parentEdge, excluded, deadline)) return false;
  keepClasses();
  return true;
}

// Removing two non-forest edges leaves the forest whole, so every class holds a forest edge and
// only the forest labels need sorting.
template <class Excluded>
bool CutPairLabels::matchNonForest(const EdgeIndex& index, std::span<const std::int32_t> parentEdge,
                                   Excluded excluded, const Deadline& deadline) {
  const std::int32_t m = index.edgeCount();
  DeadlinePoller poller(deadline);
  for (std::int32_t e = 0; e < m; ++e) {
    if (poller.expired()) {
      classes_.clear();
      return false;
    }
    if (excluded(e) || parentEdge[at(index.first[at(e)])] == e || parentEdge[at(index.second[at(e)])] == e) continue;
    const Entry key{randomLabel(e), e};
    const auto it = std::lower_bound(forest_.begin(), forest_.end(), key);
    const bool equalAbove = it != forest_.end() && it->first == key.first;
    const bool equalBelow = it != forest_.begin() && std::prev(it)->first == key.first;
    if (equalAbove || equalBelow) classes_.push_back(key);
  }
  return true;
}

}  // namespace bicubic::exact
