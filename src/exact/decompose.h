// CutReducer: shrinks a graph along its 2-, 3- and 4-edge cuts, smallest sides first. Each side (a
// "piece") is decided once for each way a cycle can pass its crossing edges and replaced by a
// gadget of at most four vertices that admits exactly the same ways, so the reduced graph has a
// Hamiltonian cycle exactly when the input has; the pieces' paths are kept to expand a cycle of the
// reduced graph back into one of the input. A 4-edge cut piece is replaced only when it admits at
// most one way (one pair of crossing edges, or one pairing of all four). Cost per round: one cut
// search (cuts.h) and O(n + m) to rebuild, plus the piece decisions; rounds repeat while one
// replaces a piece (at most maxRounds). Memory O(n + m): only the current graph and the kept paths.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <set>
#include <span>
#include <vector>

#include "exact/hamiltonian.h"
#include "exact/conditions.h"
#include "exact/cuts.h"
#include "exact/deadline.h"
#include "exact/rng.h"
#include "exact/settings.h"
#include "exact/simple_graph.h"
#include "exact/three_cuts.h"

namespace bicubic::exact {

class CutReducer {
 public:
  // Decides whether a piece graph (one that passed the necessary conditions) has a Hamiltonian
  // cycle; on Hamiltonian, cycle holds it.
  using Decider = std::function<Answer(const SimpleGraph&, std::vector<std::int32_t>&)>;
  enum class Outcome { Reduced, NonHamiltonian, Unknown };

  struct Options {
    CutSearch search;
    // Each round reduces the pieces that do not overlap; a piece nested in another waits for
    // the next round. Past this many rounds the rest is left to the caller's search.
    std::int32_t maxRounds = settingDefault<std::int32_t>(Setting::MaxRounds);
    // 4-edge cuts are looked for, on graphs of degree at most 3, when no smaller cut is left.
    bool fourEdgeCuts = settingDefault<bool>(Setting::FourEdgeCuts);
    FourCutSearch fourSearch;
    // Past this many kept 4-edge cut pieces, or half the input's order if more (each cost up to
    // nine decisions), no more are tried.
    std::int32_t maxFourCutPiecesKept = settingDefault<std::int32_t>(Setting::FourCutKept);
    // Past its time limit a round still checks the necessary conditions on graphs up to this many
    // edges (they cost well under a millisecond there), which may settle the question.
    std::int64_t cheapConditionsEdges = settingDefault<std::int64_t>(Setting::CheapConditionsEdges);
    bool operator==(const Options&) const = default;
  };
  struct Stats {
    std::int32_t rounds = 0;
    std::int32_t piecesDecided = 0;   // replaced by a gadget, or the one that admitted no pair
    std::int32_t pieceDecisions = 0;  // decider calls, one per piece and pair of crossing edges
    // Sides of 3-edge cuts by the number of pairs of crossing edges they admit (0 to 3).
    std::array<std::int32_t, 4> threeCutPiecesByPairs{};
    std::int32_t fourCutPiecesReplaced = 0;
    std::int32_t fourCutPiecesKept = 0;  // admitted more than one way, or a decision was unknown
    std::int64_t threeCutTreeWork = 0;   // tree path steps of the 3-edge cut searches
  };

  CutReducer() = default;
  explicit CutReducer(const Options& options) : options_(options) {}

  // Reduces g. NonHamiltonian: a piece admits no pair, or a reduced graph fails a necessary
  // condition (an exhaustive argument either way). Unknown: the decider said so or the deadline
  // passed. Reduced: core() has a Hamiltonian cycle exactly when g has.
  // inputChecked: g is known to pass the necessary conditions (the first round does not check
  // them again).
  Outcome reduce(const SimpleGraph& g, const Decider& decide, Rng& rng, const Deadline& deadline,
                 bool inputChecked = false);
  // Goes on reducing core() with another cut search (a wider one, or one with the 4-edge cuts,
  // when core() resisted).
  Outcome reduceFurther(const CutSearch& search, bool fourEdgeCuts, const Decider& decide, Rng& rng,
                        const Deadline& deadline);
  const SimpleGraph& core() const { return graph_; }
  // Whether core() as it stands passed the necessary conditions.
  bool coreChecked() const { return checked_; }
  // A Hamiltonian cycle of g from one of core(); empty if the given cycle does not fit the gadgets.
  std::vector<std::int32_t> expand(std::span<const std::int32_t> coreCycle) const;
  const Stats& stats() const { return stats_; }
  // After a NonHamiltonian outcome: the input vertices of the piece that admitted no way through
  // its cut, gadgets inside it expanded to the pieces they replaced (empty when a gadget lies only
  // partly inside, or no piece was to blame).
  const std::vector<std::int32_t>& blockedSide() const { return blockedSide_; }

 private:
  static constexpr std::int32_t kMaxPorts = static_cast<std::int32_t>(kMaxCutEdges);
  static constexpr std::size_t kThreePortPairs = 3;
  // Pairs of ports (p < q) as 0: {0,1}, 1: {0,2}, 2: {1,2}.
  static constexpr std::size_t pairIndex(std::int32_t p, std::int32_t q) { return static_cast<std::size_t>(p + q - 1); }
  // Vertices standing in for a path between a and b: one, or two when a and b have different
  // colours in a bipartite graph, so that the graph stays bipartite and keeps its colour balance.
  static std::int32_t pathStandIns(const std::vector<std::int8_t>& colour, std::int32_t a, std::int32_t b) {
    return !colour.empty() && colour[static_cast<std::size_t>(a)] != colour[static_cast<std::size_t>(b)] ? 2 : 1;
  }
  // A path of stand-ins between the outside ends of ports p and q, for the piece's path between
  // their inside ends.
  struct Chain {
    std::int32_t p = 0, q = 0;
    std::vector<std::int32_t> path;      // ids, from p's inside end to q's
    std::vector<std::int32_t> vertices;  // ids of the stand-ins
  };
  // What replaced a piece. Vertex numbers are ids: the input's vertices keep theirs, gadget
  // vertices get new ones from the input's order on.
  struct Gadget {
    std::int32_t ports = 0;
    std::array<std::int32_t, kMaxPorts> outer{};  // id of each crossing edge's end outside
    std::array<std::int32_t, kMaxPorts> inner{};  // id of its end in the piece
    // 2- and 3-edge cuts: the piece's path for each admissible pair (pairIndex), from the lower
    // port's inner end.
    std::array<std::vector<std::int32_t>, kThreePortPairs> paths;
    // 4-edge cuts: the chains every cycle runs through (one or two).
    std::vector<Chain> chains;
    std::vector<std::int32_t> vertices;  // ids of the gadget's own vertices
  };
  // A stand-in path of `count` new vertices between two vertices of a piece.
  struct StandIn {
    std::int32_t a = 0, b = 0, count = 1;
  };
  enum class FourPiece { Replace, NonHamiltonian, Keep };

  Outcome runRounds(const Decider& decide, Rng& rng, const Deadline& deadline);
  Outcome round(const Decider& decide, Rng& rng, const Deadline& deadline, bool& progress);
  std::vector<const EdgeCut*> chooseDisjoint(const std::vector<EdgeCut>& cuts) const;
  std::vector<EdgeCut> innermostSmallCuts(std::uint64_t seed, const Deadline& deadline);
  std::vector<EdgeCut> innermostOf(const ThreeCutFinder& finder, const std::vector<ThreeCutFinder::Cut>& cuts,
                                   const EdgeIndex& index) const;
  bool isOneGadget(const EdgeCut& cut) const;
  Outcome decidePiece(const EdgeCut& cut, const std::vector<std::int8_t>& colour, const Decider& decide,
                      Gadget& gadget);
  Outcome fourCutRound(const Decider& decide, const Deadline& deadline, const std::vector<std::int8_t>& colour,
                       Rng& rng, bool& progress);
  FourPiece decideFourPiece(const EdgeCut& cut, const std::vector<std::int8_t>& colour, const Decider& decide,
                            Gadget& gadget);
  FourPiece decideFourPairings(const EdgeCut& cut, const std::vector<std::int8_t>& colour, const Decider& decide,
                               Gadget& gadget, std::int32_t& ways);
  static bool chainsOf(const Gadget& gadget, std::vector<std::vector<std::int32_t>>& paths, std::vector<Chain>& chains);
  Answer askPiece(const EdgeCut& cut, const std::vector<std::int8_t>& colour, std::span<const std::int32_t> ports,
                  const Decider& decide, std::vector<std::vector<std::int32_t>>& paths);
  void setPorts(const EdgeCut& cut, Gadget& gadget);
  SimpleGraph pieceGraph(const EdgeCut& cut, std::span<const StandIn> standIns) const;
  std::vector<std::vector<std::int32_t>> piecePaths(const EdgeCut& cut, std::vector<std::int32_t> cycle) const;
  void planGadget(const EdgeCut& cut, std::int32_t gadgetIndex, const std::vector<std::int8_t>& colour,
                  const std::vector<std::int32_t>& newOf, Gadget& gadget, std::vector<std::int32_t>& newIds,
                  std::vector<std::pair<std::int32_t, std::int32_t>>& edges);
  // Returns the new number of each old vertex (-1 for those replaced).
  std::vector<std::int32_t> rebuild(const std::vector<const EdgeCut*>& chosen, std::vector<Gadget>& made,
                                    const std::vector<std::int8_t>& colour);
  static void keepHints(CutHints& hints, const std::vector<EdgeCut>* fresh, const std::vector<std::int32_t>& newOf,
                        std::int32_t oldOrder, std::int32_t newOrder);
  std::int32_t newId(std::int32_t gadgetIndex);
  bool expandGadget(std::size_t j, std::vector<std::int32_t>& next, std::vector<std::int32_t>& prev) const;
  bool expandChains(std::size_t j, std::vector<std::int32_t>& next, std::vector<std::int32_t>& prev) const;
  KnownCut idsOf(const EdgeCut& cut) const;
  void recordBlocked(const EdgeCut& cut);
  std::vector<std::int32_t> inputVerticesOf(std::vector<std::int32_t> ids) const;

  Options options_;
  SimpleGraph graph_;
  std::vector<std::int32_t> idOf_;      // id of each core() vertex
  std::vector<std::int32_t> localOf_;   // scratch: piece number of each core() vertex, else -1
  std::vector<std::int32_t> gadgetOf_;  // gadget index of each id, -1 for the input's vertices
  std::vector<Gadget> gadgets_;
  CutHints fourHints_;  // the same for the 4-edge cut search
  bool fourHintsValid_ = false;
  bool smallCutsDone_ = false;  // graph_ unchanged since its 2- and 3-edge cuts gave no piece
  std::int32_t wholeGraphSearches_ = 0;  // for 4-edge cuts: at most two a reduction
  std::int32_t fourCutKeptBudget_ = 0;
  std::set<KnownCut> keptFour_;  // 4-edge cuts (by ids) whose piece stays: not decided again
  std::int32_t inputOrder_ = 0;
  bool checked_ = false;  // graph_ passed the necessary conditions since it last changed
  Stats stats_;
  std::vector<std::int32_t> blockedSide_;
};

}  // namespace bicubic::exact
