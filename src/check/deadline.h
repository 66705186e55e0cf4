// Deadline: the moment a search must give up, read from the monotonic clock. A default deadline
// never expires; searches poll expired() every few hundred steps so the poll costs nothing.
#pragma once

#include <chrono>

namespace bicubic::check {

class Deadline {
 public:
  using Clock = std::chrono::steady_clock;
  Deadline() = default;
  static Deadline after(double seconds) {
    Deadline d;
    // Beyond a few decades the clock's range would overflow; such a limit is no limit.
    if (!(seconds < 1e9)) return d;
    d.limited_ = true;
    d.at_ = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    return d;
  }
  bool expired() const { return limited_ && Clock::now() >= at_; }

 private:
  bool limited_ = false;
  Clock::time_point at_{};
};

}  // namespace bicubic::check
