// The gadgets of the cut reduction: what replaces a decided piece in the reduced graph, and the
// expansion of a cycle of the reduced graph back into one of the input.
#include <algorithm>

#include "exact/decompose.h"
#include "exact/index.h"

namespace bicubic::exact {

std::int32_t CutReducer::newId(std::int32_t gadgetIndex) {
  gadgetOf_.push_back(gadgetIndex);
  return static_cast<std::int32_t>(gadgetOf_.size()) - 1;
}


// The gadget for the admissible ways through a piece, appended to the new numbering. A 4-edge
// cut piece's one way: its one or two chains, each a path of one or two vertices. One pair: a
// path of one or two vertices between its outside ends (the third crossing edge is gone). Three
// pairs: one vertex joined to the three outside ends. Two pairs: the same with the crossing edge
// they share subdivided by vertices of degree two, which every cycle must pass.
void CutReducer::planGadget(const EdgeCut& cut, std::int32_t gadgetIndex, const std::vector<std::int8_t>& colour,
                            const std::vector<std::int32_t>& newOf, Gadget& gadget, std::vector<std::int32_t>& newIds,
                            std::vector<std::pair<std::int32_t, std::int32_t>>& edges) {
  auto addVertex = [&] {
    const std::int32_t id = newId(gadgetIndex);
    gadget.vertices.push_back(id);
    newIds.push_back(id);
    return static_cast<std::int32_t>(newIds.size()) - 1;
  };
  auto outside = [&](std::int32_t p) { return newOf[at(cut.crossing[at(p)].second)]; };
  auto inside = [&](std::int32_t p) { return cut.crossing[at(p)].first; };
  auto chain = [&](std::int32_t from, std::int32_t length, std::int32_t to, std::vector<std::int32_t>* ids = nullptr) {
    for (std::int32_t k = 0; k < length; ++k) {
      const std::int32_t v = addVertex();
      if (ids != nullptr) ids->push_back(newIds.back());
      edges.emplace_back(from, v);
      from = v;
    }
    edges.emplace_back(from, to);
  };
  if (!gadget.chains.empty()) {
    for (Chain& c : gadget.chains) chain(outside(c.p), pathStandIns(colour, inside(c.p), inside(c.q)), outside(c.q), &c.vertices);
    return;
  }
  // A 2- or 3-edge cut's gadget (paths holds one entry for each pair of its ports).
  std::array<std::int32_t, kMaxPorts> pairsAt{};
  std::int32_t pairs = 0, p1 = 0, q1 = 0;
  for (std::int32_t p = 0; p < gadget.ports; ++p) {
    for (std::int32_t q = p + 1; q < gadget.ports; ++q) {
      if (gadget.paths[pairIndex(p, q)].empty()) continue;
      ++pairs, ++pairsAt[at(p)], ++pairsAt[at(q)];
      p1 = p, q1 = q;
    }
  }
  if (pairs == 1) {
    chain(outside(p1), pathStandIns(colour, inside(p1), inside(q1)), outside(q1));
    return;
  }
  const std::int32_t centre = addVertex();
  for (std::int32_t p = 0; p < gadget.ports; ++p) {
    if (pairs == 3 || pairsAt[at(p)] == 1) edges.emplace_back(centre, outside(p));
  }
  if (pairs == 3) return;
  const auto forced = static_cast<std::int32_t>(std::find(pairsAt.begin(), pairsAt.end(), 2) - pairsAt.begin());
  const std::int32_t another = forced == 0 ? 1 : 0;
  // Two subdividing vertices keep the edge's parity; one where the ports' colours call for it.
  const bool oddParity = !colour.empty() && colour[at(inside(forced))] != colour[at(inside(another))];
  chain(centre, oddParity ? 1 : 2, outside(forced));
}

std::vector<std::int32_t> CutReducer::rebuild(const std::vector<const EdgeCut*>& chosen,
                                              std::vector<Gadget>& made, const std::vector<std::int8_t>& colour) {
  smallCutsDone_ = false;
  const std::int32_t n = graph_.order();
  std::vector<char> removed(at(n), 0);
  for (const EdgeCut* cut : chosen) {
    for (std::int32_t v : cut->side) removed[at(v)] = 1;
  }
  std::vector<std::int32_t> newOf(at(n), -1), newIds;
  for (std::int32_t v = 0; v < n; ++v) {
    if (removed[at(v)]) continue;
    newOf[at(v)] = static_cast<std::int32_t>(newIds.size());
    newIds.push_back(idOf_[at(v)]);
  }
  std::vector<std::pair<std::int32_t, std::int32_t>> edges;
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    const auto index = static_cast<std::int32_t>(gadgets_.size() + i);
    planGadget(*chosen[i], index, colour, newOf, made[i], newIds, edges);
  }
  SimpleGraph next(static_cast<std::int32_t>(newIds.size()));
  for (std::int32_t v = 0; v < n; ++v) {
    if (removed[at(v)]) continue;
    for (std::int32_t w : graph_.neighbours(v)) {
      if (v < w && !removed[at(w)]) next.addNewEdge(newOf[at(v)], newOf[at(w)]);
    }
  }
  for (const auto& [u, v] : edges) next.addNewEdge(u, v);
  graph_ = std::move(next);
  checked_ = false;
  idOf_ = std::move(newIds);
  localOf_.assign(at(graph_.order()), -1);
  for (Gadget& gadget : made) gadgets_.push_back(std::move(gadget));
  return newOf;
}

namespace {

// Links before, the path (forwards or backwards) and after in the cycle's next/prev lists.
void splicePath(std::int32_t before, const std::vector<std::int32_t>& path, bool forwards, std::int32_t after,
                std::vector<std::int32_t>& next, std::vector<std::int32_t>& prev) {
  std::int32_t tail = before;
  auto link = [&](std::int32_t v) {
    next[at(tail)] = v;
    prev[at(v)] = tail;
    tail = v;
  };
  if (forwards) {
    std::for_each(path.begin(), path.end(), link);
  } else {
    std::for_each(path.rbegin(), path.rend(), link);
  }
  link(after);
}

}  // namespace

// Undoes the gadgets newest first: when gadget j is expanded every later one already is, so the
// cycle is one of the graph as it was right after j was built and j's vertices sit between the
// outside ends of the crossing edges the cycle uses. Linear in the ids.
std::vector<std::int32_t> CutReducer::expand(std::span<const std::int32_t> coreCycle) const {
  if (coreCycle.size() != at(graph_.order()) || coreCycle.empty()) return {};
  std::vector<std::int32_t> next(gadgetOf_.size(), -1), prev(gadgetOf_.size(), -1);
  for (std::size_t i = 0; i < coreCycle.size(); ++i) {
    const std::int32_t v = idOf_[at(coreCycle[i])];
    const std::int32_t w = idOf_[at(coreCycle[(i + 1) % coreCycle.size()])];
    next[at(v)] = w;
    prev[at(w)] = v;
  }
  for (std::size_t j = gadgets_.size(); j-- > 0;) {
    const bool expanded = gadgets_[j].chains.empty() ? expandGadget(j, next, prev) : expandChains(j, next, prev);
    if (!expanded) return {};
  }
  std::vector<std::int32_t> cycle;
  cycle.reserve(at(inputOrder_));
  std::int32_t v = 0;
  for (std::int32_t k = 0; k < inputOrder_ && v >= 0 && v < inputOrder_; ++k, v = next[at(v)]) cycle.push_back(v);
  if (cycle.size() != at(inputOrder_) || v != 0) return {};
  return cycle;
}

// A 2- or 3-edge cut's gadget: one run of its vertices, between the outside ends of the pair used.
bool CutReducer::expandGadget(std::size_t j, std::vector<std::int32_t>& next, std::vector<std::int32_t>& prev) const {
  const Gadget& gadget = gadgets_[j];
  const auto index = static_cast<std::int32_t>(j);
  std::int32_t first = gadget.vertices.front(), last = first;
  if (next[at(first)] < 0 || prev[at(first)] < 0) return false;
  while (gadgetOf_[at(prev[at(first)])] == index) first = prev[at(first)];
  while (gadgetOf_[at(next[at(last)])] == index) last = next[at(last)];
  const std::int32_t before = prev[at(first)], after = next[at(last)];
  const auto portOf = [&](std::int32_t v) {
    const auto end = gadget.outer.begin() + gadget.ports;
    const auto it = std::find(gadget.outer.begin(), end, v);
    return it == end ? -1 : static_cast<std::int32_t>(it - gadget.outer.begin());
  };
  const std::int32_t p = portOf(before), q = portOf(after);
  if (p < 0 || q < 0 || p == q) return false;
  const std::vector<std::int32_t>& path = gadget.paths[pairIndex(std::min(p, q), std::max(p, q))];
  if (path.empty()) return false;
  splicePath(before, path, p < q, after, next, prev);
  return true;
}

// A 4-edge cut's gadget: each chain is passed whole, from one of its outside ends to the other.
bool CutReducer::expandChains(std::size_t j, std::vector<std::int32_t>& next, std::vector<std::int32_t>& prev) const {
  const Gadget& gadget = gadgets_[j];
  for (const Chain& chain : gadget.chains) {
    const std::int32_t first = chain.vertices.front(), last = chain.vertices.back();
    if (next[at(first)] < 0 || prev[at(first)] < 0) return false;
    const std::int32_t from = gadget.outer[at(chain.p)], to = gadget.outer[at(chain.q)];
    const bool forwards = prev[at(first)] == from && next[at(last)] == to;
    const bool backwards = next[at(first)] == from && prev[at(last)] == to;
    if (forwards == backwards) return false;
    const std::int32_t before = forwards ? from : to, after = forwards ? to : from;
    splicePath(before, chain.path, forwards, after, next, prev);
  }
  return true;
}

}  // namespace bicubic::exact
