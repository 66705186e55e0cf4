// CutReducer: shrinks a graph along its 2- and 3-edge cuts, smallest sides first. Each side (a
// "piece") is decided once for each pair of its crossing edges and replaced by a gadget of at
// most three vertices through which a cycle can pass along exactly the admissible pairs, so the
// reduced graph has a Hamiltonian cycle exactly when the input has; the pieces' paths are kept to
// expand a cycle of the reduced graph back into one of the input. Cost per round: one cut search
// (cuts.h) and O(n + m) to rebuild, plus the piece decisions; rounds repeat while one replaces a
// piece (at most maxRounds). Memory O(n + m): only the current graph and the kept paths.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "check/answer.h"
#include "check/cuts.h"
#include "check/deadline.h"
#include "check/rng.h"
#include "check/simple_graph.h"

namespace bicubic::check {

// Necessary conditions, each an exact argument: a Hamiltonian cycle needs n >= 3, degree >= 2
// everywhere, a connected graph without cut vertex, and equal colour classes when the graph is
// bipartite (colour as twoColouring returns it, empty when not bipartite).
bool passesNecessaryConditions(const SimpleGraph& g, const std::vector<std::int8_t>& colour);

class CutReducer {
 public:
  // Decides whether a graph has a Hamiltonian cycle; on Hamiltonian, cycle holds it.
  using Decider = std::function<Answer(const SimpleGraph&, std::vector<std::int32_t>&)>;
  enum class Outcome { Reduced, NonHamiltonian, Unknown };

  struct Options {
    CutSearch search;
    // Each round reduces the pieces that do not overlap; a piece nested in another waits for
    // the next round. Past this many rounds the rest is left to the caller's search.
    std::int32_t maxRounds = 32;
  };
  struct Stats {
    std::int32_t rounds = 0;
    std::int32_t piecesDecided = 0;   // replaced by a gadget, or the one that admitted no pair
    std::int32_t pieceDecisions = 0;  // decider calls, one per piece and pair of crossing edges
    // Sides of 3-edge cuts by the number of pairs of crossing edges they admit (0 to 3).
    std::array<std::int32_t, 4> threeCutPiecesByPairs{};
  };

  CutReducer() = default;
  explicit CutReducer(const Options& options) : options_(options) {}

  // Reduces g. NonHamiltonian: a piece admits no pair, or a reduced graph fails a necessary
  // condition (an exhaustive argument either way). Unknown: the decider said so or the deadline
  // passed. Reduced: core() has a Hamiltonian cycle exactly when g has.
  Outcome reduce(const SimpleGraph& g, const Decider& decide, Rng& rng, const Deadline& deadline);
  // Goes on reducing core() with another cut search (a wider one, when core() resisted).
  Outcome reduceFurther(const CutSearch& search, const Decider& decide, Rng& rng, const Deadline& deadline);
  const SimpleGraph& core() const { return graph_; }
  // A Hamiltonian cycle of g from one of core(); empty if the given cycle does not fit the gadgets.
  std::vector<std::int32_t> expand(std::span<const std::int32_t> coreCycle) const;
  const Stats& stats() const { return stats_; }

 private:
  static constexpr std::int32_t kMaxPorts = 3;
  // What replaced a piece. Vertex numbers are ids: the input's vertices keep theirs, gadget
  // vertices get new ones from the input's order on.
  struct Gadget {
    std::int32_t ports = 0;
    std::array<std::int32_t, kMaxPorts> outer{};  // id of each crossing edge's end outside
    std::array<std::int32_t, kMaxPorts> inner{};  // id of its end in the piece
    // The piece's path for each admissible pair (pairIndex), from the lower port's inner end.
    std::array<std::vector<std::int32_t>, kMaxPorts> paths;
    std::vector<std::int32_t> vertices;  // ids of the gadget's own vertices
  };

  Outcome runRounds(const Decider& decide, Rng& rng, const Deadline& deadline);
  Outcome round(const Decider& decide, Rng& rng, const Deadline& deadline, bool& progress);
  std::vector<const EdgeCut*> chooseDisjoint(const std::vector<EdgeCut>& cuts) const;
  Outcome decidePiece(const EdgeCut& cut, const std::vector<std::int8_t>& colour, const Decider& decide,
                      Gadget& gadget);
  SimpleGraph pieceGraph(const EdgeCut& cut, std::int32_t a, std::int32_t b, std::int32_t standIns) const;
  void planGadget(const EdgeCut& cut, std::int32_t gadgetIndex, const std::vector<std::int8_t>& colour,
                  const std::vector<std::int32_t>& newOf, Gadget& gadget, std::vector<std::int32_t>& newIds,
                  std::vector<std::pair<std::int32_t, std::int32_t>>& edges);
  // Returns the new number of each old vertex (-1 for those replaced).
  std::vector<std::int32_t> rebuild(const std::vector<const EdgeCut*>& chosen, std::vector<Gadget>& made,
                                    const std::vector<std::int8_t>& colour);
  void keepHints(const std::vector<EdgeCut>* fresh, const std::vector<std::int32_t>& newOf);
  std::int32_t newId(std::int32_t gadgetIndex);

  Options options_;
  SimpleGraph graph_;
  std::vector<std::int32_t> idOf_;      // id of each core() vertex
  std::vector<std::int32_t> localOf_;   // scratch: piece number of each core() vertex, else -1
  std::vector<std::int32_t> gadgetOf_;  // gadget index of each id, -1 for the input's vertices
  std::vector<Gadget> gadgets_;
  CutHints hints_;  // for the next round's cut search
  bool hintsValid_ = false;
  std::int32_t inputOrder_ = 0;
  Stats stats_;
};

}  // namespace bicubic::check
