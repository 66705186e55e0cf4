// Small pieces of line-oriented reading shared by bicubic-check's readers: blanks trimmed, a
// line number for messages, TSPLIB keyword lines and signed integers. Each is linear in its
// input and allocates nothing but its result.
#pragma once

#include <cctype>
#include <cstdint>
#include <string>
#include <string_view>

namespace bicubic::check {

inline std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

inline std::string atLine(std::int64_t line) { return "line " + std::to_string(line) + ": "; }

// Whether word is one of the TSPLIB keywords an HCP file may hold.
bool isHcpKeyword(std::string_view word);
// Splits "KEY : value" (the colon and spaces optional around it) into key and value.
void splitKeyword(std::string_view line, std::string_view& key, std::string_view& value);
// A decimal integer of at most 18 characters with an optional sign; false for anything else.
bool parseInt(std::string_view token, std::int64_t& value);

}  // namespace bicubic::check
