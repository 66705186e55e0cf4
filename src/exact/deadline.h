// DeadlinePoller: how the searches ask a Deadline (declared in the public header) whether to give
// up, reading the clock once per kPollWork units of work so that a poll costs nothing next to the
// work between polls.
#pragma once

#include <cstdint>

#include "exact/hamiltonian.h"

namespace bicubic::exact {

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
