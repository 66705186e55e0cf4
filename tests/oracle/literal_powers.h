// The power loop of the decision exactly as written: multiply power by factor with the Matrix's
// own first non-zero product and test the diagonal after each step. The fast tracker must
// reproduce its stopping power and final diagonal answer.
#pragma once

#include <cstdint>

#include "hamilton/matrix.h"

namespace bicubic::literal {

struct PowerLoopResult {
  std::int32_t stopPower = 0;  // the number printed after "b^"
  bool diagonalAllOnes = false;
};

// Runs the loop with power and factor built from the same m x m matrix.
PowerLoopResult runPowerLoop(const std::int32_t* matchMatrix, std::int32_t m, std::int32_t walkedReds);

}  // namespace bicubic::literal
