// Input text quoted for bicubic-check's messages: whatever a file holds, a message shows it as
// printable text of bounded length, so a hostile file cannot drive the terminal or flood it.
// Cost: linear in the characters kept.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace bicubic::check {

// Input text made safe to print in a message: bytes below 0x20, 0x7f, C1 control characters and
// bytes that are not part of valid UTF-8 become \xNN, a backslash becomes \\; valid UTF-8 is
// kept. At most maxCharacters characters (a UTF-8 sequence counts as one) are kept, then "..."
// marks the cut, so a huge token cannot make a huge message. No quote marks are added. Source
// names are better kept whole (kNameQuoteLength: a path is at most 4096 bytes), escaped the same.
constexpr std::size_t kMessageQuoteLength = 64;
constexpr std::size_t kNameQuoteLength = 4096;
std::string quotedForMessage(std::string_view text, std::size_t maxCharacters = kMessageQuoteLength);

// Appends c as \xNN.
void appendEscapedByte(unsigned char c, std::string& out);

}  // namespace bicubic::check
