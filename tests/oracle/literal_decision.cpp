#include "oracle/literal_decision.h"

#include <vector>

#include "oracle/literal_assignment.h"
#include "oracle/literal_powers.h"

namespace bicubic::literal {

namespace {

void walkCycle(const HalfGraph& half, std::vector<std::int32_t>& cycleLabel, std::int32_t red, std::int32_t& next) {
  const std::int32_t m = half.m;
  if (red >= m || next > 2 * m || red < 0 || cycleLabel[static_cast<std::size_t>(red)] > 0) return;
  cycleLabel[static_cast<std::size_t>(red)] = next++;
  for (std::int32_t c = 0; c < m; ++c) {
    if (half.getEdge(red, c) != 0 && cycleLabel[static_cast<std::size_t>(m + c)] < 1) {
      cycleLabel[static_cast<std::size_t>(m + c)] = next++;
      for (std::int32_t r = 0; r < m; ++r) {
        if (half.getEdge(r, c) != 0 && cycleLabel[static_cast<std::size_t>(r)] == 0) {
          walkCycle(half, cycleLabel, r, next);
          break;
        }
      }
      return;
    }
  }
}

void countAndStart(const std::vector<std::int32_t>& cycleLabel, std::int32_t& count, std::int32_t& start) {
  count = 1;
  start = -1;
  for (std::size_t i = 0; i < cycleLabel.size(); ++i) {
    if (cycleLabel[i] != 0) {
      ++count;
    } else if (start == -1) {
      start = static_cast<std::int32_t>(i);
    }
  }
}

}  // namespace

void decideHamiltonian(HalfGraph& half, OutputSink& out) {
  solveAssignment(half, "max", out);
  const std::int32_t m = half.m;
  std::vector<std::int32_t> cycleLabel(2 * static_cast<std::size_t>(m), 0);
  for (std::int32_t i = 0; i < m; ++i) {
    const Pair& pair = half.pairs[static_cast<std::size_t>(i)];
    out << "\narray(" << pair.row + 1 << ',' << pair.col + 1 << ") =" << half.getEdge(pair.row, pair.col);
    half.setEdge(pair.row, pair.col, 0);
  }

  std::int32_t counter = 1;
  walkCycle(half, cycleLabel, 0, counter);
  std::int32_t count = 0;
  std::int32_t start = 0;
  countAndStart(cycleLabel, count, start);
  const std::int32_t firstCount = count;
  for (;;) {
    out << "reoutput the data-------------=" << count << '\n';
    if (start == -1) break;
    counter = count;
    walkCycle(half, cycleLabel, start, counter);
    std::int32_t newCount = 0;
    std::int32_t newStart = 0;
    countAndStart(cycleLabel, newCount, newStart);
    if (newCount == count || newCount >= 2 * m) break;
    count = newCount;
    start = newStart;
  }

  std::vector<std::int32_t> matchMatrix(static_cast<std::size_t>(m) * static_cast<std::size_t>(m), 0);
  for (std::int32_t i = 0; i < m; ++i) {
    const Pair& pair = half.pairs[static_cast<std::size_t>(i)];
    const std::int32_t a = (cycleLabel[static_cast<std::size_t>(pair.row)] - 1) / 2;
    const std::int32_t b = (cycleLabel[static_cast<std::size_t>(m + pair.col)] - 1) / 2;
    matchMatrix[static_cast<std::size_t>(a * m + b)] = 1;
  }
  auto statusVerdict = [&] {
    out << (half.getParentStatus() == 2 ? "\nBicubic is H\n" : "\nSince it is not Bicubic , so it may be H \n");
  };
  if (firstCount / 2 == m) {
    statusVerdict();
    return;
  }
  const PowerLoopResult loop = runPowerLoop(matchMatrix.data(), m, firstCount / 2);
  out << "b^" << loop.stopPower << " Stop ";
  if (!loop.diagonalAllOnes) {
    out << "\nGraph is not H\n";
  } else {
    statusVerdict();
  }
}

}  // namespace bicubic::literal
