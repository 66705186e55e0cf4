// SplitMix64: a small, fast, seedable generator; the searches only need good mixing and
// reproducible runs for a given seed.
#pragma once

#include <algorithm>
#include <cstdint>

namespace bicubic::exact {

// The generator's output mix: a bijection of 64-bit words whose every output bit depends on
// every input bit; also the hash of the searches' tables.
constexpr std::uint64_t mix64(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

class Rng {
 public:
  explicit Rng(std::uint64_t seed = 0x9e3779b97f4a7c15ULL) : state_(seed) {}
  std::uint64_t next() { return mix64(state_ += 0x9e3779b97f4a7c15ULL); }
  std::uint64_t state() const { return state_; }  // a generator made from it goes on from here
  // Uniform in [0, bound) for bound > 0.
  std::uint32_t below(std::uint32_t bound) {
    return static_cast<std::uint32_t>((next() >> 32) * bound >> 32);
  }

 private:
  std::uint64_t state_;
};

// Shuffles [begin, end) with rng, every order equally likely (Fisher-Yates from the back).
template <class Iterator>
void shuffle(Iterator begin, Iterator end, Rng& rng) {
  for (auto size = end - begin; size > 1; --size) {
    std::iter_swap(begin + size - 1, begin + rng.below(static_cast<std::uint32_t>(size)));
  }
}

}  // namespace bicubic::exact
