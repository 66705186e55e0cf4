#include "oracle/literal_powers.h"

namespace bicubic::literal {

PowerLoopResult runPowerLoop(const std::int32_t* matchMatrix, std::int32_t m, std::int32_t walkedReds) {
  OutputSink ignored = OutputSink::discarding();
  Matrix power(matchMatrix, m, m, ignored);
  Matrix factor(matchMatrix, m, m, ignored);
  const std::int32_t limit = m - m % 2;
  bool allOnes = true;
  std::int32_t k = 1;
  while (k < limit) {
    power.boolMultiply(factor);
    allOnes = power.diagonalEquals(1);
    if (allOnes && k < walkedReds) break;
    ++k;
  }
  return {k + 1, allOnes};
}

}  // namespace bicubic::literal
