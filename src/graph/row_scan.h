// Row scans: bit masks of the entries of a row block (at most 64) that equal a value or are not 0;
// bit k stands for entry k, none at or above the block's length. Cost: a vector compare per four
// entries and no branch per entry, so callers walk matches by countr_zero, not by branches.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace bicubic {

inline constexpr std::int32_t kScanBlock = 64;

// Bit k set when block[k] == value, for k < count (count at most kScanBlock).
inline std::uint64_t equalMask(const std::int32_t* block, std::int32_t count, std::int32_t value) {
  std::uint64_t mask = 0;
  std::int32_t k = 0;
#if defined(__SSE2__)
  const __m128i wanted = _mm_set1_epi32(value);
  for (; k + 4 <= count; k += 4) {
    const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + k));
    const int bits = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(four, wanted)));
    mask |= std::uint64_t{static_cast<unsigned>(bits)} << k;
  }
#endif
  for (; k < count; ++k) mask |= std::uint64_t{block[k] == value} << k;
  return mask;
}

// Bit k set when block[k] != 0, for k < count (count at most kScanBlock).
inline std::uint64_t nonZeroMask(const std::int32_t* block, std::int32_t count) {
  const std::uint64_t inBlock = count >= kScanBlock ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
  return ~equalMask(block, count, 0) & inBlock;
}

}  // namespace bicubic
