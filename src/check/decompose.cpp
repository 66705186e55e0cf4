#include "check/decompose.h"

#include <algorithm>
#include <numeric>

#include "check/index.h"

namespace bicubic::check {

namespace {

// Pairs of ports (p < q) as 0: {0,1}, 1: {0,2}, 2: {1,2}.
constexpr std::size_t pairIndex(std::int32_t p, std::int32_t q) { return at(p + q - 1); }

// Vertices standing in for a path between a and b: one, or two when a and b have different
// colours in a bipartite graph, so that the graph stays bipartite and keeps its colour balance.
std::int32_t pathStandIns(const std::vector<std::int8_t>& colour, std::int32_t a, std::int32_t b) {
  return !colour.empty() && colour[at(a)] != colour[at(b)] ? 2 : 1;
}

// A gadget is only built where the crossing edges have distinct ends on both sides, so that it
// adds no parallel edge and each outside end names its crossing edge.
bool hasDistinctEnds(const EdgeCut& cut) {
  for (std::size_t i = 0; i < cut.crossing.size(); ++i) {
    for (std::size_t j = i + 1; j < cut.crossing.size(); ++j) {
      if (cut.crossing[i].first == cut.crossing[j].first || cut.crossing[i].second == cut.crossing[j].second) {
        return false;
      }
    }
  }
  return true;
}

}  // namespace

bool passesNecessaryConditions(const SimpleGraph& g, const std::vector<std::int8_t>& colour) {
  const std::int32_t n = g.order();
  if (n < 3) return false;
  for (std::int32_t v = 0; v < n; ++v) {
    if (g.degree(v) < 2) return false;
  }
  if (!colour.empty()) {
    std::int32_t zeros = 0;
    for (std::int8_t c : colour) zeros += c == 0 ? 1 : 0;
    if (2 * zeros != n) return false;
  }
  return isConnected(g) && !hasCutVertex(g);
}

CutReducer::Outcome CutReducer::reduce(const SimpleGraph& g, const Decider& decide, Rng& rng,
                                       const Deadline& deadline) {
  stats_ = {};
  graph_ = g;
  inputOrder_ = g.order();
  idOf_.resize(at(inputOrder_));
  std::iota(idOf_.begin(), idOf_.end(), 0);
  localOf_.assign(at(inputOrder_), -1);
  gadgetOf_.assign(at(inputOrder_), -1);
  gadgets_.clear();
  return runRounds(decide, rng, deadline);
}

CutReducer::Outcome CutReducer::reduceFurther(const CutSearch& search, const Decider& decide, Rng& rng,
                                              const Deadline& deadline) {
  options_.search = search;
  return runRounds(decide, rng, deadline);
}

CutReducer::Outcome CutReducer::runRounds(const Decider& decide, Rng& rng, const Deadline& deadline) {
  hintsValid_ = false;  // the first search looks at the whole graph
  for (std::int32_t r = 0; r < options_.maxRounds; ++r) {
    bool progress = false;
    const Outcome outcome = round(decide, rng, deadline, progress);
    if (outcome != Outcome::Reduced) return outcome;
    if (!progress) break;
  }
  return Outcome::Reduced;
}

// One round: the necessary conditions on the current graph (a gadget can leave a vertex of
// degree 1 or a cut vertex, which settles the question), the 2-edge cuts (cheap) and, only when
// they give no piece, the 3-edge cuts; the pieces that do not overlap decided and replaced.
CutReducer::Outcome CutReducer::round(const Decider& decide, Rng& rng, const Deadline& deadline, bool& progress) {
  ++stats_.rounds;
  const std::vector<std::int8_t> colour = twoColouring(graph_);
  if (!passesNecessaryConditions(graph_, colour)) return Outcome::NonHamiltonian;
  if (deadline.expired()) return Outcome::Unknown;
  CutSearch twoOnly = options_.search;
  twoOnly.threeEdgeCuts = false;
  std::vector<EdgeCut> cuts = findSmallCuts(graph_, twoOnly, rng.next(), deadline);
  std::vector<const EdgeCut*> chosen = chooseDisjoint(cuts);
  const bool searchedThree = chosen.empty();
  if (searchedThree) {
    cuts = findSmallCuts(graph_, options_.search, rng.next(), deadline, hintsValid_ ? &hints_ : nullptr);
    chosen = chooseDisjoint(cuts);
  }
  if (deadline.expired()) return Outcome::Unknown;
  if (chosen.empty()) return Outcome::Reduced;
  std::vector<Gadget> made(chosen.size());
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    ++stats_.piecesDecided;
    const Outcome outcome = decidePiece(*chosen[i], colour, decide, made[i]);
    if (outcome != Outcome::Reduced) return outcome;
  }
  keepHints(searchedThree ? &cuts : nullptr, rebuild(chosen, made, colour));
  progress = true;
  return Outcome::Reduced;
}

// Smallest sides first, so that of nested pieces the innermost is taken; a side may neither
// overlap another nor hold an outside end of another's crossing edges, so that no two gadgets
// of a round touch. A side that is one gadget already would only be replaced by itself.
std::vector<const EdgeCut*> CutReducer::chooseDisjoint(const std::vector<EdgeCut>& cuts) const {
  enum : std::int8_t { kFree = 0, kInSide = 1, kOutsideEnd = 2 };
  std::vector<const EdgeCut*> bySize;
  for (const EdgeCut& cut : cuts) {
    const std::int32_t gadget = gadgetOf_[at(idOf_[at(cut.side.front())])];
    const bool oneGadget = gadget >= 0 && std::all_of(cut.side.begin(), cut.side.end(), [&](std::int32_t v) {
      return gadgetOf_[at(idOf_[at(v)])] == gadget;
    });
    if (hasDistinctEnds(cut) && !oneGadget) bySize.push_back(&cut);
  }
  std::stable_sort(bySize.begin(), bySize.end(),
                   [](const EdgeCut* a, const EdgeCut* b) { return a->side.size() < b->side.size(); });
  std::vector<std::int8_t> claim(at(graph_.order()), kFree);
  std::vector<const EdgeCut*> chosen;
  for (const EdgeCut* cut : bySize) {
    const bool sideFree = std::all_of(cut->side.begin(), cut->side.end(),
                                      [&](std::int32_t v) { return claim[at(v)] == kFree; });
    const bool endsFree = std::all_of(cut->crossing.begin(), cut->crossing.end(),
                                      [&](const auto& edge) { return claim[at(edge.second)] != kInSide; });
    if (!sideFree || !endsFree) continue;
    for (std::int32_t v : cut->side) claim[at(v)] = kInSide;
    for (const auto& edge : cut->crossing) claim[at(edge.second)] = kOutsideEnd;
    chosen.push_back(cut);
  }
  return chosen;
}

// A Hamiltonian cycle crosses a cut an even number of times, at least twice: both edges of a
// 2-edge cut, exactly two of a 3-edge cut. Through the piece it then runs a path over all its
// vertices between the two crossing edges used; each pair is asked once.
CutReducer::Outcome CutReducer::decidePiece(const EdgeCut& cut, const std::vector<std::int8_t>& colour,
                                            const Decider& decide, Gadget& gadget) {
  const auto sideSize = static_cast<std::int32_t>(cut.side.size());
  for (std::int32_t i = 0; i < sideSize; ++i) localOf_[at(cut.side[at(i)])] = i;
  gadget.ports = static_cast<std::int32_t>(cut.crossing.size());
  for (std::int32_t p = 0; p < gadget.ports; ++p) {
    gadget.inner[at(p)] = idOf_[at(cut.crossing[at(p)].first)];
    gadget.outer[at(p)] = idOf_[at(cut.crossing[at(p)].second)];
  }
  Outcome outcome = Outcome::NonHamiltonian;
  std::int32_t admitted = 0;
  std::vector<std::int32_t> cycle;
  for (std::int32_t p = 0; p < gadget.ports && outcome != Outcome::Unknown; ++p) {
    for (std::int32_t q = p + 1; q < gadget.ports; ++q) {
      const std::int32_t a = cut.crossing[at(p)].first;
      const std::int32_t b = cut.crossing[at(q)].first;
      ++stats_.pieceDecisions;
      const Answer answer = decide(pieceGraph(cut, a, b, pathStandIns(colour, a, b)), cycle);
      if (answer == Answer::Unknown) {
        outcome = Outcome::Unknown;
        break;
      }
      if (answer == Answer::NonHamiltonian) continue;
      // Rotate the cycle so that the stand-ins come last: what is left runs between a and b.
      const auto isStandIn = [&](std::int32_t v) { return v >= sideSize; };
      std::rotate(cycle.begin(), std::find_if(cycle.begin(), cycle.end(), isStandIn), cycle.end());
      while (!cycle.empty() && isStandIn(cycle.front())) std::rotate(cycle.begin(), cycle.begin() + 1, cycle.end());
      auto& path = gadget.paths[pairIndex(p, q)];
      for (std::int32_t v : cycle) {
        if (!isStandIn(v)) path.push_back(idOf_[at(cut.side[at(v)])]);
      }
      if (path.front() != idOf_[at(a)]) std::reverse(path.begin(), path.end());
      outcome = Outcome::Reduced;
      ++admitted;
    }
  }
  for (std::int32_t v : cut.side) localOf_[at(v)] = -1;
  if (gadget.ports == kMaxPorts && outcome != Outcome::Unknown) ++stats_.threeCutPiecesByPairs[at(admitted)];
  return outcome;
}

// The piece with a stand-in path of one or two new vertices from a to b for the rest of the graph.
SimpleGraph CutReducer::pieceGraph(const EdgeCut& cut, std::int32_t a, std::int32_t b, std::int32_t standIns) const {
  const auto sideSize = static_cast<std::int32_t>(cut.side.size());
  SimpleGraph piece(sideSize + standIns);
  for (std::int32_t i = 0; i < sideSize; ++i) {
    for (std::int32_t w : graph_.neighbours(cut.side[at(i)])) {
      const std::int32_t j = localOf_[at(w)];
      if (j > i) piece.addNewEdge(i, j);
    }
  }
  const std::int32_t x = sideSize;
  piece.addNewEdge(localOf_[at(a)], x);
  if (standIns == 2) piece.addNewEdge(x, x + 1);
  piece.addNewEdge(x + standIns - 1, localOf_[at(b)]);
  return piece;
}

std::int32_t CutReducer::newId(std::int32_t gadgetIndex) {
  gadgetOf_.push_back(gadgetIndex);
  return static_cast<std::int32_t>(gadgetOf_.size()) - 1;
}


// The gadget for the admissible pairs of a piece, appended to the new numbering. One pair: a
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
  std::array<std::int32_t, kMaxPorts> pairsAt{};
  std::int32_t pairs = 0, p1 = 0, q1 = 0;
  for (std::int32_t p = 0; p < gadget.ports; ++p) {
    for (std::int32_t q = p + 1; q < gadget.ports; ++q) {
      if (gadget.paths[pairIndex(p, q)].empty()) continue;
      ++pairs, ++pairsAt[at(p)], ++pairsAt[at(q)];
      p1 = p, q1 = q;
    }
  }
  auto chain = [&](std::int32_t from, std::int32_t length, std::int32_t to) {
    for (std::int32_t k = 0; k < length; ++k) {
      const std::int32_t v = addVertex();
      edges.emplace_back(from, v);
      from = v;
    }
    edges.emplace_back(from, to);
  };
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
  idOf_ = std::move(newIds);
  localOf_.assign(at(graph_.order()), -1);
  for (Gadget& gadget : made) gadgets_.push_back(std::move(gadget));
  return newOf;
}

// The next 3-edge cut search looks for new cuts only around the gadget vertices made since the
// last one, and confirms again the cuts that search found whose edges all survived (those not
// replaced overlapped a smaller piece and may be reduced later). fresh: that search's cuts, when
// it ran this round.
void CutReducer::keepHints(const std::vector<EdgeCut>* fresh, const std::vector<std::int32_t>& newOf) {
  const auto renumber = [&](std::int32_t v) { return v < 0 ? -1 : newOf[at(v)]; };
  std::vector<std::int32_t> near;
  for (std::int32_t v : fresh != nullptr ? std::vector<std::int32_t>() : hints_.changedNear) {
    if (renumber(v) >= 0) near.push_back(renumber(v));
  }
  // The gadget vertices come after the old vertices that stayed.
  const auto stayed = static_cast<std::int32_t>(std::count_if(newOf.begin(), newOf.end(), [](std::int32_t v) { return v >= 0; }));
  for (std::int32_t v = stayed; v < graph_.order(); ++v) near.push_back(v);
  hints_.changedNear = std::move(near);
  std::vector<std::array<std::int32_t, 6>> known;
  auto keep = [&](std::array<std::int32_t, 6> ends) {
    bool alive = true;
    for (std::size_t k = 0; k < ends.size(); k += 2) {
      if (ends[k] < 0) continue;  // a 2-edge cut's missing third edge
      ends[k] = renumber(ends[k]), ends[k + 1] = renumber(ends[k + 1]);
      alive = alive && ends[k] >= 0 && ends[k + 1] >= 0;
    }
    if (alive) known.push_back(ends);
  };
  if (fresh == nullptr) {
    for (const auto& ends : hints_.known) keep(ends);
  } else {
    for (const EdgeCut& cut : *fresh) {
      std::array<std::int32_t, 6> ends{-1, -1, -1, -1, -1, -1};
      for (std::size_t k = 0; k < cut.crossing.size(); ++k) ends[2 * k] = cut.crossing[k].first, ends[2 * k + 1] = cut.crossing[k].second;
      keep(ends);
    }
  }
  hints_.known = std::move(known);
  hintsValid_ = hintsValid_ || fresh != nullptr;
}

// Undoes the gadgets newest first: when gadget j is expanded every later one already is, so the
// cycle is one of the graph as it was right after j was built and j's vertices sit between the
// outside ends of the two crossing edges the cycle uses. Linear in the ids.
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
    const Gadget& gadget = gadgets_[j];
    const auto index = static_cast<std::int32_t>(j);
    std::int32_t first = gadget.vertices.front(), last = first;
    if (next[at(first)] < 0 || prev[at(first)] < 0) return {};
    while (gadgetOf_[at(prev[at(first)])] == index) first = prev[at(first)];
    while (gadgetOf_[at(next[at(last)])] == index) last = next[at(last)];
    const std::int32_t before = prev[at(first)], after = next[at(last)];
    const auto portOf = [&](std::int32_t v) {
      const auto end = gadget.outer.begin() + gadget.ports;
      const auto it = std::find(gadget.outer.begin(), end, v);
      return it == end ? -1 : static_cast<std::int32_t>(it - gadget.outer.begin());
    };
    const std::int32_t p = portOf(before), q = portOf(after);
    if (p < 0 || q < 0 || p == q) return {};
    const std::vector<std::int32_t>& path = gadget.paths[pairIndex(std::min(p, q), std::max(p, q))];
    if (path.empty()) return {};
    std::int32_t tail = before;
    auto link = [&](std::int32_t v) {
      next[at(tail)] = v;
      prev[at(v)] = tail;
      tail = v;
    };
    if (p < q) {
      std::for_each(path.begin(), path.end(), link);
    } else {
      std::for_each(path.rbegin(), path.rend(), link);
    }
    link(after);
  }
  std::vector<std::int32_t> cycle;
  cycle.reserve(at(inputOrder_));
  std::int32_t v = 0;
  for (std::int32_t k = 0; k < inputOrder_ && v >= 0 && v < inputOrder_; ++k, v = next[at(v)]) cycle.push_back(v);
  if (cycle.size() != at(inputOrder_) || v != 0) return {};
  return cycle;
}

}  // namespace bicubic::check
