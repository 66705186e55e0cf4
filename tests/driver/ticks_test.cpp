// The tick counter measured against a scripted clock, plus one check that the real source
// counts processor milliseconds rather than raw clock() ticks.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "driver/ticks.h"
#include "support/fake_clock.h"

namespace bicubic {
namespace {

using testing::FakeClock;

TEST(Ticks, StopReturnsTheTimeSinceStart) {
  FakeClock clock({1000, 1250});
  startTicks();
  EXPECT_EQ(stopTicks(), 250);
  EXPECT_EQ(clock.readingsTaken(), 2u);
}

TEST(Ticks, SecondStopMeasuresFromTheFirst) {
  FakeClock clock({10, 40, 45});
  startTicks();
  EXPECT_EQ(stopTicks(), 30);
  EXPECT_EQ(stopTicks(), 5);
}

TEST(Ticks, StartAgainMovesTheMark) {
  FakeClock clock({0, 100, 130});
  startTicks();
  startTicks();
  EXPECT_EQ(stopTicks(), 30);
}

TEST(Ticks, SameReadingGivesZero) {
  FakeClock clock({77, 77});
  startTicks();
  EXPECT_EQ(stopTicks(), 0);
}

TEST(Ticks, FakeClockRestoresTheSource) {
  const TickSource before = tickSource;
  {
    FakeClock clock({1});
    EXPECT_NE(tickSource, before);
  }
  EXPECT_EQ(tickSource, before);
  EXPECT_EQ(tickSource, &processorMilliseconds);
}

// The mark is process-wide, so "no start yet" only holds in a fresh process: the threadsafe
// death-test style re-executes this test alone in a new one.
TEST(TicksDeathTest, StopWithoutStartMeasuresFromTheOrigin) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        FakeClock clock({42, 50});
        const bool firstFromZero = stopTicks() == 42;
        const bool secondFromFirst = stopTicks() == 8;
        std::exit(firstFromZero && secondFromFirst ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}

TEST(Ticks, RealSourceIsProcessorTimeInMilliseconds) {
  // Bracketed by clock() readings converted by hand, so no duration is assumed: raw clock()
  // ticks (a thousand times too many) or a source stuck at 0 fall outside. Spin until the
  // process has used 10 ms, else the bracket could be 0..0 and prove nothing.
  while (std::clock() < CLOCKS_PER_SEC / 100) {
  }
  const auto toMilliseconds = [](std::clock_t ticks) {
    return static_cast<std::int64_t>(ticks) * 1000 / static_cast<std::int64_t>(CLOCKS_PER_SEC);
  };
  const std::int64_t before = toMilliseconds(std::clock());
  const std::int32_t reading = processorMilliseconds();
  const std::int64_t after = toMilliseconds(std::clock());
  EXPECT_GE(reading, before);
  EXPECT_LE(reading, after);
}

}  // namespace
}  // namespace bicubic
