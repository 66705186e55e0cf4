#include "exact/path_tree.h"

#include <utility>

#include "exact/rng.h"

namespace bicubic::exact {

PathTree::PathTree(std::int32_t n, std::uint64_t seed) : nodes_(idx(n)), onPath_(idx(n), 0) {
  for (std::int32_t v = 0; v < n; ++v) {
    nodes_[idx(v)].priority = static_cast<std::uint32_t>(mix64(seed ^ static_cast<std::uint64_t>(v)) >> 32);
  }
}

void PathTree::pushDown(std::int32_t t) {
  Node& x = nodes_[idx(t)];
  if (!x.flipped) return;
  std::swap(x.left, x.right);
  if (x.left >= 0) nodes_[idx(x.left)].flipped ^= true;
  if (x.right >= 0) nodes_[idx(x.right)].flipped ^= true;
  x.flipped = false;
}

void PathTree::pull(std::int32_t t) {
  Node& x = nodes_[idx(t)];
  x.size = 1 + sizeOf(x.left) + sizeOf(x.right);
  if (x.left >= 0) nodes_[idx(x.left)].parent = t;
  if (x.right >= 0) nodes_[idx(x.right)].parent = t;
}

void PathTree::setRoot(std::int32_t t) {
  root_ = t;
  if (t >= 0) nodes_[idx(t)].parent = -1;
}

// Recursion depth is the tree's depth, O(log n) expected with random priorities.
void PathTree::split(std::int32_t t, std::int32_t k, std::int32_t& a, std::int32_t& b) {
  if (t < 0) {
    a = b = -1;
    return;
  }
  pushDown(t);
  Node& x = nodes_[idx(t)];
  if (sizeOf(x.left) >= k) {
    split(x.left, k, a, nodes_[idx(t)].left);
    pull(t);
    b = t;
  } else {
    split(x.right, k - sizeOf(x.left) - 1, nodes_[idx(t)].right, b);
    pull(t);
    a = t;
  }
  if (a >= 0) nodes_[idx(a)].parent = -1;
  if (b >= 0) nodes_[idx(b)].parent = -1;
}

std::int32_t PathTree::merge(std::int32_t a, std::int32_t b) {
  if (a < 0) return b;
  if (b < 0) return a;
  if (nodes_[idx(a)].priority > nodes_[idx(b)].priority) {
    pushDown(a);
    nodes_[idx(a)].right = merge(nodes_[idx(a)].right, b);
    pull(a);
    return a;
  }
  pushDown(b);
  nodes_[idx(b)].left = merge(a, nodes_[idx(b)].left);
  pull(b);
  return b;
}

void PathTree::pushBack(std::int32_t v) {
  onPath_[idx(v)] = 1;
  nodes_[idx(v)] = Node{-1, -1, -1, 1, nodes_[idx(v)].priority, false};
  setRoot(merge(root_, v));
}

void PathTree::pushFront(std::int32_t v) {
  onPath_[idx(v)] = 1;
  nodes_[idx(v)] = Node{-1, -1, -1, 1, nodes_[idx(v)].priority, false};
  setRoot(merge(v, root_));
}

// Applies the pending flips from the root down to v, then counts what lies before v on the way up.
std::int32_t PathTree::position(std::int32_t v) {
  stack_.clear();
  for (std::int32_t x = v; x >= 0; x = nodes_[idx(x)].parent) stack_.push_back(x);
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) pushDown(*it);
  std::int32_t before = sizeOf(nodes_[idx(v)].left);
  for (std::int32_t x = v, p = nodes_[idx(x)].parent; p >= 0; x = p, p = nodes_[idx(p)].parent) {
    if (nodes_[idx(p)].right == x) before += sizeOf(nodes_[idx(p)].left) + 1;
  }
  return before;
}

// Down the near subtree to its far end when v has one, else up to the first ancestor on that side.
std::int32_t PathTree::beside(std::int32_t v, bool forwards) {
  const auto towards = [&](std::int32_t t) { return forwards ? nodes_[idx(t)].right : nodes_[idx(t)].left; };
  const auto away = [&](std::int32_t t) { return forwards ? nodes_[idx(t)].left : nodes_[idx(t)].right; };
  pushDown(v);
  if (std::int32_t t = towards(v); t >= 0) {
    for (pushDown(t); away(t) >= 0; pushDown(t)) t = away(t);
    return t;
  }
  std::int32_t x = v;
  for (std::int32_t p = nodes_[idx(x)].parent; p >= 0; x = p, p = nodes_[idx(p)].parent) {
    if (away(p) == x) return p;
  }
  return -1;
}

std::int32_t PathTree::nextOfLocated(std::int32_t v) { return beside(v, true); }
std::int32_t PathTree::previousOfLocated(std::int32_t v) { return beside(v, false); }

std::int32_t PathTree::vertexAt(std::int32_t k) {
  std::int32_t t = root_;
  for (;;) {
    pushDown(t);
    const std::int32_t left = sizeOf(nodes_[idx(t)].left);
    if (k == left) return t;
    if (k < left) {
      t = nodes_[idx(t)].left;
    } else {
      k -= left + 1;
      t = nodes_[idx(t)].right;
    }
  }
}

void PathTree::reverse(std::int32_t lo, std::int32_t hi) {
  std::int32_t a = -1, b = -1, c = -1, d = -1;
  split(root_, hi + 1, a, d);
  split(a, lo, b, c);
  nodes_[idx(c)].flipped ^= true;
  setRoot(merge(merge(b, c), d));
}

void PathTree::list(std::vector<std::int32_t>& out) {
  out.clear();
  stack_.clear();
  for (std::int32_t t = root_; t >= 0 || !stack_.empty();) {
    if (t >= 0) {
      pushDown(t);
      stack_.push_back(t);
      t = nodes_[idx(t)].left;
    } else {
      t = stack_.back();
      stack_.pop_back();
      out.push_back(t);
      t = nodes_[idx(t)].right;
    }
  }
}

}  // namespace bicubic::exact
