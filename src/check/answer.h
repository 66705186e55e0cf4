// The answer of an exact search. Unknown only ever means a limit (time, nodes, states) stopped
// the search before it could prove either answer.
#pragma once

#include <cstddef>

namespace bicubic::check {

enum class Answer { Hamiltonian, NonHamiltonian, Unknown };
inline constexpr std::size_t kAnswerCount = static_cast<std::size_t>(Answer::Unknown) + 1;

}  // namespace bicubic::check
