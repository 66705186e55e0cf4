// The tick counter measured against a scripted clock, plus one check that the real source
// counts processor milliseconds rather than raw clock() ticks.
#include <gtest/gtest.h>

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

TEST(Ticks, RealSourceCountsMilliseconds) {
  // Burn a fifth of a second of processor time; the source must move by about 200, not by
  // 200000 (unconverted clock() ticks) or by 0.
  const std::int32_t before = processorMilliseconds();
  const std::clock_t start = std::clock();
  volatile unsigned sink = 0;
  while (std::clock() - start < CLOCKS_PER_SEC / 5) sink = sink + 1;
  const std::int32_t elapsed = processorMilliseconds() - before;
  EXPECT_GE(elapsed, 190);
  EXPECT_LT(elapsed, 2000);
}

}  // namespace
}  // namespace bicubic
