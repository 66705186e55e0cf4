// bicubic-gecode-circuit: Hamiltonian cycle by Gecode's circuit constraint, one answer line per
// graph6 line of FILE: hamiltonian | non-hamiltonian. Each vertex gets a successor variable whose
// domain is its neighbour set; circuit() makes the successors one cycle through every vertex. The
// search is complete, so an exhausted search is a proof that no cycle exists; a found cycle is
// checked against the edges before it is reported.
#include <gecode/int.hh>
#include <gecode/search.hh>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "../graph6_io.h"

namespace {

using bench::Adjacency;

class CircuitModel : public Gecode::Space {
 public:
  explicit CircuitModel(const Adjacency& adj) : successor_(*this, static_cast<int>(adj.size()), 0,
                                                           static_cast<int>(adj.size()) - 1) {
    for (std::size_t v = 0; v < adj.size(); ++v) {
      std::vector<int> neighbours(adj[v].begin(), adj[v].end());
      Gecode::dom(*this, successor_[static_cast<int>(v)], Gecode::IntSet(neighbours.data(), static_cast<int>(neighbours.size())));
    }
    Gecode::circuit(*this, successor_, Gecode::IPL_DOM);
    Gecode::branch(*this, successor_, Gecode::INT_VAR_SIZE_MIN(), Gecode::INT_VAL_MIN());
  }
  CircuitModel(CircuitModel& other) : Gecode::Space(other) { successor_.update(*this, other.successor_); }
  Gecode::Space* copy() override { return new CircuitModel(*this); }  // Gecode's cloning protocol
  int successor(int v) const { return successor_[v].val(); }

 private:
  Gecode::IntVarArray successor_;
};

// True when the successors form one cycle through all vertices along edges of adj.
bool isHamiltonianCycle(const Adjacency& adj, const CircuitModel& solution) {
  const int n = static_cast<int>(adj.size());
  std::vector<bool> seen(adj.size(), false);
  int v = 0;
  for (int step = 0; step < n; ++step) {
    if (seen[v]) return false;
    seen[v] = true;
    const int next = solution.successor(v);
    bool isEdge = false;
    for (int w : adj[v]) isEdge = isEdge || w == next;
    if (!isEdge) return false;
    v = next;
  }
  return v == 0;
}

// 1 Hamiltonian, 0 not, -1 a cycle came back that fails the check (a solver fault).
int decide(const Adjacency& adj) {
  if (adj.size() < 3) return 0;
  CircuitModel root(adj);
  if (root.status() == Gecode::SS_FAILED) return 0;
  Gecode::DFS<CircuitModel> search(&root);
  std::unique_ptr<CircuitModel> solution(search.next());
  if (!solution) return 0;
  return isHamiltonianCycle(adj, *solution) ? 1 : -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: bicubic-gecode-circuit FILE.g6\n", stderr);
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::fprintf(stderr, "bicubic-gecode-circuit: cannot read %s\n", argv[1]);
    return 1;
  }
  std::string line;
  try {
    while (std::getline(in, line)) {
      if (line.rfind(">>graph6<<", 0) == 0) line.erase(0, 10);
      if (line.empty()) continue;
      const int answer = decide(bench::decodeGraph6(line));
      if (answer < 0) {
        std::fputs("bicubic-gecode-circuit: returned cycle fails the edge check\n", stderr);
        return 1;
      }
      std::puts(answer ? "hamiltonian" : "non-hamiltonian");
      std::fflush(stdout);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bicubic-gecode-circuit: %s\n", e.what());
    return 1;
  }
  return 0;
}
