// PathTree: a path over some of the vertices 0..n-1, kept as a treap keyed by position with lazy
// reversal, so that the rotation search can reverse a stretch of a long path without moving it.
// Invariant: an in-order walk of the tree, reversal flags applied, lists the path front to back.
// Cost: O(log n) expected for every operation (extend, locate, reverse), O(n) for the whole list.
#pragma once

#include <cstdint>
#include <vector>

namespace bicubic::exact {

class PathTree {
 public:
  // An empty path over the vertices 0..n-1. Priorities come from a hash of the vertex and seed,
  // so that the shape never depends on the caller's random stream.
  explicit PathTree(std::int32_t n, std::uint64_t seed = 0);

  std::int32_t size() const { return root_ < 0 ? 0 : nodes_[idx(root_)].size; }
  bool contains(std::int32_t v) const { return onPath_[idx(v)] != 0; }
  // Adds v (not on the path yet) at the back or the front.
  void pushBack(std::int32_t v);
  void pushFront(std::int32_t v);
  // The position of v (0 at the front); v must be on the path.
  std::int32_t position(std::int32_t v);
  // The vertices after and before v on the path (-1 past an end), for the v of the last call of
  // position(), which leaves no pending flip above v.
  std::int32_t nextOfLocated(std::int32_t v);
  std::int32_t previousOfLocated(std::int32_t v);
  // The vertex at position k, 0 <= k < size().
  std::int32_t vertexAt(std::int32_t k);
  // Reverses positions lo..hi (inclusive), 0 <= lo <= hi < size().
  void reverse(std::int32_t lo, std::int32_t hi);
  // The whole path, front to back.
  void list(std::vector<std::int32_t>& out);

 private:
  struct Node {
    std::int32_t left = -1, right = -1, parent = -1, size = 1;
    std::uint32_t priority = 0;
    bool flipped = false;  // the subtree's order is reversed, not yet passed to the children
  };
  static std::size_t idx(std::int32_t v) { return static_cast<std::size_t>(v); }
  std::int32_t sizeOf(std::int32_t t) const { return t < 0 ? 0 : nodes_[idx(t)].size; }
  void pushDown(std::int32_t t);
  void pull(std::int32_t t);
  // Splits t into its first k positions (a) and the rest (b).
  void split(std::int32_t t, std::int32_t k, std::int32_t& a, std::int32_t& b);
  std::int32_t merge(std::int32_t a, std::int32_t b);
  void setRoot(std::int32_t t);
  // The neighbour of located vertex v on one side: towards the back (forwards) or the front.
  std::int32_t beside(std::int32_t v, bool forwards);

  std::vector<Node> nodes_;
  std::vector<char> onPath_;
  std::vector<std::int32_t> stack_;
  std::int32_t root_ = -1;
};

}  // namespace bicubic::exact
