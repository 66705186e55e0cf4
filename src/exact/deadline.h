// Deadline: the moment a search must give up, read from the monotonic clock, or a stop flag set
// by another thread. A default deadline never expires unless its stop flag is set. Searches ask it
// through a DeadlinePoller, which reads the clock once per kPollWork units of work.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

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
  // A deadline that never expires, for pollers not yet given one.
  static const Deadline& never() {
    static const Deadline kNever;
    return kNever;
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

// Units of work (an adjacency entry or edge visited, a path slot moved, a frontier slot of a
// state expanded) between two clock reads: a few tens of microseconds of work, so a poll costs
// nothing next to it, while a search still notices its deadline well within a millisecond.
inline constexpr std::int64_t kPollWork = 1 << 14;

// The one way the searches poll a deadline: each counts its work as it goes, and the clock is
// read at the first call and then once kPollWork units have gathered. Once expired, it stays
// expired.
class DeadlinePoller {
 public:
  explicit DeadlinePoller(const Deadline& deadline) : deadline_(&deadline) {}
  // Counts work units; true once the deadline has passed. Between polls this is one subtraction
  // and one comparison.
  bool expired(std::int64_t work = 1) {
    due_ -= work;
    return due_ <= 0 && poll();
  }

 private:
  // Kept out of the searches' inner loops: it runs once per kPollWork units.
  [[gnu::noinline]] bool poll() {
    if (!expired_) {
      due_ = kPollWork;
      expired_ = deadline_->expired();
    }
    return expired_;
  }

  const Deadline* deadline_;
  std::int64_t due_ = 0;
  bool expired_ = false;
};

}  // namespace bicubic::exact
