// bicubic-compose: builds the peers benchmark graphs (graph6, one line each), self-contained so
// that it does not depend on the checker's library layout.
//   random N SEED                   a random connected cubic bipartite graph of N vertices
//   nested N SEED FILE              FILE's graph G1 nested into itself until N vertices: each step
//                                   replaces an edge's two ends by G1 minus an edge's two ends
//   splice N SEED COUNT FILE        COUNT copies of FILE's graph minus a vertex, each spliced through
//                                   its own 3-edge cut into one random host; N vertices in all
//   splice-random N SEED COUNT P    the same with pieces cut from random P-vertex graphs
//   insert N SEED COUNT FILE        COUNT copies of FILE's graph minus an edge's two ends, each in
//                                   place of an edge's two ends of a random host (4-edge cuts)
//   check [--cuts]                  reads graph6 on standard input; per graph prints n, cubic,
//                                   bipartite, connected and (--cuts) whether a cyclic edge cut of
//                                   at most 3 edges exists; exit 1 if any graph is not a connected
//                                   cubic bipartite graph
// Outputs are relabelled at random (seeded) so that no structure shows in the vertex order; a
// first argument --sparse6 writes sparse6 instead of graph6 (for graphs of 10^5 vertices and up).
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <numeric>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "exact/rng.h"
#include "graph6_io.h"

namespace {

using bicubic::exact::Rng;
using bench::Adjacency;
using bench::decodeGraph6;
using bench::encodeGraph6;

constexpr int kDegree = 3;
constexpr int kMaxAttempts = 1000;
constexpr int kMaxCutSize = 3;

Adjacency readFirstGraph(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(">>graph6<<", 0) == 0) line.erase(0, 10);
    if (!line.empty()) return decodeGraph6(line);
  }
  throw std::runtime_error("no graph6 line in " + path);
}

// ---- small graph operations --------------------------------------------------------------

void addEdge(Adjacency& adj, int v, int w) {
  adj[v].push_back(w);
  adj[w].push_back(v);
}

bool hasEdge(const Adjacency& adj, int v, int w) {
  return std::find(adj[v].begin(), adj[v].end(), w) != adj[v].end();
}

// Appends `piece` as a new component; returns the offset of its vertex numbers.
int appendComponent(Adjacency& adj, const Adjacency& piece) {
  const int offset = static_cast<int>(adj.size());
  for (const auto& row : piece) {
    adj.emplace_back();
    for (int w : row) adj.back().push_back(w + offset);
  }
  return offset;
}

// Removes the listed vertices with their edges and renumbers the rest densely.
Adjacency withoutVertices(const Adjacency& adj, const std::vector<int>& removed) {
  std::vector<int> newIndex(adj.size(), 0);
  for (int v : removed) newIndex[v] = -1;
  int next = 0;
  for (auto& index : newIndex) index = index < 0 ? -1 : next++;
  Adjacency out(static_cast<std::size_t>(next));
  for (std::size_t v = 0; v < adj.size(); ++v) {
    if (newIndex[v] < 0) continue;
    for (int w : adj[v])
      if (newIndex[w] >= 0) out[newIndex[v]].push_back(newIndex[w]);
  }
  return out;
}

// Neighbours of v other than `except`.
std::vector<int> otherNeighbours(const Adjacency& adj, int v, int except) {
  std::vector<int> out;
  for (int w : adj[v])
    if (w != except) out.push_back(w);
  return out;
}

Adjacency shuffled(const Adjacency& adj, Rng& rng) {
  std::vector<int> label(adj.size());
  std::iota(label.begin(), label.end(), 0);
  for (std::size_t i = label.size(); i > 1; --i) std::swap(label[i - 1], label[rng.below(static_cast<std::uint32_t>(i))]);
  Adjacency out(adj.size());
  for (std::size_t v = 0; v < adj.size(); ++v)
    for (int w : adj[v]) out[label[v]].push_back(label[w]);
  return out;
}

// Colour 0/1 per vertex by breadth-first search, or nullopt when an odd cycle exists.
std::optional<std::vector<int>> twoColouring(const Adjacency& adj) {
  std::vector<int> colour(adj.size(), -1);
  std::vector<int> queue;
  for (std::size_t start = 0; start < adj.size(); ++start) {
    if (colour[start] >= 0) continue;
    colour[start] = 0;
    queue.assign(1, static_cast<int>(start));
    for (std::size_t head = 0; head < queue.size(); ++head) {
      const int v = queue[head];
      for (int w : adj[v]) {
        if (colour[w] < 0) {
          colour[w] = 1 - colour[v];
          queue.push_back(w);
        } else if (colour[w] == colour[v]) {
          return std::nullopt;
        }
      }
    }
  }
  return colour;
}

bool isCubic(const Adjacency& adj) {
  for (std::size_t v = 0; v < adj.size(); ++v) {
    if (adj[v].size() != kDegree) return false;
    for (int w : adj[v])
      if (w == static_cast<int>(v) || std::count(adj[v].begin(), adj[v].end(), w) != 1) return false;
  }
  return true;
}

// Component number per vertex, skipping the edges listed in `cut` (pairs v < w).
int components(const Adjacency& adj, const std::vector<std::pair<int, int>>& cut, std::vector<int>& component) {
  auto isCut = [&](int v, int w) {
    const auto e = std::minmax(v, w);
    return std::find(cut.begin(), cut.end(), std::pair<int, int>(e.first, e.second)) != cut.end();
  };
  component.assign(adj.size(), -1);
  int count = 0;
  std::vector<int> stack;
  for (std::size_t start = 0; start < adj.size(); ++start) {
    if (component[start] >= 0) continue;
    component[start] = count;
    stack.assign(1, static_cast<int>(start));
    while (!stack.empty()) {
      const int v = stack.back();
      stack.pop_back();
      for (int w : adj[v]) {
        if (component[w] < 0 && !isCut(v, w)) {
          component[w] = count;
          stack.push_back(w);
        }
      }
    }
    ++count;
  }
  return count;
}

// ---- random hosts ------------------------------------------------------------------------

// Union of three random perfect matchings between the colour classes {0..h-1} and {h..2h-1};
// each matching is repaired by swaps until it repeats no edge of the earlier ones, and the whole
// graph is redrawn until it is connected.
Adjacency randomCubicBipartite(int n, Rng& rng) {
  if (n < 6 || n % 2 != 0) throw std::runtime_error("random graphs need an even order >= 6");
  const int half = n / 2;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    Adjacency adj(static_cast<std::size_t>(n));
    bool stuck = false;
    for (int round = 0; round < kDegree && !stuck; ++round) {
      std::vector<int> mate(static_cast<std::size_t>(half));
      std::iota(mate.begin(), mate.end(), half);
      for (int i = half; i > 1; --i) std::swap(mate[i - 1], mate[rng.below(static_cast<std::uint32_t>(i))]);
      for (int tries = 0;; ++tries) {
        int clash = -1;
        for (int a = 0; a < half && clash < 0; ++a)
          if (hasEdge(adj, a, mate[a])) clash = a;
        if (clash < 0) break;
        if (tries > kMaxAttempts * half) {
          stuck = true;
          break;
        }
        std::swap(mate[clash], mate[rng.below(static_cast<std::uint32_t>(half))]);
      }
      if (!stuck)
        for (int a = 0; a < half; ++a) addEdge(adj, a, mate[a]);
    }
    std::vector<int> component;
    if (!stuck && components(adj, {}, component) == 1) return adj;
  }
  throw std::runtime_error("could not draw a connected random graph");
}

// ---- compositions ------------------------------------------------------------------------

// Replaces a random edge uv of `g` by the 52-vertex piece `base` minus the two ends of its edge
// xy: u's other neighbours are joined to x's, v's to y's. The result stays cubic; it stays
// bipartite because the piece is joined as a separate component (its colours can be swapped to
// fit). A Hamiltonian cycle of the result would cross the 4-edge cut around the piece in 2 or 4
// edges; 2 edges at the same end are impossible by parity (the piece is balanced, a path between
// two ports of one colour is not), a path from an x-port to a y-port closes through xy into a
// Hamiltonian cycle of `base`, two paths pairing x- with y-ports close through x and y into one,
// and two paths pairing x-ports and y-ports leave the outside with two paths pairing u- with
// v-ports, which close into a Hamiltonian cycle of `g`. So the result has none if neither has.
// The graph is grown in place: vertices keep the number they were made with, the removed ones
// are only marked, and a Fenwick tree over the live ones picks the u of the dense numbering
// (the live vertices in order of making), so a step costs O(base + log n) and the graph drawn
// is the one a copy renumbered after each step would give.
class NestedGraph {
 public:
  NestedGraph(const Adjacency& start, std::size_t capacity) : adj_(start), alive_(start.size(), 1), tree_(capacity + 1, 0) {
    adj_.reserve(capacity);
    alive_.reserve(capacity);
    for (std::size_t v = 0; v < start.size(); ++v) add(v, 1);
    live_ = start.size();
  }
  std::size_t size() const { return live_; }

  void nestOnce(const Adjacency& base, Rng& rng) {
    const int u = select(rng.below(static_cast<std::uint32_t>(live_)));
    const int v = adj_[u][rng.below(kDegree)];
    const int x = static_cast<int>(rng.below(static_cast<std::uint32_t>(base.size())));
    const int y = base[x][rng.below(kDegree)];
    const auto uPorts = otherNeighbours(adj_, u, v), vPorts = otherNeighbours(adj_, v, u);
    const auto xPorts = otherNeighbours(base, x, y), yPorts = otherNeighbours(base, y, x);
    const int offset = appendComponent(adj_, base);
    alive_.resize(adj_.size(), 1);
    for (std::size_t w = static_cast<std::size_t>(offset); w < adj_.size(); ++w) add(w, 1);
    live_ += base.size();
    for (std::size_t i = 0; i < uPorts.size(); ++i) {
      addEdge(adj_, uPorts[i], xPorts[i] + offset);
      addEdge(adj_, vPorts[i], yPorts[i] + offset);
    }
    for (int r : {u, v, x + offset, y + offset}) remove(r);
  }

  // The live vertices renumbered densely in order of making.
  Adjacency dense() const {
    std::vector<int> index(adj_.size(), -1);
    int next = 0;
    for (std::size_t v = 0; v < adj_.size(); ++v)
      if (alive_[v]) index[v] = next++;
    Adjacency out(static_cast<std::size_t>(next));
    for (std::size_t v = 0; v < adj_.size(); ++v)
      if (alive_[v])
        for (int w : adj_[v]) out[static_cast<std::size_t>(index[v])].push_back(index[w]);
    return out;
  }

 private:
  void add(std::size_t v, int delta) {
    for (std::size_t i = v + 1; i < tree_.size(); i += i & (~i + 1)) tree_[i] += delta;
  }
  // The live vertex of rank k (0-based).
  int select(std::uint32_t k) const {
    std::size_t pos = 0;
    std::size_t step = 1;
    while (step * 2 < tree_.size()) step *= 2;
    long remaining = static_cast<long>(k) + 1;
    for (; step > 0; step /= 2) {
      if (pos + step < tree_.size() && tree_[pos + step] < remaining) {
        pos += step;
        remaining -= tree_[pos];
      }
    }
    return static_cast<int>(pos);
  }
  // Drops r from its neighbours' lists (their order kept) and from the live set.
  void remove(int r) {
    for (int w : adj_[r]) {
      auto& list = adj_[w];
      list.erase(std::remove(list.begin(), list.end(), r), list.end());
    }
    adj_[r].clear();
    alive_[r] = 0;
    add(static_cast<std::size_t>(r), -1);
    --live_;
  }

  Adjacency adj_;
  std::vector<char> alive_;
  std::vector<long> tree_;
  std::size_t live_ = 0;
};

// Nests base `steps` times into start.
Adjacency nestRepeatedly(const Adjacency& start, const Adjacency& base, long steps, Rng& rng) {
  NestedGraph g(start, start.size() + static_cast<std::size_t>(steps) * base.size());
  for (long i = 0; i < steps; ++i) g.nestOnce(base, rng);
  return g.dense();
}

// Vertices of `host` whose closed neighbourhoods are pairwise disjoint, so that every removed
// vertex leaves exactly three loose ends.
std::vector<int> spreadVertices(const Adjacency& host, int count, Rng& rng) {
  std::vector<bool> blocked(host.size(), false);
  std::vector<int> chosen;
  for (int tries = 0; static_cast<int>(chosen.size()) < count; ++tries) {
    if (tries > kMaxAttempts * count) throw std::runtime_error("host too small for the pieces");
    const int h = static_cast<int>(rng.below(static_cast<std::uint32_t>(host.size())));
    bool free = !blocked[h];
    for (int w : host[h]) free = free && !blocked[w];
    if (!free) continue;
    chosen.push_back(h);
    // Block distance <= 2 so the next neighbourhood cannot touch this one.
    for (int w : host[h])
      for (int z : host[w]) blocked[z] = true;
    blocked[h] = true;
    for (int w : host[h]) blocked[w] = true;
  }
  return chosen;
}

// Splices each piece (a graph that loses one vertex) into the host through a 3-edge cut: a host
// vertex h and the piece vertex p go, h's neighbours are joined to p's. A Hamiltonian cycle of the
// result crosses each such cut in exactly 2 edges, so it would give the piece a Hamiltonian path
// between two neighbours of p, that is a Hamiltonian cycle through p in the piece's graph.
Adjacency spliceAll(const Adjacency& host, const std::vector<Adjacency>& pieces, Rng& rng) {
  const auto hostVertices = spreadVertices(host, static_cast<int>(pieces.size()), rng);
  Adjacency out = host;
  std::vector<int> removed = hostVertices;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const int offset = appendComponent(out, pieces[i]);
    const int p = offset + static_cast<int>(rng.below(static_cast<std::uint32_t>(pieces[i].size())));
    for (int k = 0; k < kDegree; ++k) addEdge(out, host[hostVertices[i]][k], out[p][k]);
    removed.push_back(p);
  }
  return withoutVertices(out, removed);
}

// ---- self-check --------------------------------------------------------------------------

// Smallest k <= kMaxCutSize such that deleting k edges leaves two components that each hold a
// cycle (a cyclic edge cut), or 0 when there is none that small. Brute force over edge sets:
// O(m^3 n), meant for graphs of a few hundred vertices.
int smallestCyclicCut(const Adjacency& adj) {
  std::vector<std::pair<int, int>> edges;
  for (std::size_t v = 0; v < adj.size(); ++v)
    for (int w : adj[v])
      if (static_cast<int>(v) < w) edges.emplace_back(static_cast<int>(v), w);
  std::vector<int> component;
  // Exactly two sides, every cut edge between them, and a cycle on each side: in a cubic graph a
  // connected side of s vertices with c cut ends keeps (3s - c)/2 edges, so it holds a cycle
  // exactly when s >= c.
  auto isCyclicCut = [&](const std::vector<std::pair<int, int>>& cut) {
    if (components(adj, cut, component) != 2) return false;
    for (const auto& e : cut)
      if (component[e.first] == component[e.second]) return false;
    const auto sideOne = std::count(component.begin(), component.end(), 1);
    const auto sideZero = static_cast<long>(component.size()) - sideOne;
    const auto ends = static_cast<long>(cut.size());
    return sideZero >= ends && sideOne >= ends;
  };
  const std::size_t m = edges.size();
  for (std::size_t a = 0; a < m; ++a) {
    for (std::size_t b = a + 1; b < m; ++b) {
      if (isCyclicCut({edges[a], edges[b]})) return 2;
    }
  }
  for (std::size_t a = 0; a < m; ++a)
    for (std::size_t b = a + 1; b < m; ++b)
      for (std::size_t c = b + 1; c < m; ++c)
        if (isCyclicCut({edges[a], edges[b], edges[c]})) return kMaxCutSize;
  return 0;
}

int checkGraphs(bool withCuts) {
  std::string line;
  int index = 0;
  bool allGood = true;
  while (std::getline(std::cin, line)) {
    if (line.rfind(">>graph6<<", 0) == 0) line.erase(0, 10);
    if (line.empty()) continue;
    const Adjacency adj = decodeGraph6(line);
    std::vector<int> component;
    const bool cubic = isCubic(adj);
    const bool bipartite = twoColouring(adj).has_value();
    const bool connected = !adj.empty() && components(adj, {}, component) == 1;
    allGood = allGood && cubic && bipartite && connected;
    std::printf("%d\tn=%zu\tcubic=%s\tbipartite=%s\tconnected=%s", ++index, adj.size(), cubic ? "yes" : "NO",
                bipartite ? "yes" : "NO", connected ? "yes" : "NO");
    if (withCuts && cubic && connected) {
      const int cut = smallestCyclicCut(adj);
      if (cut == 0)
        std::printf("\tcyclic-cut<=3=none");
      else
        std::printf("\tcyclic-cut<=3=%d", cut);
    }
    std::printf("\n");
  }
  return allGood && index > 0 ? 0 : 1;
}

int usage() {
  std::fputs(
      "usage: bicubic-compose [--sparse6] random N SEED | nested N SEED FILE | splice N SEED COUNT FILE |\n"
      "       splice-random N SEED COUNT P | insert N SEED COUNT FILE | check [--cuts]\n",
      stderr);
  return 2;
}

long number(const char* text) { return std::strtol(text, nullptr, 10); }

// Random host of the order that makes `count` pieces of `pieceOrder - 1` vertices add up to n.
Adjacency spliceTo(long n, long count, long pieceOrder, const std::vector<Adjacency>& pieces, Rng& rng) {
  const long hostOrder = n - count * (pieceOrder - 1) + count;
  if (hostOrder < 6 || hostOrder % 2 != 0) throw std::runtime_error("no even host order fits N");
  return spliceAll(randomCubicBipartite(static_cast<int>(hostOrder), rng), pieces, rng);
}

}  // namespace

int main(int argc, char** argv) {
  try {
    // --sparse6 first: the output in sparse6 (graph6 needs n^2/6 bytes: 166 GB at 10^6 vertices).
    const bool sparse6 = argc > 1 && std::string(argv[1]) == "--sparse6";
    if (sparse6) ++argv, --argc;
    if (argc < 2) return usage();
    const std::string kind = argv[1];
    if (kind == "check") return checkGraphs(argc > 2 && std::string(argv[2]) == "--cuts");
    if (argc < 4) return usage();
    const long n = number(argv[2]);
    Rng rng(std::strtoull(argv[3], nullptr, 10));
    Adjacency g;
    if (kind == "random") {
      g = randomCubicBipartite(static_cast<int>(n), rng);
    } else if (kind == "nested" && argc == 5) {
      const Adjacency base = readFirstGraph(argv[4]);
      const long step = static_cast<long>(base.size()) - 4;
      if (step <= 0 || n < static_cast<long>(base.size()) || (n - static_cast<long>(base.size())) % step != 0)
        throw std::runtime_error("N must be the base order plus a multiple of (base order - 4)");
      g = nestRepeatedly(base, base, (n - static_cast<long>(base.size())) / step, rng);
    } else if ((kind == "splice" || kind == "splice-random") && argc == 6) {
      const long count = number(argv[4]);
      if (count < 1) return usage();
      std::vector<Adjacency> pieces;
      for (long i = 0; i < count; ++i)
        pieces.push_back(kind == "splice" ? readFirstGraph(argv[5])
                                          : randomCubicBipartite(static_cast<int>(number(argv[5])), rng));
      g = spliceTo(n, count, static_cast<long>(pieces.front().size()), pieces, rng);
    } else if (kind == "insert" && argc == 6) {
      const long count = number(argv[4]);
      const Adjacency base = readFirstGraph(argv[5]);
      const long hostOrder = n - count * (static_cast<long>(base.size()) - 4);
      if (count < 1 || hostOrder < 6 || hostOrder % 2 != 0) throw std::runtime_error("no even host order fits N");
      g = nestRepeatedly(randomCubicBipartite(static_cast<int>(hostOrder), rng), base, count, rng);
    } else {
      return usage();
    }
    if (static_cast<long>(g.size()) != n) throw std::runtime_error("built graph has the wrong order");
    const Adjacency out = shuffled(g, rng);
    std::printf("%s\n", (sparse6 ? bench::encodeSparse6(out) : encodeGraph6(out)).c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bicubic-compose: %s\n", e.what());
    return 1;
  }
}
