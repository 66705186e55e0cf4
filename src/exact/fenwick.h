// Fenwick tree over positions 0..n-1 for a value group (counts under +, labels under XOR): add a
// value at a position, combine the values of a run [first, last). O(log n) an operation, n + 1
// values of memory.
#pragma once

#include <cstdint>
#include <vector>

#include "exact/index.h"

namespace bicubic::exact {

// Combine joins two values; Remove undoes Combine (minus for +, XOR itself for XOR).
template <class T, class Combine, class Remove>
class Fenwick {
 public:
  explicit Fenwick(std::int32_t size) : tree_(at(size) + 1, T{}) {}
  void add(std::int32_t p, T value) {
    for (std::size_t i = at(p) + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] = Combine{}(tree_[i], value);
  }
  T of(std::int32_t first, std::int32_t last) const { return Remove{}(before(last), before(first)); }

 private:
  T before(std::int32_t end) const {
    T x{};
    for (std::size_t i = at(end); i > 0; i -= i & (~i + 1)) x = Combine{}(x, tree_[i]);
    return x;
  }
  std::vector<T> tree_;
};

}  // namespace bicubic::exact
