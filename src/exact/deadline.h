// Deadline: the moment a search must give up, read from the monotonic clock. A default deadline
// never expires unless its stop flag is set; searches poll expired() every few hundred steps so the poll costs nothing.
#pragma once

#include <atomic>
#include <chrono>

namespace bicubic::exact {

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
  // The same deadline, also expired once *stop is set (by another thread: a Ctrl-C handler).
  Deadline orWhen(const std::atomic<bool>* stop) const {
    Deadline d = *this;
    d.stop_ = stop;
    return d;
  }
  bool expired() const {
    if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) return true;
    return limited_ && Clock::now() >= at_;
  }

 private:
  bool limited_ = false;
  Clock::time_point at_{};
  const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace bicubic::exact
