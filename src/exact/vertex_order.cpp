#include "exact/vertex_order.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "exact/index.h"

namespace bicubic::exact {

namespace {

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

// The two ends of a long shortest path (peripheral vertices keep a sweep thin), then vertices
// spread over the numbering.
std::vector<std::int32_t> startVertices(const SimpleGraph& g, std::int32_t count) {
  const std::int32_t n = g.order();
  std::vector<std::int32_t> starts;
  const std::int32_t a = farthest(distancesFrom(g, 0));
  starts.push_back(a);
  starts.push_back(farthest(distancesFrom(g, a)));
  for (std::int32_t i = 0; static_cast<std::int32_t>(starts.size()) < count && i < n; ++i) {
    const auto v = static_cast<std::int32_t>(static_cast<std::int64_t>(i) * n / std::max(1, count - 2));
    if (v < n && std::find(starts.begin(), starts.end(), v) == starts.end()) starts.push_back(v);
  }
  return starts;
}

// Greedy order from one start: always place the vertex that grows the frontier least, ties to
// the one with most placed neighbours.
std::vector<std::int32_t> greedyFrom(const SimpleGraph& g, std::int32_t start) {
  const std::int32_t n = g.order();
  std::vector<std::int32_t> unplaced(at(n)), order, candidates;
  std::vector<char> placed(at(n), 0), touched(at(n), 0);
  for (std::int32_t v = 0; v < n; ++v) unplaced[at(v)] = g.degree(v);
  std::int32_t next = start;
  touched[at(start)] = 1;
  while (next >= 0) {
    const std::int32_t v = next;
    placed[at(v)] = 1;
    order.push_back(v);
    for (std::int32_t u : g.neighbours(v)) {
      --unplaced[at(u)];
      if (!placed[at(u)] && !touched[at(u)]) {
        touched[at(u)] = 1;
        candidates.push_back(u);
      }
    }
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
      const auto it = std::find(placed.begin(), placed.end(), 0);
      next = static_cast<std::int32_t>(it - placed.begin());
      touched[at(next)] = 1;
    }
  }
  return order;
}

// Breadth-first order from start, then from the first unreached vertex of each other component.
std::vector<std::int32_t> breadthFirstFrom(const SimpleGraph& g, std::int32_t start) {
  const std::int32_t n = g.order();
  std::vector<char> seen(at(n), 0);
  std::vector<std::int32_t> order;
  order.reserve(at(n));
  for (std::int32_t root = start, scan = 0; root >= 0;) {
    seen[at(root)] = 1;
    order.push_back(root);
    for (std::size_t i = order.size() - 1; i < order.size(); ++i) {
      for (std::int32_t w : g.neighbours(order[i])) {
        if (!seen[at(w)]) {
          seen[at(w)] = 1;
          order.push_back(w);
        }
      }
    }
    root = -1;
    for (; scan < n && root < 0; ++scan) {
      if (!seen[at(scan)]) root = scan;
    }
  }
  return order;
}

// Local improvement: moves single vertices up to `window` places earlier or later when that
// lowers the cost without widening the order. The frontier of the prefix of length L holds w
// exactly when pos(w) < L <= maxNeighbourPos(w), so a move changes the frontier only through the
// moved vertex and its neighbours, and only for the prefixes between its old and new place.
class OrderImprover {
 public:
  OrderImprover(const SimpleGraph& g, std::vector<std::int32_t> order, std::int32_t window)
      : g_(g), n_(g.order()), window_(window), order_(std::move(order)) {
    power_.resize(at(n_) + 2);
    for (std::size_t k = 0; k < power_.size(); ++k) power_[k] = std::pow(kStateGrowth, static_cast<double>(k));
    rebuild();
  }

  // One sweep over the vertices; whether any move was made.
  bool pass() {
    bool moved = false;
    const std::vector<std::int32_t> snapshot = order_;
    for (std::int32_t x : snapshot) {
      const std::int32_t p = pos_[at(x)];
      std::int32_t bestQ = p;
      double bestCost = cost_ * (1 - 1e-9);
      for (std::int32_t q = std::max(0, p - window_); q <= std::min(n_ - 1, p + window_); ++q) {
        if (q == p) continue;
        const double c = costAfterMove(x, p, q);
        if (c < bestCost) {
          bestCost = c;
          bestQ = q;
        }
      }
      if (bestQ != p) {
        order_.erase(order_.begin() + p);
        order_.insert(order_.begin() + bestQ, x);
        rebuild();
        moved = true;
      }
    }
    return moved;
  }

  VertexOrder result() const { return VertexOrder{order_, maxFrontier_ + 1, cost_}; }

 private:
  void rebuild() {
    pos_.assign(at(n_), 0);
    for (std::int32_t i = 0; i < n_; ++i) pos_[at(order_[at(i)])] = i;
    std::vector<std::int32_t> change(at(n_) + 2, 0);
    maxNeighbourPos_.assign(at(n_), -1);
    for (std::int32_t w = 0; w < n_; ++w) {
      for (std::int32_t u : g_.neighbours(w)) maxNeighbourPos_[at(w)] = std::max(maxNeighbourPos_[at(w)], pos_[at(u)]);
      if (maxNeighbourPos_[at(w)] > pos_[at(w)]) {
        ++change[at(pos_[at(w)] + 1)];
        --change[at(maxNeighbourPos_[at(w)] + 1)];
      }
    }
    frontier_.assign(at(n_) + 1, 0);
    cost_ = 0;
    maxFrontier_ = 0;
    for (std::int32_t L = 0, running = 0; L <= n_; ++L) {
      running += change[at(L)];
      frontier_[at(L)] = running;
      if (L < n_) {
        cost_ += power_[at(running)];
        maxFrontier_ = std::max(maxFrontier_, running);
      }
    }
  }

  std::int32_t movedPos(std::int32_t y, std::int32_t x, std::int32_t p, std::int32_t q) const {
    const std::int32_t r = pos_[at(y)];
    if (y == x) return q;
    if (q < p && r >= q && r < p) return r + 1;
    if (q > p && r > p && r <= q) return r - 1;
    return r;
  }

  // The cost after moving x from position p to q; infinite when the move widens the order.
  double costAfterMove(std::int32_t x, std::int32_t p, std::int32_t q) const {
    struct Span {
      std::int32_t oldPos, oldMax, newPos, newMax;
    };
    std::array<Span, kMaxTracked> spans{};
    std::size_t count = 0;
    auto track = [&](std::int32_t w) {
      if (count == spans.size()) return false;
      std::int32_t newMax = -1;
      for (std::int32_t u : g_.neighbours(w)) newMax = std::max(newMax, movedPos(u, x, p, q));
      spans[count++] = Span{pos_[at(w)], maxNeighbourPos_[at(w)], movedPos(w, x, p, q), newMax};
      return true;
    };
    if (!track(x)) return std::numeric_limits<double>::infinity();
    for (std::int32_t u : g_.neighbours(x)) {
      if (!track(u)) return std::numeric_limits<double>::infinity();
    }
    const std::int32_t first = q < p ? q + 1 : p + 1, last = q < p ? p : q, shift = q < p ? -1 : 1;
    double cost = cost_;
    for (std::int32_t L = first; L <= last; ++L) {
      const std::int32_t M = L + shift;
      std::int32_t size = frontier_[at(M)];
      for (std::size_t k = 0; k < count; ++k) {
        const Span& s = spans[k];
        size -= (s.oldPos < M && M <= s.oldMax) ? 1 : 0;
        size += (s.newPos < L && L <= s.newMax) ? 1 : 0;
      }
      if (size > maxFrontier_) return std::numeric_limits<double>::infinity();
      cost += power_[at(size)] - power_[at(frontier_[at(L)])];
    }
    return cost;
  }

  // Vertices of higher degree than this are not moved (the graphs here are sparse).
  static constexpr std::size_t kMaxTracked = 9;

  const SimpleGraph& g_;
  std::int32_t n_;
  std::int32_t window_;
  std::vector<std::int32_t> order_, pos_, maxNeighbourPos_, frontier_;
  std::vector<double> power_;
  double cost_ = 0;
  std::int32_t maxFrontier_ = 0;
};

bool better(const VertexOrder& a, const VertexOrder& b) {
  return a.width < b.width || (a.width == b.width && a.cost < b.cost);
}

}  // namespace

VertexOrder measureOrder(const SimpleGraph& g, std::vector<std::int32_t> order) {
  return OrderImprover(g, std::move(order), 0).result();
}

VertexOrder greedyVertexOrder(const SimpleGraph& g, std::int32_t starts) {
  VertexOrder best;
  if (g.order() == 0) return best;
  for (std::int32_t s : startVertices(g, starts)) {
    VertexOrder candidate = measureOrder(g, greedyFrom(g, s));
    if (best.order.empty() || better(candidate, best)) best = std::move(candidate);
  }
  return best;
}

VertexOrder planVertexOrder(const SimpleGraph& g, const OrderOptions& options) {
  if (g.order() == 0) return VertexOrder{};
  const std::vector<std::int32_t> starts = startVertices(g, std::max(2, options.greedyStarts));
  std::vector<VertexOrder> candidates;
  for (std::int32_t s : starts) candidates.push_back(measureOrder(g, greedyFrom(g, s)));
  if (options.breadthFirst) {
    for (std::size_t i = 0; i < 2; ++i) candidates.push_back(measureOrder(g, breadthFirstFrom(g, starts[i])));
  }
  std::sort(candidates.begin(), candidates.end(), better);
  const bool worthIt = candidates.front().cost > options.improveAboveCostPerVertex * g.order() &&
                       candidates.front().width <= options.improveMaxWidth;
  const auto improved =
      worthIt ? std::min(candidates.size(), static_cast<std::size_t>(std::max(0, options.improveCandidates))) : 0;
  for (std::size_t i = 0; i < improved; ++i) {
    OrderImprover improver(g, candidates[i].order, options.improveWindow);
    for (std::int32_t k = 0; k < options.improvePasses && improver.pass(); ++k) {
    }
    candidates[i] = improver.result();
  }
  return *std::min_element(candidates.begin(), candidates.end(), better);
}

}  // namespace bicubic::exact
