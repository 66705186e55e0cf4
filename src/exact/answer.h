// The answer of an exact search (declared in the public header). Unknown only ever means a limit
// (time, nodes, states, the stop flag) stopped the search before it could prove either answer.
#pragma once

#include <cstddef>

#include "exact/hamiltonian.h"

namespace bicubic::exact {

inline constexpr std::size_t kAnswerCount = static_cast<std::size_t>(Answer::Unknown) + 1;

}  // namespace bicubic::exact
