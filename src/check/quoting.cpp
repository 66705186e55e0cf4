// Input text made safe for a message on a terminal. Declared in quoting.h.
#include "check/quoting.h"

namespace bicubic::check {

namespace {

constexpr unsigned char kDelete = 0x7f;

// Length of the valid UTF-8 sequence at the front of text (0 when it is none). Overlong forms,
// surrogates and code points past U+10FFFF are invalid.
std::size_t utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(k) < 0x80 || byte(k) > 0xbf) return 0;
  }
  // C1 controls (U+0080..U+009F) are terminal commands too: escaped like the C0 ones.
  if (lead == 0xc2 && byte(1) <= 0x9f) return 0;
  return length;
}

}  // namespace

void appendEscapedByte(unsigned char c, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

std::string quotedForMessage(std::string_view text, std::size_t maxCharacters) {
  std::string out;
  std::size_t characters = 0;
  std::size_t k = 0;
  while (k < text.size() && characters < maxCharacters) {
    const auto c = static_cast<unsigned char>(text[k]);
    ++characters;
    if (c == '\\') {
      out += "\\\\";
      ++k;
    } else if (c < 0x20 || c == kDelete) {
      appendEscapedByte(c, out);
      ++k;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++k;
    } else if (const std::size_t length = utf8SequenceLength(text.substr(k)); length > 0) {
      out += text.substr(k, length);
      k += length;
    } else {
      appendEscapedByte(c, out);
      ++k;
    }
  }
  if (k < text.size()) out += "...";
  return out;
}

}  // namespace bicubic::check
