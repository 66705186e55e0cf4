// SmallSearch: exhaustive Hamiltonian cycle search for graphs of at most 64 vertices and degree 3,
// in fixed-size storage (no allocation per graph). After each propagation every vertex has at most
// two in-edges and at least two available, and the in-edges form paths; a node costs O(n) at most.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <vector>

#include "exact/hamiltonian.h"
#include "exact/simple_graph.h"

namespace bicubic::exact {

class SmallSearch {
 public:
  static constexpr std::int32_t kMaxOrder = 64;
  static constexpr std::int32_t kMaxDegree = 3;
  static constexpr std::int32_t kMaxEdges = kMaxOrder * kMaxDegree / 2;

  // Takes g for the next run. False when g has more than kMaxOrder vertices or a vertex of degree
  // above kMaxDegree; the solver then refuses to run until a load succeeds.
  bool load(const SimpleGraph& g);

  // Decides the loaded graph. Hamiltonian: cycle holds every vertex once, in cycle order.
  // NonHamiltonian only after the whole search tree was refuted; Unknown when nodeLimit search
  // nodes did not suffice or no graph is loaded.
  Answer run(std::vector<std::int32_t>& cycle,
             std::int64_t nodeLimit = std::numeric_limits<std::int64_t>::max());
  // Search nodes visited by the last run.
  std::int64_t nodes() const { return nodes_; }
  std::int32_t order() const { return n_; }

 private:
  using Vertex = std::uint8_t;
  using Edge = std::uint8_t;
  using VertexSet = std::uint64_t;
  enum : std::uint8_t { kUnknown = 0, kIn = 1, kOut = 2 };
  enum class Outcome { Found, Refuted, Aborted };
  // One edge decision; for an in-edge, a and b are the far ends of the two paths it joined.
  struct Decision {
    Edge edge;
    Vertex a;
    Vertex b;
  };

  bool addEdge(std::int32_t u, std::int32_t v);
  void resetState();
  bool quickRefutation() const;
  bool setIn(Edge e);
  bool setOut(Edge e);
  bool settle(Vertex v);
  bool propagate();
  void undo(std::int32_t mark);
  Edge chooseEdge() const;
  Outcome search();
  void extractCycle(std::vector<std::int32_t>& cycle) const;

  bool loaded_ = false;
  std::int32_t n_ = 0;
  std::int32_t m_ = 0;
  std::array<std::uint8_t, kMaxOrder> degree_{};
  std::array<std::array<Edge, kMaxDegree>, kMaxOrder> incident_{};
  std::array<Vertex, kMaxEdges> tail_{}, head_{};

  std::array<std::uint8_t, kMaxEdges> state_{};
  std::array<std::uint8_t, kMaxOrder> inDegree_{}, unknownDegree_{};
  // For a vertex with one in-edge, the other end of its path; for a vertex with none, itself.
  std::array<Vertex, kMaxOrder> pathEnd_{};
  // Neighbours through edges that are not out.
  std::array<VertexSet, kMaxOrder> available_{};
  VertexSet pathEnds_ = 0;  // vertices with exactly one in-edge
  VertexSet allVertices_ = 0;
  std::int32_t inCount_ = 0;

  std::array<Decision, kMaxEdges> trail_{};
  std::int32_t trailSize_ = 0;
  // Every decision pushes its two endpoints once, so one propagation queues at most this many.
  std::array<Vertex, 2 * kMaxEdges + kMaxOrder> queue_{};
  std::int32_t queueSize_ = 0;

  std::int64_t nodeLimit_ = 0;
  std::int64_t nodes_ = 0;
};

}  // namespace bicubic::exact
