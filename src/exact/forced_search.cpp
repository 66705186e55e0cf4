#include "exact/forced_search.h"

#include <algorithm>
#include <array>
#include <span>
#include <utility>

#include "exact/index.h"

namespace bicubic::exact {

namespace {

// What a decision or a dead end counts for with the deadline poller: the clock is read about every
// thousand of them, since a dead end near the end of a descent can undo thousands of assignments.
constexpr std::int64_t kDecisionWork = kPollWork >> 10;
constexpr std::int32_t kRemainderVerticesPerFailure = 256;

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

// An edge's two ends.
struct Ends {
  std::int32_t first, second;
};

constexpr std::int32_t kSlots = 3;  // the graph's degree is at most 3
constexpr int kFieldBits = 2;  // a vertex's word (below) has fields of two bits
constexpr std::uint16_t kFieldMask = 3;
constexpr std::uint32_t kStateCombinations = 1U << (kFieldBits * kSlots);

// How many of a vertex's edges are in a state, by the combination of their states.
constexpr std::array<std::uint8_t, kStateCombinations> countStates(EdgeState which) {
  std::array<std::uint8_t, kStateCombinations> count{};
  for (std::uint32_t states = 0; states < kStateCombinations; ++states) {
    for (std::int32_t i = 0; i < kSlots; ++i) {
      if (((states >> (kFieldBits * i)) & kFieldMask) == static_cast<std::uint32_t>(which)) ++count[states];
    }
  }
  return count;
}
constexpr auto kInCount = countStates(EdgeState::In);
constexpr auto kOutCount = countStates(EdgeState::Out);

class ForcedSearch {
  // A vertex's record, 16 bytes: its neighbours (its slots) and the other end of the path it ends
  // (itself when lone). A step of the search reads a vertex's edges and moves path ends together,
  // so on a large graph it misses the cache once a vertex, not once an array; and at a million
  // vertices the records are small enough to stay mostly in the cache.
  struct VertexRecord {
    std::array<std::int32_t, kSlots> neighbours{};
    std::int32_t partner = 0;
  };
  // The rest of a vertex in 16 bits, two for each field: its degree; for each slot the slot the
  // edge has at the neighbour's end (its mirror); for each slot the edge's state; and the slot it
  // drops in the 2-factor kept as a guide, plus one (0: none). Its counts of chosen and of usable
  // edges follow from the states. A step of the search that reaches a far vertex touches its
  // record and its word, two cache lines, and at a million vertices the words (2 MB) mostly stay
  // in the cache.
  static constexpr int kMirrorShift = kFieldBits;
  static constexpr int kStateShift = kMirrorShift + kFieldBits * kSlots;
  static constexpr int kDropShift = kStateShift + kFieldBits * kSlots;
  static constexpr std::uint16_t kStatesMask = (kStateCombinations - 1) << kStateShift;
  static constexpr std::uint16_t kDropMask = kFieldMask << kDropShift;

 public:
  // The graph on n vertices (of degree 2 or 3) whose edges are ends (taken by value, so that the
  // list is freed before the search runs).
  ForcedSearch(std::int32_t n, std::vector<Ends> ends, Rng& rng, const Deadline& deadline,
               const ForcedSearchOptions& options)
      : n_(n), rng_(rng), deadline_(deadline), poller_(deadline), options_(options),
        edgeCount_(static_cast<std::int64_t>(ends.size())) {
    // Every O(n + m) pass asks the deadline as it goes (run() stops at once when it has passed):
    // at a million vertices one pass is a noticeable share of a short time limit.
    vertices_.assign(at(n_), {});
    word_.assign(at(n_), 0);
    for (const Ends& edge : ends) {
      if (poller_.expired()) return;
      const std::int32_t i = degree(edge.first), j = degree(edge.second);
      if (i == kSlots || j == kSlots) {
        tooDense_ = true;  // not a graph this search takes: run() finds nothing
        return;
      }
      addSlot(edge.first, edge.second, j);
      addSlot(edge.second, edge.first, i);
    }
  }

  bool run(std::int64_t maxFailures, std::vector<std::int32_t>& cycle);
  std::int64_t failures() const { return failures_; }

 private:
  struct Decision {
    std::size_t trail;
    std::int32_t vertex, slot;  // the edge chosen, from the path's tip
    std::int32_t anchor;
    bool flipped;  // the edge's other branch (out) is the one being tried
  };
  // A trail entry: an edge assigned (vertex < 0, edge -vertex - 1), or a path end's partner
  // before it changed.
  struct Undo {
    std::int32_t vertex, old;
  };

  void reset();
  // An edge is set from one of its ends, x, by its slot there: x's record and word are at hand
  // where the edge is chosen, and only the far end's word (and its record when it is a path end)
  // is read besides.
  bool setIn(std::int32_t x, std::int32_t i);
  bool setOut(std::int32_t x, std::int32_t i);
  bool propagate();
  // Sets x's edge in slot i in or out and propagates; on a contradiction the queue is left empty.
  bool assign(std::int32_t x, std::int32_t i, EdgeState to) {
    if ((to == EdgeState::In ? setIn(x, i) : setOut(x, i)) && propagate()) return true;
    queue_.clear();
    return false;
  }
  bool settle(std::int32_t x);
  void undoTo(std::size_t size);
  std::int32_t inDegree(std::int32_t v) const { return kInCount[states(v)]; }
  std::int32_t usable(std::int32_t v) const { return degree(v) - kOutCount[states(v)]; }
  std::int32_t dropSlot(std::int32_t v) const { return ((word_[at(v)] & kDropMask) >> kDropShift) - 1; }
  void setDropSlot(std::int32_t v, std::int32_t slot) {
    word_[at(v)] = static_cast<std::uint16_t>((word_[at(v)] & ~kDropMask) | ((slot + 1) << kDropShift));
  }
  // Path end v, whose partner was old, now ends a path with w. The caller knows old (the ends of
  // a path are each other's partners), so that the far record is only written, never waited for.
  void setPartner(std::int32_t v, std::int32_t old, std::int32_t w) {
    trail_.push_back({v, old});
    vertices_[at(v)].partner = w;
  }
  std::int32_t chooseSlot(std::int32_t tip);
  void pickAnchor();
  void matchDrops();
  void jumpBack(std::size_t base, std::int64_t jump);
  void restartFrom(std::size_t base);
  // A vertex's slots hold its edges in the order they were given. An edge is named by its slot at
  // its lower end: kSlots times that end, plus the slot. Its state is kept at both ends' slots,
  // so that a walk over a vertex's edges reads their states in one place without working out
  // their names.
  void addSlot(std::int32_t v, std::int32_t w, std::int32_t mirror) {
    const std::int32_t i = degree(v);
    vertices_[at(v)].neighbours[at(i)] = w;
    word_[at(v)] = static_cast<std::uint16_t>(word_[at(v)] + 1 + (mirror << (kMirrorShift + kFieldBits * i)));
  }
  std::int32_t degree(std::int32_t v) const { return word_[at(v)] & kFieldMask; }
  std::int32_t neighbour(std::int32_t v, std::int32_t i) const { return vertices_[at(v)].neighbours[at(i)]; }
  std::int32_t mirror(std::int32_t v, std::int32_t i) const {
    return (word_[at(v)] >> (kMirrorShift + kFieldBits * i)) & kFieldMask;
  }
  std::uint32_t states(std::int32_t v) const { return (word_[at(v)] & kStatesMask) >> kStateShift; }
  EdgeState stateAt(std::int32_t v, std::int32_t i) const {
    return static_cast<EdgeState>((word_[at(v)] >> (kStateShift + kFieldBits * i)) & kFieldMask);
  }
  bool unknownAt(std::int32_t v, std::int32_t i) const { return stateAt(v, i) == EdgeState::Unknown; }
  std::int32_t edgeAt(std::int32_t v, std::int32_t i) const {
    const std::int32_t w = neighbour(v, i);
    return v < w ? kSlots * v + i : kSlots * w + mirror(v, i);
  }
  EdgeState state(std::int32_t e) const { return stateAt(e / kSlots, e % kSlots); }
  void setStateAt(std::int32_t v, std::int32_t i, EdgeState to) {
    const int shift = kStateShift + kFieldBits * i;
    const std::uint32_t field = static_cast<std::uint32_t>(kFieldMask) << shift;
    word_[at(v)] = static_cast<std::uint16_t>((word_[at(v)] & ~field) | (static_cast<std::uint32_t>(to) << shift));
  }
  // x's edge in slot i, at both of its ends.
  void setEdgeState(std::int32_t x, std::int32_t i, EdgeState to) {
    setStateAt(x, i, to);
    setStateAt(neighbour(x, i), mirror(x, i), to);
  }
  void setState(std::int32_t e, EdgeState to) { setEdgeState(e / kSlots, e % kSlots, to); }
  std::vector<std::int32_t> pathLinks() const;
  // The far end of an edge just set is settled soon after (propagation's queue is a stack), and
  // read whole when the rules force its edges.
  void prefetchRecord(std::int32_t v) const { __builtin_prefetch(vertices_.data() + v); }
  std::int32_t slotTowards(std::int32_t a, std::int32_t b) const {
    for (std::int32_t i = 0; i < degree(a); ++i) {
      if (neighbour(a, i) == b) return i;
    }
    return -1;
  }
  Ends endsOf(std::int32_t e) const { return {e / kSlots, neighbour(e / kSlots, e % kSlots)}; }
  // The ends of x's edge in slot i, the lower first, as endsOf gives them.
  Ends endsAt(std::int32_t x, std::int32_t i) const {
    const std::int32_t w = neighbour(x, i);
    return x < w ? Ends{x, w} : Ends{w, x};
  }
  // A lone vertex is its own partner: its record is not read for that.
  std::int32_t partner(std::int32_t v) const { return inDegree(v) == 0 ? v : vertices_[at(v)].partner; }
  bool outOfTime() { return poller_.expired(kDecisionWork); }
  void listCycle(std::vector<std::int32_t>& cycle) const;
  bool searchRemainder(std::int64_t maxFailures, std::vector<std::int32_t>& cycle);
  // The insides of paths, each walked from the path end it is entered at, kept by walkPaths.
  static constexpr std::size_t kPathWalks = 16;
  struct PathInsides {
    std::array<std::vector<std::int32_t>, kPathWalks> walked;  // walk w's paths' insides in turn
    std::vector<std::int32_t> length;  // by path
  };
  PathInsides walkPaths(std::span<const std::int32_t> entries) const;
  void expandRemainder(std::span<const std::int32_t> inner, std::span<const std::int32_t> original,
                       std::vector<std::int32_t>& cycle) const;

  std::int32_t n_;
  Rng& rng_;
  const Deadline& deadline_;
  DeadlinePoller poller_;
  ForcedSearchOptions options_;
  std::int64_t edgeCount_;
  std::vector<VertexRecord> vertices_;
  std::vector<std::uint16_t> word_;  // see kFieldBits
  bool tooDense_ = false;  // a vertex of degree above kSlots
  std::vector<std::int32_t> bfs_;
  std::vector<std::int8_t> free_, open_;
  std::vector<std::int32_t> queue_;
  std::vector<Undo> trail_;
  std::vector<Decision> decisions_;
  std::int32_t inCount_ = 0;
  std::int32_t interior_ = 0;  // vertices with two chosen edges
  bool remainderTried_ = false;  // since the last jump
  std::int64_t failures_ = 0;  // dead ends met, those of the searches of what was left included
  std::int32_t anchor_ = 0;  // an end of the path being grown; the search extends its partner
};

void ForcedSearch::reset() {
  for (std::int32_t v = 0; v < n_; ++v) {
    word_[at(v)] = static_cast<std::uint16_t>(word_[at(v)] & ~kStatesMask);
    vertices_[at(v)].partner = v;
  }
  trail_.clear();
  decisions_.clear();
  // A descent assigns each edge once and moves two path ends per chosen edge, and decides at most
  // once a vertex: room reserved for that is never copied as the trail grows (and, untouched, it
  // costs no memory until used).
  trail_.reserve(at(edgeCount_) + 2 * at(n_));
  decisions_.reserve(at(n_));
  queue_.clear();
  inCount_ = 0;
  interior_ = 0;
  remainderTried_ = false;
  anchor_ = 0;
}

bool ForcedSearch::setIn(std::int32_t x, std::int32_t i) {
  if (!unknownAt(x, i)) return stateAt(x, i) == EdgeState::In;
  prefetchRecord(neighbour(x, i));
  const auto [u, v] = endsAt(x, i);
  if (inDegree(u) == 2 || inDegree(v) == 2) return false;
  const std::int32_t a = partner(u), b = partner(v);
  // The two ends of the joined path are written here and settled soon after.
  prefetchRecord(a);
  prefetchRecord(b);
  const bool closes = a == v;
  if (closes && inCount_ + 1 != n_) return false;  // a cycle short of the whole graph
  setEdgeState(x, i, EdgeState::In);
  trail_.push_back({-edgeAt(x, i) - 1, 0});
  ++inCount_;
  interior_ += (inDegree(u) == 2 ? 1 : 0) + (inDegree(v) == 2 ? 1 : 0);
  if (!closes) {
    setPartner(a, u, b);
    setPartner(b, v, a);
    // The path being grown keeps an end as its anchor.
    if (anchor_ == u && inDegree(u) == 2) anchor_ = b;
    if (anchor_ == v && inDegree(v) == 2) anchor_ = a;
    queue_.push_back(a);
    queue_.push_back(b);
  }
  queue_.push_back(u);
  queue_.push_back(v);
  return true;
}

bool ForcedSearch::setOut(std::int32_t x, std::int32_t i) {
  if (!unknownAt(x, i)) return stateAt(x, i) == EdgeState::Out;
  prefetchRecord(neighbour(x, i));
  const auto [u, v] = endsAt(x, i);
  setEdgeState(x, i, EdgeState::Out);
  trail_.push_back({-edgeAt(x, i) - 1, 0});
  queue_.push_back(u);
  queue_.push_back(v);
  return usable(u) >= 2 && usable(v) >= 2;
}

// The rules at one vertex: two chosen edges drop the rest, two usable edges are both chosen,
// and a path end's edge to its own partner is dropped unless it would close the whole cycle.
bool ForcedSearch::settle(std::int32_t x) {
  if (usable(x) < 2) return false;
  const bool full = inDegree(x) == 2;
  const bool forced = !full && usable(x) == 2;
  if (full || forced) {
    for (std::int32_t i = 0; i < degree(x); ++i) {
      if (unknownAt(x, i) && !(full ? setOut(x, i) : setIn(x, i))) return false;
    }
  }
  if (inDegree(x) == 1 && inCount_ < n_ - 1) {
    const std::int32_t i = slotTowards(x, vertices_[at(x)].partner);
    if (i >= 0 && unknownAt(x, i) && !setOut(x, i)) return false;
  }
  return true;
}

// Past the deadline it fails as a contradiction would, and the caller's next look at the clock
// ends the search.
bool ForcedSearch::propagate() {
  while (!queue_.empty()) {
    const std::int32_t x = queue_.back();
    queue_.pop_back();
    if (poller_.expired() || !settle(x)) {
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
      vertices_[at(u.vertex)].partner = u.old;
      continue;
    }
    const std::int32_t e = -u.vertex - 1;
    const auto [a, b] = endsOf(e);
    if (state(e) == EdgeState::In) {
      interior_ -= (inDegree(a) == 2 ? 1 : 0) + (inDegree(b) == 2 ? 1 : 0);
      --inCount_;
    }
    setState(e, EdgeState::Unknown);
  }
}

// The edge from the tip towards the end of another path if there is one (joining paths early
// leaves fewer loose pieces for the end of the descent, where the dead ends are), else towards
// the neighbour with the fewest ways on (Warnsdorff's rule); ties broken at random. The guiding
// 2-factor comes first when its weight outweighs the rest: then a tip whose dropped edge is one
// of its two undecided edges takes the other without looking further.
std::int32_t ForcedSearch::chooseSlot(std::int32_t tip) {
  const std::int32_t drop = dropSlot(tip);
  if (drop >= 0 && unknownAt(tip, drop) && options_.guidePenalty > 2 + options_.loneNeighbourPenalty) {
    std::int32_t other = -1, others = 0;
    for (std::int32_t i = 0; i < degree(tip); ++i) {
      if (i != drop && unknownAt(tip, i)) other = i, ++others;
    }
    if (others == 1) return other;
  }
  std::int32_t best = -1, bestScore = 0;
  for (std::int32_t i = 0; i < degree(tip); ++i) {
    if (!unknownAt(tip, i)) continue;
    const std::int32_t w = neighbour(tip, i);
    std::int32_t score = 0;
    for (std::int32_t k = 0; k < degree(w); ++k) {
      score += neighbour(w, k) != tip && unknownAt(w, k) && inDegree(neighbour(w, k)) == 0 ? 1 : 0;
    }
    if (inDegree(w) != 1) score += options_.loneNeighbourPenalty;
    if (i == drop) score += options_.guidePenalty;
    if (best < 0 || score < bestScore || (score == bestScore && (rng_.next() & 1))) {
      best = i;
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
  if (tooDense_) return false;
  reset();
  if (outOfTime()) return false;
  for (std::int32_t v = 0; v < n_; ++v) queue_.push_back(v);
  if (!propagate()) return false;  // the rules alone refute the graph: no cycle to find
  if (inCount_ == n_) {  // the rules alone chose every edge (a cycle graph): no path end is left
    listCycle(cycle);
    return true;
  }
  matchDrops();
  if (outOfTime()) return false;
  const std::size_t base = trail_.size();
  std::int64_t& failures = failures_;
  std::int64_t runFailures = 0;
  failures = 0;
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
      if (searchRemainder(maxFailures - failures, cycle)) return true;
      if (failures >= maxFailures || outOfTime()) return false;
      // What is left has no cycle, or resisted: the choices that made it go too. A jump back of a
      // few decisions leaves most of it as it was (the whole descent made it), and on about one
      // random cubic graph in ten such remainders kept failing until the budget was spent; so
      // the descent starts over, with a new guide (the old one would lead it to the same state).
      runFailures = 0;
      ++jumps;
      restartFrom(base);
      matchDrops();
      continue;
    }
    const std::int32_t tip = vertices_[at(anchor_)].partner, slot = chooseSlot(tip);
    bool ok = false;
    if (slot >= 0) {
      decisions_.push_back({trail_.size(), tip, slot, anchor_, false});
      ok = assign(tip, slot, EdgeState::In);
    }
    while (!ok) {
      if (++failures >= maxFailures || decisions_.empty() || outOfTime()) return false;
      if (++runFailures > options_.failuresPerRun * luby(jumps)) {
        runFailures = 0;
        jumpBack(base, jumps++);
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
      ok = assign(d.vertex, d.slot, EdgeState::Out);
    }
  }
}

// A vertex with three usable edges drops one of them in any cycle: a perfect matching of those
// vertices over undecided edges is the drops of a 2-factor, and the descent prefers to keep to it,
// so that what it leaves behind still has a 2-factor (without a guide, the states it reached at a
// few per cent of the graph left mostly had none, and were refuted only after long searches).
// A guide only: the few vertices the greedy leaves unmatched have no preference.
void ForcedSearch::matchDrops() {
  for (std::int32_t v = 0; v < n_; ++v) setDropSlot(v, -1);
  if (options_.guidePenalty == 0) return;
  // open_[v]: v has three usable edges and no partner yet; free_[v]: its undecided edges to such
  // vertices. Both a byte a vertex, so that the walk below stays in the cache on large graphs.
  open_.resize(at(n_));
  free_.assign(at(n_), 0);
  for (std::int32_t v = 0; v < n_; ++v) open_[at(v)] = usable(v) == 3 ? 1 : 0;
  bfs_.clear();
  for (std::int32_t v = 0; v < n_; ++v) {
    if (open_[at(v)] == 0) continue;
    if (poller_.expired()) return;
    for (std::int32_t i = 0; i < degree(v); ++i) {
      if (unknownAt(v, i) && open_[at(neighbour(v, i))] != 0) ++free_[at(v)];
    }
    if (free_[at(v)] == 1) bfs_.push_back(v);
  }
  // Karp and Sipser's order: a vertex with one free partner left takes it at once (no matching
  // loses by that); otherwise a vertex takes a random free partner.
  const auto match = [&](std::int32_t v) {
    std::int32_t chosen = -1;
    for (std::int32_t i = 0; i < degree(v); ++i) {
      if (unknownAt(v, i) && open_[at(neighbour(v, i))] != 0 && (chosen < 0 || (rng_.next() & 1))) chosen = i;
    }
    if (chosen < 0) return;
    const std::int32_t w = neighbour(v, chosen);
    setDropSlot(v, chosen);
    setDropSlot(w, mirror(v, chosen));
    open_[at(v)] = open_[at(w)] = 0;
    for (const std::int32_t x : {v, w}) {
      for (std::int32_t i = 0; i < degree(x); ++i) {
        const std::int32_t y = neighbour(x, i);
        if (open_[at(y)] != 0 && unknownAt(x, i) && --free_[at(y)] == 1) {
          bfs_.push_back(y);
          __builtin_prefetch(vertices_.data() + y);  // matched next, or soon after
        }
      }
    }
  };
  const auto drain = [&] {
    while (!bfs_.empty()) {
      const std::int32_t v = bfs_.back();
      bfs_.pop_back();
      if (open_[at(v)] != 0) match(v);
    }
  };
  drain();
  const auto offset = static_cast<std::int32_t>(rng_.below(static_cast<std::uint32_t>(n_)));
  for (std::int32_t i = 0; i < n_; ++i) {
    const std::int32_t v = i < n_ - offset ? i + offset : i + offset - n_;
    if (open_[at(v)] == 0) continue;
    if (poller_.expired()) return;  // the descent that follows stops at once
    match(v);
    drain();
  }
}

// Undoes the last decisionsPerJump times the Luby term's decisions (all of them, back to the
// rules' own choices at base, if there are fewer), and lets the search descend again from there.
void ForcedSearch::jumpBack(std::size_t base, std::int64_t jump) {
  remainderTried_ = false;
  const auto back = static_cast<std::size_t>(options_.decisionsPerJump * luby(jump));
  const std::size_t keep = decisions_.size() > back ? decisions_.size() - back : 0;
  if (keep == 0) {
    restartFrom(base);
    return;
  }
  undoTo(decisions_[keep].trail);
  anchor_ = decisions_[keep].anchor;
  decisions_.resize(keep);
}

// Every decision undone, back to the rules' own choices at base, and a new path begun.
void ForcedSearch::restartFrom(std::size_t base) {
  remainderTried_ = false;
  undoTo(base);
  decisions_.clear();
  pickAnchor();
}

// A path end (or a lone vertex) from a random place; one exists while the cycle is open, which
// every caller makes sure of (inCount_ < n_).
void ForcedSearch::pickAnchor() {
  anchor_ = static_cast<std::int32_t>(rng_.below(static_cast<std::uint32_t>(n_)));
  while (inDegree(anchor_) == 2) anchor_ = anchor_ + 1 == n_ ? 0 : anchor_ + 1;
}

// What is left of the graph, as a graph of its own: the vertices not yet passed through (path
// ends and lone vertices), the undecided edges among them, and one vertex of degree 2 standing for
// each path between two ends (so that its two ends are joined through it). Its Hamiltonian cycles
// are those of the whole graph that keep every choice made so far; being a few per cent of the
// graph, it is searched with fresh starts far more cheaply than the whole state is jumped around.
bool ForcedSearch::searchRemainder(std::int64_t maxFailures, std::vector<std::int32_t>& cycle) {
  std::vector<std::int32_t> id(at(n_), -1), original;
  for (std::int32_t v = 0; v < n_; ++v) {
    if (inDegree(v) == 2) continue;
    id[at(v)] = static_cast<std::int32_t>(original.size());
    original.push_back(v);
  }
  const auto alive = static_cast<std::int32_t>(original.size());
  std::int32_t paths = 0;
  for (std::int32_t v : original) paths += inDegree(v) == 1 && v < vertices_[at(v)].partner ? 1 : 0;
  const std::int32_t order = alive + paths;
  std::vector<Ends> rest;
  const auto join = [&rest](std::int32_t a, std::int32_t b) { rest.push_back({a, b}); };
  std::int32_t next = alive;
  for (std::int32_t v : original) {
    if (poller_.expired()) return false;
    for (std::int32_t i = 0; i < degree(v); ++i) {
      if (unknownAt(v, i) && v < neighbour(v, i)) join(id[at(v)], id[at(neighbour(v, i))]);
    }
    if (inDegree(v) == 1 && v < vertices_[at(v)].partner) {
      join(id[at(v)], next);
      join(next++, id[at(vertices_[at(v)].partner)]);
    }
  }
  std::vector<std::int32_t> inner;
  // One dead end for every kRemainderVerticesPerFailure of its vertices (at least a run's worth):
  // a remainder that resists is more often one without a cycle than a hard one, and the levels
  // above, drawing another, find one sooner than a long search of it (with an eighth of its order,
  // one such remainder used up the whole budget on about one random cubic graph in ten).
  const std::int64_t budget = std::min(
      maxFailures, std::max<std::int64_t>(options_.failuresPerRun, order / kRemainderVerticesPerFailure));
  ForcedSearch search(order, std::move(rest), rng_, deadline_, options_);
  const bool found = search.run(budget, inner);
  failures_ += std::max<std::int64_t>(search.failures(), 1);
  if (!found) return false;
  expandRemainder(inner, original, cycle);
  return true;
}

// The remainder's cycle with each stand-in vertex replaced by the inside of its path, walked from
// the end the cycle arrives at.
void ForcedSearch::expandRemainder(std::span<const std::int32_t> inner, std::span<const std::int32_t> original,
                                   std::vector<std::int32_t>& cycle) const {
  const auto alive = static_cast<std::int32_t>(original.size());
  const auto k = inner.size();
  // A stand-in sits between the two ends of its path; the previous one in the cycle is where it
  // is entered.
  std::vector<std::int32_t> entries;
  for (std::size_t i = 0; i < k; ++i) {
    if (inner[i] >= alive) entries.push_back(original[at(inner[(i + k - 1) % k])]);
  }
  const PathInsides insides = walkPaths(entries);
  cycle.clear();
  std::array<std::size_t, kPathWalks> read{};
  std::size_t path = 0;
  for (const std::int32_t x : inner) {
    if (x < alive) {
      cycle.push_back(original[at(x)]);
      continue;
    }
    const std::vector<std::int32_t>& walked = insides.walked[path % kPathWalks];
    const auto from = walked.begin() + static_cast<std::ptrdiff_t>(read[path % kPathWalks]);
    cycle.insert(cycle.end(), from, from + insides.length[path]);
    read[path % kPathWalks] += at(insides.length[path]);
    ++path;
  }
}

// Each walk waits on a cache miss at every step on a large graph (the next vertex is known only
// once the last one's link is read); walks side by side overlap the misses. Walk w takes paths
// w, w + kPathWalks, ... in turn, and keeps their insides one after another.
ForcedSearch::PathInsides ForcedSearch::walkPaths(std::span<const std::int32_t> entries) const {
  const std::vector<std::int32_t> link = pathLinks();
  PathInsides insides;
  insides.length.assign(entries.size(), 0);
  struct Walk {
    std::size_t path;
    std::int32_t previous, v;
  };
  std::vector<Walk> walks;
  for (std::size_t path = 0; path < std::min(kPathWalks, entries.size()); ++path) {
    walks.push_back({path, entries[path], link[at(entries[path])]});
  }
  while (!walks.empty()) {
    for (std::size_t w = 0; w < walks.size();) {
      Walk& walk = walks[w];
      if (inDegree(walk.v) == 2) {
        insides.walked[walk.path % kPathWalks].push_back(walk.v);
        ++insides.length[walk.path];
        const std::int32_t next = link[at(walk.v)] ^ walk.previous;
        walk.previous = walk.v;
        walk.v = next;
        ++w;
        continue;
      }
      walk.path += kPathWalks;  // this path is done: the walk's next one, if any
      if (walk.path >= entries.size()) {
        walk = walks.back();
        walks.pop_back();
        continue;
      }
      walk.previous = entries[walk.path];
      walk.v = link[at(walk.previous)];
      ++w;
    }
  }
  return insides;
}

// For each vertex the XOR of its neighbours over chosen edges, by which the paths are walked: the
// walk reads 4 bytes a vertex, which mostly stay in the cache where the records would not, and
// the pass that makes them reads the records in order.
std::vector<std::int32_t> ForcedSearch::pathLinks() const {
  std::vector<std::int32_t> link(at(n_), 0);
  for (std::int32_t v = 0; v < n_; ++v) {
    for (std::int32_t i = 0; i < degree(v); ++i) {
      if (stateAt(v, i) == EdgeState::In) link[at(v)] ^= neighbour(v, i);
    }
  }
  return link;
}

void ForcedSearch::listCycle(std::vector<std::int32_t>& cycle) const {
  cycle.clear();
  const std::vector<std::int32_t> link = pathLinks();
  std::int32_t previous = -1, v = 0;
  for (std::int32_t i = 0; i < degree(0); ++i) {
    if (previous < 0 && stateAt(0, i) == EdgeState::In) previous = neighbour(0, i);
  }
  for (std::int32_t k = 0; k < n_; ++k) {
    cycle.push_back(v);
    const std::int32_t next = link[at(v)] ^ previous;
    previous = v;
    v = next;
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
  std::vector<Ends> ends;
  ends.reserve(at(g.edgeCount()));
  DeadlinePoller poller(deadline);  // O(m), and a limit at a million vertices must hold
  for (std::int32_t v = 0; v < g.order(); ++v) {
    if (poller.expired(g.degree(v))) return false;
    for (const std::int32_t w : g.neighbours(v)) {
      if (v < w) ends.push_back({v, w});
    }
  }
  ForcedSearch search(g.order(), std::move(ends), rng, deadline, options);
  const bool found = search.run(maxFailures, cycle);
  if (!found) cycle.clear();
  return found;
}

}  // namespace bicubic::exact
