#include "check/frontier.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "check/index.h"

namespace bicubic::check {

namespace {

// A state: four bits per frontier slot. 0: degree 0 (or a free slot), 1: degree 2, 2..13: the
// vertex ends a path fragment and the other end carries the same label. Labels are renumbered
// by first appearance, so equal partial cycles (as far as the future can tell) get equal keys.
struct Key {
  std::uint64_t word[2] = {0, 0};
  bool operator==(const Key&) const = default;
};

constexpr std::uint8_t kDegreeTwo = 1;
constexpr std::uint8_t kFirstLabel = 2;
// A fragment begun in the current step, before renumbering; never a renumbered label since at
// most kWidthLimit / 2 = 12 fragments exist at once.
constexpr std::uint8_t kNewLabel = 14;
constexpr std::int32_t kSlots = 32;
using Codes = std::array<std::uint8_t, kSlots>;

std::uint64_t hashKey(const Key& k) {
  std::uint64_t z = k.word[0] * 0x9e3779b97f4a7c15ULL ^ (k.word[1] + 0x632be59bd9b4e019ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

void unpack(const Key& k, std::int32_t width, Codes& c) {
  for (std::int32_t t = 0; t < width; ++t) {
    c[at(t)] = static_cast<std::uint8_t>((k.word[t >> 4] >> (4 * (t & 15))) & 15U);
  }
}

Key packCanonical(Codes& c, std::int32_t width) {
  std::array<std::uint8_t, 16> rename{};
  std::uint8_t next = kFirstLabel;
  Key k;
  for (std::int32_t t = 0; t < width; ++t) {
    std::uint8_t x = c[at(t)];
    if (x >= kFirstLabel) {
      if (rename[x] == 0) rename[x] = next++;
      x = rename[x];
    }
    k.word[t >> 4] |= static_cast<std::uint64_t>(x) << (4 * (t & 15));
  }
  return k;
}

// Puts the edge u-v (v the vertex being placed) into the partial cycle held in c; false when
// that breaks it: a degree above 2, or a cycle closing before the last step.
bool addEdge(Codes& c, std::int32_t width, std::int32_t su, std::int32_t sv, bool lastStep) {
  const std::uint8_t cu = c[at(su)];
  const std::uint8_t cv = c[at(sv)];
  if (cu == kDegreeTwo) return false;
  if (cv == 0) {
    if (cu == 0) {
      c[at(su)] = kNewLabel;
      c[at(sv)] = kNewLabel;
    } else {
      c[at(su)] = kDegreeTwo;
      c[at(sv)] = cu;
    }
    return true;
  }
  // v's second edge: v ends a fragment labelled cv.
  if (cu == 0) {
    c[at(su)] = cv;
  } else if (cu == cv) {
    // Closing v's own fragment into a cycle: only the whole cycle may close, at the last step
    // (the per-vertex checks then require degree 2 everywhere).
    if (!lastStep) return false;
    c[at(su)] = kDegreeTwo;
  } else {
    // Joining two fragments: the far end of u's fragment now pairs with the far end of v's.
    for (std::int32_t t = 0; t < width; ++t) {
      if (t != su && c[at(t)] == cu) {
        c[at(t)] = cv;
        break;
      }
    }
    c[at(su)] = kDegreeTwo;
  }
  c[at(sv)] = kDegreeTwo;
  return true;
}

// Greedy order from one start: always place the vertex that grows the frontier least, ties to
// the one with most placed neighbours. Returns the width; cost grows with the number of states
// a frontier of each step's size can hold, to pick among orders of equal width.
std::int32_t greedyOrder(const SimpleGraph& g, std::int32_t start, std::vector<std::int32_t>& order, double& cost) {
  const std::int32_t n = g.order();
  std::vector<std::int32_t> unplaced(at(n));
  std::vector<char> placed(at(n), 0), touched(at(n), 0);
  for (std::int32_t v = 0; v < n; ++v) unplaced[at(v)] = g.degree(v);
  std::vector<std::int32_t> candidates;
  order.clear();
  std::int32_t frontier = 0, width = 0;
  cost = 0;
  std::int32_t next = start;
  while (next >= 0) {
    const std::int32_t v = next;
    width = std::max(width, frontier + 1);
    cost += std::ldexp(1.0, 2 * frontier);
    placed[at(v)] = 1;
    order.push_back(v);
    for (std::int32_t u : g.neighbours(v)) {
      --unplaced[at(u)];
      if (placed[at(u)] && unplaced[at(u)] == 0) --frontier;
      if (!placed[at(u)] && !touched[at(u)]) {
        touched[at(u)] = 1;
        candidates.push_back(u);
      }
    }
    if (unplaced[at(v)] > 0) ++frontier;
    next = -1;
    std::int32_t bestDelta = std::numeric_limits<std::int32_t>::max(), bestPlaced = -1;
    std::size_t bestIndex = 0;
    for (std::size_t i = 0; i < candidates.size(); ++i) {
      const std::int32_t c = candidates[i];
      std::int32_t delta = unplaced[at(c)] > 0 ? 1 : 0;
      for (std::int32_t u : g.neighbours(c)) {
        if (placed[at(u)] && unplaced[at(u)] == 1) --delta;
      }
      const std::int32_t placedNeighbours = g.degree(c) - unplaced[at(c)];
      if (delta < bestDelta || (delta == bestDelta && placedNeighbours > bestPlaced)) {
        bestDelta = delta;
        bestPlaced = placedNeighbours;
        bestIndex = i;
        next = c;
      }
    }
    if (next >= 0) {
      candidates[bestIndex] = candidates.back();
      candidates.pop_back();
    } else if (static_cast<std::int32_t>(order.size()) < n) {
      // Another component: continue anywhere (the search will then find no single cycle).
      for (std::int32_t u = 0; u < n; ++u) {
        if (!placed[at(u)]) {
          next = u;
          touched[at(u)] = 1;
          break;
        }
      }
    }
  }
  return width;
}

std::vector<std::int32_t> distancesFrom(const SimpleGraph& g, std::int32_t s) {
  std::vector<std::int32_t> dist(at(g.order()), -1), queue{s};
  dist[at(s)] = 0;
  for (std::size_t i = 0; i < queue.size(); ++i) {
    for (std::int32_t w : g.neighbours(queue[i])) {
      if (dist[at(w)] < 0) {
        dist[at(w)] = dist[at(queue[i])] + 1;
        queue.push_back(w);
      }
    }
  }
  return dist;
}

std::int32_t farthest(const std::vector<std::int32_t>& dist) {
  return static_cast<std::int32_t>(std::max_element(dist.begin(), dist.end()) - dist.begin());
}

}  // namespace

std::int32_t FrontierSearch::planOrder(const SimpleGraph& g, std::vector<std::int32_t>& order) const {
  const std::int32_t n = g.order();
  order.clear();
  if (n == 0) return 0;
  // Starts: the two ends of a long shortest path (peripheral vertices keep a BFS-like sweep
  // thin), then vertices spread over the numbering.
  std::vector<std::int32_t> starts;
  const std::int32_t a = farthest(distancesFrom(g, 0));
  starts.push_back(a);
  starts.push_back(farthest(distancesFrom(g, a)));
  for (std::int32_t i = 0; static_cast<std::int32_t>(starts.size()) < options_.orderStarts && i < n; ++i) {
    const auto v = static_cast<std::int32_t>(static_cast<std::int64_t>(i) * n / std::max(1, options_.orderStarts - 2));
    if (v < n && std::find(starts.begin(), starts.end(), v) == starts.end()) starts.push_back(v);
  }
  std::int32_t best = std::numeric_limits<std::int32_t>::max();
  double bestCost = 0;
  std::vector<std::int32_t> candidate;
  for (std::int32_t s : starts) {
    double cost = 0;
    const std::int32_t w = greedyOrder(g, s, candidate, cost);
    if (w < best || (w == best && cost < bestCost)) {
      best = w;
      bestCost = cost;
      order = candidate;
    }
  }
  return best;
}

Answer FrontierSearch::run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle) {
  cycle.clear();
  states_ = 0;
  width_ = 0;
  const std::int32_t n = g.order();
  if (n < 3) return Answer::NonHamiltonian;
  std::vector<std::int32_t> order;
  width_ = planOrder(g, order);
  if (width_ > std::min(options_.maxWidth, kWidthLimit)) return Answer::Unknown;
  const std::int32_t width = width_;

  std::vector<std::int32_t> position(at(n)), unplaced(at(n)), slot(at(n), -1);
  for (std::int32_t i = 0; i < n; ++i) position[at(order[at(i)])] = i;
  for (std::int32_t v = 0; v < n; ++v) unplaced[at(v)] = g.degree(v);
  std::vector<std::int32_t> freeSlots;
  for (std::int32_t t = width - 1; t >= 0; --t) freeSlots.push_back(t);

  struct Back {
    std::int32_t parent;
    std::int16_t a, b;  // indices into the step's earlier neighbours, -1 for none
  };
  std::vector<std::vector<Back>> backs(at(n));
  std::vector<Key> current{Key{}}, next;
  std::vector<std::int32_t> table;
  std::vector<std::int32_t> earlier, earlierSlot;
  Codes base{}, c{};

  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t v = order[at(i)];
    const bool lastStep = i == n - 1;
    earlier.clear();
    earlierSlot.clear();
    for (std::int32_t u : g.neighbours(v)) {
      --unplaced[at(u)];
      if (position[at(u)] < i) {
        earlier.push_back(u);
        earlierSlot.push_back(slot[at(u)]);
      }
    }
    if (earlier.size() > static_cast<std::size_t>(std::numeric_limits<std::int16_t>::max())) return Answer::Unknown;
    const auto k = static_cast<std::int32_t>(earlier.size());
    slot[at(v)] = freeSlots.back();
    freeSlots.pop_back();
    const std::int32_t sv = slot[at(v)];
    const std::int32_t minEdges = std::max(0, 2 - unplaced[at(v)]);

    // Size the table for this step; it doubles when half full.
    std::size_t capacity = 64;
    while (capacity < 4 * current.size()) capacity *= 2;
    table.assign(capacity, -1);
    next.clear();
    std::vector<Back>& stepBacks = backs[at(i)];

    // Checks every vertex whose degree or outlook changed; those with no unplaced neighbour
    // left leave the frontier and must have degree 2, the others need enough neighbours left.
    auto settle = [&](Codes& codes) {
      for (std::int32_t j = -1; j < k; ++j) {
        const std::int32_t w = j < 0 ? v : earlier[at(j)];
        const std::int32_t sw = j < 0 ? sv : earlierSlot[at(j)];
        const std::uint8_t code = codes[at(sw)];
        if (unplaced[at(w)] == 0) {
          if (code != kDegreeTwo) return false;
          codes[at(sw)] = 0;
        } else if (code == 0 && unplaced[at(w)] < 2) {
          return false;
        }
      }
      return true;
    };
    auto insert = [&](const Key& key, std::int32_t parent, std::int32_t a, std::int32_t b) {
      std::size_t mask = table.size() - 1;
      std::size_t h = hashKey(key) & mask;
      while (table[h] >= 0) {
        if (next[at(table[h])] == key) return;
        h = (h + 1) & mask;
      }
      table[h] = static_cast<std::int32_t>(next.size());
      next.push_back(key);
      stepBacks.push_back(Back{parent, static_cast<std::int16_t>(a), static_cast<std::int16_t>(b)});
      if (2 * next.size() > table.size()) {
        table.assign(2 * table.size(), -1);
        mask = table.size() - 1;
        for (std::size_t s = 0; s < next.size(); ++s) {
          std::size_t r = hashKey(next[s]) & mask;
          while (table[r] >= 0) r = (r + 1) & mask;
          table[r] = static_cast<std::int32_t>(s);
        }
      }
    };

    for (std::size_t s = 0; s < current.size(); ++s) {
      if ((s & 1023) == 0 && deadline.expired()) return Answer::Unknown;
      unpack(current[s], width, base);
      const auto parent = static_cast<std::int32_t>(s);
      if (minEdges == 0) {
        c = base;
        if (settle(c)) insert(packCanonical(c, width), parent, -1, -1);
      }
      for (std::int32_t a = 0; a < k; ++a) {
        if (minEdges <= 1) {
          c = base;
          if (addEdge(c, width, earlierSlot[at(a)], sv, lastStep) && settle(c)) {
            insert(packCanonical(c, width), parent, a, -1);
          }
        }
        for (std::int32_t b = a + 1; b < k; ++b) {
          c = base;
          if (addEdge(c, width, earlierSlot[at(a)], sv, lastStep) &&
              addEdge(c, width, earlierSlot[at(b)], sv, lastStep) && settle(c)) {
            insert(packCanonical(c, width), parent, a, b);
          }
        }
      }
      if (static_cast<std::int64_t>(next.size()) + states_ > options_.maxStates) return Answer::Unknown;
    }
    states_ += static_cast<std::int64_t>(next.size());
    if (next.empty()) return Answer::NonHamiltonian;
    // Vertices without unplaced neighbours have left the frontier: free their slots.
    for (std::int32_t j = -1; j < k; ++j) {
      const std::int32_t w = j < 0 ? v : earlier[at(j)];
      if (unplaced[at(w)] == 0) freeSlots.push_back(slot[at(w)]);
    }
    std::swap(current, next);
  }

  // Follow the back-pointers from the surviving state and collect the chosen edges.
  std::vector<std::array<std::int32_t, 2>> mate(at(n), {-1, -1});
  auto link = [&](std::int32_t x, std::int32_t y) {
    for (std::int32_t z : {x, y}) {
      auto& m = mate[at(z)];
      if (m[0] < 0) {
        m[0] = z == x ? y : x;
      } else if (m[1] < 0) {
        m[1] = z == x ? y : x;
      } else {
        return false;
      }
    }
    return true;
  };
  std::int32_t index = 0;
  for (std::int32_t i = n - 1; i >= 0; --i) {
    const Back back = backs[at(i)][at(index)];
    const std::int32_t v = order[at(i)];
    std::vector<std::int32_t> before;
    for (std::int32_t u : g.neighbours(v)) {
      if (position[at(u)] < i) before.push_back(u);
    }
    for (std::int32_t j : {back.a, back.b}) {
      if (j >= 0 && !link(v, before[at(j)])) return Answer::Unknown;
    }
    index = back.parent;
  }
  // Walk the cycle from vertex 0; a broken walk would be a fault here, never a "yes".
  cycle.push_back(0);
  std::int32_t previous = -1, here = 0;
  for (std::int32_t step = 1; step < n; ++step) {
    const auto& m = mate[at(here)];
    const std::int32_t to = m[0] != previous ? m[0] : m[1];
    if (to < 0 || to == 0) break;
    previous = here;
    here = to;
    cycle.push_back(here);
  }
  const auto& m = mate[at(here)];
  if (static_cast<std::int32_t>(cycle.size()) != n || (m[0] != 0 && m[1] != 0)) {
    cycle.clear();
    return Answer::Unknown;
  }
  return Answer::Hamiltonian;
}

}  // namespace bicubic::check
