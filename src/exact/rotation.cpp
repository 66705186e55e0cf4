#include "exact/rotation.h"

#include <algorithm>
#include <type_traits>

#include "exact/forced_search.h"
#include "exact/index.h"
#include "exact/path_tree.h"

namespace bicubic::exact {

namespace {

// What one operation on the path tree counts for: about its depth on a large path.
constexpr std::int64_t kTreeOpWork = 32;
// The path in a plain array with room to grow at both ends: O(1) to locate a vertex and to extend,
// O(length) to reverse a stretch. Below RotationOptions::randomRotationOrder the walk prefers
// short reversals and this is quicker than the tree's O(log n) with its cache misses. From that
// order on a walk with no extendable new end takes any rotation at random rather than, half the
// time, the shortest: on large sparse graphs the short reversals keep both ends among the same
// few vertices, and a random choice needs about a third of the rotations (measured on random
// cubic graphs of 10^4 to 10^5 vertices).
class ArrayPath {
 public:
  explicit ArrayPath(std::int32_t n) : buf_(2 * at(n) + 2, -1), pos_(at(n), -1), head_(n + 1), tail_(n + 1) {}
  std::int32_t size() const { return tail_ - head_; }
  bool contains(std::int32_t v) const { return pos_[at(v)] >= 0; }
  void pushBack(std::int32_t v) { place(v, tail_++); }
  void pushFront(std::int32_t v) { place(v, --head_); }
  std::int32_t position(std::int32_t v) { return pos_[at(v)] - head_; }
  std::int32_t nextOfLocated(std::int32_t v) { return pos_[at(v)] + 1 < tail_ ? buf_[at(pos_[at(v)] + 1)] : -1; }
  std::int32_t previousOfLocated(std::int32_t v) { return pos_[at(v)] > head_ ? buf_[at(pos_[at(v)] - 1)] : -1; }
  void reverse(std::int32_t lo, std::int32_t hi) {
    for (lo += head_, hi += head_; lo < hi; ++lo, --hi) {
      const std::int32_t a = buf_[at(lo)], b = buf_[at(hi)];
      place(b, lo);
      place(a, hi);
    }
  }
  void list(std::vector<std::int32_t>& out) const { out.assign(buf_.begin() + head_, buf_.begin() + tail_); }

 private:
  void place(std::int32_t v, std::int32_t slot) {
    buf_[at(slot)] = v;
    pos_[at(v)] = slot;
  }
  std::vector<std::int32_t> buf_, pos_;
  std::int32_t head_, tail_;
};

// The path is a PathTree (or an ArrayPath on smaller graphs), so that either end is extended,
// and a stretch next to it reversed, in
// O(log n); positions are counted from the front, the ends are kept at hand.
template <class Path>
class RotationSearch {
 public:
  RotationSearch(const SimpleGraph& g, Rng& rng, const Deadline& deadline, bool randomRotations)
      : g_(g), rng_(rng), poller_(deadline), n_(g.order()), randomRotations_(randomRotations), path_(n_),
        freeCount_(at(n_)) {
    for (std::int32_t v = 0; v < n_; ++v) freeCount_[at(v)] = g.degree(v);
  }

  bool run(std::int64_t maxSteps, std::vector<std::int32_t>& cycle);
  std::int64_t steps() const { return steps_; }

 private:
  struct Option {
    std::int32_t lo, hi;  // positions to reverse
    std::int32_t newEnd;  // the vertex that becomes the end
    bool atBack;          // the back end rotates (else the front)
    bool extendable;      // the new end has a free neighbour
  };

  // Counts work (adjacency entries read, path slots moved or tree nodes visited) for the deadline
  // poller; the counting calls inside a step ignore the result, the step loop reads it.
  bool outOfTime(std::int64_t steps) { return poller_.expired(steps); }
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
  bool randomRotations_;  // a stuck walk rotates at random (else half the time the shortest way)
  Path path_;
  std::vector<std::int32_t> freeCount_;
  std::int32_t front_ = -1, back_ = -1;
  std::vector<Option> options_;
  std::int64_t steps_ = 0;
};

template <class Path>
bool RotationSearch<Path>::run(std::int64_t maxSteps, std::vector<std::int32_t>& cycle) {
  // Start at a vertex of least degree: vertices of degree two fix both their edges.
  std::int32_t start = 0;
  for (std::int32_t v = 1; v < n_; ++v) {
    if (g_.degree(v) < g_.degree(start)) start = v;
  }
  path_.pushBack(start);
  front_ = back_ = start;
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
    if (path_.size() == n_ && g_.hasEdge(back_, front_)) {
      path_.list(cycle);
      return done(true);
    }
    if (!collectRotations()) return done(false);  // both ends see only their path neighbour
    rotate();
  }
  return done(false);
}

// Grows the path by a free neighbour of the back end, else of the front end.
template <class Path>
bool RotationSearch<Path>::extend() {
  if (const std::int32_t w = bestFree(back_); w >= 0) {
    path_.pushBack(w);
    back_ = w;
    take(w);
    return true;
  }
  if (const std::int32_t w = bestFree(front_); w >= 0) {
    path_.pushFront(w);
    front_ = w;
    take(w);
    return true;
  }
  return false;
}

// The free neighbour of v with the fewest free neighbours of its own, or -1.
template <class Path>
std::int32_t RotationSearch<Path>::bestFree(std::int32_t v) {
  std::int32_t best = -1;
  for (std::int32_t w : g_.neighbours(v)) {
    if (path_.contains(w)) continue;
    if (best < 0 || freeCount_[at(w)] < freeCount_[at(best)] ||
        (freeCount_[at(w)] == freeCount_[at(best)] && (rng_.next() & 1))) {
      best = w;
    }
  }
  // The caller takes the vertex found, which reads its list once more and adds it to the tree.
  outOfTime(2 * static_cast<std::int64_t>(g_.degree(v)) + kTreeOpWork);
  return best;
}

// Rotations: a neighbour at position s of the back end makes s+1 the new back end (reverse
// s+1 .. last); a neighbour at position s of the front end makes s-1 the new front (reverse
// 0 .. s-1). False when there is none.
template <class Path>
bool RotationSearch<Path>::collectRotations() {
  const std::int32_t last = path_.size() - 1;
  options_.clear();
  for (std::int32_t w : g_.neighbours(back_)) {
    if (!path_.contains(w)) continue;
    const std::int32_t s = path_.position(w);
    if (s >= last - 1) continue;
    const std::int32_t end = path_.nextOfLocated(w);
    options_.push_back({s + 1, last, end, true, freeCount_[at(end)] > 0});
  }
  for (std::int32_t w : g_.neighbours(front_)) {
    if (!path_.contains(w)) continue;
    const std::int32_t s = path_.position(w);
    if (s <= 1) continue;
    const std::int32_t end = path_.previousOfLocated(w);
    options_.push_back({0, s - 1, end, false, freeCount_[at(end)] > 0});
  }
  outOfTime((static_cast<std::int64_t>(g_.degree(back_)) + g_.degree(front_)) * (1 + 2 * kTreeOpWork));
  return !options_.empty();
}

// Prefers a new end that can be extended, and then a short reversal; otherwise, half the time,
// any rotation, so that the walk does not cycle among the same few paths.
template <class Path>
void RotationSearch<Path>::rotate() {
  const bool anyExtendable = std::any_of(options_.begin(), options_.end(), [](const Option& o) { return o.extendable; });
  std::size_t pick = rng_.below(static_cast<std::uint32_t>(options_.size()));
  if (anyExtendable || (!randomRotations_ && rng_.below(2) == 0)) {
    std::int32_t bestCost = 1 << 30;
    for (std::size_t k = 0; k < options_.size(); ++k) {
      if (anyExtendable && !options_[k].extendable) continue;
      if (options_[k].hi - options_[k].lo < bestCost) {
        bestCost = options_[k].hi - options_[k].lo;
        pick = k;
      }
    }
  }
  const Option& o = options_[pick];
  // An array moves every slot of the stretch; the tree visits about two of its depths.
  outOfTime(std::is_same_v<Path, ArrayPath> ? o.hi - o.lo : 2 * kTreeOpWork);
  path_.reverse(o.lo, o.hi);
  (o.atBack ? back_ : front_) = o.newEnd;
}

}  // namespace

bool rotationExtensionCycle(const SimpleGraph& g, std::int64_t maxSteps, Rng& rng, const Deadline& deadline,
                            std::vector<std::int32_t>& cycle, std::int64_t* steps, const RotationOptions& options) {
  cycle.clear();
  if (steps != nullptr) *steps = 0;
  if (g.order() < 3 || deadline.expired()) return false;
  // On large graphs of degree 2 and 3 the depth-first search with forced edges usually finds
  // the cycle in one descent, far quicker than the rotations.
  const bool large = g.order() >= options.randomRotationOrder;
  if ((large || g.order() >= options.forcedProbeOrder) && suitsForcedSearch(g)) {
    std::int64_t failures = std::max<std::int64_t>(maxSteps / options.stepsPerForcedFailure, 1);
    // The brief search draws from a copy: when it fails, the rotations (and every stage after
    // them) draw what they would have drawn without it.
    Rng probe = rng;
    if (!large) failures = std::min(failures, options.forcedProbeFailures);
    if (forcedPathCycle(g, failures, large ? rng : probe, deadline, cycle, options.forced)) return true;
  }
  // Setting up the rotations' path costs O(n): not worth it once the deadline has passed.
  if (deadline.expired()) return false;
  const auto walk = [&](auto& search) {
    const bool found = search.run(maxSteps, cycle);
    if (steps != nullptr) *steps = search.steps();
    return found;
  };
  if (!large) {
    RotationSearch<ArrayPath> search(g, rng, deadline, false);
    return walk(search);
  }
  RotationSearch<PathTree> search(g, rng, deadline, true);
  return walk(search);
}

}  // namespace bicubic::exact
