// IntegerScanner: reads whitespace-separated decimal integers from a file descriptor in one
// pass over a block buffer, with the rules of stream extraction: optional sign, digits up to
// the first non-digit (left for the next read), and a value outside 32 bits is a failure.
#pragma once

#include <cstdint>
#include <vector>

namespace bicubic {

class IntegerScanner {
 public:
  enum class Result { Value, EndOfInput, NotAnInteger, ReadError };

  explicit IntegerScanner(int fileDescriptor);
  Result next(std::int32_t& value);

 private:
  bool refill();
  int peek() { return position_ < end_ || refill() ? buffer_[position_] : -1; }

  int fileDescriptor_;
  bool readFailed_ = false;
  std::vector<unsigned char> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
};

}  // namespace bicubic
