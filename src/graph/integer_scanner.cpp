#include "graph/integer_scanner.h"

#include <unistd.h>

#include <array>
#include <cerrno>

namespace bicubic {

namespace {
// The bytes stream extraction skips: blank, tab, line feed, vertical tab, form feed, carriage
// return. Looked up in a table, since the test runs once per byte of a file of up to 50 MB.
constexpr std::array<bool, 256> kSpaceTable = [] {
  std::array<bool, 256> table{};
  for (char byte : {' ', '\t', '\n', '\v', '\f', '\r'}) table[static_cast<unsigned char>(byte)] = true;
  return table;
}();
bool isSpace(int byte) { return byte >= 0 && kSpaceTable[static_cast<std::size_t>(byte)]; }
bool isDigit(int byte) { return byte >= '0' && byte <= '9'; }
}  // namespace

bool IntegerScanner::refill() {
  if (readFailed_ || source_ == nullptr) return false;
  const std::ptrdiff_t got = source_->read(buffer_.data(), buffer_.size());
  if (got > 0) {
    position_ = 0;
    end_ = static_cast<std::size_t>(got);
    return true;
  }
  if (got == ByteReader::kFailed) readFailed_ = true;
  source_ = nullptr;
  return false;
}

IntegerScanner::Result IntegerScanner::next(std::int32_t& value) {
  int byte = peek();
  while (isSpace(byte)) {
    ++position_;
    byte = peek();
  }
  if (byte < 0) return readFailed_ ? Result::ReadError : Result::EndOfInput;

  bool negative = false;
  if (byte == '+' || byte == '-') {
    negative = byte == '-';
    ++position_;
    byte = peek();
  }
  if (!isDigit(byte)) return readFailed_ ? Result::ReadError : Result::NotAnInteger;

  // Accumulate in 64 bits and stop growing past the 32-bit range, so arbitrarily long digit
  // runs are consumed whole and still reported as out of range.
  constexpr std::int64_t kLimit = std::int64_t{1} << 31;
  std::int64_t magnitude = 0;
  for (;;) {
    while (position_ < end_ && isDigit(buffer_[position_])) {
      if (magnitude <= kLimit) magnitude = magnitude * 10 + (buffer_[position_] - '0');
      ++position_;
    }
    if (position_ < end_ || !refill()) break;
  }
  if (readFailed_) return Result::ReadError;
  std::int64_t signedValue = negative ? -magnitude : magnitude;
  if (signedValue > INT32_MAX || signedValue < INT32_MIN) return Result::NotAnInteger;
  value = static_cast<std::int32_t>(signedValue);
  return Result::Value;
}

std::size_t IntegerScanner::readValues(std::int32_t* out, std::size_t count, Result& stop) {
  // Short tokens well inside the block are parsed in place; anything near the block's end, long
  // (leading zeros, out of range) or malformed goes through next(), which knows every rule.
  constexpr std::ptrdiff_t kSafeMargin = 24;
  constexpr std::ptrdiff_t kFastDigits = 9;
  std::size_t k = 0;
  while (k < count) {
    const unsigned char* const block = buffer_.data();
    const unsigned char* p = block + position_;
    const unsigned char* const end = block + end_;
    while (k < count) {
      const unsigned char* q = p;
      while (q < end && isSpace(*q)) ++q;
      if (end - q < kSafeMargin) break;
      const bool negative = *q == '-';
      if (*q == '-' || *q == '+') ++q;
      const unsigned char* const digits = q;
      std::int32_t magnitude = 0;
      while (isDigit(*q) && q - digits < kFastDigits) magnitude = magnitude * 10 + (*q++ - '0');
      if (q == digits || isDigit(*q)) break;
      out[k++] = negative ? -magnitude : magnitude;
      p = q;
    }
    position_ = static_cast<std::size_t>(p - block);
    if (k == count) break;
    const Result result = next(out[k]);
    if (result != Result::Value) {
      stop = result;
      return k;
    }
    ++k;
  }
  stop = Result::Value;
  return k;
}

}  // namespace bicubic
