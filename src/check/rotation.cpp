#include "check/rotation.h"

#include <algorithm>

#include "check/index.h"

namespace bicubic::check {

namespace {
}  // namespace

bool rotationExtensionCycle(const SimpleGraph& g, std::int64_t maxSteps, Rng& rng, const Deadline& deadline,
                            std::vector<std::int32_t>& cycle) {
  const std::int32_t n = g.order();
  cycle.clear();
  if (n < 3) return false;
  // The path lives in buf[head .. tail-1] of a buffer with room to grow at both ends, so either
  // end can be extended in O(1) and rotated by reversing the part next to it.
  std::vector<std::int32_t> buf(2 * at(n) + 2, -1);
  std::vector<std::int32_t> pos(at(n), -1);
  std::vector<std::int32_t> freeCount(at(n));
  for (std::int32_t v = 0; v < n; ++v) freeCount[at(v)] = g.degree(v);
  std::int32_t head = n + 1;
  std::int32_t tail = n + 1;

  auto place = [&](std::int32_t v, std::int32_t slot) {
    buf[at(slot)] = v;
    pos[at(v)] = slot;
  };
  auto take = [&](std::int32_t v) {
    for (std::int32_t w : g.neighbours(v)) --freeCount[at(w)];
  };
  auto reverse = [&](std::int32_t lo, std::int32_t hi) {  // slots lo..hi inclusive
    for (; lo < hi; ++lo, --hi) {
      const std::int32_t a = buf[at(lo)];
      const std::int32_t b = buf[at(hi)];
      place(b, lo);
      place(a, hi);
    }
  };
  // The free neighbour of v with the fewest free neighbours of its own, or -1.
  auto bestFree = [&](std::int32_t v) {
    std::int32_t best = -1;
    for (std::int32_t w : g.neighbours(v)) {
      if (pos[at(w)] >= 0) continue;
      if (best < 0 || freeCount[at(w)] < freeCount[at(best)] ||
          (freeCount[at(w)] == freeCount[at(best)] && (rng.next() & 1))) {
        best = w;
      }
    }
    return best;
  };

  // Start at a vertex of least degree: vertices of degree two fix both their edges.
  std::int32_t start = 0;
  for (std::int32_t v = 1; v < n; ++v) {
    if (g.degree(v) < g.degree(start)) start = v;
  }
  place(start, tail++);
  take(start);

  struct Option {
    std::int32_t lo, hi;  // slots to reverse
    bool back;            // rotation at the back end (else the front)
    bool extendable;      // the new end has a free neighbour
  };
  std::vector<Option> options;
  for (std::int64_t step = 0; step < maxSteps; ++step) {
    if ((step & 1023) == 0 && deadline.expired()) return false;
    const std::int32_t back = buf[at(tail - 1)];
    const std::int32_t front = buf[at(head)];
    if (const std::int32_t w = bestFree(back); w >= 0) {
      place(w, tail++);
      take(w);
      continue;
    }
    if (const std::int32_t w = bestFree(front); w >= 0) {
      place(w, --head);
      take(w);
      continue;
    }
    const std::int32_t length = tail - head;
    if (length == n && g.hasEdge(back, front)) {
      cycle.assign(buf.begin() + head, buf.begin() + tail);
      return true;
    }
    // Rotations: a neighbour at slot s of the back end makes slot s+1 the new back end
    // (reverse s+1 .. tail-1); a neighbour at slot s of the front end makes s-1 the new front
    // (reverse head .. s-1). Prefer a new end that can be extended, and then a short reversal.
    options.clear();
    for (std::int32_t w : g.neighbours(back)) {
      const std::int32_t s = pos[at(w)];
      if (s >= head && s < tail - 2) options.push_back({s + 1, tail - 1, true, freeCount[at(buf[at(s + 1)])] > 0});
    }
    for (std::int32_t w : g.neighbours(front)) {
      const std::int32_t s = pos[at(w)];
      if (s > head + 1) options.push_back({head, s - 1, false, freeCount[at(buf[at(s - 1)])] > 0});
    }
    if (options.empty()) return false;  // both ends see only their path neighbour
    const bool anyExtendable = std::any_of(options.begin(), options.end(), [](const Option& o) { return o.extendable; });
    std::size_t pick = rng.below(static_cast<std::uint32_t>(options.size()));
    if (anyExtendable || rng.below(2) == 0) {
      // Among the preferred options, the shortest reversal.
      std::int32_t bestCost = 1 << 30;
      for (std::size_t k = 0; k < options.size(); ++k) {
        if (anyExtendable && !options[k].extendable) continue;
        if (options[k].hi - options[k].lo < bestCost) {
          bestCost = options[k].hi - options[k].lo;
          pick = k;
        }
      }
    }
    reverse(options[pick].lo, options[pick].hi);
  }
  return false;
}

}  // namespace bicubic::check
