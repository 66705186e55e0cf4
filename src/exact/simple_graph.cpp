#include "exact/simple_graph.h"

#include <algorithm>
#include <array>

#include "exact/index.h"
#include "exact/rng.h"

namespace bicubic::exact {

// Every list starts with its first room in place, in vertex order: a graph of degree at most
// kFirstRoom is built without a single move, and a stream of small graphs without an allocation.
void SimpleGraph::reset(std::int32_t n) {
  n_ = n;
  edges_ = 0;
  lists_.resize(at(n));
  for (std::int32_t v = 0; v < n; ++v) lists_[at(v)] = List{std::int64_t{kFirstRoom} * v, 0, kFirstRoom};
  roomTotal_ = std::int64_t{kFirstRoom} * n;
  pool_.resize(at(roomTotal_));
}

bool SimpleGraph::addEdge(std::int32_t u, std::int32_t v) {
  if (u == v || hasEdge(u, v)) return false;
  addNewEdge(u, v);
  return true;
}

void SimpleGraph::addNewEdge(std::int32_t u, std::int32_t v) {
  append(u, v);
  append(v, u);
  ++edges_;
}

void SimpleGraph::append(std::int32_t v, std::int32_t w) {
  if (lists_[at(v)].degree == lists_[at(v)].room) grow(v);
  List& list = lists_[at(v)];
  pool_[at(list.begin + list.degree++)] = w;
}

// Doubles v's room (a list written whole may have none: it gets kFirstRoom): in place when v's
// list ends the pool, else at the pool's end. The pool is packed rather than reallocated when it
// is full, so the holes moved lists leave (at most the live room) are dropped, and peak memory
// stays within twice the lists' room.
void SimpleGraph::grow(std::int32_t v) {
  const std::int32_t room = lists_[at(v)].room;
  const std::int32_t wanted = std::max(2 * room, kFirstRoom);
  auto endsPool = [&] { return lists_[at(v)].begin + room == static_cast<std::int64_t>(pool_.size()); };
  const std::int64_t extra = endsPool() ? wanted - room : wanted;
  if (static_cast<std::int64_t>(pool_.size()) + extra > static_cast<std::int64_t>(pool_.capacity())) compact(extra);
  // Packing may have moved v's list to the end: ask again.
  List& list = lists_[at(v)];
  if (endsPool()) {
    pool_.resize(pool_.size() + at(wanted - room));
  } else {
    const auto to = static_cast<std::int64_t>(pool_.size());
    pool_.resize(pool_.size() + at(wanted));
    std::copy_n(pool_.begin() + list.begin, list.degree, pool_.begin() + to);
    list.begin = to;
  }
  roomTotal_ += wanted - room;
  list.room = wanted;
}

// Copies every list, in vertex order with its room, into a pool with space for `extra` more
// entries and as much again as the lists hold.
void SimpleGraph::compact(std::int64_t extra) {
  const std::int64_t live = roomTotal_ + extra;
  std::vector<std::int32_t> packed;
  packed.reserve(at(2 * live));
  for (List& list : lists_) {
    const auto from = pool_.begin() + list.begin;
    list.begin = static_cast<std::int64_t>(packed.size());
    packed.insert(packed.end(), from, from + list.degree);
    packed.resize(packed.size() + at(list.room - list.degree));
  }
  pool_.swap(packed);
}

bool SimpleGraph::hasEdge(std::int32_t u, std::int32_t v) const {
  const auto a = neighbours(u);
  const auto b = neighbours(v);
  if (a.size() <= b.size()) return std::find(a.begin(), a.end(), v) != a.end();
  return std::find(b.begin(), b.end(), u) != b.end();
}

std::vector<std::int8_t> twoColouring(const SimpleGraph& g) { return *twoColouring(g, Deadline::never()); }

std::optional<std::vector<std::int8_t>> twoColouring(const SimpleGraph& g, const Deadline& deadline) {
  const std::int32_t n = g.order();
  std::vector<std::int8_t> colour(at(n), -1);
  std::vector<std::int32_t> stack;
  DeadlinePoller poller(deadline);
  for (std::int32_t s = 0; s < n; ++s) {
    if (colour[at(s)] >= 0) continue;
    colour[at(s)] = 0;
    stack.push_back(s);
    while (!stack.empty()) {
      const std::int32_t v = stack.back();
      stack.pop_back();
      if (poller.expired(g.degree(v))) return std::nullopt;
      for (std::int32_t w : g.neighbours(v)) {
        if (colour[at(w)] < 0) {
          colour[at(w)] = static_cast<std::int8_t>(1 - colour[at(v)]);
          stack.push_back(w);
        } else if (colour[at(w)] == colour[at(v)]) {
          return std::vector<std::int8_t>();
        }
      }
    }
  }
  return colour;
}

bool isConnected(const SimpleGraph& g) { return *isConnected(g, Deadline::never()); }

std::optional<bool> isConnected(const SimpleGraph& g, const Deadline& deadline) {
  const std::int32_t n = g.order();
  if (n == 0) return true;
  std::vector<char> seen(at(n), 0);
  std::vector<std::int32_t> stack{0};
  seen[0] = 1;
  std::int32_t reached = 1;
  DeadlinePoller poller(deadline);
  while (!stack.empty()) {
    const std::int32_t v = stack.back();
    stack.pop_back();
    if (poller.expired(g.degree(v))) return std::nullopt;
    for (std::int32_t w : g.neighbours(v)) {
      if (!seen[at(w)]) {
        seen[at(w)] = 1;
        ++reached;
        stack.push_back(w);
      }
    }
  }
  return reached == n;
}

bool hasCutVertex(const SimpleGraph& g) { return g.order() >= 3 && searchCutVertex(g, Deadline::never())->cutVertex; }

std::optional<CutVertexSearch> searchCutVertex(const SimpleGraph& g, const Deadline& deadline) {
  const std::int32_t n = g.order();
  if (n == 0) return CutVertexSearch{};
  // Iterative low-point search from vertex 0.
  std::vector<std::int32_t> disc(at(n), -1), low(at(n), 0), parent(at(n), -1), next(at(n), 0);
  std::vector<std::int32_t> stack{0};
  disc[0] = low[0] = 0;
  std::int32_t time = 1;
  std::int32_t rootChildren = 0;
  DeadlinePoller poller(deadline);
  while (!stack.empty()) {
    if (poller.expired()) return std::nullopt;
    const std::int32_t v = stack.back();
    auto nb = g.neighbours(v);
    if (next[at(v)] < static_cast<std::int32_t>(nb.size())) {
      const std::int32_t w = nb[at(next[at(v)]++)];
      if (disc[at(w)] < 0) {
        parent[at(w)] = v;
        disc[at(w)] = low[at(w)] = time++;
        if (v == 0) ++rootChildren;
        stack.push_back(w);
      } else if (w != parent[at(v)]) {
        low[at(v)] = std::min(low[at(v)], disc[at(w)]);
      }
      continue;
    }
    stack.pop_back();
    const std::int32_t p = parent[at(v)];
    if (p >= 0) {
      low[at(p)] = std::min(low[at(p)], low[at(v)]);
      if (p != 0 && low[at(v)] >= disc[at(p)]) return CutVertexSearch{true, time};
    }
  }
  return CutVertexSearch{rootChildren > 1, time};
}

void indexEdges(const SimpleGraph& g, std::vector<std::int32_t>& first, std::vector<std::int32_t>& second,
                std::vector<std::int32_t>& start, std::vector<std::int32_t>& edgeOf,
                std::vector<std::int32_t>& slot) {
  indexEdges(g, first, second, start, edgeOf, slot, Deadline());
}

bool indexEdges(const SimpleGraph& g, std::vector<std::int32_t>& first, std::vector<std::int32_t>& second,
                std::vector<std::int32_t>& start, std::vector<std::int32_t>& edgeOf,
                std::vector<std::int32_t>& slot, const Deadline& deadline) {
  DeadlinePoller poller(deadline);
  const std::int32_t n = g.order();
  first.clear();
  second.clear();
  first.reserve(at(g.edgeCount()));
  second.reserve(at(g.edgeCount()));
  start.assign(at(n) + 1, 0);
  for (std::int32_t v = 0; v < n; ++v) start[at(v) + 1] = start[at(v)] + g.degree(v);
  edgeOf.resize(at(start[at(n)]));
  slot.assign(start.begin(), start.end() - 1);
  // One pass: the lower end's list fills in order, the higher end's as its edges come.
  for (std::int32_t v = 0; v < n; ++v) {
    if (poller.expired(g.degree(v))) return false;
    for (std::int32_t w : g.neighbours(v)) {
      if (v > w) continue;
      const auto e = static_cast<std::int32_t>(first.size());
      first.push_back(v);
      second.push_back(w);
      edgeOf[at(slot[at(v)]++)] = e;
      edgeOf[at(slot[at(w)]++)] = e;
    }
  }
  return true;
}

bool isHamiltonianCycle(const SimpleGraph& g, std::span<const std::int32_t> cycle) {
  const std::int32_t n = g.order();
  if (n < 3 || static_cast<std::int64_t>(cycle.size()) != n) return false;
  // A family of small graphs checks each certificate without an allocation.
  constexpr std::int32_t kStackOrder = 256;
  std::array<char, kStackOrder> onStack;
  std::vector<char> onHeap(n > kStackOrder ? at(n) : 0);
  char* seen = n > kStackOrder ? onHeap.data() : onStack.data();
  std::fill_n(seen, n, 0);
  for (std::int32_t v : cycle) {
    if (v < 0 || v >= n || seen[at(v)]) return false;
    seen[at(v)] = 1;
  }
  // The lists are fetched a few steps ahead: on a large graph the cycle's vertices are scattered
  // over memory, and the misses then overlap.
  constexpr std::size_t kAhead = 16;
  for (std::size_t k = 0; k < cycle.size(); ++k) {
    if (k + kAhead < cycle.size()) g.prefetchList(cycle[k + kAhead]);
    if (!g.hasEdge(cycle[k], cycle[(k + 1) % cycle.size()])) return false;
  }
  return true;
}

void normaliseCycle(std::vector<std::int32_t>& cycle) {
  if (cycle.size() < 3) return;
  const auto zero = std::find(cycle.begin(), cycle.end(), 0);
  if (zero == cycle.end()) return;
  std::rotate(cycle.begin(), zero, cycle.end());
  if (cycle.back() < cycle[1]) std::reverse(cycle.begin() + 1, cycle.end());
}

std::uint64_t graphSeed(const SimpleGraph& g) {
  std::uint64_t h = Rng(static_cast<std::uint64_t>(g.order()) ^ (static_cast<std::uint64_t>(g.edgeCount()) << 32)).next();
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w) h = Rng(h ^ (static_cast<std::uint64_t>(v) << 32 | static_cast<std::uint32_t>(w))).next();
    }
  }
  return h;
}

}  // namespace bicubic::exact
