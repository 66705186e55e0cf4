#include "driver/ticks.h"

#include <ctime>

namespace bicubic {

namespace {
std::int32_t mark = 0;
}  // namespace

std::int32_t processorMilliseconds() {
  // CLOCKS_PER_SEC is a million here, not a thousand: convert, in 64 bits so the product
  // cannot wrap.
  const auto ticks = static_cast<std::int64_t>(std::clock());
  return static_cast<std::int32_t>(ticks * 1000 / static_cast<std::int64_t>(CLOCKS_PER_SEC));
}

TickSource tickSource = &processorMilliseconds;

void startTicks() { mark = tickSource(); }

std::int32_t stopTicks() {
  const std::int32_t now = tickSource();
  const std::int32_t elapsed = now - mark;
  mark = now;
  return elapsed;
}

}  // namespace bicubic
