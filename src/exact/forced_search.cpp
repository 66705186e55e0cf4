#include "exact/forced_search.h"

#include <algorithm>
#include <span>

#include "exact/index.h"

namespace bicubic::exact {

namespace {

// What a decision or a dead end counts for with the deadline poller: the clock is read about every
// thousand of them, since a dead end near the end of a descent can undo thousands of assignments.
constexpr std::int64_t kDecisionWork = kPollWork >> 10;

enum class EdgeState : std::uint8_t { Unknown, In, Out };

std::int64_t luby(std::int64_t i) {  // 1, 1, 2, 1, 1, 2, 4, ... for i = 1, 2, ...
  std::int64_t size = 1;
  while (size < i + 1) size = 2 * size + 1;
  for (; size > 1; size /= 2) {
    if (i == size) return (size + 1) / 2;
    if (i > size / 2) i -= size / 2;
  }
  return 1;
}

class ForcedSearch {
 public:
  ForcedSearch(const SimpleGraph& g, Rng& rng, const Deadline& deadline, const ForcedSearchOptions& options)
      : n_(g.order()), rng_(rng), deadline_(deadline), poller_(deadline), options_(options) {
    index_.build(g);
    m_ = index_.edgeCount();
  }

  bool run(std::int64_t maxFailures, std::vector<std::int32_t>& cycle);

 private:
  struct Decision {
    std::size_t trail;
    std::int32_t edge;
    std::int32_t anchor;
    bool flipped;  // the edge's other branch (out) is the one being tried
  };
  // A trail entry: an edge assigned (vertex < 0, edge -vertex - 1), or a path end's partner
  // before it changed.
  struct Undo {
    std::int32_t vertex, old;
  };

  void reset();
  bool setIn(std::int32_t e);
  bool setOut(std::int32_t e);
  bool propagate();
  // Sets e in or out and propagates; on a contradiction the queue is left empty.
  bool assign(std::int32_t e, EdgeState to) {
    if ((to == EdgeState::In ? setIn(e) : setOut(e)) && propagate()) return true;
    queue_.clear();
    return false;
  }
  bool settle(std::int32_t x);
  void undoTo(std::size_t size);
  void setPartner(std::int32_t v, std::int32_t w) {
    trail_.push_back({v, partner_[at(v)]});
    partner_[at(v)] = w;
  }
  std::int32_t chooseEdge(std::int32_t tip);
  void pickAnchor();
  std::int32_t edgeBetween(std::int32_t a, std::int32_t b) const {
    for (std::int32_t i = index_.start[at(a)]; i < index_.start[at(a) + 1]; ++i) {
      if (index_.other(index_.edgeOf[at(i)], a) == b) return index_.edgeOf[at(i)];
    }
    return -1;
  }
  bool outOfTime() { return poller_.expired(kDecisionWork); }
  void listCycle(std::vector<std::int32_t>& cycle) const;
  bool searchRemainder(std::vector<std::int32_t>& cycle);
  void expandRemainder(std::span<const std::int32_t> inner, std::span<const std::int32_t> original,
                       std::vector<std::int32_t>& cycle) const;
  std::int32_t inNeighbour(std::int32_t v, std::int32_t not1) const;

  std::int32_t n_, m_ = 0;
  Rng& rng_;
  const Deadline& deadline_;
  DeadlinePoller poller_;
  ForcedSearchOptions options_;
  EdgeIndex index_;
  std::vector<EdgeState> state_;
  std::vector<std::int8_t> inDegree_, usable_;
  std::vector<std::int32_t> partner_;  // the other end of the path a path end (or lone vertex) is on
  std::vector<std::int32_t> queue_;
  std::vector<Undo> trail_;
  std::vector<Decision> decisions_;
  std::int32_t inCount_ = 0;
  std::int32_t interior_ = 0;  // vertices with two chosen edges
  bool remainderTried_ = false;  // since the last jump
  std::int32_t anchor_ = 0;  // an end of the path being grown; the search extends its partner
};

void ForcedSearch::reset() {
  state_.assign(at(m_), EdgeState::Unknown);
  inDegree_.assign(at(n_), 0);
  usable_.resize(at(n_));
  partner_.resize(at(n_));
  for (std::int32_t v = 0; v < n_; ++v) {
    usable_[at(v)] = static_cast<std::int8_t>(index_.start[at(v) + 1] - index_.start[at(v)]);
    partner_[at(v)] = v;
  }
  trail_.clear();
  decisions_.clear();
  queue_.clear();
  inCount_ = 0;
  interior_ = 0;
  remainderTried_ = false;
  anchor_ = 0;
}

bool ForcedSearch::setIn(std::int32_t e) {
  if (state_[at(e)] != EdgeState::Unknown) return state_[at(e)] == EdgeState::In;
  const std::int32_t u = index_.first[at(e)], v = index_.second[at(e)];
  if (inDegree_[at(u)] == 2 || inDegree_[at(v)] == 2) return false;
  const std::int32_t a = partner_[at(u)], b = partner_[at(v)];
  const bool closes = a == v;
  if (closes && inCount_ + 1 != n_) return false;  // a cycle short of the whole graph
  state_[at(e)] = EdgeState::In;
  trail_.push_back({-e - 1, 0});
  ++inDegree_[at(u)], ++inDegree_[at(v)], ++inCount_;
  interior_ += (inDegree_[at(u)] == 2 ? 1 : 0) + (inDegree_[at(v)] == 2 ? 1 : 0);
  if (!closes) {
    setPartner(a, b);
    setPartner(b, a);
    // The path being grown keeps an end as its anchor.
    if (anchor_ == u && inDegree_[at(u)] == 2) anchor_ = b;
    if (anchor_ == v && inDegree_[at(v)] == 2) anchor_ = a;
    queue_.push_back(a);
    queue_.push_back(b);
  }
  queue_.push_back(u);
  queue_.push_back(v);
  return true;
}

bool ForcedSearch::setOut(std::int32_t e) {
  if (state_[at(e)] != EdgeState::Unknown) return state_[at(e)] == EdgeState::Out;
  const std::int32_t u = index_.first[at(e)], v = index_.second[at(e)];
  state_[at(e)] = EdgeState::Out;
  trail_.push_back({-e - 1, 0});
  --usable_[at(u)], --usable_[at(v)];
  queue_.push_back(u);
  queue_.push_back(v);
  return usable_[at(u)] >= 2 && usable_[at(v)] >= 2;
}

// The rules at one vertex: two chosen edges drop the rest, two usable edges are both chosen,
// and a path end's edge to its own partner is dropped unless it would close the whole cycle.
bool ForcedSearch::settle(std::int32_t x) {
  if (usable_[at(x)] < 2) return false;
  const bool full = inDegree_[at(x)] == 2;
  const bool forced = !full && usable_[at(x)] == 2;
  if (full || forced) {
    for (std::int32_t i = index_.start[at(x)]; i < index_.start[at(x) + 1]; ++i) {
      const std::int32_t e = index_.edgeOf[at(i)];
      if (state_[at(e)] != EdgeState::Unknown) continue;
      if (!(full ? setOut(e) : setIn(e))) return false;
    }
  }
  if (inDegree_[at(x)] == 1 && inCount_ < n_ - 1) {
    const std::int32_t e = edgeBetween(x, partner_[at(x)]);
    if (e >= 0 && state_[at(e)] == EdgeState::Unknown && !setOut(e)) return false;
  }
  return true;
}

bool ForcedSearch::propagate() {
  while (!queue_.empty()) {
    const std::int32_t x = queue_.back();
    queue_.pop_back();
    if (!settle(x)) {
      queue_.clear();
      return false;
    }
  }
  return true;
}

void ForcedSearch::undoTo(std::size_t size) {
  while (trail_.size() > size) {
    const Undo u = trail_.back();
    trail_.pop_back();
    if (u.vertex >= 0) {
      partner_[at(u.vertex)] = u.old;
      continue;
    }
    const std::int32_t e = -u.vertex - 1;
    const std::int32_t a = index_.first[at(e)], b = index_.second[at(e)];
    if (state_[at(e)] == EdgeState::In) {
      interior_ -= (inDegree_[at(a)] == 2 ? 1 : 0) + (inDegree_[at(b)] == 2 ? 1 : 0);
      --inDegree_[at(a)], --inDegree_[at(b)], --inCount_;
    } else {
      ++usable_[at(a)], ++usable_[at(b)];
    }
    state_[at(e)] = EdgeState::Unknown;
  }
}

// The edge from the tip towards the end of another path if there is one (joining paths early
// leaves fewer loose pieces for the end of the descent, where the dead ends are), else towards
// the neighbour with the fewest ways on (Warnsdorff's rule); ties broken at random.
std::int32_t ForcedSearch::chooseEdge(std::int32_t tip) {
  std::int32_t best = -1, bestScore = 0;
  for (std::int32_t i = index_.start[at(tip)]; i < index_.start[at(tip) + 1]; ++i) {
    const std::int32_t e = index_.edgeOf[at(i)];
    if (state_[at(e)] != EdgeState::Unknown) continue;
    const std::int32_t w = index_.other(e, tip);
    std::int32_t score = 0;
    for (std::int32_t k = index_.start[at(w)]; k < index_.start[at(w) + 1]; ++k) {
      const std::int32_t f = index_.edgeOf[at(k)];
      score += f != e && state_[at(f)] == EdgeState::Unknown && inDegree_[at(index_.other(f, w))] == 0 ? 1 : 0;
    }
    if (inDegree_[at(w)] != 1) score += options_.loneNeighbourPenalty;
    if (best < 0 || score < bestScore || (score == bestScore && (rng_.next() & 1))) {
      best = e;
      bestScore = score;
    }
  }
  return best;
}

// Dead ends cluster near the end of a descent, where the last few per cent of the graph is left;
// when a run's failures exceed its budget, the search jumps back a number of decisions that
// grows with the Luby sequence and descends again with new tie-breaks, instead of starting over:
// a jump costs the assignments it undoes, not O(n).
bool ForcedSearch::run(std::int64_t maxFailures, std::vector<std::int32_t>& cycle) {
  reset();
  for (std::int32_t v = 0; v < n_; ++v) queue_.push_back(v);
  if (!propagate()) return false;  // the rules alone refute the graph: no cycle to find
  if (inCount_ == n_) {  // the rules alone chose every edge (a cycle graph): no path end is left
    listCycle(cycle);
    return true;
  }
  const std::size_t base = trail_.size();
  std::int64_t failures = 0, runFailures = 0;
  std::int64_t jumps = 1;
  pickAnchor();
  for (;;) {
    if (outOfTime()) return false;
    if (inCount_ == n_) {
      listCycle(cycle);
      return true;
    }
    if (!remainderTried_ && n_ - interior_ <= n_ / options_.remainderShare &&
        n_ - interior_ >= options_.remainderMinOrder) {
      remainderTried_ = true;
      if (searchRemainder(cycle)) return true;
      if (outOfTime()) return false;
    }
    const std::int32_t e = chooseEdge(partner_[at(anchor_)]);
    bool ok = false;
    if (e >= 0) {
      decisions_.push_back({trail_.size(), e, anchor_, false});
      ok = assign(e, EdgeState::In);
    }
    while (!ok) {
      if (++failures >= maxFailures || decisions_.empty() || outOfTime()) return false;
      if (++runFailures > options_.failuresPerRun * luby(jumps)) {
        runFailures = 0;
        remainderTried_ = false;
        const auto back = static_cast<std::size_t>(options_.decisionsPerJump * luby(jumps++));
        const std::size_t keep = decisions_.size() > back ? decisions_.size() - back : 0;
        if (keep == 0) {
          undoTo(base);
          decisions_.clear();
          pickAnchor();
        } else {
          undoTo(decisions_[keep].trail);
          anchor_ = decisions_[keep].anchor;
          decisions_.resize(keep);
        }
        ok = true;
        break;
      }
      Decision& d = decisions_.back();
      undoTo(d.trail);
      anchor_ = d.anchor;
      if (d.flipped) {
        decisions_.pop_back();
        continue;
      }
      d.flipped = true;
      ok = assign(d.edge, EdgeState::Out);
    }
  }
}

// A path end (or a lone vertex) from a random place; one exists while the cycle is open, which
// every caller makes sure of (inCount_ < n_).
void ForcedSearch::pickAnchor() {
  anchor_ = static_cast<std::int32_t>(rng_.below(static_cast<std::uint32_t>(n_)));
  while (inDegree_[at(anchor_)] == 2) anchor_ = anchor_ + 1 == n_ ? 0 : anchor_ + 1;
}

// What is left of the graph, as a graph of its own: the vertices not yet passed through (path
// ends and lone vertices), the undecided edges among them, and one vertex of degree 2 standing for
// each path between two ends (so that its two ends are joined through it). Its Hamiltonian cycles
// are those of the whole graph that keep every choice made so far; being a few per cent of the
// graph, it is searched with fresh starts far more cheaply than the whole state is jumped around.
bool ForcedSearch::searchRemainder(std::vector<std::int32_t>& cycle) {
  std::vector<std::int32_t> id(at(n_), -1), original;
  for (std::int32_t v = 0; v < n_; ++v) {
    if (inDegree_[at(v)] == 2) continue;
    id[at(v)] = static_cast<std::int32_t>(original.size());
    original.push_back(v);
  }
  const auto alive = static_cast<std::int32_t>(original.size());
  std::int32_t paths = 0;
  for (std::int32_t v : original) paths += inDegree_[at(v)] == 1 && v < partner_[at(v)] ? 1 : 0;
  SimpleGraph rest(alive + paths);
  std::int32_t next = alive;
  for (std::int32_t v : original) {
    for (std::int32_t k = index_.start[at(v)]; k < index_.start[at(v) + 1]; ++k) {
      const std::int32_t e = index_.edgeOf[at(k)];
      const std::int32_t w = index_.other(e, v);
      if (state_[at(e)] == EdgeState::Unknown && v < w) rest.addNewEdge(id[at(v)], id[at(w)]);
    }
    if (inDegree_[at(v)] == 1 && v < partner_[at(v)]) {
      rest.addNewEdge(id[at(v)], next);
      rest.addNewEdge(next++, id[at(partner_[at(v)])]);
    }
  }
  std::vector<std::int32_t> inner;
  ForcedSearchOptions options = options_;
  const std::int64_t budget = std::max<std::int64_t>(options_.failuresPerRun, rest.order() / options_.remainderShare);
  if (!forcedPathCycle(rest, budget, rng_, deadline_, inner, options)) return false;
  expandRemainder(inner, original, cycle);
  return true;
}

// The other chosen edge's end at v than not1 (-1 for none), v having at least one chosen edge.
std::int32_t ForcedSearch::inNeighbour(std::int32_t v, std::int32_t not1) const {
  for (std::int32_t k = index_.start[at(v)]; k < index_.start[at(v) + 1]; ++k) {
    const std::int32_t e = index_.edgeOf[at(k)];
    const std::int32_t w = index_.other(e, v);
    if (state_[at(e)] == EdgeState::In && w != not1) return w;
  }
  return -1;
}

// The remainder's cycle with each stand-in vertex replaced by the inside of its path, walked from
// the end the cycle arrives at.
void ForcedSearch::expandRemainder(std::span<const std::int32_t> inner, std::span<const std::int32_t> original,
                                   std::vector<std::int32_t>& cycle) const {
  cycle.clear();
  const auto alive = static_cast<std::int32_t>(original.size());
  const auto k = inner.size();
  for (std::size_t i = 0; i < k; ++i) {
    const std::int32_t x = inner[i];
    if (x < alive) {
      cycle.push_back(original[at(x)]);
      continue;
    }
    // A stand-in sits between the two ends of its path; the previous one in the cycle is where it
    // is entered.
    const std::int32_t from = original[at(inner[(i + k - 1) % k])];
    std::int32_t previous = from, v = inNeighbour(from, -1);
    while (inDegree_[at(v)] == 2) {
      cycle.push_back(v);
      const std::int32_t w = inNeighbour(v, previous);
      previous = v;
      v = w;
    }
  }
}

void ForcedSearch::listCycle(std::vector<std::int32_t>& cycle) const {
  cycle.clear();
  std::int32_t previous = -1, v = 0;
  for (std::int32_t k = 0; k < n_; ++k) {
    cycle.push_back(v);
    std::int32_t next = -1;
    for (std::int32_t i = index_.start[at(v)]; i < index_.start[at(v) + 1]; ++i) {
      const std::int32_t e = index_.edgeOf[at(i)];
      const std::int32_t w = index_.other(e, v);
      if (state_[at(e)] == EdgeState::In && w != previous) {
        next = w;
        break;
      }
    }
    previous = v;
    v = next;
    if (v < 0) return;
  }
}

}  // namespace

bool suitsForcedSearch(const SimpleGraph& g) {
  for (std::int32_t v = 0; v < g.order(); ++v) {
    if (g.degree(v) < 2 || g.degree(v) > 3) return false;
  }
  return g.order() >= 3;
}

bool forcedPathCycle(const SimpleGraph& g, std::int64_t maxFailures, Rng& rng, const Deadline& deadline,
                     std::vector<std::int32_t>& cycle, const ForcedSearchOptions& options) {
  cycle.clear();
  if (!suitsForcedSearch(g) || deadline.expired()) return false;
  ForcedSearch search(g, rng, deadline, options);
  const bool found = search.run(maxFailures, cycle);
  if (!found) cycle.clear();
  return found;
}

}  // namespace bicubic::exact
