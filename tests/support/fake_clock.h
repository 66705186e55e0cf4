// FakeClock: points the tick counter's tickSource at a scripted list of readings for the life
// of one scope, and puts the previous source back afterwards, so tick totals are exact.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "driver/ticks.h"

namespace bicubic::testing {

class FakeClock {
 public:
  explicit FakeClock(std::vector<std::int32_t> readings) : saved_(tickSource) {
    script() = std::move(readings);
    cursor() = 0;
    tickSource = &read;
  }
  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;
  ~FakeClock() { tickSource = saved_; }

  // How many readings have been taken so far.
  std::size_t readingsTaken() const { return cursor(); }

 private:
  // Past the end of the script the clock stands still at its last reading (0 if none).
  static std::int32_t read() {
    auto& readings = script();
    std::size_t& next = cursor();
    const std::int32_t value = readings.empty() ? 0 : readings[std::min(next, readings.size() - 1)];
    ++next;
    return value;
  }
  static std::vector<std::int32_t>& script() {
    static std::vector<std::int32_t> values;
    return values;
  }
  static std::size_t& cursor() {
    static std::size_t index = 0;
    return index;
  }

  TickSource saved_;
};

}  // namespace bicubic::testing
