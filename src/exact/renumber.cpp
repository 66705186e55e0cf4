#include "exact/renumber.h"

#include <algorithm>

#include "exact/index.h"

namespace bicubic::exact {

// Fills a SimpleGraph's pool list by list, each list with exactly its degree as room (a later
// addEdge moves it, as it would any full list).
class ListWriter {
 public:
  ListWriter(SimpleGraph& g, std::int32_t n, std::int64_t entries) : g_(g) {
    g.n_ = n;
    g.edges_ = entries / 2;
    g.lists_.assign(at(n), {});
    g.pool_.resize(at(entries));
    g.roomTotal_ = entries;
  }
  std::int32_t* list(std::int32_t v, std::int32_t degree) {
    const auto begin = end_;
    end_ += degree;
    g_.lists_[at(v)] = {begin, degree, degree};
    return g_.pool_.data() + begin;
  }

 private:
  SimpleGraph& g_;
  std::int64_t end_ = 0;
};

namespace {

// The lists flat: those of v are flat[begin(v) .. begin(v + 1) - 1]. Built in one forward pass,
// so that the search below misses the cache once a vertex rather than once for its record and
// again for its list; on a regular graph (a cubic one) a list's place is its vertex times the
// degree, and not a second miss either.
struct FlatLists {
  std::int32_t degree = 0;  // all vertices', or 0 when they differ
  std::vector<std::int64_t> start;  // n + 1 entries when degree is 0, else none
  std::vector<std::int32_t> flat;

  std::int64_t begin(std::int32_t v) const { return degree > 0 ? std::int64_t{degree} * v : start[at(v)]; }
};

std::optional<FlatLists> flatLists(const SimpleGraph& g, DeadlinePoller& poller) {
  FlatLists lists;
  const std::int32_t n = g.order();
  lists.degree = n > 0 ? g.degree(0) : 0;
  lists.flat.reserve(at(2 * g.edgeCount()));
  for (std::int32_t v = 0; v < n; ++v) {
    if (poller.expired(g.degree(v))) return std::nullopt;
    // The starts are kept only from the first vertex whose degree differs.
    if (lists.degree > 0 && g.degree(v) != lists.degree) {
      lists.start.resize(at(v));
      for (std::int32_t u = 0; u < v; ++u) lists.start[at(u)] = std::int64_t{lists.degree} * u;
      lists.degree = 0;
    }
    if (lists.degree == 0) lists.start.push_back(static_cast<std::int64_t>(lists.flat.size()));
    const auto around = g.neighbours(v);
    lists.flat.insert(lists.flat.end(), around.begin(), around.end());
  }
  if (lists.degree == 0) lists.start.push_back(static_cast<std::int64_t>(lists.flat.size()));
  return lists;
}

// Depth-first searches run side by side, one step each in turn, each with its own stack
// and its own run of numbers; a search whose stack runs dry starts again from the lowest vertex
// no search has met. The order is the first search's run, then the second's, and so on: each run
// is a depth-first preorder of what its search took, so neighbours still mostly get near numbers.
// A single search waits out a cache miss at every step on a large graph (the next vertex is
// known only once the last one's list is read); side by side, each search's next list is fetched
// while the others step, and the misses overlap.
struct Walk {
  std::vector<std::int32_t> stack, numbered;
  bool done = false;
};

// The vertices met, a bit each: every step asks about a vertex's neighbours, far apart on a large
// graph, and at a million vertices 125 KB stay in the nearest caches where a byte each would not.
class MetSet {
 public:
  explicit MetSet(std::int32_t n) : bits_((at(n) + 63) / 64, 0) {}
  bool contains(std::int32_t v) const { return ((bits_[at(v) / 64] >> (at(v) % 64)) & 1U) != 0; }
  void insert(std::int32_t v) { bits_[at(v) / 64] |= std::uint64_t{1} << (at(v) % 64); }

 private:
  std::vector<std::uint64_t> bits_;
};

// The next vertex walk takes: its stack's top not yet met, else a new start; -1 when no vertex is
// left. A vertex goes on the stack once a search meets it beside one it numbers, and its
// neighbours in reverse, so that the first is taken next: the preorder of the recursive search.
std::int32_t nextVertex(Walk& walk, const MetSet& seen, std::int32_t& nextStart, std::int32_t n) {
  while (!walk.stack.empty()) {
    const std::int32_t v = walk.stack.back();
    walk.stack.pop_back();
    if (!seen.contains(v)) return v;
  }
  while (nextStart < n && seen.contains(nextStart)) ++nextStart;
  return nextStart < n ? nextStart++ : -1;
}

// Each list is read once, when its vertex is numbered; a stack of the path's positions in the
// lists would read them again on the way back, long after they left the cache on a large graph.
std::optional<std::vector<std::int32_t>> walkOrder(const FlatLists& lists, std::int32_t n, std::int32_t searches,
                                                   DeadlinePoller& poller) {
  std::vector<Walk> walks(at(std::max(searches, 1)));
  MetSet seen(n);
  std::int32_t nextStart = 0;
  for (std::size_t running = walks.size(); running > 0;) {
    for (Walk& walk : walks) {
      if (walk.done) continue;
      const std::int32_t v = nextVertex(walk, seen, nextStart, n);
      if (v < 0) {
        walk.done = true;
        --running;
        continue;
      }
      const std::int64_t begin = lists.begin(v), end = lists.begin(v + 1);
      if (poller.expired(end - begin)) return std::nullopt;
      seen.insert(v);
      walk.numbered.push_back(v);
      for (std::int64_t i = end; i-- > begin;) {
        if (!seen.contains(lists.flat[at(i)])) walk.stack.push_back(lists.flat[at(i)]);
      }
      if (!walk.stack.empty()) __builtin_prefetch(lists.flat.data() + lists.begin(walk.stack.back()));
    }
  }
  std::vector<std::int32_t> order;
  order.reserve(at(n));
  for (const Walk& walk : walks) order.insert(order.end(), walk.numbered.begin(), walk.numbered.end());
  return order;
}

}  // namespace

std::optional<Renumbered> depthFirstRenumbered(const SimpleGraph& g, const Deadline& deadline, std::int32_t searches) {
  DeadlinePoller poller(deadline);
  const std::int32_t n = g.order();
  const std::optional<FlatLists> lists = flatLists(g, poller);
  if (!lists) return std::nullopt;
  std::optional<std::vector<std::int32_t>> order = walkOrder(*lists, n, searches, poller);
  if (!order) return std::nullopt;
  std::vector<std::int32_t> number(at(n));
  for (std::int32_t k = 0; k < n; ++k) number[at((*order)[at(k)])] = k;
  Renumbered result;
  ListWriter writer(result.graph, n, static_cast<std::int64_t>(lists->flat.size()));
  // The lists are read in the new order, each one whole: the reads do not wait on each other.
  // A list is fetched kListAhead vertices ahead, and its neighbours' numbers half as far ahead,
  // once it has come.
  constexpr std::int32_t kListAhead = 16;
  for (std::int32_t k = 0; k < n; ++k) {
    if (k + kListAhead < n) __builtin_prefetch(lists->flat.data() + lists->begin((*order)[at(k + kListAhead)]));
    if (k + kListAhead / 2 < n) {
      const std::int32_t ahead = (*order)[at(k + kListAhead / 2)];
      for (std::int64_t i = lists->begin(ahead); i < lists->begin(ahead + 1); ++i) {
        __builtin_prefetch(number.data() + lists->flat[at(i)]);
      }
    }
    const std::int32_t v = (*order)[at(k)];
    const std::int64_t begin = lists->begin(v), end = lists->begin(v + 1);
    if (poller.expired(end - begin)) return std::nullopt;
    std::int32_t* to = writer.list(k, static_cast<std::int32_t>(end - begin));
    for (std::int64_t i = begin; i < end; ++i) *to++ = number[at(lists->flat[at(i)])];
  }
  result.order = std::move(*order);
  return result;
}

}  // namespace bicubic::exact
