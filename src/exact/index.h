// Index conversion for the searches: their vertex and edge numbers are signed
// 32/64-bit values that are never negative when used as an index, and the containers want size_t.
// Costs nothing: one static_cast the compiler folds away.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bicubic::exact {

constexpr std::size_t at(std::int64_t index) { return static_cast<std::size_t>(index); }

}  // namespace bicubic::exact
