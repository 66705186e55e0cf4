// The cut reduction: the cuts it finds, and on graphs built from pieces spliced through 2- and
// 3-edge cuts (nested, not bipartite, pieces that admit 0 to 3 pairs of crossing edges) its answer
// against the plain backtracking, every cycle checked against the graph; the solver's work being
// the same for a graph whatever it solved before.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>

#include "exact/cuts.h"
#include "exact/three_cuts.h"
#include "exact/exact.h"
#include "families/families.h"
#include "exact/index.h"
#include "check/report.h"
#include "check/check_support.h"

namespace bicubic::exact {
namespace {

using testing::EdgeList;

// The graph on the vertices that have an edge, numbered in their order.
SimpleGraph withoutIsolated(std::int32_t n, const EdgeList& edges) {
  std::vector<std::int32_t> number(at(n), -1);
  for (const auto& [u, v] : edges) number[at(u)] = number[at(v)] = 0;
  std::int32_t next = 0;
  for (std::int32_t& x : number) x = x < 0 ? -1 : next++;
  EdgeList renumbered;
  for (const auto& [u, v] : edges) renumbered.emplace_back(number[at(u)], number[at(v)]);
  return testing::fromEdges(next, renumbered);
}

// g and piece side by side (piece's vertices after g's) without the vertices x of g and w of
// piece, or (when y >= 0) without the edges x-y of g and w-z of piece.
EdgeList sideBySide(const SimpleGraph& g, std::int32_t x, std::int32_t y, const SimpleGraph& piece, std::int32_t w,
                    std::int32_t z) {
  EdgeList edges;
  auto copy = [&](const SimpleGraph& h, std::int32_t offset, std::int32_t a, std::int32_t b) {
    for (std::int32_t u = 0; u < h.order(); ++u) {
      for (std::int32_t v : h.neighbours(u)) {
        const bool dropped = b < 0 ? (u == a || v == a) : ((u == a && v == b) || (u == b && v == a));
        if (u < v && !dropped) edges.emplace_back(offset + u, offset + v);
      }
    }
  };
  copy(g, 0, x, y);
  copy(piece, g.order(), w, z);
  return edges;
}

// Vertex x of g and w of piece removed, their neighbours joined in order: a 3-edge cut.
SimpleGraph spliceVertex(const SimpleGraph& g, std::int32_t x, const SimpleGraph& piece, std::int32_t w) {
  EdgeList edges = sideBySide(g, x, -1, piece, w, -1);
  for (std::size_t i = 0; i < 3; ++i) edges.emplace_back(g.neighbours(x)[i], g.order() + piece.neighbours(w)[i]);
  return withoutIsolated(g.order() + piece.order(), edges);
}

// Edge x-(first neighbour) of g and w-(first neighbour) of piece removed, joined crosswise.
SimpleGraph spliceEdge(const SimpleGraph& g, std::int32_t x, const SimpleGraph& piece, std::int32_t w) {
  const std::int32_t y = g.neighbours(x)[0], z = piece.neighbours(w)[0];
  EdgeList edges = sideBySide(g, x, y, piece, w, z);
  edges.emplace_back(x, g.order() + z);
  edges.emplace_back(y, g.order() + w);
  return withoutIsolated(g.order() + piece.order(), edges);
}

// Edge u-(first neighbour v) of g replaced by piece without the ends of its edge
// x-(first neighbour y): u's two other neighbours joined to x's, v's to y's. The piece's rest
// hangs on a 4-edge cut; its vertices come last.
SimpleGraph spliceFour(const SimpleGraph& g, std::int32_t u, const SimpleGraph& piece, std::int32_t x) {
  const std::int32_t v = g.neighbours(u)[0], y = piece.neighbours(x)[0];
  EdgeList edges;
  const auto copyWithout = [&](const SimpleGraph& h, std::int32_t offset, std::int32_t a, std::int32_t b) {
    for (std::int32_t s = 0; s < h.order(); ++s) {
      for (std::int32_t t : h.neighbours(s)) {
        if (s < t && s != a && s != b && t != a && t != b) edges.emplace_back(offset + s, offset + t);
      }
    }
  };
  copyWithout(g, 0, u, v);
  copyWithout(piece, g.order(), x, y);
  const auto others = [](const SimpleGraph& h, std::int32_t a, std::int32_t b) {
    std::vector<std::int32_t> rest;
    for (std::int32_t w : h.neighbours(a)) {
      if (w != b) rest.push_back(w);
    }
    return rest;
  };
  for (std::size_t i = 0; i < 2; ++i) {
    edges.emplace_back(others(g, u, v)[i], g.order() + others(piece, x, y)[i]);
    edges.emplace_back(others(g, v, u)[i], g.order() + others(piece, y, x)[i]);
  }
  return withoutIsolated(g.order() + piece.order(), edges);
}

// A k-cycle with the chord 0 - k/2: its only Hamiltonian cycle is the k-cycle, so of vertex 0's
// three edges only the pair of cycle edges is ever used (a piece that admits one pair).
SimpleGraph cycleWithChord(std::int32_t k) {
  EdgeList edges{{0, k / 2}};
  for (std::int32_t i = 0; i < k; ++i) edges.emplace_back(i, (i + 1) % k);
  return testing::fromEdges(k, edges);
}

TEST(CutReduction, AgreesWithPlainBacktrackingOnSplicedGraphs) {
  ExactSolver::Options reducing;
  reducing.directSearchOrder = 6;
  reducing.rotationFirst = false;  // no short search before the reduction
  ExactSolver::Options plain;
  plain.reduceCuts = false;
  plain.directSearchOrder = 1 << 30;
  ExactSolver reduced(reducing), whole(plain);
  Rng rng(2024);
  std::array<std::int32_t, 4> piecesByPairs{};
  std::int32_t hamiltonian = 0, nested = 0, twoCuts = 0, nonBipartite = 0;
  std::int64_t piecesDecided = 0;
  for (int t = 0; t < 300; ++t) {
    SimpleGraph g = randomCubicBipartite(6 + static_cast<std::int32_t>(rng.below(6)), rng);
    std::int32_t hostLeft = g.order(), lastPiece = -1;
    const auto pieces = 1 + rng.below(3);
    for (std::uint32_t p = 0; p < pieces; ++p) {
      const std::uint32_t kind = rng.below(6);
      const SimpleGraph piece = kind < 2   ? randomCubic(8 + 2 * static_cast<std::int32_t>(rng.below(3)), rng)
                                : kind == 2 ? randomCubicBipartite(4 + static_cast<std::int32_t>(rng.below(3)), rng)
                                : kind == 3 ? testing::petersen()
                                : kind == 4 ? testing::smallestNonHamiltonianCubicBipartite()
                                            : cycleWithChord(8 + static_cast<std::int32_t>(rng.below(5)));
      nonBipartite += twoColouring(piece).empty() ? 1 : 0;
      const auto hostVertex = [&] { return static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(hostLeft))); };
      const bool nestWanted = lastPiece >= 0 && rng.below(4) == 0;
      std::int32_t x = nestWanted ? lastPiece : hostVertex();
      const bool edgeSplice = rng.below(4) == 0;
      // A vertex splice needs three edges at x; a cycle piece's degree-2 vertex takes an edge one.
      const bool nest = nestWanted && (edgeSplice || g.degree(x) == 3);
      if (nestWanted && !nest) x = hostVertex();
      if (edgeSplice) {
        g = spliceEdge(g, x, piece, 0);
        ++twoCuts;
      } else {
        g = spliceVertex(g, x, piece, 0);
        hostLeft -= nest ? 0 : 1;
      }
      nested += nest ? 1 : 0;
      lastPiece = g.order() - 1;
    }
    ExactResult a, b;
    ASSERT_NO_FATAL_FAILURE(testing::solveAndCompare(reduced, whole, g, 60, t, a, b));
    hamiltonian += a.answer == Answer::Hamiltonian ? 1 : 0;
    piecesDecided += reduced.stats().cutsSplit;
    for (std::size_t k = 0; k < piecesByPairs.size(); ++k) piecesByPairs[k] += reduced.stats().threeCutPiecesByPairs[k];
  }
  // Both answers, every kind of piece and the reduction itself must have been exercised.
  EXPECT_GT(hamiltonian, 30);
  EXPECT_LT(hamiltonian, 270);
  for (std::int32_t count : piecesByPairs) EXPECT_GT(count, 0);
  EXPECT_GT(nested, 10);
  EXPECT_GT(twoCuts, 10);
  EXPECT_GT(nonBipartite, 10);
  EXPECT_GT(piecesDecided, 300);
}

// Pieces hung on 4-edge cuts: the 54-vertex Ellingham-Horton graph without an edge's ends (it
// admits at most one pairing of its crossing edges, so it is replaced), nested at times, and
// Petersen's graph without an edge's ends (three ways through: kept). The answer must be the one
// of the reduction without 4-edge cuts, and every cycle (expanded through the chains) valid.
TEST(CutReduction, FourEdgeCutPiecesAgreeWithTheReductionWithoutThem) {
  ExactSolver::Options withFour, withoutFour;
  withoutFour.cuts.fourEdgeCuts = false;
  ExactSolver reduced(withFour), older(withoutFour);
  Rng rng(4004);
  const SimpleGraph eh54 = testing::ellinghamHorton54();
  std::int32_t hamiltonianReplaced = 0, nonHamiltonian = 0, replaced = 0, kept = 0, nested = 0;
  for (int t = 0; t < 150; ++t) {
    // The host outgrows the Petersen pieces, so that the piece is the cut's smaller side.
    SimpleGraph g = randomCubicBipartite(10 + static_cast<std::int32_t>(rng.below(10)), rng);
    std::int32_t lastPiece = 0;
    for (std::uint32_t p = 0, pieces = 1 + rng.below(2); p < pieces; ++p) {
      const SimpleGraph& piece = rng.below(3) == 0 ? testing::petersen() : eh54;
      const bool nest = lastPiece > 2 && rng.below(2) == 0;
      const std::int32_t from = nest ? g.order() - lastPiece : 0, span = nest ? lastPiece : g.order() - lastPiece;
      g = spliceFour(g, from + static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(span))), piece,
                     static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(piece.order()))));
      lastPiece = piece.order() - 2;
      nested += nest ? 1 : 0;
    }
    g = shuffled(g, rng);
    ExactResult a, b;
    ASSERT_NO_FATAL_FAILURE(testing::solveAndCompare(reduced, older, g, 60, t, a, b));
    const std::int32_t piecesReplaced = reduced.stats().fourCutPiecesReplaced;
    hamiltonianReplaced += a.answer == Answer::Hamiltonian && piecesReplaced > 0 ? 1 : 0;
    nonHamiltonian += a.answer == Answer::NonHamiltonian ? 1 : 0;
    replaced += piecesReplaced;
    kept += reduced.stats().fourCutPiecesKept;
  }
  // Both answers, replaced and kept pieces, and nesting must have been exercised.
  EXPECT_GT(hamiltonianReplaced, 20);
  EXPECT_GT(nonHamiltonian, 3);
  EXPECT_GT(replaced, 50);
  EXPECT_GT(kept, 50);
  EXPECT_GT(nested, 15);
}

// Each splice's cut must be among those found, with its smaller side exactly the small copy;
// a 3-connected graph without nontrivial 3-edge cuts has none.
TEST(SmallCuts, FindsTheSplicedCut) {
  struct Case {
    const char* name;
    SimpleGraph graph;
    std::size_t crossing;  // 0: no cut expected
    std::size_t side;
    CutSearch search;
  };
  const SimpleGraph cube = testing::cube();
  const std::vector<Case> cases = {
      {"two cubes, 2-edge cut", spliceTwoCut(cube, cube), 2, 8, {}},
      {"two cubes, 3-edge cut", spliceThreeCut(cube, cube), 3, 7, {}},
      {"Petersen into Heawood", spliceThreeCut(testing::petersen(), testing::heawood()), 3, 9, {}},
      {"Heawood", testing::heawood(), 0, 0, {}},
  };
  for (const Case& c : cases) {
    const std::vector<EdgeCut> cuts = findSmallCuts(c.graph, c.search, 17, Deadline());
    if (c.crossing == 0) {
      EXPECT_TRUE(cuts.empty()) << c.name;
      continue;
    }
    // The small copy has the lowest vertex numbers in both splices.
    const auto inCopy = [&](std::int32_t v) { return v < static_cast<std::int32_t>(c.side); };
    const auto it = std::find_if(cuts.begin(), cuts.end(), [&](const EdgeCut& cut) {
      return cut.crossing.size() == c.crossing && cut.side.size() == c.side && std::all_of(cut.side.begin(), cut.side.end(), inCopy);
    });
    ASSERT_NE(it, cuts.end()) << c.name;
    for (const auto& [in, out] : it->crossing) EXPECT_TRUE(inCopy(in) && !inCopy(out)) << c.name;
  }
}

// The 3-edge cuts of one graph as sorted triples of edges by their ends.
using CutSet = std::vector<std::array<std::pair<std::int32_t, std::int32_t>, 3>>;

CutSet threeCutsByPairs(const SimpleGraph& g, std::int32_t minSide) {
  CutSearch everyPair;
  everyPair.minSide = minSide;
  everyPair.pairsPerClass = 0;
  CutSet found;
  for (const EdgeCut& cut : findSmallCuts(g, everyPair, 5, Deadline())) {
    if (cut.crossing.size() != 3) continue;
    std::array<std::pair<std::int32_t, std::int32_t>, 3> edges;
    for (std::size_t k = 0; k < 3; ++k) {
      const auto [u, v] = cut.crossing[k];
      edges[k] = {std::min(u, v), std::max(u, v)};
    }
    std::sort(edges.begin(), edges.end());
    found.push_back(edges);
  }
  std::sort(found.begin(), found.end());
  return found;
}

CutSet threeCutsFromTree(const SimpleGraph& g, std::int32_t minSide, std::uint64_t seed) {
  EdgeIndex index;
  index.build(g);
  ThreeCutFinder finder;
  EXPECT_TRUE(finder.run(index, seed, Deadline()));
  CutSet found;
  for (const ThreeCutFinder::Cut& cut : finder.cuts()) {
    const std::int32_t far = finder.farSideOrder(cut);
    if (far < minSide || g.order() - far < minSide) continue;
    std::array<std::pair<std::int32_t, std::int32_t>, 3> edges;
    for (std::size_t k = 0; k < 3; ++k) edges[k] = {index.first[at(cut.edges[k])], index.second[at(cut.edges[k])]};
    std::sort(edges.begin(), edges.end());
    found.push_back(edges);
    // The far side is the one the edges leave: each has exactly one end on it.
    for (const auto& [u, v] : edges) EXPECT_NE(finder.onFarSide(cut, u), finder.onFarSide(cut, v));
  }
  std::sort(found.begin(), found.end());
  return found;
}

// Every pair of edges whose removal disconnects g (brute force), by their ends.
std::vector<std::pair<std::pair<std::int32_t, std::int32_t>, std::pair<std::int32_t, std::int32_t>>> twoCutsByRemoval(
    const SimpleGraph& g) {
  EdgeList edges;
  for (std::int32_t u = 0; u < g.order(); ++u) {
    for (std::int32_t v : g.neighbours(u)) {
      if (u < v) edges.emplace_back(u, v);
    }
  }
  std::vector<std::pair<std::pair<std::int32_t, std::int32_t>, std::pair<std::int32_t, std::int32_t>>> found;
  for (std::size_t i = 0; i < edges.size(); ++i) {
    for (std::size_t j = i + 1; j < edges.size(); ++j) {
      EdgeList rest;
      for (std::size_t k = 0; k < edges.size(); ++k) {
        if (k != i && k != j) rest.push_back(edges[k]);
      }
      if (!isConnected(testing::fromEdges(g.order(), rest))) found.push_back({edges[i], edges[j]});
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The 2-edge cuts the tree search lists (neighbours in a class), closed over each class: any two
// edges of a class form a cut.
std::vector<std::pair<std::pair<std::int32_t, std::int32_t>, std::pair<std::int32_t, std::int32_t>>> twoCutsFromTree(
    const EdgeIndex& index, const ThreeCutFinder& finder) {
  std::vector<std::int32_t> classOf(at(index.edgeCount()));
  std::iota(classOf.begin(), classOf.end(), 0);
  const auto find = [&](std::int32_t e) {
    while (classOf[at(e)] != e) e = classOf[at(e)] = classOf[at(classOf[at(e)])];
    return e;
  };
  for (const ThreeCutFinder::Cut& cut : finder.twoEdgeCuts()) classOf[at(find(cut.edges[1]))] = find(cut.edges[2]);
  std::vector<std::pair<std::pair<std::int32_t, std::int32_t>, std::pair<std::int32_t, std::int32_t>>> found;
  for (std::int32_t e = 0; e < index.edgeCount(); ++e) {
    for (std::int32_t f = 0; f < index.edgeCount(); ++f) {
      const std::pair<std::int32_t, std::int32_t> a{index.first[at(e)], index.second[at(e)]}, b{index.first[at(f)], index.second[at(f)]};
      if (a < b && find(e) == find(f)) found.push_back({a, b});
    }
  }
  std::sort(found.begin(), found.end());
  return found;
}

// The search along one depth-first tree finds exactly the 3-edge cuts the search of every pair
// of edges finds, and exactly the 2-edge cuts removal finds, on random graphs (few cuts), pieces
// spliced in through 3-edge cuts (nested, so cuts lie inside cuts), through 2-edge cuts and
// through 4-edge cuts, shuffled so that the tree meets the pieces in every way.
TEST(SmallCuts, TreeSearchFindsExactlyTheCutsOfTheSearchOfEveryPair) {
  Rng rng(303);
  std::size_t cutsSeen = 0, twoCutsSeen = 0;
  for (int t = 0; t < 300; ++t) {
    const std::uint32_t kind = static_cast<std::uint32_t>(t) % 5;
    SimpleGraph g = kind == 0 ? randomCubic(10 + 2 * static_cast<std::int32_t>(rng.below(40)), rng)
                              : randomCubicBipartite(6 + static_cast<std::int32_t>(rng.below(30)), rng);
    for (std::uint32_t p = 0, pieces = kind == 0 ? 0 : rng.below(6); p < pieces; ++p) {
      const SimpleGraph piece = rng.below(2) == 0 ? testing::petersen() : randomCubicBipartite(4 + static_cast<std::int32_t>(rng.below(4)), rng);
      // Into the last piece at times (nested cuts), else anywhere.
      const std::int32_t x = static_cast<std::int32_t>(rng.below(static_cast<std::uint32_t>(g.order())));
      const std::int32_t nest = rng.below(2) == 0 ? g.order() - 1 : x;
      g = kind == 3 ? spliceFour(g, x, piece, 0) : kind == 4 ? spliceEdge(g, nest, piece, 0) : spliceVertex(g, nest, piece, 0);
    }
    g = shuffled(g, rng);
    if (!passesNecessaryConditions(g)) continue;  // a bridge (the random cubic graphs may have one)
    const CutSet expected = threeCutsByPairs(g, 2);
    EXPECT_EQ(threeCutsFromTree(g, 2, rng.next()), expected) << "graph " << t << " of order " << g.order();
    cutsSeen += expected.size();
    if (g.order() <= 60) {
      EdgeIndex index;
      index.build(g);
      ThreeCutFinder finder;
      ASSERT_TRUE(finder.run(index, rng.next(), Deadline()));
      const auto twoCuts = twoCutsByRemoval(g);
      EXPECT_EQ(twoCutsFromTree(index, finder), twoCuts) << "graph " << t;
      twoCutsSeen += twoCuts.size();
    }
  }
  EXPECT_GT(cutsSeen, 300U);
  EXPECT_GT(twoCutsSeen, 30U);
}

// Many pieces in one large graph are each decided once, in one round, whatever their answer.
TEST(CutReduction, DecidesEachOfManyPiecesOnce) {
  Rng rng(77);
  for (const bool hamiltonian : {true, false}) {
    SimpleGraph g = randomCubicBipartite(1500, rng);
    constexpr std::int32_t kPieces = 30;
    for (std::int32_t p = 0; p < kPieces; ++p) {
      // The last piece decides the answer; the host keeps its vertices first, one fewer a splice.
      const bool last = p == kPieces - 1;
      const SimpleGraph piece = !hamiltonian && last ? testing::smallestNonHamiltonianCubicBipartite() : testing::heawood();
      g = spliceVertex(g, 2 * p, piece, 1);
    }
    ExactSolver::Options reduceFirst;
    reduceFirst.rotationFirst = false;
    ExactSolver solver(reduceFirst);
    const ExactResult result = solver.solve(g, Deadline::after(60));
    ASSERT_EQ(result.answer, hamiltonian ? Answer::Hamiltonian : Answer::NonHamiltonian);
    if (hamiltonian) {
      EXPECT_TRUE(isHamiltonianCycle(g, result.cycle));
      EXPECT_EQ(solver.stats().threeCutPiecesByPairs[3], kPieces);
      EXPECT_EQ(solver.stats().pieceDecisions, 3 * kPieces);
    }
    EXPECT_LE(solver.stats().reductionRounds, 3);
  }
}

// A cut whose edges lie far apart in a large graph is found in the first round, with no search
// for a cycle before it.
TEST(CutReduction, FindsFarApartCutsInTheFirstRound) {
  Rng rng(8);
  const SimpleGraph g = shuffled(spliceThreeCut(testing::petersen(), randomCubicBipartite(500, rng)), rng);
  ExactSolver solver;
  EXPECT_EQ(solver.solve(g, Deadline::after(60)).answer, Answer::NonHamiltonian);
  EXPECT_EQ(solver.stats().threeCutPiecesByPairs[0], 1);
  EXPECT_EQ(solver.stats().reductionRounds, 1);
}

// The same graph gets the same work and the same cycle whether solved alone or after others.
TEST(ExactSolver, WorkDependsOnlyOnTheGraph) {
  Rng rng(31);
  const SimpleGraph first = shuffled(randomCubicBipartite(600, rng), rng);
  const SimpleGraph second = shuffled(spliceThreeCut(testing::heawood(), randomCubicBipartite(400, rng)), rng);
  for (const SimpleGraph* g : {&first, &second}) {
    ExactSolver alone, afterOthers;
    afterOthers.solve(g == &first ? second : first, Deadline());
    afterOthers.solve(testing::petersen(), Deadline());
    const ExactResult a = alone.solve(*g, Deadline());
    const ExactResult b = afterOthers.solve(*g, Deadline());
    ASSERT_EQ(a.answer, Answer::Hamiltonian);
    EXPECT_EQ(a.cycle, b.cycle);
    EXPECT_EQ(alone.stats().backtrackNodes, afterOthers.stats().backtrackNodes);
    EXPECT_EQ(alone.stats().rotationCycles, afterOthers.stats().rotationCycles);
    EXPECT_EQ(alone.stats().pieceDecisions, afterOthers.stats().pieceDecisions);
  }
}

}  // namespace
}  // namespace bicubic::exact
