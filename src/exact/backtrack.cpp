#include "exact/backtrack.h"

#include <algorithm>
#include <utility>

#include "exact/index.h"

namespace bicubic::exact {

namespace {
constexpr std::uint64_t kCutLabelSeed = 0x5eed;
constexpr std::int32_t kNoEdge = -1;

// 1, 1, 2, 1, 1, 2, 4, 1, 1, 2, 1, 1, 2, 4, 8, ... (i from 1): the restart schedule whose total
// work is within a logarithmic factor of the best fixed budget, without knowing that budget.
std::int64_t luby(std::int64_t i) {
  while (true) {
    std::int64_t full = 1;  // 2^k - 1, the first such length >= i
    while (full < i) full = 2 * full + 1;
    if (full == i) return (full + 1) / 2;
    i -= full / 2;
  }
}

// base * luby(i), at most cap.
std::int64_t restartBudget(std::int64_t base, std::int64_t i, std::int64_t cap) {
  if (base <= 0) return cap;
  const std::int64_t factor = luby(i);
  return factor > cap / base ? cap : std::min(cap, base * factor);
}
}  // namespace

Answer Backtracker::run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle,
                        std::int64_t nodeLimit) {
  Options options;
  options.nodeLimit = nodeLimit;
  return run(g, deadline, cycle, options);
}

Answer Backtracker::run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle,
                        const Options& options) {
  cycle.clear();
  nodes_ = 0;
  restarts_ = 0;
  deadline_ = &deadline;
  flowCheckOrder_ = options.flowCheckOrder;
  pruning_ = !options.lazyPruning;
  deadlineHit_ = false;
  poller_ = DeadlinePoller(deadline);
  n_ = g.order();
  if (n_ < 3) return Answer::NonHamiltonian;
  if (!setUp(g)) return Answer::Unknown;
  // The first search keeps the input's order, so a graph that needs no restart is searched as
  // it always was; every restart draws a new order from the seed.
  Rng rng;
  for (std::int64_t attempt = 1;; ++attempt) {
    if (attempt == 2) {
      rng = Rng(options.seed ? *options.seed : graphSeed(g));
      if (deadlineHit_) return Answer::Unknown;
    }
    if (attempt > 1) {
      shuffleBranchingOrder(rng);
      ++restarts_;
    }
    const std::int64_t budget = restartBudget(options.restartBase, attempt, options.nodeLimit - nodes_);
    const Answer answer = searchWithinBudget(budget);
    if (answer == Answer::Hamiltonian) extractCycle(cycle);
    if (answer != Answer::Unknown || deadlineHit_ || nodes_ >= options.nodeLimit) return answer;
  }
}

bool Backtracker::setUp(const SimpleGraph& g) {
  if (!ix_.build(g, *deadline_)) return false;
  m_ = ix_.edgeCount();
  if (outOfTime(m_)) return false;
  scanOrder_.resize(at(n_));
  for (std::int32_t v = 0; v < n_; ++v) scanOrder_[at(v)] = v;
  side_ = twoColouring(g);
  // The flow check costs O(n m) a node. On cubic graphs the degree rules already imply nearly
  // all it could find (measured on nauty's 12+12 family: same answers, 10% slower), so it only
  // runs where some vertex has more than three neighbours, and not on huge graphs.
  std::int32_t maxDegree = 0;
  for (std::int32_t v = 0; v < n_; ++v) maxDegree = std::max(maxDegree, g.degree(v));
  bipartite_ = !side_.empty() && n_ <= flowCheckOrder_ && maxDegree > 3;
  flow_.assign(bipartite_ ? at(m_) : 0, 0);
  used_.assign(at(n_), 0);
  seen_.assign(at(n_), 0);
  seenStamp_ = 0;
  cutLabels_.seed(kCutLabelSeed + static_cast<std::uint64_t>(m_));
  mark_.assign(at(n_), 0);
  markStamp_ = 0;
  disc_.resize(at(n_));
  low_.resize(at(n_));
  parentEdge_.resize(at(n_));
  nextSlot_.resize(at(n_));
  return !outOfTime(m_);
}

void Backtracker::shuffleBranchingOrder(Rng& rng) {
  shuffle(scanOrder_.begin(), scanOrder_.end(), rng);
  for (std::int32_t v = 0; v < n_; ++v) {
    shuffle(ix_.edgeOf.begin() + ix_.start[at(v)], ix_.edgeOf.begin() + ix_.start[at(v) + 1], rng);
  }
}

void Backtracker::resetSearch() {
  state_.assign(at(m_), kUnknown);
  inDeg_.assign(at(n_), 0);
  avail_.resize(at(n_));
  end_.resize(at(n_));
  queue_.clear();
  for (std::int32_t v = 0; v < n_; ++v) {
    avail_[at(v)] = ix_.start[at(v) + 1] - ix_.start[at(v)];
    end_[at(v)] = v;
    queue_.push_back(v);
  }
  inCount_ = 0;
  trail_.clear();
}

Answer Backtracker::searchWithinBudget(std::int64_t budget) {
  resetSearch();
  aborted_ = false;
  budgetEnd_ = nodes_ + budget;
  if (propagate() && search()) return Answer::Hamiltonian;
  return aborted_ ? Answer::Unknown : Answer::NonHamiltonian;
}

// Walks the in-edges from vertex 0.
void Backtracker::extractCycle(std::vector<std::int32_t>& cycle) const {
  std::int32_t prev = -1;
  std::int32_t v = 0;
  for (std::int32_t k = 0; k < n_; ++k) {
    cycle.push_back(v);
    std::int32_t next = -1;
    for (std::int32_t i = ix_.start[at(v)]; i < ix_.start[at(v) + 1]; ++i) {
      const std::int32_t e = ix_.edgeOf[at(i)];
      if (state_[at(e)] != kIn) continue;
      const std::int32_t w = ix_.other(e, v);
      if (w != prev) {
        next = w;
        break;
      }
    }
    prev = v;
    v = next;
  }
}

bool Backtracker::setIn(std::int32_t e) {
  if (state_[at(e)] == kIn) return true;
  if (state_[at(e)] == kOut) return false;
  const std::int32_t u = ix_.first[at(e)];
  const std::int32_t v = ix_.second[at(e)];
  if (inDeg_[at(u)] == 2 || inDeg_[at(v)] == 2) return false;
  const std::int32_t a = end_[at(u)];
  const std::int32_t b = end_[at(v)];
  const bool closes = (a == v);
  // Closing a path into a cycle is only right when the path already spans every vertex.
  if (closes && inCount_ != n_ - 1) return false;
  trail_.push_back({ChangeKind::EdgeState, e, kUnknown});
  state_[at(e)] = kIn;
  ++inDeg_[at(u)];
  ++inDeg_[at(v)];
  ++inCount_;
  queue_.push_back(u);
  queue_.push_back(v);
  if (closes) return true;
  trail_.push_back({ChangeKind::PathEnd, a, end_[at(a)]});
  end_[at(a)] = b;
  trail_.push_back({ChangeKind::PathEnd, b, end_[at(b)]});
  end_[at(b)] = a;
  // The new path's ends may not be joined directly unless that closes the whole cycle.
  if (inCount_ < n_ - 1) {
    const std::int32_t small = avail_[at(a)] <= avail_[at(b)] ? a : b;
    const std::int32_t other = small == a ? b : a;
    for (std::int32_t i = ix_.start[at(small)]; i < ix_.start[at(small) + 1]; ++i) {
      const std::int32_t f = ix_.edgeOf[at(i)];
      if (state_[at(f)] == kUnknown && ix_.other(f, small) == other) return setOut(f);
    }
  }
  return true;
}

bool Backtracker::setOut(std::int32_t e) {
  if (state_[at(e)] == kOut) return true;
  if (state_[at(e)] == kIn) return false;
  trail_.push_back({ChangeKind::EdgeState, e, kUnknown});
  state_[at(e)] = kOut;
  const std::int32_t u = ix_.first[at(e)];
  const std::int32_t v = ix_.second[at(e)];
  --avail_[at(u)];
  --avail_[at(v)];
  queue_.push_back(u);
  queue_.push_back(v);
  return true;
}

bool Backtracker::propagate() {
  while (!queue_.empty()) {
    const std::int32_t w = queue_.back();
    queue_.pop_back();
    const std::int32_t in = inDeg_[at(w)];
    const std::int32_t av = avail_[at(w)];
    if (av < 2) {
      queue_.clear();
      return false;
    }
    if (in == 2 && av > 2) {
      for (std::int32_t i = ix_.start[at(w)]; i < ix_.start[at(w) + 1]; ++i) {
        const std::int32_t e = ix_.edgeOf[at(i)];
        if (state_[at(e)] == kUnknown) setOut(e);
      }
    } else if (in < 2 && av == 2) {
      for (std::int32_t i = ix_.start[at(w)]; i < ix_.start[at(w) + 1]; ++i) {
        const std::int32_t e = ix_.edgeOf[at(i)];
        if (state_[at(e)] == kUnknown && !setIn(e)) {
          queue_.clear();
          return false;
        }
      }
    }
  }
  return true;
}

void Backtracker::undo(std::size_t mark) {
  while (trail_.size() > mark) {
    const Change c = trail_.back();
    trail_.pop_back();
    if (c.kind == ChangeKind::PathEnd) {
      end_[at(c.index)] = c.old;
      continue;
    }
    const std::int32_t e = c.index;
    const std::int32_t u = ix_.first[at(e)];
    const std::int32_t v = ix_.second[at(e)];
    if (state_[at(e)] == kIn) {
      --inDeg_[at(u)];
      --inDeg_[at(v)];
      --inCount_;
    } else {
      ++avail_[at(u)];
      ++avail_[at(v)];
    }
    state_[at(e)] = kUnknown;
  }
}

// Low-point search over the edges not yet excluded: a Hamiltonian cycle is a 2-connected
// spanning subgraph, so a disconnected available graph or one with a cut vertex is dead. Leaves
// its depth-first tree in parentEdge_/order_ for the cut labels.
bool Backtracker::availableGraphIsBiconnected() {
  std::fill(disc_.begin(), disc_.begin() + n_, -1);
  std::int32_t time = 0;
  std::int32_t rootChildren = 0;
  stack_.assign(1, 0);
  order_.assign(1, 0);
  disc_[0] = low_[0] = time++;
  parentEdge_[0] = kNoEdge;
  nextSlot_[0] = ix_.start[0];
  while (!stack_.empty()) {
    if (outOfTime(1)) return false;
    const std::int32_t v = stack_.back();
    if (nextSlot_[at(v)] < ix_.start[at(v) + 1]) {
      const std::int32_t e = ix_.edgeOf[at(nextSlot_[at(v)]++)];
      if (state_[at(e)] == kOut || e == parentEdge_[at(v)]) continue;
      const std::int32_t w = ix_.other(e, v);
      if (disc_[at(w)] < 0) {
        disc_[at(w)] = low_[at(w)] = time++;
        parentEdge_[at(w)] = e;
        order_.push_back(w);
        nextSlot_[at(w)] = ix_.start[at(w)];
        if (v == 0) ++rootChildren;
        stack_.push_back(w);
      } else {
        low_[at(v)] = std::min(low_[at(v)], disc_[at(w)]);
      }
      continue;
    }
    stack_.pop_back();
    if (stack_.empty()) break;
    const std::int32_t p = stack_.back();
    low_[at(p)] = std::min(low_[at(p)], low_[at(v)]);
    if (p != 0 && low_[at(v)] >= disc_[at(p)]) return false;
  }
  return time == n_ && rootChildren <= 1;
}

// Every vertex still needs 2 - inDeg edges from its unknown ones; on a bipartite graph that is a
// flow from one colour class to the other, each unknown edge carrying at most one unit. If the
// flow cannot meet every need, no 2-factor (so no Hamiltonian cycle) extends the in-edges.
bool Backtracker::twoFactorPossible() {
  std::int32_t needRed = 0, needBlue = 0;
  for (std::int32_t v = 0; v < n_; ++v) {
    used_[at(v)] = 0;
    (side_[at(v)] == 0 ? needRed : needBlue) += 2 - inDeg_[at(v)];
  }
  if (needRed != needBlue) return false;
  std::fill(flow_.begin(), flow_.end(), 0);
  // Greedy start, then augmenting paths for the reds still short.
  std::int32_t flow = 0;
  for (std::int32_t e = 0; e < m_; ++e) {
    if (state_[at(e)] != kUnknown) continue;
    const std::int32_t u = ix_.first[at(e)];
    const std::int32_t v = ix_.second[at(e)];
    if (used_[at(u)] < 2 - inDeg_[at(u)] && used_[at(v)] < 2 - inDeg_[at(v)]) {
      flow_[at(e)] = 1;
      ++used_[at(u)];
      ++used_[at(v)];
      ++flow;
    }
  }
  for (std::int32_t r = 0; r < n_ && flow < needRed; ++r) {
    if (side_[at(r)] != 0) continue;
    while (used_[at(r)] < 2 - inDeg_[at(r)]) {
      // An augmenting path may cross every edge.
      if (outOfTime(m_)) return false;
      ++seenStamp_;
      if (!augment(r)) return false;
      ++used_[at(r)];
      ++flow;
    }
  }
  return flow == needRed;
}

// One augmenting path from red vertex `red` (which has spare need) to a blue vertex with spare
// need: forward along unused unknown edges red->blue, backward along used ones blue->red.
bool Backtracker::augment(std::int32_t red) {
  seen_[at(red)] = seenStamp_;
  for (std::int32_t i = ix_.start[at(red)]; i < ix_.start[at(red) + 1]; ++i) {
    const std::int32_t e = ix_.edgeOf[at(i)];
    if (state_[at(e)] != kUnknown || flow_[at(e)] != 0) continue;
    const std::int32_t blue = ix_.other(e, red);
    if (seen_[at(blue)] == seenStamp_) continue;
    seen_[at(blue)] = seenStamp_;
    if (used_[at(blue)] < 2 - inDeg_[at(blue)]) {
      flow_[at(e)] = 1;
      ++used_[at(blue)];
      return true;
    }
    for (std::int32_t j = ix_.start[at(blue)]; j < ix_.start[at(blue) + 1]; ++j) {
      const std::int32_t f = ix_.edgeOf[at(j)];
      if (state_[at(f)] != kUnknown || flow_[at(f)] == 0) continue;
      const std::int32_t nextRed = ix_.other(f, blue);
      if (seen_[at(nextRed)] == seenStamp_) continue;
      if (augment(nextRed)) {
        flow_[at(f)] = 0;
        flow_[at(e)] = 1;
        return true;
      }
    }
  }
  return false;
}

// Both edges of a 2-edge cut of the available graph must be in the cycle. The cut labels come
// from the depth-first tree availableGraphIsBiconnected left; a false label match is removed by
// the explicit check with separates().
bool Backtracker::forceTwoEdgeCuts(bool& forcedAny) {
  const auto excluded = [this](std::int32_t e) { return state_[at(e)] == kOut; };
  if (!cutLabels_.findClasses(ix_, parentEdge_, order_, excluded, *deadline_)) {
    deadlineHit_ = aborted_ = true;
    return false;
  }
  if (outOfTime(m_)) return false;
  const auto& classes = cutLabels_.classes();
  for (std::size_t i = 0; i < classes.size();) {
    std::size_t j = i + 1;
    while (j < classes.size() && classes[j].first == classes[i].first) ++j;
    for (std::size_t k = i; k < j; ++k) {
      const std::int32_t e = classes[k].second;
      if (state_[at(e)] != kUnknown) continue;
      const std::int32_t partner = classes[k == i ? i + 1 : i].second;
      if (!separates(e, partner)) {
        if (aborted_) return false;
        continue;
      }
      if (!setIn(e) || !propagate()) {
        queue_.clear();
        return false;
      }
      forcedAny = true;
    }
    i = j;
  }
  return true;
}

// Whether removing e and f (and the out-edges) disconnects the available graph.
bool Backtracker::separates(std::int32_t e, std::int32_t f) {
  ++markStamp_;
  stack_.assign(1, 0);
  mark_[0] = markStamp_;
  std::int32_t reached = 1;
  while (!stack_.empty()) {
    const std::int32_t v = stack_.back();
    stack_.pop_back();
    if (outOfTime(ix_.start[at(v) + 1] - ix_.start[at(v)])) return false;
    for (std::int32_t i = ix_.start[at(v)]; i < ix_.start[at(v) + 1]; ++i) {
      const std::int32_t g = ix_.edgeOf[at(i)];
      if (g == e || g == f || state_[at(g)] == kOut) continue;
      const std::int32_t w = ix_.other(g, v);
      if (mark_[at(w)] == markStamp_) continue;
      mark_[at(w)] = markStamp_;
      ++reached;
      stack_.push_back(w);
    }
  }
  return reached < n_;
}

// Extends a path end with the fewest open choices; with no path yet, starts at the vertex with
// the fewest available edges. Ties go to the first vertex in scanOrder_ and the first unknown
// edge in its list, both of which restarts reshuffle.
std::int32_t Backtracker::chooseEdge() {
  constexpr std::int32_t kNoPathPenalty = 1 << 20;
  std::int32_t best = -1;
  std::int32_t bestScore = std::numeric_limits<std::int32_t>::max();
  for (const std::int32_t v : scanOrder_) {
    const std::int32_t in = inDeg_[at(v)];
    if (in == 2) continue;
    const std::int32_t open = avail_[at(v)] - in;
    const std::int32_t score = (in == 1 ? 0 : kNoPathPenalty) + open;
    if (score < bestScore) {
      bestScore = score;
      best = v;
      if (in == 1 && open <= 2) break;
    }
  }
  if (best < 0 || outOfTime(n_)) return kNoEdge;
  for (std::int32_t i = ix_.start[at(best)]; i < ix_.start[at(best) + 1]; ++i) {
    const std::int32_t e = ix_.edgeOf[at(i)];
    if (state_[at(e)] == kUnknown) return e;
  }
  return kNoEdge;
}

// The node's checks, repeated while 2-edge cuts force new in-edges; false when the node is dead
// (or the search was stopped).
bool Backtracker::prune() {
  while (inCount_ < n_ - 1) {
    if (!availableGraphIsBiconnected()) return false;
    bool forcedAny = false;
    if (!forceTwoEdgeCuts(forcedAny)) return false;
    if (forcedAny) continue;  // new in-edges: check the smaller available graph again
    if (bipartite_ && !twoFactorPossible()) return false;
    break;
  }
  return true;
}

bool Backtracker::search() {
  if (++nodes_ > budgetEnd_ || outOfTime(1)) {
    aborted_ = true;
    return false;
  }
  if (inCount_ == n_) return true;
  if (pruning_ && !prune()) return false;
  if (inCount_ == n_) return true;
  const std::int32_t e = chooseEdge();
  if (e < 0) {
    pruning_ = true;
    return false;
  }
  const std::size_t mark = trail_.size();
  if (setIn(e) && propagate()) {
    if (search()) return true;
    if (aborted_) return false;
  }
  queue_.clear();
  undo(mark);
  pruning_ = true;  // the branch that took e was a dead end
  if (setOut(e) && propagate()) {
    if (search()) return true;
  }
  queue_.clear();
  undo(mark);
  return false;
}

}  // namespace bicubic::exact
