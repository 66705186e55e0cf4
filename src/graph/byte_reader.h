// ByteReader: where the reader's bytes come from. The tool reads a file by path; other programs
// hand over an open descriptor, a buffer, or their own stream (bytes they already took first).
// Each read() fills up to `room` bytes and costs one system call at most for a descriptor.
#pragma once

#include <cstddef>
#include <string_view>

namespace bicubic {

class ByteReader {
 public:
  // What read() returns besides a byte count: nothing left, or a failed read.
  static constexpr std::ptrdiff_t kEnd = 0;
  static constexpr std::ptrdiff_t kFailed = -1;

  ByteReader() = default;
  ByteReader(const ByteReader&) = delete;
  ByteReader& operator=(const ByteReader&) = delete;
  virtual ~ByteReader() = default;
  // Fills into[0 .. room) with the next bytes; the count, kEnd or kFailed.
  virtual std::ptrdiff_t read(unsigned char* into, std::size_t room) = 0;
};

// Reads an open file descriptor (not closed here), retrying interrupted reads.
class DescriptorReader final : public ByteReader {
 public:
  explicit DescriptorReader(int fileDescriptor) : fileDescriptor_(fileDescriptor) {}
  std::ptrdiff_t read(unsigned char* into, std::size_t room) override;

 private:
  int fileDescriptor_;
};

// Reads the bytes of a buffer that outlives the reader.
class BufferReader final : public ByteReader {
 public:
  explicit BufferReader(std::string_view bytes) : rest_(bytes) {}
  std::ptrdiff_t read(unsigned char* into, std::size_t room) override;

 private:
  std::string_view rest_;
};

}  // namespace bicubic
