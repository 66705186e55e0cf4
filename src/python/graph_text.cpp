#include "python/graph_text.h"

#include <algorithm>
#include <limits>

namespace bicubic::python {

namespace {

constexpr int kBitsPerCode = 6;
constexpr int kCodeOffset = 63;       // '?': a code byte carries 6 bits above it
constexpr int kLongOrderMark = 126;   // '~' opens a 3- or 6-byte vertex count
// A graph6 text for more vertices would be terabytes long; the bound keeps n(n-1)/2 in range.
constexpr std::int64_t kMaxGraph6Order = std::int64_t{1} << 22;

int codeValue(char c) {
  const int byte = static_cast<unsigned char>(c);
  return byte >= kCodeOffset && byte <= kLongOrderMark ? byte - kCodeOffset : -1;
}

std::string badByte(std::size_t pos) {
  return "byte " + std::to_string(pos + 1) + " is not a graph6/sparse6 character ('?' to '~')";
}

// Reads the vertex count at text[pos] (1, 4 or 8 bytes) and moves pos past it; -1 with error set
// when the text ends or holds a bad byte there.
std::int64_t readOrder(std::string_view text, std::size_t& pos, std::string& error) {
  std::size_t count = 1;
  if (pos < text.size() && codeValue(text[pos]) == kLongOrderMark - kCodeOffset) {
    ++pos;
    count = 3;
    if (pos < text.size() && codeValue(text[pos]) == kLongOrderMark - kCodeOffset) {
      ++pos;
      count = 6;
    }
  }
  if (pos + count > text.size()) {
    error = "the text ends inside the vertex count";
    return -1;
  }
  std::int64_t order = 0;
  for (std::size_t i = 0; i < count; ++i, ++pos) {
    const int value = codeValue(text[pos]);
    if (value < 0) {
      error = badByte(pos);
      return -1;
    }
    order = (order << kBitsPerCode) | value;
  }
  return order;
}

// The 6-bit groups of text[pos..] as one bit string, most significant bit first.
class BitReader {
 public:
  BitReader(std::string_view text, std::size_t pos) : text_(text), start_(pos) {}
  std::int64_t bitsLeft() const {
    return static_cast<std::int64_t>(text_.size() - start_) * kBitsPerCode - static_cast<std::int64_t>(next_);
  }
  std::int64_t read(int count) {
    std::int64_t value = 0;
    for (int i = 0; i < count; ++i, ++next_) {
      const int code = codeValue(text_[start_ + next_ / kBitsPerCode]);
      value = (value << 1) | ((code >> (kBitsPerCode - 1 - static_cast<int>(next_ % kBitsPerCode))) & 1);
    }
    return value;
  }

 private:
  std::string_view text_;
  std::size_t start_;
  std::size_t next_ = 0;
};

bool checkBody(std::string_view text, std::size_t pos, std::string& error) {
  for (; pos < text.size(); ++pos) {
    if (codeValue(text[pos]) < 0) {
      error = badByte(pos);
      return false;
    }
  }
  return true;
}

void decodeGraph6Body(std::string_view text, std::size_t pos, DecodedGraph& g) {
  if (g.order > kMaxGraph6Order) {
    g.error = "graph6 vertex count " + std::to_string(g.order) + " is too large";
    return;
  }
  const std::int64_t bits = g.order * (g.order - 1) / 2;
  const std::int64_t expected = (bits + kBitsPerCode - 1) / kBitsPerCode;
  const auto actual = static_cast<std::int64_t>(text.size() - pos);
  if (actual != expected) {
    g.error = "graph6 text for " + std::to_string(g.order) + " vertices needs " + std::to_string(expected) +
              " bytes after the vertex count, not " + std::to_string(actual);
    return;
  }
  if (!checkBody(text, pos, g.error)) return;
  BitReader bitsIn(text, pos);
  const auto n = static_cast<std::int32_t>(g.order);
  for (std::int32_t j = 1; j < n; ++j) {
    for (std::int32_t i = 0; i < j; ++i) {
      if (bitsIn.read(1) != 0) g.edges.emplace_back(i, j);
    }
  }
}

void decodeSparse6Body(std::string_view text, std::size_t pos, DecodedGraph& g) {
  if (!checkBody(text, pos, g.error)) return;
  int width = 0;  // bits of a vertex number: enough for order - 1
  while ((std::int64_t{1} << width) < g.order) ++width;
  BitReader bits(text, pos);
  std::int64_t v = 0;
  // The last group may be padded with ones; a number past the order ends the list.
  while (bits.bitsLeft() >= 1 + width) {
    if (bits.read(1) != 0) ++v;
    const std::int64_t x = bits.read(width);
    if (x >= g.order || v >= g.order) break;
    if (x > v) {
      v = x;
    } else if (x == v) {
      g.error = "sparse6 text has a loop at vertex " + std::to_string(v);
      return;
    } else {
      g.edges.emplace_back(static_cast<std::int32_t>(x), static_cast<std::int32_t>(v));
    }
  }
  std::sort(g.edges.begin(), g.edges.end());
  g.edges.erase(std::unique(g.edges.begin(), g.edges.end()), g.edges.end());
}

}  // namespace

DecodedGraph decodeGraphText(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  for (std::string_view header : {">>graph6<<", ">>sparse6<<"}) {
    if (text.substr(0, header.size()) == header) text.remove_prefix(header.size());
  }
  DecodedGraph g;
  if (text.empty()) {
    g.error = "empty graph6/sparse6 text";
    return g;
  }
  const bool sparse = text.front() == ':';
  std::size_t pos = sparse ? 1 : 0;
  g.order = readOrder(text, pos, g.error);
  if (g.order < 0) return g;
  if (g.order > std::numeric_limits<std::int32_t>::max()) {
    g.error = "vertex count " + std::to_string(g.order) + " is too large";
    return g;
  }
  if (sparse) {
    decodeSparse6Body(text, pos, g);
  } else {
    decodeGraph6Body(text, pos, g);
  }
  if (!g.error.empty()) g.edges.clear();
  return g;
}

}  // namespace bicubic::python
