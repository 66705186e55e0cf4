// IntegerScanner: reads whitespace-separated decimal integers from a ByteReader in one
// pass over a block buffer, with the rules of stream extraction: optional sign, digits up to
// the first non-digit (left for the next read), and a value outside 32 bits is a failure.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "graph/byte_reader.h"

namespace bicubic {

class IntegerScanner {
 public:
  enum class Result { Value, EndOfInput, NotAnInteger, ReadError };

  explicit IntegerScanner(ByteReader& source) : source_(&source) {}
  Result next(std::int32_t& value);
  // Reads up to count values into out; returns how many were read and, in stop, why it ended
  // (Result::Value when all count were read). Same rules as next, faster on long runs.
  std::size_t readValues(std::int32_t* out, std::size_t count, Result& stop);

 private:
  bool refill();
  int peek() { return position_ < end_ || refill() ? buffer_[position_] : -1; }

  ByteReader* source_;  // null once the input has ended or failed
  bool readFailed_ = false;
  // Held inside the scanner (on the reader's stack), so reading needs no allocation that could
  // fail. Kept small: with the Graph's pair table the stack must stay inside the room the
  // process starts with, since under an address-space limit growing it is a SIGSEGV, not an
  // error. 16 KiB blocks still make the system calls a small share of a large read.
  static constexpr std::size_t kBlockSize = std::size_t{1} << 14;
  std::array<unsigned char, kBlockSize> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
};

}  // namespace bicubic
