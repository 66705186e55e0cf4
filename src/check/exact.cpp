#include "check/exact.h"

#include <algorithm>

#include "check/cuts.h"
#include "check/index.h"
#include "check/rotation.h"

namespace bicubic::check {

namespace {

constexpr int kMaxDepth = 200;
constexpr std::int64_t kMaxEdgesForThreeCuts = 50000;

// Necessary conditions with an exact argument behind each: a Hamiltonian cycle needs n >= 3,
// degree >= 2 everywhere, a connected graph without cut vertex, and equal colour classes when
// the graph is bipartite.
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

}  // namespace

ExactResult ExactSolver::solve(const SimpleGraph& g, const Deadline& deadline) {
  deadline_ = &deadline;
  stats_ = {};
  ExactResult result;
  result.answer = solvePiece(g, result.cycle, 0);
  if (result.answer != Answer::Hamiltonian) result.cycle.clear();
  return result;
}

Answer ExactSolver::solvePiece(const SimpleGraph& g, std::vector<std::int32_t>& cycle, int depth) {
  const std::int32_t n = g.order();
  const std::vector<std::int8_t> colour = twoColouring(g);
  if (!passesNecessaryConditions(g, colour)) return Answer::NonHamiltonian;
  if (deadline_->expired()) return Answer::Unknown;

  if (n > options_.directSearchOrder && depth < kMaxDepth) {
    // A Hamiltonian cycle crosses every edge cut an even number of times, at least twice: both
    // edges of a 2-edge cut, exactly two of a 3-edge cut. Each side then needs a path through
    // all its vertices between the chosen ends, a smaller question of the same kind.
    // Order of attempts: 2-edge cuts (linear), a short rotation-extension attempt on large
    // pieces (Hamiltonian random graphs end here), 3-edge cuts with sides of small diameter
    // (near linear), then all 3-edge cuts (quadratic in the edges, skipped on dense graphs).
    EdgeCut cut;
    for (int attempt = 0; attempt < 3; ++attempt) {
      const int size = attempt == 0 ? 2 : 3;
      if (attempt == 1 && n >= options_.earlyRotationOrder &&
          rotationExtensionCycle(g, 20 * static_cast<std::int64_t>(n), rng_, *deadline_, cycle)) {
        ++stats_.rotationCycles;
        return Answer::Hamiltonian;
      }
      if (attempt == 1 && options_.nearCutRadius <= 0) continue;
      const std::int32_t radius = attempt == 1 ? options_.nearCutRadius : 0;
      if (attempt == 2 && g.edgeCount() > kMaxEdgesForThreeCuts) continue;
      if (!findEdgeCut(g, size, 3, rng_.next(), *deadline_, cut, radius)) continue;
      ++stats_.cutsSplit;
      std::vector<char> outside(at(n));
      for (std::int32_t v = 0; v < n; ++v) outside[at(v)] = cut.inside[at(v)] ? 0 : 1;
      const std::int32_t outsideSize = n - cut.insideSize;
      const auto k = static_cast<std::int32_t>(cut.crossing.size());
      // The pairs of crossing edges a cycle may use: the only pair of a 2-edge cut, any two of a
      // 3-edge cut. The small side is asked first; the large one only where the small one can.
      Answer overall = Answer::NonHamiltonian;
      for (std::int32_t i = 0; i < k; ++i) {
        for (std::int32_t j = i + 1; j < k; ++j) {
          std::vector<std::int32_t> inner, outer;
          const auto [ai, bi] = cut.crossing[at(i)];
          const auto [aj, bj] = cut.crossing[at(j)];
          const Answer innerAnswer = sidePath(g, cut.inside, cut.insideSize, ai, aj, colour, inner, depth);
          if (innerAnswer == Answer::NonHamiltonian) continue;
          const Answer outerAnswer = sidePath(g, outside, outsideSize, bi, bj, colour, outer, depth);
          if (innerAnswer == Answer::Hamiltonian && outerAnswer == Answer::Hamiltonian) {
            // inner runs ai..aj, outer bi..bj: go out along aj-bj and come back along bi-ai.
            cycle = std::move(inner);
            cycle.insert(cycle.end(), outer.rbegin(), outer.rend());
            return Answer::Hamiltonian;
          }
          if (innerAnswer == Answer::Unknown || outerAnswer == Answer::Unknown) overall = Answer::Unknown;
        }
      }
      return overall;
    }
    // On middle-sized pieces the backtracking finds cycles fast; rotations only pay on large ones.
    if (n >= options_.earlyRotationOrder &&
        rotationExtensionCycle(g, 200 * static_cast<std::int64_t>(n), rng_, *deadline_, cycle)) {
      ++stats_.rotationCycles;
      return Answer::Hamiltonian;
    }
    if (deadline_->expired()) return Answer::Unknown;
  }
  if (n >= options_.frontierMinOrder && n <= options_.frontierMaxOrder) {
    // Hamiltonian pieces usually fall to a short backtracking run; the frontier programme pays
    // on the others. Both are exact: the programme's "no" means its state set ran empty. It
    // gives up (Unknown) when its order is too wide or the states exceed their budget, and the
    // unlimited backtracking then decides.
    const Answer quick = backtracker_.run(g, *deadline_, cycle, options_.quickSearchNodes);
    stats_.backtrackNodes += backtracker_.nodes();
    if (quick != Answer::Unknown) return quick;
    if (deadline_->expired()) return Answer::Unknown;
    const Answer answer = frontier_.run(g, *deadline_, cycle);
    stats_.frontierStates += frontier_.states();
    if (answer != Answer::Unknown) {
      ++stats_.frontierRuns;
      return answer;
    }
    if (deadline_->expired()) return Answer::Unknown;
  }
  const Answer answer = backtracker_.run(g, *deadline_, cycle);
  stats_.backtrackNodes += backtracker_.nodes();
  return answer;
}

Answer ExactSolver::sidePath(const SimpleGraph& g, const std::vector<char>& inSide, std::int32_t sideSize,
                             std::int32_t a, std::int32_t b, const std::vector<std::int8_t>& colour,
                             std::vector<std::int32_t>& path, int depth) {
  path.clear();
  if (a == b) {
    // Both chosen edges meet one vertex: the side must be that vertex alone.
    if (sideSize != 1) return Answer::NonHamiltonian;
    path.push_back(a);
    return Answer::Hamiltonian;
  }
  // The side plus a stand-in for the rest: a new vertex joined to a and b, or two when a and b
  // have different colours, so that a bipartite graph stays bipartite and the colour count
  // still rules out paths of the wrong parity.
  std::vector<std::int32_t> local(at(g.order()), -1), original;
  original.reserve(at(sideSize) + 2);
  for (std::int32_t v = 0; v < g.order(); ++v) {
    if (inSide[at(v)]) {
      local[at(v)] = static_cast<std::int32_t>(original.size());
      original.push_back(v);
    }
  }
  const bool twoStandIns = !colour.empty() && colour[at(a)] != colour[at(b)];
  const std::int32_t pieceOrder = sideSize + (twoStandIns ? 2 : 1);
  SimpleGraph piece(pieceOrder);
  for (std::int32_t v : original) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w && inSide[at(w)]) piece.addNewEdge(local[at(v)], local[at(w)]);
    }
  }
  const std::int32_t x = sideSize;
  if (twoStandIns) {
    piece.addNewEdge(local[at(a)], x);
    piece.addNewEdge(x, x + 1);
    piece.addNewEdge(x + 1, local[at(b)]);
  } else {
    piece.addNewEdge(local[at(a)], x);
    piece.addNewEdge(x, local[at(b)]);
  }
  std::vector<std::int32_t> pieceCycle;
  const Answer answer = solvePiece(piece, pieceCycle, depth + 1);
  if (answer != Answer::Hamiltonian) return answer;
  // Rotate the cycle so the stand-ins come last; what is left is a path between a and b.
  const auto first = std::find_if(pieceCycle.begin(), pieceCycle.end(), [&](std::int32_t v) { return v >= x; });
  std::rotate(pieceCycle.begin(), first, pieceCycle.end());
  while (!pieceCycle.empty() && pieceCycle.front() >= x) {
    std::rotate(pieceCycle.begin(), pieceCycle.begin() + 1, pieceCycle.end());
  }
  for (std::int32_t v : pieceCycle) {
    if (v < x) path.push_back(original[at(v)]);
  }
  if (path.front() != a) std::reverse(path.begin(), path.end());
  return Answer::Hamiltonian;
}

}  // namespace bicubic::check
