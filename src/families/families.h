// Graph families for tests and benchmarks of bicubic-check: random connected cubic bipartite
// graphs, vertex shuffles, and the two splices that keep a graph cubic and bipartite while
// inheriting a small graph's lack of a Hamiltonian cycle (through a 2-edge or a 3-edge cut).
#pragma once

#include <cstdint>

#include "exact/rng.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

// A connected cubic bipartite graph on 2k vertices (k >= 3): reds 0..k-1, blues k..2k-1.
SimpleGraph randomCubicBipartite(std::int32_t k, Rng& rng);

// A connected simple cubic graph on n vertices (n even, n >= 4), uniform among them: the
// pairing model, redrawn until it has no loop, repeated edge or second component (about
// e^2 draws of O(n) each).
SimpleGraph randomCubic(std::int32_t n, Rng& rng);

// The same graph with its vertices renumbered by a random permutation.
SimpleGraph shuffled(const SimpleGraph& g, Rng& rng);

// small and large cubic, large bipartite; when small is bipartite too, so is the result. Deletes an edge in each and joins the loose ends
// crosswise, colour to opposite colour: the two new edges form a 2-edge cut.
SimpleGraph spliceTwoCut(const SimpleGraph& small, const SimpleGraph& large);

// small and large cubic, large bipartite; when small is bipartite too, so is the result. Removes a vertex of each and joins the three loose ends
// of small to those of large (the removed vertices of opposite colours): a 3-edge cut.
SimpleGraph spliceThreeCut(const SimpleGraph& small, const SimpleGraph& large);

// The flower snark J_k on 4k vertices (k odd, k >= 5): cubic, 3-connected, not bipartite and
// without a Hamiltonian cycle. Centre i (vertex i) joins k + i, 2k + i and 3k + i; the vertices
// k..2k-1 form a k-cycle and 2k..4k-1 a single 2k-cycle.
SimpleGraph flowerSnark(std::int32_t k);

}  // namespace bicubic::exact
