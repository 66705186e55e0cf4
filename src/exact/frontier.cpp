#include "exact/frontier.h"

#include <algorithm>
#include <array>
#include <bit>
#include <limits>

#include "exact/index.h"
#include "exact/rng.h"

namespace bicubic::exact {

namespace {

// Slot codes. 0: degree 0 (or a free slot), 1: degree 2, from 2 on: the vertex ends a path
// fragment whose other end carries the same label. Labels are renumbered by first appearance,
// so equal partial cycles (as far as the future can tell) get equal keys.
constexpr std::uint8_t kDegreeTwo = 1;
constexpr std::uint8_t kFirstLabel = 2;
// A fragment begun in the current step, before renumbering; above every renumbered label since
// at most kWidthLimit / 2 fragments exist at once.
constexpr std::uint8_t kNewLabel = kFirstLabel + FrontierSearch::kWidthLimit / 2;
constexpr std::size_t kLabelRange = kNewLabel + 1;
// Keys pack the codes into 64-bit words, a whole number of slots a word.
constexpr std::size_t kMaxKeyWords = 8;
using Codes = std::array<std::uint8_t, FrontierSearch::kWidthLimit>;
using KeyWords = std::array<std::uint64_t, kMaxKeyWords>;

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

// A vertex a step touches (an earlier neighbour, or the vertex placed) and how many of its
// neighbours are still unplaced after the step.
struct Touched {
  std::int32_t vertex, slot, unplacedAfter;
};

// A later vertex next to the frontier: it needs two edges, from its unplaced neighbours or from
// frontier neighbours not yet of degree 2, and can take at most two of the frontier's forced
// edges (those of a neighbour that needs every edge it has left). Its placed neighbours are
// watchedSlots[first .. first + count - 1].
struct Watch {
  std::int32_t first, count, unplaced;
};
struct WatchedSlot {
  std::int32_t slot, unplaced;
};

// Step i places order[i]; touched[first .. first + earlier - 1] are its earlier neighbours and
// touched[first + earlier] is the vertex itself. watches[firstWatch .. firstWatch + watchCount
// - 1] are the later vertices next to those, the only ones whose outlook the step changes.
struct Step {
  std::int32_t slot = 0, first = 0, earlier = 0, firstWatch = 0, watchCount = 0;
  // Edges the vertex must take now: its later neighbours cannot supply two.
  std::int32_t minEdges = 0;
};

struct Plan {
  std::int32_t n = 0, width = 0;
  std::vector<std::int32_t> order;
  std::vector<Step> steps;
  std::vector<Touched> touched;
  std::vector<Watch> watches;
  std::vector<WatchedSlot> watchedSlots;
};

// Lists the later neighbours of the step's touched vertices with their placed neighbours.
void addWatches(const SimpleGraph& g, const std::vector<std::int32_t>& position, const std::vector<std::int32_t>& slot,
                const std::vector<std::int32_t>& unplaced, std::int32_t i, std::vector<std::int32_t>& stamp, Plan& plan,
                Step& step) {
  step.firstWatch = static_cast<std::int32_t>(plan.watches.size());
  for (std::int32_t j = step.first; j <= step.first + step.earlier; ++j) {
    for (std::int32_t x : g.neighbours(plan.touched[at(j)].vertex)) {
      if (position[at(x)] <= i || stamp[at(x)] == i) continue;
      stamp[at(x)] = i;
      Watch watch{static_cast<std::int32_t>(plan.watchedSlots.size()), 0, 0};
      for (std::int32_t w : g.neighbours(x)) {
        if (position[at(w)] > i) {
          ++watch.unplaced;
        } else {
          plan.watchedSlots.push_back(WatchedSlot{slot[at(w)], unplaced[at(w)]});
          ++watch.count;
        }
      }
      plan.watches.push_back(watch);
    }
  }
  step.watchCount = static_cast<std::int32_t>(plan.watches.size()) - step.firstWatch;
}

// Turns the vertex order into steps, giving each vertex a slot for its time on the frontier.
// False when a vertex has more earlier neighbours than a back-pointer can name.
bool makePlan(const SimpleGraph& g, const VertexOrder& vo, Plan& plan) {
  const std::int32_t n = g.order();
  plan.n = n;
  plan.width = vo.width;
  plan.order = vo.order;
  std::vector<std::int32_t> position(at(n)), unplaced(at(n)), slot(at(n), -1), freeSlots, stamp(at(n), -1);
  for (std::int32_t i = 0; i < n; ++i) position[at(vo.order[at(i)])] = i;
  for (std::int32_t v = 0; v < n; ++v) unplaced[at(v)] = g.degree(v);
  for (std::int32_t t = vo.width - 1; t >= 0; --t) freeSlots.push_back(t);
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t v = vo.order[at(i)];
    Step step;
    step.first = static_cast<std::int32_t>(plan.touched.size());
    for (std::int32_t u : g.neighbours(v)) {
      --unplaced[at(u)];
      if (position[at(u)] < i) plan.touched.push_back(Touched{u, slot[at(u)], unplaced[at(u)]});
    }
    step.earlier = static_cast<std::int32_t>(plan.touched.size()) - step.first;
    if (step.earlier > std::numeric_limits<std::int16_t>::max() || freeSlots.empty()) return false;
    slot[at(v)] = step.slot = freeSlots.back();
    freeSlots.pop_back();
    plan.touched.push_back(Touched{v, step.slot, unplaced[at(v)]});
    step.minEdges = std::max(0, 2 - unplaced[at(v)]);
    for (std::int32_t j = step.first; j <= step.first + step.earlier; ++j) {
      if (plan.touched[at(j)].unplacedAfter == 0) freeSlots.push_back(plan.touched[at(j)].slot);
    }
    addWatches(g, position, slot, unplaced, i, stamp, plan, step);
    plan.steps.push_back(step);
  }
  return true;
}

struct Back {
  std::int32_t parent;
  std::int16_t a, b;  // indices of the step's earlier neighbours joined to it, -1 for none
};

// The layer-by-layer sweep. Layers are flat arrays of packed keys (keyWords_ words a state);
// an open-addressing table of state indices merges equal keys and is reused between steps.
class Sweep {
 public:
  Sweep(const Plan& plan, std::int64_t budget, std::int64_t layerBudget, const Deadline& deadline)
      : plan_(plan), budget_(budget), layerBudget_(layerBudget), poller_(deadline) {
    const std::int32_t w = std::max(1, plan.width);
    const auto bits = static_cast<std::int32_t>(std::bit_width(static_cast<std::uint32_t>(kFirstLabel + w / 2)));
    const std::int32_t perWord = 64 / bits;
    keyWords_ = static_cast<std::size_t>((w + perWord - 1) / perWord);
    for (std::int32_t t = 0; t < w; ++t) {
      slotWord_[at(t)] = static_cast<std::uint8_t>(t / perWord);
      slotShift_[at(t)] = static_cast<std::uint8_t>((t % perWord) * bits);
    }
    slotMask_ = (std::uint64_t{1} << bits) - 1;
  }

  // NonHamiltonian when a layer ran empty, Hamiltonian when the last one holds a state (its
  // back-pointers then lead to a cycle), Unknown when a budget or the deadline stopped it.
  Answer run() {
    current_.assign(keyWords_, 0);
    for (std::int32_t i = 0; i < plan_.n; ++i) {
      const Answer answer = step(i);
      if (answer != Answer::Hamiltonian) return answer;
    }
    return Answer::Hamiltonian;
  }

  std::int64_t states() const { return static_cast<std::int64_t>(backs_.size()); }
  const Back& back(std::int32_t step, std::int32_t index) const {
    return backs_[layerStart_[at(step)] + at(index)];
  }

 private:
  // Builds the next layer from the current one; Hamiltonian here means "carry on".
  Answer step(std::int32_t i) {
    const Step& s = plan_.steps[at(i)];
    layerStart_.push_back(backs_.size());
    next_.clear();
    std::size_t capacity = 64;
    while (capacity < 4 * layerSize(current_)) capacity *= 2;
    table_.assign(capacity, -1);
    const bool lastStep = i == plan_.n - 1;
    for (std::size_t k = 0; k < layerSize(current_); ++k) {
      // Expanding a state reads each of its frontier slots.
      if (poller_.expired(plan_.width)) return Answer::Unknown;
      expand(s, k, lastStep);
      if (static_cast<std::int64_t>(layerSize(next_)) > layerBudget_ || states() > budget_) return Answer::Unknown;
    }
    if (next_.empty()) return Answer::NonHamiltonian;
    std::swap(current_, next_);
    return Answer::Hamiltonian;
  }

  // Every way of joining the placed vertex to none, one or two earlier neighbours.
  void expand(const Step& s, std::size_t k, bool lastStep) {
    Codes base{}, c{};
    unpack(k, base);
    const auto parent = static_cast<std::int32_t>(k);
    const std::int32_t w = plan_.width;
    auto slotOf = [&](std::int32_t a) { return plan_.touched[at(s.first + a)].slot; };
    if (s.minEdges == 0) {
      c = base;
      offer(s, c, parent, -1, -1);
    }
    for (std::int32_t a = 0; a < s.earlier; ++a) {
      if (s.minEdges <= 1) {
        c = base;
        if (addEdge(c, w, slotOf(a), s.slot, lastStep)) offer(s, c, parent, a, -1);
      }
      for (std::int32_t b = a + 1; b < s.earlier; ++b) {
        c = base;
        if (addEdge(c, w, slotOf(a), s.slot, lastStep) && addEdge(c, w, slotOf(b), s.slot, lastStep)) {
          offer(s, c, parent, a, b);
        }
      }
    }
  }

  // Keeps the state when every touched vertex can still reach degree 2 and every later vertex
  // next to them can still get exactly two edges; vertices leaving the frontier must have
  // degree 2.
  void offer(const Step& s, Codes& c, std::int32_t parent, std::int32_t a, std::int32_t b) {
    for (std::int32_t j = s.first; j <= s.first + s.earlier; ++j) {
      const Touched& t = plan_.touched[at(j)];
      const std::uint8_t code = c[at(t.slot)];
      if (t.unplacedAfter == 0) {
        if (code != kDegreeTwo) return;
        c[at(t.slot)] = 0;
      } else if (code == 0 && t.unplacedAfter < 2) {
        return;
      }
    }
    if (!watchesHold(s, c)) return;
    insert(c, parent, a, b);
  }

  bool watchesHold(const Step& s, const Codes& c) const {
    for (std::int32_t j = s.firstWatch; j < s.firstWatch + s.watchCount; ++j) {
      const Watch& watch = plan_.watches[at(j)];
      std::int32_t available = watch.unplaced, forced = 0;
      for (std::int32_t k = watch.first; k < watch.first + watch.count; ++k) {
        const WatchedSlot& w = plan_.watchedSlots[at(k)];
        const std::uint8_t code = c[at(w.slot)];
        const std::int32_t need = code == 0 ? 2 : code == kDegreeTwo ? 0 : 1;
        available += need > 0 ? 1 : 0;
        forced += need > 0 && need == w.unplaced ? 1 : 0;
      }
      if (available < 2 || forced > 2) return false;
    }
    return true;
  }


  void insert(Codes& c, std::int32_t parent, std::int32_t a, std::int32_t b) {
    KeyWords key{};
    pack(c, key);
    std::uint64_t h = 0;
    for (std::size_t q = 0; q < keyWords_; ++q) h = mix64(h ^ key[q]);
    std::size_t mask = table_.size() - 1, probe = h & mask;
    for (; table_[probe] >= 0; probe = (probe + 1) & mask) {
      if (std::equal(key.begin(), key.begin() + static_cast<std::ptrdiff_t>(keyWords_),
                     next_.begin() + static_cast<std::ptrdiff_t>(at(table_[probe]) * keyWords_))) {
        return;
      }
    }
    table_[probe] = static_cast<std::int32_t>(layerSize(next_));
    next_.insert(next_.end(), key.begin(), key.begin() + static_cast<std::ptrdiff_t>(keyWords_));
    backs_.push_back(Back{parent, static_cast<std::int16_t>(a), static_cast<std::int16_t>(b)});
    if (2 * layerSize(next_) > table_.size()) rehash(2 * table_.size());
  }

  void rehash(std::size_t capacity) {
    table_.assign(capacity, -1);
    const std::size_t mask = capacity - 1;
    for (std::size_t k = 0; k < layerSize(next_); ++k) {
      std::uint64_t h = 0;
      for (std::size_t q = 0; q < keyWords_; ++q) h = mix64(h ^ next_[k * keyWords_ + q]);
      std::size_t probe = h & mask;
      while (table_[probe] >= 0) probe = (probe + 1) & mask;
      table_[probe] = static_cast<std::int32_t>(k);
    }
  }

  void pack(const Codes& c, KeyWords& key) const {
    std::array<std::uint8_t, kLabelRange> rename{};
    std::uint8_t label = kFirstLabel;
    for (std::int32_t t = 0; t < plan_.width; ++t) {
      std::uint8_t x = c[at(t)];
      if (x >= kFirstLabel) {
        if (rename[x] == 0) rename[x] = label++;
        x = rename[x];
      }
      key[slotWord_[at(t)]] |= static_cast<std::uint64_t>(x) << slotShift_[at(t)];
    }
  }

  void unpack(std::size_t k, Codes& c) const {
    const std::uint64_t* key = current_.data() + k * keyWords_;
    for (std::int32_t t = 0; t < plan_.width; ++t) {
      c[at(t)] = static_cast<std::uint8_t>((key[slotWord_[at(t)]] >> slotShift_[at(t)]) & slotMask_);
    }
  }

  std::size_t layerSize(const std::vector<std::uint64_t>& layer) const { return layer.size() / keyWords_; }

  const Plan& plan_;
  std::int64_t budget_, layerBudget_;
  DeadlinePoller poller_;
  std::size_t keyWords_ = 1;
  std::array<std::uint8_t, FrontierSearch::kWidthLimit> slotWord_{}, slotShift_{};
  std::uint64_t slotMask_ = 0;
  std::vector<std::uint64_t> current_, next_;
  std::vector<std::int32_t> table_;
  std::vector<Back> backs_;
  std::vector<std::size_t> layerStart_;
};

// Follows the back-pointers from the surviving state, collects the chosen edges and walks the
// cycle from vertex 0; false (a fault, never a "yes") when they do not form one cycle.
bool rebuildCycle(const Plan& plan, const Sweep& sweep, std::vector<std::int32_t>& cycle) {
  const std::int32_t n = plan.n;
  std::vector<std::array<std::int32_t, 2>> mate(at(n), {-1, -1});
  auto attach = [&](std::int32_t x, std::int32_t y) {
    auto& m = mate[at(x)];
    std::int32_t& free = m[0] < 0 ? m[0] : m[1];
    if (free >= 0) return false;
    free = y;
    return true;
  };
  std::int32_t index = 0;
  for (std::int32_t i = n - 1; i >= 0; --i) {
    const Back& back = sweep.back(i, index);
    const Step& s = plan.steps[at(i)];
    for (std::int32_t j : {back.a, back.b}) {
      if (j < 0) continue;
      const std::int32_t u = plan.touched[at(s.first + j)].vertex, v = plan.order[at(i)];
      if (!attach(u, v) || !attach(v, u)) return false;
    }
    index = back.parent;
  }
  cycle.assign(1, 0);
  for (std::int32_t previous = -1, here = 0; static_cast<std::int32_t>(cycle.size()) < n;) {
    const auto& m = mate[at(here)];
    const std::int32_t to = m[0] != previous ? m[0] : m[1];
    if (to <= 0) break;
    previous = here;
    here = to;
    cycle.push_back(here);
  }
  const auto& m = mate[at(cycle.back())];
  return static_cast<std::int32_t>(cycle.size()) == n && (m[0] == 0 || m[1] == 0);
}

}  // namespace

VertexOrder FrontierSearch::planOrder(const SimpleGraph& g) const {
  OrderOptions order = options_.order;
  order.improveMaxWidth = std::min(order.improveMaxWidth, options_.maxWidth + options_.improvableExcess);
  return planVertexOrder(g, order);
}

Answer FrontierSearch::run(const SimpleGraph& g, const Deadline& deadline, std::vector<std::int32_t>& cycle) {
  return sweep(g, g.order() < 3 ? VertexOrder{} : planOrder(g), deadline, cycle);
}

Answer FrontierSearch::run(const SimpleGraph& g, const std::vector<std::int32_t>& order, const Deadline& deadline,
                           std::vector<std::int32_t>& cycle) {
  std::vector<char> seen(at(g.order()), 0);
  bool permutation = static_cast<std::int32_t>(order.size()) == g.order();
  for (std::size_t i = 0; permutation && i < order.size(); ++i) {
    const std::int32_t v = order[i];
    permutation = v >= 0 && v < g.order() && !seen[at(v)];
    if (permutation) seen[at(v)] = 1;
  }
  if (!permutation) {
    cycle.clear();
    states_ = 0;
    width_ = 0;
    return Answer::Unknown;
  }
  return sweep(g, measureOrder(g, order), deadline, cycle);
}

Answer FrontierSearch::sweep(const SimpleGraph& g, const VertexOrder& order, const Deadline& deadline,
                             std::vector<std::int32_t>& cycle) {
  cycle.clear();
  states_ = 0;
  width_ = order.width;
  const std::int32_t n = g.order();
  if (n < 3) return Answer::NonHamiltonian;
  Plan plan;
  if (width_ > std::min(options_.maxWidth, kWidthLimit) || !makePlan(g, order, plan)) return Answer::Unknown;
  const std::int64_t budget = std::min(options_.maxStates, options_.statesPerVertex * n);
  // State indices and back-pointers are 32-bit.
  const std::int64_t layerBudget = std::min<std::int64_t>(options_.maxLayerStates, std::numeric_limits<std::int32_t>::max() / 2);
  Sweep layers(plan, budget, layerBudget, deadline);
  const Answer answer = layers.run();
  states_ = layers.states();
  if (answer != Answer::Hamiltonian) return answer;
  if (!rebuildCycle(plan, layers, cycle)) {
    cycle.clear();
    return Answer::Unknown;
  }
  return Answer::Hamiltonian;
}

}  // namespace bicubic::exact
