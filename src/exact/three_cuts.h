// ThreeCutFinder: every 2-edge and 3-edge cut of a connected graph without a bridge, from one
// depth-first tree (a 2-edge cut is a subtree left by one back edge, or a subtree less one below it
// with the same back edges leaving; of a class of such tree edges on one path, the pieces between
// neighbours are listed). A cut holds one, two or three tree edges, and its side away from the root is a subtree,
// a subtree less one or two subtrees, or a subtree less a subtree plus a subtree inside that; the
// counts, id sums and random XOR labels of the back edges leaving each subtree say which (a set
// whose labels XOR to zero without being a cut has chance 2^-64). Cost: O(m log n) for the
// counts and one sweep of range queries, plus the tree paths between each subtree's root and the
// meeting point of the back edges leaving it (short in practice; its length is work()).
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "exact/deadline.h"
#include "exact/index.h"
#include "exact/rng.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

class ThreeCutFinder {
 public:
  struct Cut {
    // Edge numbers of the index, ascending; a 2-edge cut's third is -1 (first).
    std::array<std::int32_t, 3> edges{};
    // The side without the root: the subtree of top, less those of hole and hole2, plus that of
    // extra (which lies in hole's); each by the preorder position of its root, -1 where none.
    std::int32_t top = -1, hole = -1, hole2 = -1, extra = -1;
  };
  // Preorder positions [first, last) of a side, ascending: at most four runs.
  struct Runs {
    std::array<std::pair<std::int32_t, std::int32_t>, 4> run{};
    std::int32_t count = 0;
  };

  // Finds the cuts of the graph the index describes. False when the deadline passed first
  // (cuts() is then empty); a disconnected graph or one with a bridge has no cut listed.
  bool run(const EdgeIndex& index, std::uint64_t seed, const Deadline& deadline);
  // The 3-edge cuts, each once, sorted by edges; the 2-edge cuts between neighbours in a class.
  const std::vector<Cut>& cuts() const { return cuts_; }
  const std::vector<Cut>& twoEdgeCuts() const { return twoCuts_; }

  std::int32_t farSideOrder(const Cut& cut) const;
  bool onFarSide(const Cut& cut, std::int32_t v) const;
  // The far side's runs of positions, or the near side's (with the root) when far is false.
  Runs runs(const Cut& cut, bool far) const;
  // A vertex's preorder position in the tree, and back.
  std::int32_t position(std::int32_t v) const { return pre_[at(v)]; }
  std::int32_t vertexAt(std::int32_t p) const { return vertexAt_[at(p)]; }
  // Steps of the tree path walks: the part of the cost not bounded by O(m log n).
  std::int64_t work() const { return work_; }

 private:
  bool depthFirst(const EdgeIndex& index, const Deadline& deadline);
  void countBackEdges();
  void indexLabels();
  void oneTreeEdge();
  void twoEdgeCuts(const Deadline& deadline);
  bool sweep(const Deadline& deadline);
  void twoTreeEdgesBelow();
  bool walkMeetingPaths(const Deadline& deadline);
  void addWithBackEdge(std::int32_t u, std::int32_t w, std::uint64_t id);
  // A back edge's random label (odd, so never zero), from the seed and its number.
  std::uint64_t edgeLabel(std::int32_t e) const { return Rng(seed_ ^ static_cast<std::uint64_t>(e)).next() | 1; }
  void add(std::array<std::int32_t, 3> edges, std::int32_t top, std::int32_t hole, std::int32_t hole2,
           std::int32_t extra);
  template <class Reach, class Labels>
  void splitBelow(std::int32_t u, std::int32_t meet, const Reach& reach, const Labels& labels);
  // Positions: whether p lies in the subtree at root.
  bool inSubtree(std::int32_t p, std::int32_t root) const { return root >= 0 && p >= root && p < root + size_[at(root)]; }
  template <class Visit>
  void forEachWithLabel(std::uint64_t label, Visit visit) const;
  std::int32_t lowestCommonAncestor(std::int32_t x, std::int32_t y) const;

  std::int32_t n_ = 0;
  std::int32_t m_ = 0;
  std::int64_t work_ = 0;
  std::uint64_t seed_ = 0;
  // The depth-first tree: each vertex's preorder position and the vertex at each position; by
  // position, the parent's position, the edge to it, the depth and the subtree's order.
  std::vector<std::int32_t> pre_, vertexAt_, up_, treeEdge_, depth_, size_;
  // Back edges as (lower end, upper end, edge number), ends by position.
  std::vector<std::array<std::int32_t, 3>> back_;
  // Of the back edges leaving each subtree: XOR of labels (the tree edge's label), count, and
  // sums of edge numbers and their squares (to name the edges when there are one or two).
  std::vector<std::uint64_t> label_, idSum_, idSquareSum_;
  std::vector<std::int32_t> leaving_;
  // Per subtree: the depth of the deepest vertex a back edge leaving it reaches, and the lowest
  // common ancestor of those edges' lower ends.
  std::vector<std::int32_t> highDepth_, meeting_;
  // Tree edge labels: open addressing from label to the position below the edge, chained.
  std::vector<std::pair<std::uint64_t, std::int32_t>> table_;
  std::vector<std::int32_t> chain_;
  // A bit per label value class (the labels' top bits), set for the tree edges' labels.
  std::vector<std::uint64_t> present_;
  static constexpr int kPresentShift = 20;
  std::size_t tableMask_ = 0;
  // Minimum (depth, position) over preorder runs: lowest common ancestors.
  std::vector<std::uint64_t> depthTree_;
  std::size_t leaves_ = 1;
  std::vector<Cut> cuts_, twoCuts_;
};

}  // namespace bicubic::exact
