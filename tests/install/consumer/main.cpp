// Decides the cube (Hamiltonian) and the Petersen graph (not) through the installed public
// header, and exits non-zero unless both answers and the cube's cycle are right.
#include <cstdio>
#include <vector>

#include "exact/hamiltonian.h"

int main() {
  using namespace bicubic::exact;
  const std::vector<Edge> cube = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                  {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  std::vector<Edge> petersen;
  for (std::int32_t i = 0; i < 5; ++i) {
    petersen.emplace_back(i, (i + 1) % 5);
    petersen.emplace_back(i, i + 5);
    petersen.emplace_back(5 + i, 5 + (i + 2) % 5);
  }
  const Result yes = findHamiltonianCycle(8, cube);
  SimpleGraph g(8);
  for (const auto& [u, v] : cube) g.addEdge(u, v);
  HamiltonianSolver solver;
  const Result no = solver.solve(10, petersen);
  std::printf("cube %s by %s, petersen %s by %s, %zu settings\n",
              yes.answer == Answer::Hamiltonian ? "hamiltonian" : "not hamiltonian",
              std::string(stageName(yes.decidedBy)).c_str(),
              no.answer == Answer::NonHamiltonian ? "non-hamiltonian" : "not non-hamiltonian",
              std::string(stageName(no.decidedBy)).c_str(), settingsTable().size());
  const bool right = yes.answer == Answer::Hamiltonian && isHamiltonianCycle(g, yes.cycle) &&
                     no.answer == Answer::NonHamiltonian && !settingsTable().empty();
  return right ? 0 : 1;
}
