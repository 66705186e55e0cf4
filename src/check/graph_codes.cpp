// graph6 and sparse6 lines and the tool's matrix text, both ways. Declared in formats.h.
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "check/formats.h"

namespace bicubic::check {

namespace {

// Positions are computed in 64 bits and never negative.
constexpr std::size_t at(std::int64_t index) { return static_cast<std::size_t>(index); }

// Printable characters carry six bits each: '?' is 0, '~' is 63.
constexpr int kBias = 63;
constexpr int kSixBits = 6;
constexpr int kLargestByte = 126;
// N(n) takes one character below 63, "~" and three characters below 258048, else "~~" and six.
constexpr std::int64_t kOneCharacterOrder = 63;
constexpr std::int64_t kFourCharacterOrder = 258048;

// Up to this many neighbours a sparse6 decoder searches the current vertex's list for a repeat.
constexpr std::size_t kSearchedListLength = 16;

// Characters (graph6) or edges (sparse6) decoded between two looks at the clock.
constexpr std::int64_t kStepsPerDeadlineCheck = std::int64_t{1} << 16;

// Reads N(n) from the front of `body` (the line without ':' for sparse6); pos is left after it.
bool decodeOrder(std::string_view body, std::int64_t& n, std::size_t& pos, std::string& error) {
  for (char c : body) {
    if (c < kBias || c > kLargestByte) {
      error = "line holds a character outside '?' to '~'";
      return false;
    }
  }
  if (body.empty()) {
    error = "line has no vertex count";
    return false;
  }
  std::size_t digits = 1;
  pos = 0;
  if (body[0] == kLargestByte) {
    const bool longForm = body.size() >= 2 && body[1] == kLargestByte;
    digits = longForm ? 6 : 3;
    pos = longForm ? 2 : 1;
    if (body.size() < pos + digits) {
      error = "line ends inside its vertex count";
      return false;
    }
  }
  n = 0;
  for (std::size_t k = 0; k < digits; ++k) n = (n << kSixBits) | (body[pos + k] - kBias);
  pos += digits;
  if (n > kMaxGraphOrder) {
    error = "vertex count " + std::to_string(n) + " is too large";
    return false;
  }
  return true;
}

void encodeOrder(std::int64_t n, std::string& out) {
  int shifts = 0;
  if (n >= kFourCharacterOrder) {
    out += "~~";
    shifts = 5;
  } else if (n >= kOneCharacterOrder) {
    out += '~';
    shifts = 2;
  }
  for (int s = shifts; s >= 0; --s) out += static_cast<char>(kBias + ((n >> (kSixBits * s)) & 63));
}

// Collects bits most significant first and writes them six to a character.
class SixBitWriter {
 public:
  explicit SixBitWriter(std::string& out) : out_(out) {}
  void put(std::int64_t value, int bits) {
    for (int b = bits - 1; b >= 0; --b) {
      acc_ = (acc_ << 1) | static_cast<int>((value >> b) & 1);
      if (++filled_ == kSixBits) flushFull();
    }
  }
  // count zero bits; whole characters of zeros are written at once.
  void putZeros(std::int64_t count) {
    while (count > 0 && filled_ != 0) {
      put(0, 1);
      --count;
    }
    out_.append(static_cast<std::size_t>(count / kSixBits), static_cast<char>(kBias));
    for (std::int64_t rest = count % kSixBits; rest > 0; --rest) put(0, 1);
  }
  int roomInCharacter() const { return filled_ == 0 ? 0 : kSixBits - filled_; }
  // Completes the last character with the given bits (roomInCharacter() of them).
  void pad(int bits) {
    if (filled_ == 0) return;
    acc_ = (acc_ << (kSixBits - filled_)) | bits;
    flushFull();
  }

 private:
  void flushFull() {
    out_ += static_cast<char>(kBias + acc_);
    acc_ = 0;
    filled_ = 0;
  }
  std::string& out_;
  int acc_ = 0;
  int filled_ = 0;
};

// Bits needed to write n - 1 in binary (0 for n <= 1).
int sparse6Width(std::int64_t n) {
  int width = 0;
  for (std::int64_t rest = n - 1; rest > 0; rest >>= 1) ++width;
  return width;
}

}  // namespace

Decoded decodeGraph6(std::string_view line, SimpleGraph& g, std::string& error, const Deadline& deadline) {
  std::int64_t n = 0;
  std::size_t pos = 0;
  if (!decodeOrder(line, n, pos, error)) {
    error = "graph6 " + error;
    return Decoded::Failed;
  }
  const std::int64_t bits = n * (n - 1) / 2;
  const std::int64_t chars = (bits + kSixBits - 1) / kSixBits;
  if (static_cast<std::int64_t>(line.size() - pos) != chars) {
    error = "graph6 line for " + std::to_string(n) + " vertices should have " + std::to_string(chars) +
            " edge characters, has " + std::to_string(line.size() - pos);
    return Decoded::Failed;
  }
  g.reset(static_cast<std::int32_t>(n));
  // Bit k stands for the pair (i, j), i < j, with k = j(j-1)/2 + i. Characters are walked with
  // (i, j) kept for their first bit, so a large sparse graph costs its characters plus its edges,
  // not a division per bit; bits past the last pair are padding.
  // The deadline is asked between blocks of characters, so the inner loop carries no test of it.
  std::int64_t i = 0, j = 1, k = 0;
  for (std::size_t block = pos; block < line.size(); block += kStepsPerDeadlineCheck) {
    if (block != pos && deadline.expired()) return Decoded::OutOfTime;
    const std::size_t blockEnd = std::min(line.size(), block + static_cast<std::size_t>(kStepsPerDeadlineCheck));
    for (std::size_t c = block; c < blockEnd; ++c, k += kSixBits) {
      const int byte = line[c] - kBias;
      for (int t = 0; t < kSixBits && byte != 0; ++t) {
        if (((byte >> (kSixBits - 1 - t)) & 1) == 0 || k + t >= bits) continue;
        std::int64_t row = i + t, column = j;
        while (row >= column) row -= column++;
        g.addNewEdge(static_cast<std::int32_t>(row), static_cast<std::int32_t>(column));
      }
      for (i += kSixBits; i >= j && j < n; ++j) i -= j;
    }
  }
  return Decoded::Graph;
}

namespace {

// The vertex count at the front of graph6 or sparse6 text and the characters it takes (after the
// ':' of sparse6); false when the text gives none.
bool textOrder(std::string_view start, std::int64_t& n, std::size_t& pos) {
  const bool sparse6 = !start.empty() && start.front() == ':';
  std::string_view body = start.substr(sparse6 ? 1 : 0);
  // N(n) takes 1, 4 or 8 characters, told by its first two.
  std::size_t orderLength = 1;
  if (!body.empty() && body[0] == kLargestByte) orderLength = body.size() >= 2 && body[1] == kLargestByte ? 8 : 4;
  std::string error;
  return body.size() >= orderLength && decodeOrder(body.substr(0, orderLength), n, pos, error);
}

}  // namespace

std::int64_t graphTextOrder(std::string_view start) {
  std::int64_t n = 0;
  std::size_t pos = 0;
  return textOrder(start, n, pos) ? n : -1;
}

std::int64_t graphTextBound(std::string_view start) {
  const bool sparse6 = !start.empty() && start.front() == ':';
  std::int64_t n = 0;
  std::size_t pos = 0;
  if (!textOrder(start, n, pos)) return -1;
  const std::int64_t pairs = n * (n - 1) / 2;
  if (!sparse6) return static_cast<std::int64_t>(pos) + (pairs + kSixBits - 1) / kSixBits;
  // At most one unit per edge, per loop and per move to the next vertex, each of 1 + width bits.
  const std::int64_t units = pairs + 2 * n + 1;
  const std::int64_t bitsNeeded = units * (1 + sparse6Width(n));
  return 1 + static_cast<std::int64_t>(pos) + (bitsNeeded + kSixBits - 1) / kSixBits + kSparse6RepeatAllowance;
}

// graph6's bits column by column: column j holds the pairs (i, j), i < j. A column's bits are
// written from its sorted lower neighbours, runs of zeros a character at a time, so a sparse
// graph costs its output characters, not a test per pair.
template <class Emit>
void graph6Text(const SimpleGraph& g, Emit emit) {
  const std::int32_t n = g.order();
  std::string out;
  encodeOrder(n, out);
  SixBitWriter writer(out);
  std::vector<std::int32_t> lower;
  constexpr std::size_t kChunk = std::size_t{1} << 16;
  for (std::int32_t j = 1; j < n; ++j) {
    lower.clear();
    for (std::int32_t w : g.neighbours(j)) {
      if (w < j) lower.push_back(w);
    }
    std::sort(lower.begin(), lower.end());
    std::int32_t next = 0;
    for (std::int32_t w : lower) {
      writer.putZeros(w - next);
      writer.put(1, 1);
      next = w + 1;
    }
    writer.putZeros(j - next);
    if (out.size() >= kChunk) {
      emit(std::string_view(out));
      out.clear();
    }
  }
  writer.pad(0);
  emit(std::string_view(out));
}

std::string encodeGraph6(const SimpleGraph& g) {
  std::string text;
  graph6Text(g, [&](std::string_view part) { text += part; });
  return text;
}

void writeGraph6Line(const SimpleGraph& g, OutputSink& out) {
  graph6Text(g, [&](std::string_view part) { out << part; });
  out << '\n';
}

// The edge list is a run of units (b, x): b one bit, x `width` bits. Starting from v = 0, b = 1
// moves v on by one; then x > v moves v to x, else the unit is the edge x-v. An incomplete unit
// at the end is padding, and so is everything once v reaches n.
class Sparse6Units {
 public:
  Sparse6Units(std::string_view body, std::size_t pos, std::int64_t n)
      : body_(body), next_(pos), n_(n), width_(sparse6Width(n)), unitBits_(1 + width_),
        xMask_((std::uint64_t{1} << width_) - 1),
        bitsLeft_(static_cast<std::int64_t>(body.size() - pos) * kSixBits) {}

  // The next edge or loop x-v (x <= v); false once the list has ended.
  bool next(std::int64_t& x, std::int64_t& v) {
    for (; bitsLeft_ >= unitBits_;) {
      bitsLeft_ -= unitBits_;
      // Units are taken whole from a bit buffer filled six bits a character: a unit is at most
      // 21 bits, so the buffer never holds more than 26.
      while (bufferedBits_ < unitBits_) {
        buffered_ = (buffered_ << kSixBits) | static_cast<std::uint64_t>(body_[next_++] - kBias);
        bufferedBits_ += kSixBits;
      }
      bufferedBits_ -= unitBits_;
      const std::uint64_t unit = buffered_ >> bufferedBits_;
      if (((unit >> width_) & 1) == 1) ++v_;
      x = static_cast<std::int64_t>(unit & xMask_);
      if (v_ >= n_) break;
      if (x > v_) {
        v_ = x;
        continue;
      }
      v = v_;
      return true;
    }
    bitsLeft_ = 0;
    return false;
  }

 private:
  std::string_view body_;
  std::size_t next_;
  std::int64_t n_;
  int width_, unitBits_;
  std::uint64_t xMask_;
  std::int64_t bitsLeft_;
  std::uint64_t buffered_ = 0;
  int bufferedBits_ = 0;
  std::int64_t v_ = 0;
};

Decoded decodeSparse6(std::string_view line, SimpleGraph& g, IgnoredEdges& ignored, std::string& error,
                      const Deadline& deadline) {
  ignored = {};
  if (line.empty() || line.front() != ':') {
    error = "sparse6 line does not start with ':'";
    return Decoded::Failed;
  }
  line.remove_prefix(1);
  std::int64_t n = 0;
  std::size_t pos = 0;
  if (!decodeOrder(line, n, pos, error)) {
    error = "sparse6 " + error;
    return Decoded::Failed;
  }
  g.reset(static_cast<std::int32_t>(n));
  // v never decreases, so an edge x-v can only be listed again while v is current, and v's list
  // then holds exactly the edges listed since v became current. A short list is searched (it is
  // in cache; a mark per vertex would cost a cache miss an edge on a large sparse graph); once it
  // is long, its entries are marked, each mark stamped with a number that changes with v, and a
  // repeat is told in constant time.
  thread_local std::vector<std::uint64_t> mark;
  thread_local std::uint64_t stamp = 0;
  ++stamp;
  auto isRepeat = [&](std::int64_t x, std::int64_t current) {
    const auto list = g.neighbours(static_cast<std::int32_t>(current));
    if (list.size() < kSearchedListLength) return std::find(list.begin(), list.end(), x) != list.end();
    if (mark.size() < at(n)) mark.resize(at(n));
    if (list.size() == kSearchedListLength) {
      for (std::int32_t w : list) mark[at(w)] = stamp;
    }
    if (mark[at(x)] == stamp) return true;
    mark[at(x)] = stamp;
    return false;
  };
  // The edges are decoded kAhead ahead of the one added, and the list of each one's lower end
  // fetched meanwhile: those ends are random on a large graph, and the misses then overlap
  // instead of following one another.
  constexpr std::size_t kAhead = 16;
  struct Pending {
    std::int64_t x, v;
  };
  std::array<Pending, kAhead> ring{};
  std::size_t head = 0, count = 0;
  Sparse6Units units(line, pos, n);
  const auto refill = [&] {
    for (Pending p{}; count < kAhead && units.next(p.x, p.v); ++count) {
      ring[(head + count) % kAhead] = p;
      g.prefetchList(static_cast<std::int32_t>(p.x));
    }
  };
  std::int64_t current = -1;
  std::int64_t steps = 0;
  for (refill(); count > 0; refill()) {
    const auto [x, v] = ring[head];
    head = (head + 1) % kAhead;
    --count;
    if (++steps == kStepsPerDeadlineCheck) {
      steps = 0;
      if (deadline.expired()) return Decoded::OutOfTime;
    }
    if (v != current) {
      current = v;
      ++stamp;
    }
    if (x == v) {
      ++ignored.loops;
    } else if (isRepeat(x, v)) {
      ++ignored.repeats;
    } else {
      g.addNewEdge(static_cast<std::int32_t>(x), static_cast<std::int32_t>(v));
    }
  }
  return Decoded::Graph;
}

std::string encodeSparse6(const SimpleGraph& g) {
  const std::int32_t n = g.order();
  std::string out = ":";
  encodeOrder(n, out);
  const int width = sparse6Width(n);
  SixBitWriter writer(out);
  std::vector<std::int32_t> lower;
  std::int32_t current = 0;
  for (std::int32_t v = 0; v < n; ++v) {
    lower.clear();
    for (std::int32_t w : g.neighbours(v)) {
      if (w < v) lower.push_back(w);
    }
    std::sort(lower.begin(), lower.end());
    for (std::int32_t w : lower) {
      if (v == current) {
        writer.put(0, 1);
      } else {
        // One step on is b = 1; a longer jump names v in a unit of its own first.
        writer.put(1, 1);
        if (v > current + 1) {
          writer.put(v, width);
          writer.put(0, 1);
        }
        current = v;
      }
      writer.put(w, width);
    }
  }
  // Padding is all 1-bits, except where those would read as one more unit (1, n - 1) that,
  // with v at n - 2, is the loop at n - 1: then a 0-bit first makes it a jump to n - 1.
  const int room = writer.roomInCharacter();
  const bool loopLookalike = n == (std::int64_t{1} << width) && width > 0 && current == n - 2 && room >= width + 1;
  writer.pad(loopLookalike ? (1 << (room - 1)) - 1 : (1 << room) - 1);
  return out;
}

namespace {

// The matrix text a row at a time: the count line, then each row's 0/1 entries.
template <class Emit>
void matrixRows(const SimpleGraph& g, Emit emit) {
  const std::int32_t n = g.order();
  emit(std::to_string(n) + "\n");
  std::string row;
  for (std::int32_t v = 0; v < n; ++v) {
    row.assign(at(2 * static_cast<std::int64_t>(n)), ' ');
    for (std::int32_t w = 0; w < n; ++w) row[at(2 * static_cast<std::int64_t>(w))] = '0';
    for (std::int32_t w : g.neighbours(v)) row[at(2 * static_cast<std::int64_t>(w))] = '1';
    if (n > 0) row.back() = '\n';
    emit(row);
  }
}

}  // namespace

std::string matrixText(const SimpleGraph& g) {
  std::string out;
  matrixRows(g, [&](const std::string& part) { out += part; });
  return out;
}

void writeMatrixText(const SimpleGraph& g, OutputSink& out) {
  matrixRows(g, [&](const std::string& part) { out << part; });
}

}  // namespace bicubic::check
