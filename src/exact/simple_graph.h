// SimpleGraph: an undirected simple graph as adjacency lists, the form the exact search and the
// readers share. Lists never hold a loop or a repeated neighbour; reset() keeps the lists'
// capacity so that a stream of small graphs reuses the same memory.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "exact/deadline.h"
#include "exact/index.h"

namespace bicubic::exact {

class SimpleGraph {
 public:
  SimpleGraph() = default;
  explicit SimpleGraph(std::int32_t n) { reset(n); }

  // Drops every edge and sets the order to n, keeping allocated capacity.
  void reset(std::int32_t n);
  // Adds u-v unless it is a loop or already present; returns whether it was added.
  bool addEdge(std::int32_t u, std::int32_t v);
  // Adds u-v without the duplicate scan: the caller guarantees u != v and that u-v is new.
  void addNewEdge(std::int32_t u, std::int32_t v);

  std::int32_t order() const { return n_; }
  std::int64_t edgeCount() const { return edges_; }
  std::span<const std::int32_t> neighbours(std::int32_t v) const {
    return adj_[static_cast<std::size_t>(v)];
  }
  std::int32_t degree(std::int32_t v) const {
    return static_cast<std::int32_t>(adj_[static_cast<std::size_t>(v)].size());
  }
  bool hasEdge(std::int32_t u, std::int32_t v) const;

 private:
  std::int32_t n_ = 0;
  std::int64_t edges_ = 0;
  std::vector<std::vector<std::int32_t>> adj_;
};

// Numbers the edges u-v (u < v) of g as 0..m-1, endpoints in first[e] and second[e], and lists
// the edges at each vertex flat: those of v are edgeOf[start[v]] .. edgeOf[start[v + 1] - 1].
// The vectors keep their capacity (slot is scratch), so a caller that reuses them allocates
// nothing per graph.
void indexEdges(const SimpleGraph& g, std::vector<std::int32_t>& first, std::vector<std::int32_t>& second,
                std::vector<std::int32_t>& start, std::vector<std::int32_t>& edgeOf,
                std::vector<std::int32_t>& slot);
// The same, giving up (false, the vectors half filled) once the deadline has passed: on dense
// graphs the index alone takes a noticeable share of a short time limit.
bool indexEdges(const SimpleGraph& g, std::vector<std::int32_t>& first, std::vector<std::int32_t>& second,
                std::vector<std::int32_t>& start, std::vector<std::int32_t>& edgeOf,
                std::vector<std::int32_t>& slot, const Deadline& deadline);

// indexEdges' numbering held together, with the step every edge walk needs: from one end of an
// edge to the other.
struct EdgeIndex {
  std::vector<std::int32_t> first, second, start, edgeOf, slot;

  void build(const SimpleGraph& g) { indexEdges(g, first, second, start, edgeOf, slot); }
  bool build(const SimpleGraph& g, const Deadline& deadline) {
    return indexEdges(g, first, second, start, edgeOf, slot, deadline);
  }
  std::int32_t edgeCount() const { return static_cast<std::int32_t>(first.size()); }
  std::int32_t vertexCount() const { return start.empty() ? 0 : static_cast<std::int32_t>(start.size() - 1); }
  // The end of e that is not v (v must be an end of e).
  std::int32_t other(std::int32_t e, std::int32_t v) const {
    return first[at(e)] == v ? second[at(e)] : first[at(e)];
  }
};

// Colours 0/1 of a two-colouring, or an empty vector when the graph has an odd cycle. Every
// component is coloured from its lowest vertex with colour 0.
std::vector<std::int8_t> twoColouring(const SimpleGraph& g);

// Whether every vertex is reachable from vertex 0 (true for the empty graph).
bool isConnected(const SimpleGraph& g);

// Whether removing some single vertex disconnects a connected graph.
bool hasCutVertex(const SimpleGraph& g);

// A seed made from the order, size and edge list of g: the searches draw their random choices
// from it, so a graph gets the same work wherever it stands in a stream. O(n + m).
std::uint64_t graphSeed(const SimpleGraph& g);

// Whether cycle lists every vertex of g exactly once and each consecutive pair, the last and
// the first included, is an edge of g.
bool isHamiltonianCycle(const SimpleGraph& g, std::span<const std::int32_t> cycle);
// Starts the cycle at vertex 0 and runs it towards the smaller of 0's two cycle neighbours.
void normaliseCycle(std::vector<std::int32_t>& cycle);

}  // namespace bicubic::exact
