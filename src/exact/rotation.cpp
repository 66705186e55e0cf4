#include "exact/rotation.h"

#include <algorithm>

#include "exact/index.h"

namespace bicubic::exact {

namespace {

// The path lives in buf[head .. tail-1] of a buffer with room to grow at both ends, so either
// end can be extended in O(1) and rotated by reversing the part next to it.
class RotationSearch {
 public:
  RotationSearch(const SimpleGraph& g, Rng& rng, const Deadline& deadline)
      : g_(g), rng_(rng), poller_(deadline), n_(g.order()), buf_(2 * at(n_) + 2, -1), pos_(at(n_), -1),
        freeCount_(at(n_)), head_(n_ + 1), tail_(n_ + 1) {
    for (std::int32_t v = 0; v < n_; ++v) freeCount_[at(v)] = g.degree(v);
  }

  bool run(std::int64_t maxSteps, std::vector<std::int32_t>& cycle);
  std::int64_t steps() const { return steps_; }

 private:
  struct Option {
    std::int32_t lo, hi;  // slots to reverse
    bool extendable;      // the new end has a free neighbour
  };

  // Counts work (adjacency entries read, path slots moved) for the deadline poller; the counting
  // calls inside a step ignore the result, the step loop reads it.
  bool outOfTime(std::int64_t steps) { return poller_.expired(steps); }
  void place(std::int32_t v, std::int32_t slot) {
    buf_[at(slot)] = v;
    pos_[at(v)] = slot;
  }
  void take(std::int32_t v) {
    for (std::int32_t w : g_.neighbours(v)) --freeCount_[at(w)];
  }
  bool extend();
  std::int32_t bestFree(std::int32_t v);
  bool collectRotations();
  void rotate();

  const SimpleGraph& g_;
  Rng& rng_;
  DeadlinePoller poller_;
  std::int32_t n_;
  std::vector<std::int32_t> buf_, pos_, freeCount_;
  std::int32_t head_, tail_;
  std::vector<Option> options_;
  std::int64_t steps_ = 0;
};

bool RotationSearch::run(std::int64_t maxSteps, std::vector<std::int32_t>& cycle) {
  // Start at a vertex of least degree: vertices of degree two fix both their edges.
  std::int32_t start = 0;
  for (std::int32_t v = 1; v < n_; ++v) {
    if (g_.degree(v) < g_.degree(start)) start = v;
  }
  place(start, tail_++);
  take(start);
  // The count stays in a register during the walk and is kept only at the end.
  std::int64_t step = 0;
  const auto done = [&](bool found) {
    steps_ = step;
    return found;
  };
  for (; step < maxSteps; ++step) {
    if (outOfTime(1)) return done(false);
    if (extend()) continue;
    const std::int32_t back = buf_[at(tail_ - 1)];
    const std::int32_t front = buf_[at(head_)];
    if (tail_ - head_ == n_ && g_.hasEdge(back, front)) {
      cycle.assign(buf_.begin() + head_, buf_.begin() + tail_);
      return done(true);
    }
    if (!collectRotations()) return done(false);  // both ends see only their path neighbour
    rotate();
  }
  return done(false);
}

// Grows the path by a free neighbour of the back end, else of the front end.
bool RotationSearch::extend() {
  if (const std::int32_t w = bestFree(buf_[at(tail_ - 1)]); w >= 0) {
    place(w, tail_++);
    take(w);
    return true;
  }
  if (const std::int32_t w = bestFree(buf_[at(head_)]); w >= 0) {
    place(w, --head_);
    take(w);
    return true;
  }
  return false;
}

// The free neighbour of v with the fewest free neighbours of its own, or -1.
std::int32_t RotationSearch::bestFree(std::int32_t v) {
  std::int32_t best = -1;
  for (std::int32_t w : g_.neighbours(v)) {
    if (pos_[at(w)] >= 0) continue;
    if (best < 0 || freeCount_[at(w)] < freeCount_[at(best)] ||
        (freeCount_[at(w)] == freeCount_[at(best)] && (rng_.next() & 1))) {
      best = w;
    }
  }
  // The caller takes the vertex found, which reads its list once more.
  outOfTime(2 * static_cast<std::int64_t>(g_.degree(v)));
  return best;
}

// Rotations: a neighbour at slot s of the back end makes slot s+1 the new back end (reverse
// s+1 .. tail-1); a neighbour at slot s of the front end makes s-1 the new front (reverse
// head .. s-1). False when there is none.
bool RotationSearch::collectRotations() {
  const std::int32_t back = buf_[at(tail_ - 1)];
  const std::int32_t front = buf_[at(head_)];
  options_.clear();
  for (std::int32_t w : g_.neighbours(back)) {
    const std::int32_t s = pos_[at(w)];
    if (s >= head_ && s < tail_ - 2) options_.push_back({s + 1, tail_ - 1, freeCount_[at(buf_[at(s + 1)])] > 0});
  }
  for (std::int32_t w : g_.neighbours(front)) {
    const std::int32_t s = pos_[at(w)];
    if (s > head_ + 1) options_.push_back({head_, s - 1, freeCount_[at(buf_[at(s - 1)])] > 0});
  }
  outOfTime(static_cast<std::int64_t>(g_.degree(back)) + g_.degree(front));
  return !options_.empty();
}

// Prefers a new end that can be extended, and then a short reversal; otherwise, half the time,
// any rotation, so that the walk does not cycle among the same few paths.
void RotationSearch::rotate() {
  const bool anyExtendable = std::any_of(options_.begin(), options_.end(), [](const Option& o) { return o.extendable; });
  std::size_t pick = rng_.below(static_cast<std::uint32_t>(options_.size()));
  if (anyExtendable || rng_.below(2) == 0) {
    std::int32_t bestCost = 1 << 30;
    for (std::size_t k = 0; k < options_.size(); ++k) {
      if (anyExtendable && !options_[k].extendable) continue;
      if (options_[k].hi - options_[k].lo < bestCost) {
        bestCost = options_[k].hi - options_[k].lo;
        pick = k;
      }
    }
  }
  std::int32_t lo = options_[pick].lo;
  std::int32_t hi = options_[pick].hi;
  outOfTime(hi - lo);
  for (; lo < hi; ++lo, --hi) {
    const std::int32_t a = buf_[at(lo)];
    const std::int32_t b = buf_[at(hi)];
    place(b, lo);
    place(a, hi);
  }
}

}  // namespace

bool rotationExtensionCycle(const SimpleGraph& g, std::int64_t maxSteps, Rng& rng, const Deadline& deadline,
                            std::vector<std::int32_t>& cycle, std::int64_t* steps) {
  cycle.clear();
  if (steps != nullptr) *steps = 0;
  if (g.order() < 3 || deadline.expired()) return false;
  RotationSearch search(g, rng, deadline);
  const bool found = search.run(maxSteps, cycle);
  if (steps != nullptr) *steps = search.steps();
  return found;
}

}  // namespace bicubic::exact
