// Small edge cuts of a connected graph: sets of two, three or four edges whose removal splits it into
// two sides of at least a given order. Candidates come from random XOR labels of the cycle space
// (a set of edges is a cut exactly when its labels XOR to zero, up to a 2^-64 chance per set), and
// every candidate is confirmed by a search of its smaller side before it is returned. Cost of one
// search: O(m log m) for the labels and 2-edge cut classes; the 3-edge cuts over every pair of
// edges, O(m^2) probes (the reference the reduction's linear search, three_cuts.h, is tested
// against), plus O(smaller side) per confirmed candidate. 4-edge cuts come from two pairs of near
// edges with equal XOR met close together in edge order: O(m * b) time and memory fixed by a
// window (b = edges of a ball of `radius` steps; only near the changed vertices when hints are
// given), on graphs of degree at most 3 only.
#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "exact/deadline.h"
#include "exact/settings.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

inline constexpr std::size_t kMaxCutEdges = 4;

struct EdgeCut {
  // Each crossing edge as (vertex on the side, vertex on the other side).
  std::vector<std::pair<std::int32_t, std::int32_t>> crossing;
  // The vertices of the smaller side.
  std::vector<std::int32_t> side;
};

struct CutSearch {
  // Both sides keep at least this many vertices.
  std::int32_t minSide = settingDefault<std::int32_t>(Setting::CutMinSide);
  // Whether 3-edge cuts are looked for at all, over every pair of edges (2-edge cuts always are).
  bool threeEdgeCuts = true;
  // Pairs tried per class of edges with equal labels (any two of a class form a 2-edge cut).
  std::int32_t pairsPerClass = settingDefault<std::int32_t>(Setting::CutPairsPerClass);
  bool operator==(const CutSearch&) const = default;
};

struct FourCutSearch {
  // Both sides keep at least minSide vertices, and the smaller at most maxSide.
  std::int32_t minSide = settingDefault<std::int32_t>(Setting::FourCutMinSide);
  std::int32_t maxSide = settingDefault<std::int32_t>(Setting::FourCutMaxSide);
  // The two pairs of a cut's edges (any of its three pairings) lie within this many steps.
  std::int32_t radius = settingDefault<std::int32_t>(Setting::FourCutRadius);
  bool operator==(const FourCutSearch&) const = default;
};

// A cut found before, each crossing edge by its ends; -1 ends for the edges a smaller cut lacks.
using KnownCut = std::array<std::int32_t, 2 * kMaxCutEdges>;

// What an earlier search on a graph that has since changed only in places still tells.
struct CutHints {
  // Where the graph changed: the 4-edge cuts within `radius` steps are looked for only around
  // these vertices, in place of the search of the whole graph.
  std::vector<std::int32_t> changedNear;
  // Cuts found before; those whose edges are all still there are confirmed again.
  std::vector<KnownCut> known;
};

// The 2- and 3-edge cuts found in a connected graph whose sides are each connected (a graph
// without cut vertex), each listed once. Stops early, returning what it has, at the deadline.
std::vector<EdgeCut> findSmallCuts(const SimpleGraph& g, const CutSearch& search, std::uint64_t seed,
                                   const Deadline& deadline);

// The 4-edge cuts of a connected graph of degree at most 3 whose sides are connected and whose
// smaller side has minSide to maxSide vertices (those its near search reaches), each listed once.
std::vector<EdgeCut> findFourEdgeCuts(const SimpleGraph& g, const FourCutSearch& search, std::uint64_t seed,
                                      const Deadline& deadline, const CutHints* hints = nullptr);

}  // namespace bicubic::exact
