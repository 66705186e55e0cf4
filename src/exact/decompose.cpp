#include "exact/decompose.h"

#include <algorithm>
#include <functional>
#include <numeric>

#include "exact/conditions.h"
#include "exact/fenwick.h"
#include "exact/index.h"
#include "exact/three_cuts.h"

namespace bicubic::exact {

namespace {

// A gadget is only built where the crossing edges have distinct ends on both sides, so that it
// adds no parallel edge and each outside end names its crossing edge.
// Claims on vertices while cuts are chosen: in a chosen side, or the outside end of a chosen
// cut's crossing edge.
enum : std::int8_t { kFree = 0, kInSide = 1, kOutsideEnd = 2 };

// How many marked positions lie in a run [first, last).
using PositionCounts = Fenwick<std::int32_t, std::plus<>, std::minus<>>;

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

CutReducer::Outcome CutReducer::reduce(const SimpleGraph& g, const Decider& decide, Rng& rng,
                                       const Deadline& deadline, bool inputChecked) {
  stats_ = {};
  blockedSide_.clear();
  checked_ = inputChecked;
  inputOrder_ = g.order();
  idOf_.resize(at(inputOrder_));
  std::iota(idOf_.begin(), idOf_.end(), 0);
  graph_ = g;
  localOf_.assign(at(inputOrder_), -1);
  gadgetOf_.assign(at(inputOrder_), -1);
  gadgets_.clear();
  keptFour_.clear();
  fourHintsValid_ = false;
  smallCutsDone_ = false;
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
  for (std::int32_t r = 0; r < options_.maxRounds; ++r) {
    bool progress = false;
    const Outcome outcome = round(decide, rng, deadline, progress);
    if (outcome != Outcome::Reduced) return outcome;
    if (!progress) break;
  }
  return Outcome::Reduced;
}

// One round: the necessary conditions on the current graph (a gadget can leave a vertex of
// degree 1 or a cut vertex, which settles the question), the 2-edge cuts and, only when they give
// no piece, the 3-edge cuts; the pieces that do not overlap decided and replaced.
CutReducer::Outcome CutReducer::round(const Decider& decide, Rng& rng, const Deadline& deadline, bool& progress) {
  ++stats_.rounds;
  // The conditions cost O(m): on a large graph past its time limit they are not begun.
  const Deadline& conditionsLimit = conditionsDeadline(graph_, options_.cheapConditionsEdges, deadline);
  if (!checked_ && conditionsLimit.expired()) return Outcome::Unknown;
  const std::optional<std::vector<std::int8_t>> colouring = twoColouring(graph_, conditionsLimit);
  if (!colouring) return Outcome::Unknown;
  const std::vector<std::int8_t>& colour = *colouring;
  if (!checked_ && !passesNecessaryConditions(graph_, colour)) return Outcome::NonHamiltonian;
  checked_ = true;
  if (deadline.expired()) return Outcome::Unknown;
  std::vector<EdgeCut> cuts;
  std::vector<const EdgeCut*> chosen;
  // A graph whose 2- and 3-edge cuts gave no piece, unchanged since, gives none again.
  if (!smallCutsDone_) {
    cuts = innermostSmallCuts(rng.next(), deadline);
    for (const EdgeCut& cut : cuts) chosen.push_back(&cut);
    if (deadline.expired()) return Outcome::Unknown;
    smallCutsDone_ = chosen.empty();
  }
  if (chosen.empty()) {
    const bool fourCuts = options_.fourEdgeCuts && std::ssize(keptFour_) < fourCutKeptBudget_;
    return fourCuts ? fourCutRound(decide, deadline, colour, rng, progress) : Outcome::Reduced;
  }
  std::vector<Gadget> made(chosen.size());
  for (std::size_t i = 0; i < chosen.size(); ++i) {
    ++stats_.piecesDecided;
    const Outcome outcome = decidePiece(*chosen[i], colour, decide, made[i]);
    if (outcome != Outcome::Reduced) return outcome;
  }
  const std::int32_t oldOrder = graph_.order();
  const std::vector<std::int32_t> newOf = rebuild(chosen, made, colour);
  keepHints(fourHints_, nullptr, newOf, oldOrder, graph_.order());
  progress = true;
  return Outcome::Reduced;
}

// Every 2- and 3-edge cut from one depth-first tree, and of those whose sides both keep minSide
// vertices the ones chooseDisjoint would take (the 2-edge cuts' pieces, or when they give none
// the 3-edge cuts'): smallest sides first, none overlapping a side or an outside end taken
// before. Sides are runs of the tree's preorder, so a side is tested against those taken in
// O(log n) and listed only when taken (or when it is small enough to be a gadget): the round
// costs O(m log n) however the cuts nest.
std::vector<EdgeCut> CutReducer::innermostSmallCuts(std::uint64_t seed, const Deadline& deadline) {
  EdgeIndex index;
  ThreeCutFinder finder;
  if (!index.build(graph_, deadline) || !finder.run(index, seed, deadline)) return {};
  stats_.threeCutTreeWork += finder.work();
  std::vector<EdgeCut> chosen = innermostOf(finder, finder.twoEdgeCuts(), index);
  if (chosen.empty() && options_.search.threeEdgeCuts) chosen = innermostOf(finder, finder.cuts(), index);
  return chosen;
}

std::vector<EdgeCut> CutReducer::innermostOf(const ThreeCutFinder& finder, const std::vector<ThreeCutFinder::Cut>& cuts,
                                             const EdgeIndex& index) const {
  const std::int32_t n = graph_.order(), minSide = options_.search.minSide;
  struct Candidate {
    std::int32_t order;
    const ThreeCutFinder::Cut* cut;
    bool far;
  };
  std::vector<Candidate> candidates;
  for (const ThreeCutFinder::Cut& cut : cuts) {
    const std::int32_t far = finder.farSideOrder(cut);
    if (std::min(far, n - far) >= minSide) candidates.push_back({std::min(far, n - far), &cut, far <= n - far});
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate& a, const Candidate& b) { return a.order < b.order; });
  PositionCounts taken(n);
  std::vector<std::int8_t> claim(at(n), kFree);
  std::vector<EdgeCut> chosen;
  EdgeCut cut;
  for (const Candidate& candidate : candidates) {
    const ThreeCutFinder::Runs runs = finder.runs(*candidate.cut, candidate.far);
    std::int32_t overlap = 0;
    for (std::int32_t k = 0; k < runs.count; ++k) overlap += taken.of(runs.run[at(k)].first, runs.run[at(k)].second);
    if (overlap > 0) continue;
    cut.crossing.clear();
    for (const std::int32_t e : candidate.cut->edges) {
      if (e < 0) continue;  // a 2-edge cut's missing third edge
      const std::int32_t a = index.first[at(e)], b = index.second[at(e)];
      const bool aInside = finder.onFarSide(*candidate.cut, a) == candidate.far;
      cut.crossing.emplace_back(aInside ? a : b, aInside ? b : a);
    }
    if (!hasDistinctEnds(cut) || std::any_of(cut.crossing.begin(), cut.crossing.end(),
                                              [&](const auto& edge) { return claim[at(edge.second)] == kInSide; })) {
      continue;
    }
    cut.side.clear();
    for (std::int32_t k = 0; k < runs.count; ++k) {
      for (std::int32_t p = runs.run[at(k)].first; p < runs.run[at(k)].second; ++p) cut.side.push_back(finder.vertexAt(p));
    }
    if (isOneGadget(cut)) continue;
    for (const std::int32_t v : cut.side) {
      claim[at(v)] = kInSide;
      taken.add(finder.position(v), 1);
    }
    for (const auto& edge : cut.crossing) {
      if (claim[at(edge.second)] == kFree) taken.add(finder.position(edge.second), 1);
      claim[at(edge.second)] = kOutsideEnd;
    }
    chosen.push_back(cut);
  }
  return chosen;
}

// When no 2- or 3-edge cut is left: the 4-edge cuts, innermost first. A piece that admits one way
// through is replaced; one that admits none settles the question; the others are kept and not
// decided again. The first search looks at the whole graph, the later ones near the changes
// since and at the cuts found before; the whole graph is searched once more when one of those
// finds nothing new, since a cut can come within the side bound without an edge near a change.
CutReducer::Outcome CutReducer::fourCutRound(const Decider& decide, const Deadline& deadline,
                                             const std::vector<std::int8_t>& colour, Rng& rng, bool& progress) {
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
      recordBlocked(*cut);
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
  keepHints(fourHints_, &cuts, newOf, oldOrder, graph_.order());
  fourHintsValid_ = true;
  return Outcome::Reduced;
}

// Smallest sides first, so that of nested pieces the innermost is taken; a side may neither
// overlap another nor hold an outside end of another's crossing edges, so that no two gadgets
// of a round touch.
std::vector<const EdgeCut*> CutReducer::chooseDisjoint(const std::vector<EdgeCut>& cuts) const {
  std::vector<const EdgeCut*> bySize;
  for (const EdgeCut& cut : cuts) {
    if (hasDistinctEnds(cut) && !isOneGadget(cut)) bySize.push_back(&cut);
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

// A side that is one gadget already would only be replaced by itself.
bool CutReducer::isOneGadget(const EdgeCut& cut) const {
  const std::int32_t gadget = gadgetOf_[at(idOf_[at(cut.side.front())])];
  return gadget >= 0 && std::all_of(cut.side.begin(), cut.side.end(),
                                    [&](std::int32_t v) { return gadgetOf_[at(idOf_[at(v)])] == gadget; });
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

// The piece, as the input vertices it stands for, is the reader's evidence.
void CutReducer::recordBlocked(const EdgeCut& cut) {
  std::vector<std::int32_t> ids;
  for (std::int32_t v : cut.side) ids.push_back(idOf_[at(v)]);
  blockedSide_ = inputVerticesOf(std::move(ids));
}

// Each gadget among ids is replaced by the piece it stood for, level by level: any one of its
// paths (or its chains together) runs through the whole piece. A gadget with vertices outside
// ids would make the set ill-defined, so the answer is then empty. Sorted.
std::vector<std::int32_t> CutReducer::inputVerticesOf(std::vector<std::int32_t> ids) const {
  std::vector<std::int32_t> input;
  while (!ids.empty()) {
    std::vector<std::int32_t> gadgets, next;
    for (std::int32_t id : ids) {
      if (id < inputOrder_) {
        input.push_back(id);
      } else {
        gadgets.push_back(gadgetOf_[at(id)]);
      }
    }
    std::sort(gadgets.begin(), gadgets.end());
    for (auto first = gadgets.begin(); first != gadgets.end();) {
      const auto last = std::upper_bound(first, gadgets.end(), *first);
      const Gadget& gadget = gadgets_[at(*first)];
      if (last - first != std::ssize(gadget.vertices)) return {};
      const auto path = std::find_if(gadget.paths.begin(), gadget.paths.end(), [](const auto& p) { return !p.empty(); });
      if (path != gadget.paths.end()) next.insert(next.end(), path->begin(), path->end());
      for (const Chain& chain : gadget.chains) next.insert(next.end(), chain.path.begin(), chain.path.end());
      first = last;
    }
    ids = std::move(next);
  }
  std::sort(input.begin(), input.end());
  return input;
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

}  // namespace bicubic::exact
