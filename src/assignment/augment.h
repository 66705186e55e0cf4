// The augmenting step both assignment solvers share (the general one and the one for at most 64
// rows): from an uncovered prime, the alternating path of primes and stars is written out as
// (row, column) pairs and flipped, its stars dropped and its primes starred. Cost: O(path).
#pragma once

#include <cstddef>
#include <cstdint>

namespace bicubic {

// Starts at the prime (row, col): then the star in its column, the prime in that star's row,
// and so on until a column without a star. Writes the cells to path (2 entries each) and
// returns their number; starOfRow/starOfCol afterwards hold the new stars. Primes are left to
// the caller, who keeps its own list of primed rows.
template <typename Indices>
std::size_t flipAugmentingPath(std::size_t row, std::size_t col, Indices& starOfRow, Indices& starOfCol,
                               const Indices& primeOfRow, std::int32_t* path) {
  std::size_t length = 0;
  auto append = [&](std::size_t r, std::size_t c) {
    path[2 * length] = static_cast<std::int32_t>(r);
    path[2 * length + 1] = static_cast<std::int32_t>(c);
    ++length;
  };
  append(row, col);
  for (std::int32_t starRow = starOfCol[col]; starRow >= 0; starRow = starOfCol[col]) {
    row = static_cast<std::size_t>(starRow);
    append(row, col);
    col = static_cast<std::size_t>(primeOfRow[row]);
    append(row, col);
  }
  for (std::size_t k = 1; k < length; k += 2) {
    starOfRow[static_cast<std::size_t>(path[2 * k])] = -1;
    starOfCol[static_cast<std::size_t>(path[2 * k + 1])] = -1;
  }
  for (std::size_t k = 0; k < length; k += 2) {
    starOfRow[static_cast<std::size_t>(path[2 * k])] = path[2 * k + 1];
    starOfCol[static_cast<std::size_t>(path[2 * k + 1])] = path[2 * k];
  }
  return length;
}

}  // namespace bicubic
