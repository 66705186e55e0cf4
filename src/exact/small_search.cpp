#include "exact/small_search.h"

#include <bit>

#include "exact/index.h"

namespace bicubic::exact {

namespace {

constexpr std::uint64_t bit(std::int32_t v) { return std::uint64_t{1} << v; }

int lowest(std::uint64_t set) { return std::countr_zero(set); }

}  // namespace

bool SmallSearch::addEdge(std::int32_t u, std::int32_t v) {
  if (degree_[at(u)] == kMaxDegree || degree_[at(v)] == kMaxDegree) return false;
  const auto e = static_cast<Edge>(m_++);
  tail_[e] = static_cast<Vertex>(u);
  head_[e] = static_cast<Vertex>(v);
  incident_[at(u)][degree_[at(u)]++] = e;
  incident_[at(v)][degree_[at(v)]++] = e;
  return true;
}

bool SmallSearch::load(const SimpleGraph& g) {
  loaded_ = false;
  const std::int32_t n = g.order();
  if (n > kMaxOrder) return false;
  for (std::int32_t v = 0; v < n; ++v) {
    if (g.degree(v) > kMaxDegree) return false;
  }
  n_ = n;
  m_ = 0;
  degree_.fill(0);
  // Edges by higher endpoint, then lower: the order graph6 lists them in.
  for (std::int32_t v = 0; v < n; ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (w < v) addEdge(w, v);
    }
  }
  loaded_ = true;
  return true;
}

void SmallSearch::resetState() {
  allVertices_ = n_ == kMaxOrder ? ~VertexSet{0} : bit(n_) - 1;
  for (std::int32_t e = 0; e < m_; ++e) state_[at(e)] = kUnknown;
  for (std::int32_t v = 0; v < n_; ++v) {
    inDegree_[at(v)] = 0;
    unknownDegree_[at(v)] = degree_[at(v)];
    pathEnd_[at(v)] = static_cast<Vertex>(v);
    VertexSet neighbours = 0;
    for (std::int32_t k = 0; k < degree_[at(v)]; ++k) {
      const Edge e = incident_[at(v)][at(k)];
      neighbours |= bit(tail_[e] ^ head_[e] ^ v);
    }
    available_[at(v)] = neighbours;
  }
  pathEnds_ = 0;
  inCount_ = 0;
  trailSize_ = 0;
  queueSize_ = 0;
}

// Necessary conditions that refute many non-Hamiltonian inputs before any search: a vertex of
// degree below two, a disconnected graph, or a bipartite graph with unequal colour classes (a
// Hamiltonian cycle alternates between them). One breadth-first pass colours and counts.
bool SmallSearch::quickRefutation() const {
  for (std::int32_t v = 0; v < n_; ++v) {
    if (degree_[at(v)] < 2) return true;
  }
  VertexSet colour[2] = {1, 0};
  VertexSet seen = 1, todo = 1;
  bool bipartite = true;
  while (todo != 0) {
    const int v = lowest(todo);
    todo &= todo - 1;
    const int side = (colour[1] >> v) & 1;
    if ((available_[at(v)] & colour[side]) != 0) bipartite = false;
    const VertexSet fresh = available_[at(v)] & ~seen;
    colour[1 - side] |= fresh;
    seen |= fresh;
    todo |= fresh;
  }
  if (seen != allVertices_) return true;
  return bipartite && std::popcount(colour[0]) != std::popcount(colour[1]);
}

bool SmallSearch::setOut(Edge e) {
  const Vertex u = tail_[e], v = head_[e];
  state_[e] = kOut;
  --unknownDegree_[u];
  --unknownDegree_[v];
  available_[u] &= ~bit(v);
  available_[v] &= ~bit(u);
  trail_[at(trailSize_++)] = {e, u, v};
  queue_[at(queueSize_++)] = u;
  queue_[at(queueSize_++)] = v;
  return true;
}

// Joins the paths ending at u and v. Closing a path into a cycle is allowed only when the cycle
// covers every vertex; the edge that would close the new, longer path early is put out at once.
bool SmallSearch::setIn(Edge e) {
  const Vertex u = tail_[e], v = head_[e];
  if (inDegree_[u] == 2 || inDegree_[v] == 2) return false;
  const Vertex a = pathEnd_[u], b = pathEnd_[v];
  if (a == v && inCount_ + 1 != n_) return false;
  state_[e] = kIn;
  ++inDegree_[u];
  ++inDegree_[v];
  --unknownDegree_[u];
  --unknownDegree_[v];
  pathEnds_ ^= bit(u) ^ bit(v);
  ++inCount_;
  pathEnd_[a] = b;
  pathEnd_[b] = a;
  trail_[at(trailSize_++)] = {e, a, b};
  queue_[at(queueSize_++)] = u;
  queue_[at(queueSize_++)] = v;
  if (a != v && inCount_ + 1 < n_ && ((available_[a] >> b) & 1) != 0) {
    for (std::int32_t k = 0; k < degree_[a]; ++k) {
      const Edge closing = incident_[a][at(k)];
      if ((tail_[closing] ^ head_[closing] ^ a) == b && state_[closing] == kUnknown) setOut(closing);
    }
  }
  return true;
}

// Applies the forced moves at v: two in-edges drop the rest, exactly two available edges are
// both taken, fewer than two is a contradiction.
bool SmallSearch::settle(Vertex v) {
  const std::int32_t in = inDegree_[v], unknown = unknownDegree_[v];
  if (unknown == 0) return in == 2;
  if (in == 2) {
    for (std::int32_t k = 0; k < degree_[v]; ++k) {
      const Edge e = incident_[v][at(k)];
      if (state_[e] == kUnknown) setOut(e);
    }
    return true;
  }
  if (in + unknown < 2) return false;
  if (in + unknown == 2) {
    for (std::int32_t k = 0; k < degree_[v]; ++k) {
      const Edge e = incident_[v][at(k)];
      if (state_[e] == kUnknown && !setIn(e)) return false;
    }
  }
  return true;
}

bool SmallSearch::propagate() {
  while (queueSize_ > 0) {
    if (!settle(queue_[at(--queueSize_)])) {
      queueSize_ = 0;
      return false;
    }
  }
  return true;
}

void SmallSearch::undo(std::int32_t mark) {
  while (trailSize_ > mark) {
    const Decision d = trail_[at(--trailSize_)];
    const Vertex u = tail_[d.edge], v = head_[d.edge];
    ++unknownDegree_[u];
    ++unknownDegree_[v];
    if (state_[d.edge] == kIn) {
      --inDegree_[u];
      --inDegree_[v];
      pathEnds_ ^= bit(u) ^ bit(v);
      --inCount_;
      // Before the join u and v were the ends facing a and b (or a and b themselves).
      pathEnd_[d.a] = u;
      pathEnd_[d.b] = v;
    } else {
      available_[u] |= bit(v);
      available_[v] |= bit(u);
    }
    state_[d.edge] = kUnknown;
  }
}

// Extends a path: an unknown edge at a path end (its two unknown edges are then decided in one
// binary branch), towards the neighbour with the fewest unknown edges, whose choices propagation
// is most likely to force. Without path ends, an unknown edge at an uncovered vertex.
SmallSearch::Edge SmallSearch::chooseEdge() const {
  Vertex v = 0;
  if (pathEnds_ != 0) {
    v = static_cast<Vertex>(lowest(pathEnds_));
  } else {
    for (std::int32_t w = 0; w < n_; ++w) {
      if (inDegree_[at(w)] == 0) {
        v = static_cast<Vertex>(w);
        break;
      }
    }
  }
  Edge best = 0;
  std::int32_t bestScore = 1 << 8;
  for (std::int32_t k = 0; k < degree_[v]; ++k) {
    const Edge e = incident_[v][at(k)];
    if (state_[e] != kUnknown) continue;
    const Vertex w = tail_[e] ^ head_[e] ^ v;
    const std::int32_t score = unknownDegree_[w];
    if (score < bestScore) {
      bestScore = score;
      best = e;
    }
  }
  return best;
}

SmallSearch::Outcome SmallSearch::search() {
  if (inCount_ == n_) return Outcome::Found;
  if (++nodes_ > nodeLimit_) return Outcome::Aborted;
  const Edge e = chooseEdge();
  const std::int32_t mark = trailSize_;
  for (const std::uint8_t choice : {kIn, kOut}) {
    if ((choice == kIn ? setIn(e) : setOut(e)) && propagate()) {
      const Outcome outcome = search();
      if (outcome != Outcome::Refuted) return outcome;
    }
    undo(mark);
  }
  return Outcome::Refuted;
}

void SmallSearch::extractCycle(std::vector<std::int32_t>& cycle) const {
  cycle.resize(at(n_));
  std::int32_t previous = -1, current = 0;
  for (std::int32_t step = 0; step < n_; ++step) {
    cycle[at(step)] = current;
    const auto& edges = incident_[at(current)];
    for (std::int32_t k = 0;; ++k) {
      const Edge e = edges[at(k)];
      const std::int32_t w = tail_[e] ^ head_[e] ^ current;
      if (state_[e] == kIn && w != previous) {
        previous = current;
        current = w;
        break;
      }
    }
  }
}

Answer SmallSearch::run(std::vector<std::int32_t>& cycle, std::int64_t nodeLimit) {
  nodes_ = 0;
  cycle.clear();
  if (!loaded_) return Answer::Unknown;
  if (n_ < 3) return Answer::NonHamiltonian;
  resetState();
  if (quickRefutation()) return Answer::NonHamiltonian;
  for (std::int32_t v = 0; v < n_; ++v) queue_[at(queueSize_++)] = static_cast<Vertex>(v);
  if (!propagate()) return Answer::NonHamiltonian;
  nodeLimit_ = nodeLimit;
  switch (search()) {
    case Outcome::Found:
      extractCycle(cycle);
      return Answer::Hamiltonian;
    case Outcome::Refuted:
      return Answer::NonHamiltonian;
    case Outcome::Aborted:
      break;
  }
  return Answer::Unknown;
}

}  // namespace bicubic::exact
