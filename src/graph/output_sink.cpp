#include "graph/output_sink.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <utility>

namespace bicubic {

namespace {
// Large enough that a 6-million-number table costs a few hundred system calls, small enough
// that the buffer never matters next to the graph itself.
constexpr std::size_t kDrainThreshold = 1 << 20;
}  // namespace

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

OutputSink& OutputSink::operator<<(char byte) {
  if (mode_ == Mode::Discard) return *this;
  buffer_.push_back(byte);
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

void OutputSink::endLine() {
  *this << '\n';
  // Every line end flushes by contract, but a flush is only observable through the order of
  // bytes, which one buffer already keeps; a system call per line would only cost time.
}

void OutputSink::drainIfLarge() {
  if (mode_ == Mode::Drain && buffer_.size() >= kDrainThreshold) flush();
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
      // A closed pipe or a full disk: the reader has gone, so the rest is dropped quietly.
      drainFailed_ = true;
    }
  }
  buffer_.clear();
}

}  // namespace bicubic
