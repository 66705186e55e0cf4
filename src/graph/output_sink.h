// OutputSink: the single ordered byte stream that every stage of a run writes to.
// Bytes leave in exactly the order they were written: a draining sink hands its buffer to a
// file descriptor in large blocks, a capturing sink keeps every byte, a discarding one drops them.
#pragma once

#include <concepts>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace bicubic {

class OutputSink {
 public:
  // Keeps everything written; read it back with captured().
  OutputSink();
  // Drains to the file descriptor whenever the buffer grows large, and on flush/destruction.
  explicit OutputSink(int fileDescriptor);
  static OutputSink discarding();

  OutputSink(const OutputSink&) = delete;
  OutputSink& operator=(const OutputSink&) = delete;
  OutputSink(OutputSink&&) noexcept;
  OutputSink& operator=(OutputSink&&) = delete;
  ~OutputSink();

  OutputSink& operator<<(std::string_view text);
  OutputSink& operator<<(const char* text) { return *this << std::string_view(text ? text : ""); }
  OutputSink& operator<<(char byte) {
    if (mode_ == Mode::Discard) return *this;
    buffer_.push_back(byte);
    drainIfLarge();
    return *this;
  }
  template <std::integral Number>
    requires(!std::same_as<Number, char> && !std::same_as<Number, bool>)
  OutputSink& operator<<(Number number) {
    // Tables are mostly 0 and 1: a single digit needs no conversion.
    const auto value = static_cast<std::int64_t>(number);
    if (value >= 0 && value <= 9) return *this << static_cast<char>('0' + value);
    return writeNumber(value);
  }

  // Each number in decimal followed by the separator: the body of a table row in one call.
  void writeEachFollowedBy(std::span<const std::int32_t> numbers, char separator);

  // A line end: the tool's messages end this way. It does not flush; the one buffer already
  // keeps every byte in order, and a system call per line would only cost time.
  void endLine();
  // Hands the buffered bytes to the descriptor (draining sinks only).
  void flush();
  // Whether a write to the descriptor failed (a closed pipe, a full disk), and its errno. The
  // bytes from then on are dropped; the program decides how to report it.
  bool writeFailed() const { return drainFailed_; }
  int writeError() const { return writeError_; }

  const std::string& captured() const { return buffer_; }
  // True for a discarding sink: a stage may then skip work that only formats what it prints.
  bool discards() const { return mode_ == Mode::Discard; }

 private:
  enum class Mode { Capture, Drain, Discard };
  OutputSink(Mode mode, int fileDescriptor);
  OutputSink& writeNumber(std::int64_t number);
  void drainIfLarge() {
    if (mode_ == Mode::Drain && buffer_.size() >= kDrainThreshold) flush();
  }

  // Large enough that a 6-million-number table costs a few hundred system calls, small enough
  // that the buffer never matters next to the graph itself.
  static constexpr std::size_t kDrainThreshold = 1 << 20;

  Mode mode_;
  int fileDescriptor_;
  bool drainFailed_ = false;
  int writeError_ = 0;
  std::string buffer_;
};

}  // namespace bicubic
