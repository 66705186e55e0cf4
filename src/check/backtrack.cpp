#include "check/backtrack.h"

#include <algorithm>

#include "check/index.h"
#include "check/rng.h"

namespace bicubic::check {

namespace {
constexpr std::int32_t kFlowCheckOrder = 2000;
}  // namespace

Answer Backtracker::run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle,
                        std::int64_t nodeLimit) {
  nodeLimit_ = nodeLimit;
  cycle.clear();
  n_ = g.order();
  nodes_ = 0;
  aborted_ = false;
  deadline_ = &deadline;
  if (n_ < 3) return Answer::NonHamiltonian;

  indexEdges(g, eu_, ev_, incStart_, incEdge_, nextSlot_);
  m_ = static_cast<std::int32_t>(eu_.size());

  state_.assign(at(m_), kUnknown);
  inDeg_.assign(at(n_), 0);
  avail_.resize(at(n_));
  end_.resize(at(n_));
  queue_.clear();
  for (std::int32_t v = 0; v < n_; ++v) {
    avail_[at(v)] = g.degree(v);
    end_[at(v)] = v;
    queue_.push_back(v);
  }
  inCount_ = 0;
  trail_.clear();
  side_ = twoColouring(g);
  // The flow check costs O(n m) a node. On cubic graphs the degree rules already imply nearly
  // all it could find (measured on nauty's 12+12 family: same answers, 10% slower), so it only
  // runs where some vertex has more than three neighbours, and not on huge graphs.
  std::int32_t maxDegree = 0;
  for (std::int32_t v = 0; v < n_; ++v) maxDegree = std::max(maxDegree, g.degree(v));
  bipartite_ = !side_.empty() && n_ <= kFlowCheckOrder && maxDegree > 3;
  flow_.assign(at(m_), 0);
  used_.assign(at(n_), 0);
  seen_.assign(at(n_), 0);
  seenStamp_ = 0;
  Rng rng(0x5eed + static_cast<std::uint64_t>(m_));
  random_.resize(at(m_));
  for (auto& r : random_) r = rng.next() | 1;
  label_.resize(at(m_));
  acc_.resize(at(n_));
  mark_.assign(at(n_), 0);
  markStamp_ = 0;
  disc_.resize(at(n_));
  low_.resize(at(n_));
  parentEdge_.resize(at(n_));
  nextSlot_.resize(at(n_));

  if (!propagate() || !search()) return aborted_ ? Answer::Unknown : Answer::NonHamiltonian;

  // Walk the in-edges from vertex 0.
  std::int32_t prev = -1;
  std::int32_t v = 0;
  for (std::int32_t k = 0; k < n_; ++k) {
    cycle.push_back(v);
    std::int32_t next = -1;
    for (std::int32_t i = incStart_[at(v)]; i < incStart_[at(v) + 1]; ++i) {
      const std::int32_t e = incEdge_[at(i)];
      if (state_[at(e)] != kIn) continue;
      const std::int32_t w = eu_[at(e)] == v ? ev_[at(e)] : eu_[at(e)];
      if (w != prev) {
        next = w;
        break;
      }
    }
    prev = v;
    v = next;
  }
  return Answer::Hamiltonian;
}

bool Backtracker::setIn(std::int32_t e) {
  if (state_[at(e)] == kIn) return true;
  if (state_[at(e)] == kOut) return false;
  const std::int32_t u = eu_[at(e)];
  const std::int32_t v = ev_[at(e)];
  if (inDeg_[at(u)] == 2 || inDeg_[at(v)] == 2) return false;
  const std::int32_t a = end_[at(u)];
  const std::int32_t b = end_[at(v)];
  const bool closes = (a == v);
  // Closing a path into a cycle is only right when the path already spans every vertex.
  if (closes && inCount_ != n_ - 1) return false;
  trail_.push_back({0, e, kUnknown});
  state_[at(e)] = kIn;
  ++inDeg_[at(u)];
  ++inDeg_[at(v)];
  ++inCount_;
  queue_.push_back(u);
  queue_.push_back(v);
  if (!closes) {
    trail_.push_back({1, a, end_[at(a)]});
    end_[at(a)] = b;
    trail_.push_back({1, b, end_[at(b)]});
    end_[at(b)] = a;
    // The new path's ends may not be joined directly unless that closes the whole cycle.
    if (inCount_ < n_ - 1) {
      const std::int32_t small = avail_[at(a)] <= avail_[at(b)] ? a : b;
      const std::int32_t other = small == a ? b : a;
      for (std::int32_t i = incStart_[at(small)]; i < incStart_[at(small) + 1]; ++i) {
        const std::int32_t f = incEdge_[at(i)];
        if (state_[at(f)] == kUnknown && (eu_[at(f)] == other || ev_[at(f)] == other)) {
          if (!setOut(f)) return false;
          break;
        }
      }
    }
  }
  return true;
}

bool Backtracker::setOut(std::int32_t e) {
  if (state_[at(e)] == kOut) return true;
  if (state_[at(e)] == kIn) return false;
  trail_.push_back({0, e, kUnknown});
  state_[at(e)] = kOut;
  const std::int32_t u = eu_[at(e)];
  const std::int32_t v = ev_[at(e)];
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
      for (std::int32_t i = incStart_[at(w)]; i < incStart_[at(w) + 1]; ++i) {
        const std::int32_t e = incEdge_[at(i)];
        if (state_[at(e)] == kUnknown) setOut(e);
      }
    } else if (in < 2 && av == 2) {
      for (std::int32_t i = incStart_[at(w)]; i < incStart_[at(w) + 1]; ++i) {
        const std::int32_t e = incEdge_[at(i)];
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
    if (c.kind == 1) {
      end_[at(c.index)] = c.old;
      continue;
    }
    const std::int32_t e = c.index;
    const std::int32_t u = eu_[at(e)];
    const std::int32_t v = ev_[at(e)];
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

bool Backtracker::availableGraphIsBiconnected() {
  // Low-point search over the edges not yet excluded: a Hamiltonian cycle is a 2-connected
  // spanning subgraph, so a disconnected available graph or one with a cut vertex is dead.
  std::fill(disc_.begin(), disc_.begin() + n_, -1);
  std::int32_t time = 0;
  std::int32_t rootChildren = 0;
  stack_.clear();
  stack_.push_back(0);
  order_.clear();
  order_.push_back(0);
  disc_[0] = low_[0] = time++;
  parentEdge_[0] = -1;
  nextSlot_[0] = incStart_[0];
  while (!stack_.empty()) {
    const std::int32_t v = stack_.back();
    if (nextSlot_[at(v)] < incStart_[at(v) + 1]) {
      const std::int32_t e = incEdge_[at(nextSlot_[at(v)]++)];
      if (state_[at(e)] == kOut || e == parentEdge_[at(v)]) continue;
      const std::int32_t w = eu_[at(e)] == v ? ev_[at(e)] : eu_[at(e)];
      if (disc_[at(w)] < 0) {
        disc_[at(w)] = low_[at(w)] = time++;
        parentEdge_[at(w)] = e;
        order_.push_back(w);
        nextSlot_[at(w)] = incStart_[at(w)];
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
    const std::int32_t u = eu_[at(e)];
    const std::int32_t v = ev_[at(e)];
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
  for (std::int32_t i = incStart_[at(red)]; i < incStart_[at(red) + 1]; ++i) {
    const std::int32_t e = incEdge_[at(i)];
    if (state_[at(e)] != kUnknown || flow_[at(e)] != 0) continue;
    const std::int32_t blue = eu_[at(e)] == red ? ev_[at(e)] : eu_[at(e)];
    if (seen_[at(blue)] == seenStamp_) continue;
    seen_[at(blue)] = seenStamp_;
    if (used_[at(blue)] < 2 - inDeg_[at(blue)]) {
      flow_[at(e)] = 1;
      ++used_[at(blue)];
      return true;
    }
    for (std::int32_t j = incStart_[at(blue)]; j < incStart_[at(blue) + 1]; ++j) {
      const std::int32_t f = incEdge_[at(j)];
      if (state_[at(f)] != kUnknown || flow_[at(f)] == 0) continue;
      const std::int32_t nextRed = eu_[at(f)] == blue ? ev_[at(f)] : eu_[at(f)];
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

// Labels every available edge so that two edges share a label exactly when they form a 2-edge
// cut (non-tree edges random, tree edges the XOR over the subtree below them; a 2^-64 chance
// of a false match, which the explicit check below removes). Both edges of such a cut must be
// in the cycle. Relies on the spanning tree left by availableGraphIsBiconnected.
bool Backtracker::forceTwoEdgeCuts(bool& forcedAny) {
  for (std::int32_t v = 0; v < n_; ++v) acc_[at(v)] = 0;
  byLabel_.clear();
  for (std::int32_t e = 0; e < m_; ++e) {
    if (state_[at(e)] == kOut) continue;
    const std::int32_t u = eu_[at(e)];
    const std::int32_t v = ev_[at(e)];
    if (parentEdge_[at(u)] == e || parentEdge_[at(v)] == e) continue;
    label_[at(e)] = random_[at(e)];
    acc_[at(u)] ^= random_[at(e)];
    acc_[at(v)] ^= random_[at(e)];
  }
  for (std::size_t k = order_.size(); k-- > 1;) {
    const std::int32_t v = order_[k];
    const std::int32_t e = parentEdge_[at(v)];
    label_[at(e)] = acc_[at(v)];
    acc_[at(eu_[at(e)] == v ? ev_[at(e)] : eu_[at(e)])] ^= acc_[at(v)];
  }
  for (std::int32_t e = 0; e < m_; ++e) {
    if (state_[at(e)] != kOut) byLabel_.emplace_back(label_[at(e)], e);
  }
  std::sort(byLabel_.begin(), byLabel_.end());
  for (std::size_t i = 0; i < byLabel_.size();) {
    std::size_t j = i + 1;
    while (j < byLabel_.size() && byLabel_[j].first == byLabel_[i].first) ++j;
    if (j - i >= 2) {
      for (std::size_t k = i; k < j; ++k) {
        const std::int32_t e = byLabel_[k].second;
        if (state_[at(e)] != kUnknown) continue;
        const std::int32_t partner = byLabel_[k == i ? i + 1 : i].second;
        if (!separates(e, partner)) continue;
        if (!setIn(e) || !propagate()) {
          queue_.clear();
          return false;
        }
        forcedAny = true;
      }
    }
    i = j;
  }
  return true;
}

// Whether removing e and f (and the out-edges) disconnects the available graph.
bool Backtracker::separates(std::int32_t e, std::int32_t f) {
  ++markStamp_;
  stack_.clear();
  stack_.push_back(0);
  mark_[0] = markStamp_;
  std::int32_t reached = 1;
  while (!stack_.empty()) {
    const std::int32_t v = stack_.back();
    stack_.pop_back();
    for (std::int32_t i = incStart_[at(v)]; i < incStart_[at(v) + 1]; ++i) {
      const std::int32_t g = incEdge_[at(i)];
      if (g == e || g == f || state_[at(g)] == kOut) continue;
      const std::int32_t w = eu_[at(g)] == v ? ev_[at(g)] : eu_[at(g)];
      if (mark_[at(w)] == markStamp_) continue;
      mark_[at(w)] = markStamp_;
      ++reached;
      stack_.push_back(w);
    }
  }
  return reached < n_;
}

std::int32_t Backtracker::chooseEdge() const {
  // Extend a path end with the fewest open choices; with no path yet, start at the vertex with
  // the fewest available edges.
  std::int32_t best = -1;
  std::int32_t bestScore = 1 << 30;
  for (std::int32_t v = 0; v < n_; ++v) {
    const std::int32_t in = inDeg_[at(v)];
    if (in == 2) continue;
    const std::int32_t open = avail_[at(v)] - in;
    const std::int32_t score = (in == 1 ? 0 : 1 << 20) + open;
    if (score < bestScore) {
      bestScore = score;
      best = v;
      if (in == 1 && open <= 2) break;
    }
  }
  for (std::int32_t i = incStart_[at(best)]; i < incStart_[at(best) + 1]; ++i) {
    const std::int32_t e = incEdge_[at(i)];
    if (state_[at(e)] == kUnknown) return e;
  }
  return -1;
}

bool Backtracker::search() {
  if (((++nodes_ & 255) == 0 && deadline_->expired()) || nodes_ > nodeLimit_) {
    aborted_ = true;
    return false;
  }
  if (inCount_ == n_) return true;
  while (inCount_ < n_ - 1) {
    if (!availableGraphIsBiconnected()) return false;
    bool forcedAny = false;
    if (!forceTwoEdgeCuts(forcedAny)) return false;
    if (forcedAny) continue;  // new in-edges: check the smaller available graph again
    if (bipartite_ && !twoFactorPossible()) return false;
    break;
  }
  if (inCount_ == n_) return true;
  const std::int32_t e = chooseEdge();
  if (e < 0) return false;
  const std::size_t mark = trail_.size();
  if (setIn(e) && propagate()) {
    if (search()) return true;
    if (aborted_) return false;
  }
  queue_.clear();
  undo(mark);
  if (setOut(e) && propagate()) {
    if (search()) return true;
  }
  queue_.clear();
  undo(mark);
  return false;
}

}  // namespace bicubic::check
