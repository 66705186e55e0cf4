// Tick counter: elapsed processor milliseconds between startTicks and stopTicks. Every reading
// goes through tickSource, which tests may point at a fixed clock; mark holds the last reading.
#pragma once

#include <cstdint>

namespace bicubic {

using TickSource = std::int32_t (*)();

// Processor time since the process started, in milliseconds.
std::int32_t processorMilliseconds();

extern TickSource tickSource;

void startTicks();
// Milliseconds since the last startTicks or stopTicks (or since the clock's origin).
std::int32_t stopTicks();

}  // namespace bicubic
