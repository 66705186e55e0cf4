// The piece questions of the cut reduction: for each way a cycle can pass a cut's crossing edges,
// whether the piece has paths covering it that way, asked as a Hamiltonian cycle of the piece with
// stand-ins for the rest of the graph.
#include <algorithm>

#include "exact/conditions.h"
#include "exact/decompose.h"
#include "exact/index.h"

namespace bicubic::exact {

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
  if (outcome == Outcome::NonHamiltonian) recordBlocked(cut);
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

}  // namespace bicubic::exact
