// The answer of an exact search. Unknown only ever means a limit (time, nodes, states) stopped
// the search before it could prove either answer.
#pragma once

namespace bicubic::check {

enum class Answer { Hamiltonian, NonHamiltonian, Unknown };

}  // namespace bicubic::check
