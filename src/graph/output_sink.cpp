#include "graph/output_sink.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <utility>

namespace bicubic {

OutputSink::OutputSink() : OutputSink(Mode::Capture, -1) {}

OutputSink::OutputSink(int fileDescriptor) : OutputSink(Mode::Drain, fileDescriptor) {}

OutputSink::OutputSink(Mode mode, int fileDescriptor) : mode_(mode), fileDescriptor_(fileDescriptor) {
  if (mode_ == Mode::Drain) buffer_.reserve(kDrainThreshold + 4096);
}

OutputSink OutputSink::discarding() { return OutputSink(Mode::Discard, -1); }

OutputSink::OutputSink(OutputSink&& other) noexcept
    : mode_(other.mode_),
      fileDescriptor_(other.fileDescriptor_),
      drainFailed_(other.drainFailed_),
      writeError_(other.writeError_),
      buffer_(std::move(other.buffer_)) {
  other.mode_ = Mode::Discard;
}

OutputSink::~OutputSink() { flush(); }

OutputSink& OutputSink::operator<<(std::string_view text) {
  if (mode_ == Mode::Discard) return *this;
  buffer_.append(text);
  drainIfLarge();
  return *this;
}

OutputSink& OutputSink::writeNumber(std::int64_t number) {
  if (mode_ == Mode::Discard) return *this;
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, number);
  buffer_.append(digits, result.ptr);
  drainIfLarge();
  return *this;
}

void OutputSink::writeEachFollowedBy(std::span<const std::int32_t> numbers, char separator) {
  if (mode_ == Mode::Discard) return;
  constexpr std::size_t kWidest = 12;  // "-2147483648" and the separator
  constexpr std::size_t kChunk = 4096;
  for (std::size_t begin = 0; begin < numbers.size(); begin += kChunk) {
    const std::size_t end = std::min(numbers.size(), begin + kChunk);
    const std::size_t used = buffer_.size();
    buffer_.resize(used + (end - begin) * kWidest);
    char* cursor = buffer_.data() + used;
    for (std::size_t i = begin; i < end; ++i) {
      const std::int32_t number = numbers[i];
      if (number >= 0 && number <= 9) {
        *cursor++ = static_cast<char>('0' + number);
      } else {
        cursor = std::to_chars(cursor, cursor + kWidest, number).ptr;
      }
      *cursor++ = separator;
    }
    buffer_.resize(static_cast<std::size_t>(cursor - buffer_.data()));
    drainIfLarge();
  }
}

void OutputSink::endLine() {
  *this << '\n';
  // Every line end flushes by contract, but a flush is only observable through the order of
  // bytes, which one buffer already keeps; a system call per line would only cost time.
}

void OutputSink::flush() {
  if (mode_ != Mode::Drain) return;
  std::size_t written = 0;
  while (!drainFailed_ && written < buffer_.size()) {
    ssize_t result = ::write(fileDescriptor_, buffer_.data() + written, buffer_.size() - written);
    if (result > 0) {
      written += static_cast<std::size_t>(result);
    } else if (result < 0 && errno == EINTR) {
      continue;
    } else {
      // A closed pipe or a full disk: nothing more can reach the reader, so the rest is
      // dropped and the failure kept for the program to report.
      drainFailed_ = true;
      writeError_ = result < 0 ? errno : ENOSPC;
    }
  }
  buffer_.clear();
}

}  // namespace bicubic
