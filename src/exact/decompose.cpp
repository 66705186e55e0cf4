#include "exact/decompose.h"

#include <algorithm>
#include <numeric>

#include "exact/index.h"

namespace bicubic::exact {

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
  keptFour_.clear();
  fourHintsValid_ = false;
  wholeGraphSearches_ = 0;
  fourCutKeptBudget_ = std::max(options_.maxFourCutPiecesKept, g.order() / 2);
  return runRounds(decide, rng, deadline);
}

CutReducer::Outcome CutReducer::reduceFurther(const CutSearch& search, bool fourEdgeCuts, const Decider& decide,
                                              Rng& rng, const Deadline& deadline) {
  options_.search = search;
  options_.fourEdgeCuts = fourEdgeCuts;
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
  // The conditions cost O(m): on a large graph past its time limit they are not begun.
  if (deadline.expired() && graph_.edgeCount() > kCheapConditionsEdges) return Outcome::Unknown;
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
  if (chosen.empty()) {
    const bool fourCuts = options_.fourEdgeCuts && std::ssize(keptFour_) < fourCutKeptBudget_;
    return fourCuts ? fourCutRound(decide, deadline, colour, rng, &cuts, progress) : Outcome::Reduced;
  }
  std::vector<Gadget> made(chosen.size());
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    ++stats_.piecesDecided;
    const Outcome outcome = decidePiece(*chosen[i], colour, decide, made[i]);
    if (outcome != Outcome::Reduced) return outcome;
  }
  const std::int32_t oldOrder = graph_.order();
  const std::vector<std::int32_t> newOf = rebuild(chosen, made, colour);
  keepHints(hints_, searchedThree ? &cuts : nullptr, newOf, oldOrder, graph_.order());
  hintsValid_ = hintsValid_ || searchedThree;
  keepHints(fourHints_, nullptr, newOf, oldOrder, graph_.order());
  progress = true;
  return Outcome::Reduced;
}

// When no 2- or 3-edge cut is left: the 4-edge cuts, innermost first. A piece that admits one way
// through is replaced; one that admits none settles the question; the others are kept and not
// decided again. The first search looks at the whole graph, the later ones near the changes
// since and at the cuts found before; the whole graph is searched once more when one of those
// finds nothing new, since a cut can come within the side bound without an edge near a change.
CutReducer::Outcome CutReducer::fourCutRound(const Decider& decide, const Deadline& deadline,
                                             const std::vector<std::int8_t>& colour, Rng& rng,
                                             const std::vector<EdgeCut>* threeCuts, bool& progress) {
  std::vector<const EdgeCut*> chosen;
  std::vector<EdgeCut> cuts;
  for (const bool hinted : {true, false}) {
    if (hinted ? !fourHintsValid_ : wholeGraphSearches_ >= 2) continue;
    cuts = findFourEdgeCuts(graph_, options_.fourSearch, rng.next(), deadline, hinted ? &fourHints_ : nullptr);
    wholeGraphSearches_ += hinted ? 0 : 1;
    std::erase_if(cuts, [&](const EdgeCut& cut) { return keptFour_.contains(idsOf(cut)); });
    chosen = chooseDisjoint(cuts);
    if (!chosen.empty() || deadline.expired()) break;
  }
  if (deadline.expired()) return Outcome::Unknown;
  std::vector<const EdgeCut*> replaced;
  std::vector<Gadget> made;
  for (const EdgeCut* cut : chosen) {
    Gadget gadget;
    const FourPiece piece = decideFourPiece(*cut, colour, decide, gadget);
    if (piece == FourPiece::NonHamiltonian) {
      ++stats_.piecesDecided;
      return Outcome::NonHamiltonian;
    }
    if (piece == FourPiece::Keep) {
      ++stats_.fourCutPiecesKept;
      keptFour_.insert(idsOf(*cut));
      continue;
    }
    ++stats_.piecesDecided, ++stats_.fourCutPiecesReplaced;
    replaced.push_back(cut);
    made.push_back(std::move(gadget));
  }
  if (deadline.expired()) return Outcome::Unknown;
  progress = !chosen.empty();
  const std::int32_t oldOrder = graph_.order();
  std::vector<std::int32_t> newOf(at(oldOrder));
  std::iota(newOf.begin(), newOf.end(), 0);
  if (!replaced.empty()) newOf = rebuild(replaced, made, colour);
  keepHints(hints_, threeCuts, newOf, oldOrder, graph_.order());
  hintsValid_ = true;
  keepHints(fourHints_, &cuts, newOf, oldOrder, graph_.order());
  fourHintsValid_ = true;
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

void CutReducer::setPorts(const EdgeCut& cut, Gadget& gadget) {
  for (std::size_t i = 0; i < cut.side.size(); ++i) localOf_[at(cut.side[i])] = static_cast<std::int32_t>(i);
  gadget.ports = static_cast<std::int32_t>(cut.crossing.size());
  for (std::int32_t p = 0; p < gadget.ports; ++p) {
    gadget.inner[at(p)] = idOf_[at(cut.crossing[at(p)].first)];
    gadget.outer[at(p)] = idOf_[at(cut.crossing[at(p)].second)];
  }
}

// A Hamiltonian cycle crosses a cut an even number of times, at least twice: both edges of a
// 2-edge cut, exactly two of a 3-edge cut. Through the piece it then runs a path over all its
// vertices between the two crossing edges used; each pair is asked once.
CutReducer::Outcome CutReducer::decidePiece(const EdgeCut& cut, const std::vector<std::int8_t>& colour,
                                            const Decider& decide, Gadget& gadget) {
  setPorts(cut, gadget);
  Outcome outcome = Outcome::NonHamiltonian;
  std::int32_t admitted = 0;
  std::vector<std::vector<std::int32_t>> paths;
  for (std::int32_t p = 0; p < gadget.ports && outcome != Outcome::Unknown; ++p) {
    for (std::int32_t q = p + 1; q < gadget.ports; ++q) {
      ++stats_.pieceDecisions;
      const std::array<std::int32_t, 2> ports{p, q};
      const Answer answer = askPiece(cut, colour, ports, decide, paths);
      if (answer == Answer::Unknown) {
        outcome = Outcome::Unknown;
        break;
      }
      if (answer == Answer::NonHamiltonian) continue;
      auto& path = gadget.paths[pairIndex(p, q)];
      path = std::move(paths.front());
      if (path.front() != gadget.inner[at(p)]) std::reverse(path.begin(), path.end());
      outcome = Outcome::Reduced;
      ++admitted;
    }
  }
  for (std::int32_t v : cut.side) localOf_[at(v)] = -1;
  if (gadget.ports == 3 && outcome != Outcome::Unknown) ++stats_.threeCutPiecesByPairs[at(admitted)];
  return outcome;
}

// A cycle crosses a 4-edge cut at two of its edges (a path through the piece between them: six
// pairs) or at all four (two paths covering the piece: three pairings). Only a piece with at most
// one way through is replaced (by its chains); more than one way keeps it.
CutReducer::FourPiece CutReducer::decideFourPiece(const EdgeCut& cut, const std::vector<std::int8_t>& colour,
                                                  const Decider& decide, Gadget& gadget) {
  setPorts(cut, gadget);
  std::int32_t ways = 0;
  FourPiece piece = decideFourPairings(cut, colour, decide, gadget, ways);
  std::vector<std::vector<std::int32_t>> paths;
  for (std::int32_t p = 0; p < kMaxPorts && piece == FourPiece::Replace; ++p) {
    for (std::int32_t q = p + 1; q < kMaxPorts && piece == FourPiece::Replace; ++q) {
      ++stats_.pieceDecisions;
      const std::array<std::int32_t, 2> ports{p, q};
      const Answer answer = askPiece(cut, colour, ports, decide, paths);
      if (answer == Answer::Unknown || (answer == Answer::Hamiltonian && ++ways > 1)) piece = FourPiece::Keep;
      if (answer == Answer::Hamiltonian && !chainsOf(gadget, paths, gadget.chains)) piece = FourPiece::Keep;
    }
  }
  if (piece == FourPiece::Replace && ways == 0) piece = FourPiece::NonHamiltonian;
  for (std::int32_t v : cut.side) localOf_[at(v)] = -1;
  return piece;
}

// Joining the outside ends as pairing k admits exactly the two other pairings, so three questions
// settle whether exactly one pairing is admitted, and which (its chains go to the gadget, ways
// counts it). Keep when two or more are, or a question stays open; else Replace, for now.
CutReducer::FourPiece CutReducer::decideFourPairings(const EdgeCut& cut, const std::vector<std::int8_t>& colour,
                                                     const Decider& decide, Gadget& gadget, std::int32_t& ways) {
  static constexpr std::array<std::array<std::int32_t, 4>, 3> kPairings{{{0, 1, 2, 3}, {0, 2, 1, 3}, {0, 3, 1, 2}}};
  const auto pairingOf = [](const std::vector<Chain>& chains) {
    const std::int32_t p = std::min(chains[0].p, chains[0].q), q = std::max(chains[0].p, chains[0].q);
    std::size_t k = 0;
    while (k < kPairings.size() && !(kPairings[k][0] == p && kPairings[k][1] == q) &&
           !(kPairings[k][2] == p && kPairings[k][3] == q)) {
      ++k;
    }
    return k;
  };
  std::array<bool, 3> outsideJoined{};
  std::array<std::vector<Chain>, 3> inside;  // the chains seen for each pairing
  std::vector<std::vector<std::int32_t>> paths;
  std::vector<Chain> chains;
  for (std::size_t k = 0; k < kPairings.size(); ++k) {
    ++stats_.pieceDecisions;
    const Answer answer = askPiece(cut, colour, kPairings[k], decide, paths);
    if (answer == Answer::Unknown) return FourPiece::Keep;
    outsideJoined[k] = answer == Answer::Hamiltonian;
    if (!outsideJoined[k]) continue;
    if (paths.size() != 2 || !chainsOf(gadget, paths, chains) || pairingOf(chains) == k) return FourPiece::Keep;
    inside[pairingOf(chains)] = std::move(chains);
  }
  const auto joined = std::count(outsideJoined.begin(), outsideJoined.end(), true);
  if (joined == 1 || joined == 3) return FourPiece::Keep;  // two or three pairings (1 cannot be)
  if (joined == 2) {
    const auto only = at(std::find(outsideJoined.begin(), outsideJoined.end(), false) - outsideJoined.begin());
    if (inside[only].empty()) return FourPiece::Keep;
    gadget.chains = std::move(inside[only]);
    ways = 1;
  }
  return FourPiece::Replace;
}

// The chains for paths of the piece between inside ends of ports; false if an end is no port's.
bool CutReducer::chainsOf(const Gadget& gadget, std::vector<std::vector<std::int32_t>>& paths,
                          std::vector<Chain>& chains) {
  const auto portOf = [&](std::int32_t id) {
    return static_cast<std::int32_t>(std::find(gadget.inner.begin(), gadget.inner.begin() + gadget.ports, id) -
                                     gadget.inner.begin());
  };
  chains.clear();
  for (auto& path : paths) {
    const std::int32_t p = portOf(path.front()), q = portOf(path.back());
    if (p >= gadget.ports || q >= gadget.ports || p == q) return false;
    chains.push_back({p, q, std::move(path), {}});
  }
  return true;
}

// Whether the piece has paths covering it between the inside ends of the given pairs of ports
// (ports[0]-ports[1], ports[2]-ports[3], ...), asked as a Hamiltonian cycle of the piece with
// stand-ins for the rest of the graph. On yes, paths holds them (ids). localOf_ must be set.
Answer CutReducer::askPiece(const EdgeCut& cut, const std::vector<std::int8_t>& colour,
                            std::span<const std::int32_t> ports, const Decider& decide,
                            std::vector<std::vector<std::int32_t>>& paths) {
  std::vector<StandIn> standIns;
  for (std::size_t k = 0; k + 1 < ports.size(); k += 2) {
    const std::int32_t a = cut.crossing[at(ports[k])].first, b = cut.crossing[at(ports[k + 1])].first;
    standIns.push_back({a, b, pathStandIns(colour, a, b)});
  }
  const SimpleGraph piece = pieceGraph(cut, standIns);
  // Parity and degrees settle many of these questions at once (a pair of one colour in a
  // bipartite piece, an unused port's end left with one edge).
  if (!passesNecessaryConditions(piece, twoColouring(piece))) return Answer::NonHamiltonian;
  std::vector<std::int32_t> cycle;
  const Answer answer = decide(piece, cycle);
  if (answer == Answer::Hamiltonian) paths = piecePaths(cut, std::move(cycle));
  return answer;
}

// The piece with stand-in paths of one or two new vertices between the given vertices.
SimpleGraph CutReducer::pieceGraph(const EdgeCut& cut, std::span<const StandIn> standIns) const {
  const auto sideSize = static_cast<std::int32_t>(cut.side.size());
  std::int32_t order = sideSize;
  for (const StandIn& s : standIns) order += s.count;
  SimpleGraph piece(order);
  for (std::int32_t i = 0; i < sideSize; ++i) {
    for (std::int32_t w : graph_.neighbours(cut.side[at(i)])) {
      const std::int32_t j = localOf_[at(w)];
      if (j > i) piece.addNewEdge(i, j);
    }
  }
  std::int32_t x = sideSize;
  for (const StandIn& s : standIns) {
    piece.addNewEdge(localOf_[at(s.a)], x);
    for (std::int32_t k = 1; k < s.count; ++k, ++x) piece.addNewEdge(x, x + 1);
    piece.addNewEdge(x++, localOf_[at(s.b)]);
  }
  return piece;
}

// The runs of piece vertices between the stand-ins of a piece graph's cycle, as ids.
std::vector<std::vector<std::int32_t>> CutReducer::piecePaths(const EdgeCut& cut, std::vector<std::int32_t> cycle) const {
  const auto sideSize = static_cast<std::int32_t>(cut.side.size());
  const auto isStandIn = [&](std::int32_t v) { return v >= sideSize; };
  std::rotate(cycle.begin(), std::find_if(cycle.begin(), cycle.end(), isStandIn), cycle.end());
  std::vector<std::vector<std::int32_t>> paths;
  bool open = false;
  for (std::int32_t v : cycle) {
    if (isStandIn(v)) {
      open = false;
      continue;
    }
    if (!open) paths.emplace_back();
    open = true;
    paths.back().push_back(idOf_[at(cut.side[at(v)])]);
  }
  return paths;
}

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

// The next search looks for new cuts only around the gadget vertices made since the last full
// one, and confirms again the cuts found whose edges all survived (those not replaced overlapped
// a smaller piece and may be reduced later). fresh: the cuts of a search this round, if one ran.
void CutReducer::keepHints(CutHints& hints, const std::vector<EdgeCut>* fresh, const std::vector<std::int32_t>& newOf,
                           std::int32_t oldOrder, std::int32_t newOrder) {
  const auto renumber = [&](std::int32_t v) { return v < 0 || v >= oldOrder ? -1 : newOf[at(v)]; };
  std::vector<std::int32_t> near;
  for (std::int32_t v : fresh != nullptr ? std::vector<std::int32_t>() : hints.changedNear) {
    if (renumber(v) >= 0) near.push_back(renumber(v));
  }
  // The gadget vertices come after the old vertices that stayed.
  const auto stayed = static_cast<std::int32_t>(std::count_if(newOf.begin(), newOf.end(), [](std::int32_t v) { return v >= 0; }));
  for (std::int32_t v = stayed; v < newOrder; ++v) near.push_back(v);
  hints.changedNear = std::move(near);
  std::vector<KnownCut> known;
  auto keep = [&](KnownCut ends) {
    bool alive = true;
    for (std::size_t k = 0; k < ends.size(); k += 2) {
      if (ends[k] < 0) continue;  // an edge a smaller cut lacks
      ends[k] = renumber(ends[k]), ends[k + 1] = renumber(ends[k + 1]);
      alive = alive && ends[k] >= 0 && ends[k + 1] >= 0;
    }
    if (alive) known.push_back(ends);
  };
  if (fresh == nullptr) {
    for (const KnownCut& ends : hints.known) keep(ends);
  } else {
    for (const EdgeCut& cut : *fresh) {
      KnownCut ends;
      ends.fill(-1);
      for (std::size_t k = 0; k < cut.crossing.size(); ++k) ends[2 * k] = cut.crossing[k].first, ends[2 * k + 1] = cut.crossing[k].second;
      keep(ends);
    }
  }
  hints.known = std::move(known);
}

// A cut's crossing edges by the ids of their ends, in a form that does not depend on the order.
KnownCut CutReducer::idsOf(const EdgeCut& cut) const {
  std::array<std::pair<std::int32_t, std::int32_t>, kMaxCutEdges> edges;
  edges.fill({-1, -1});
  for (std::size_t k = 0; k < cut.crossing.size(); ++k) {
    const std::int32_t u = idOf_[at(cut.crossing[k].first)], v = idOf_[at(cut.crossing[k].second)];
    edges[k] = {std::min(u, v), std::max(u, v)};
  }
  std::sort(edges.begin(), edges.end());
  KnownCut ids;
  for (std::size_t k = 0; k < edges.size(); ++k) ids[2 * k] = edges[k].first, ids[2 * k + 1] = edges[k].second;
  return ids;
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
