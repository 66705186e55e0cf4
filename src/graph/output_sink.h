// OutputSink: the single ordered byte stream that every stage of a run writes to.
// Bytes leave in exactly the order they were written: a draining sink hands its buffer to a
// file descriptor in large blocks, a capturing sink keeps every byte, a discarding one drops them.
#pragma once

#include <concepts>
#include <cstdint>
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
  OutputSink& operator<<(char byte);
  template <std::integral Number>
    requires(!std::same_as<Number, char> && !std::same_as<Number, bool>)
  OutputSink& operator<<(Number number) {
    return writeNumber(static_cast<std::int64_t>(number));
  }

  // A line end whose flush callers rely on: the tool's messages end this way.
  void endLine();
  void flush();

  bool discards() const { return mode_ == Mode::Discard; }
  const std::string& captured() const { return buffer_; }
  void clearCaptured() { buffer_.clear(); }

 private:
  enum class Mode { Capture, Drain, Discard };
  OutputSink(Mode mode, int fileDescriptor);
  OutputSink& writeNumber(std::int64_t number);
  void drainIfLarge();

  Mode mode_;
  int fileDescriptor_;
  bool drainFailed_ = false;
  std::string buffer_;
};

}  // namespace bicubic
