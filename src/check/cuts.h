// Small edge cuts: a set of two or three edges whose removal splits a connected graph into two
// sides that each keep at least a given number of vertices. Candidates come from random XOR
// labels of the cycle space (a set of edges is a cut exactly when its labels XOR to zero, up to
// a 2^-64 chance), and every candidate is confirmed by a search before it is returned.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "check/deadline.h"
#include "check/simple_graph.h"

namespace bicubic::check {

struct EdgeCut {
  // Each crossing edge as (vertex on the inside, vertex on the outside).
  std::vector<std::pair<std::int32_t, std::int32_t>> crossing;
  // inside[v] != 0 for the vertices of the smaller side.
  std::vector<char> inside;
  std::int32_t insideSize = 0;
};

// Looks for a cut of exactly `size` edges (2 or 3) with both sides of at least minSide vertices.
// The graph must be connected. Returns false when none was found (or the deadline passed).
// A positive radius limits a 3-edge cut search to cuts whose edges are at most that many steps
// apart (sides of small diameter): near-linear instead of quadratic in the edges.
bool findEdgeCut(const SimpleGraph& g, int size, std::int32_t minSide, std::uint64_t seed,
                 const Deadline& deadline, EdgeCut& cut, std::int32_t radius = 0);

}  // namespace bicubic::check
