#include "check/planar_code.h"

#include <algorithm>

#include "check/formats.h"

namespace bicubic::check {

namespace {

constexpr std::string_view kHeaderStart = ">>planar_code";
constexpr std::string_view kHeaderEnd = "<<";
constexpr std::size_t kBlock = 1 << 16;
// A header is ">>planar_code" then " le", " be" or nothing, then "<<".
constexpr std::size_t kLongestHeader = 18;

enum class Endian { Big, Little };

// The header at the start of bytes, if any: its length and the 2-byte entries' byte order.
std::size_t headerLength(std::string_view bytes, Endian& endian) {
  endian = Endian::Big;
  if (!bytes.starts_with(kHeaderStart)) return 0;
  std::string_view rest = bytes.substr(kHeaderStart.size());
  if (rest.starts_with(" le")) {
    endian = Endian::Little;
    rest.remove_prefix(3);
  } else if (rest.starts_with(" be")) {
    rest.remove_prefix(3);
  }
  if (!rest.starts_with(kHeaderEnd)) return 0;
  return bytes.size() - rest.size() + kHeaderEnd.size();
}

}  // namespace

bool looksLikePlanarCode(std::string_view head) {
  Endian endian = Endian::Big;
  if (headerLength(head, endian) > 0) return true;
  if (head.empty()) return false;
  std::size_t k = 0;
  const auto byte = [&](std::size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(head[i])); };
  std::uint32_t n = byte(k++);
  const bool twoBytes = n == 0;
  const std::size_t width = twoBytes ? 2 : 1;
  if (twoBytes) {
    if (head.size() < 3) return false;
    n = byte(1) << 8 | byte(2);  // big-endian: the order a headerless stream is written in
    k = 3;
  }
  if (n == 0) return false;
  // Binary junk can pass the range test by chance, so the lists seen must also be those of a
  // simple graph (no loop, no neighbour twice): generators write simple graphs without a header.
  std::uint32_t closed = 0;
  std::vector<std::uint32_t> list;
  for (; k + width <= head.size() && closed < n; k += width) {
    const std::uint32_t entry = twoBytes ? (byte(k) << 8 | byte(k + 1)) : byte(k);
    if (entry > n || entry == closed + 1 || std::find(list.begin(), list.end(), entry) != list.end()) return false;
    if (entry == 0) {
      ++closed;
      list.clear();
    } else {
      list.push_back(entry);
    }
  }
  return closed >= std::min<std::uint32_t>(n, 2);
}

bool PlanarCodeReader::fill() {
  if (position_ < end_) return true;
  buffer_.resize(kBlock);
  const std::ptrdiff_t got = input_.read(buffer_.data(), buffer_.size());
  if (got <= 0) return false;
  position_ = 0;
  end_ = static_cast<std::size_t>(got);
  return true;
}

bool PlanarCodeReader::readByte(std::uint8_t& value) {
  if (!fill()) return false;
  value = buffer_[position_++];
  return true;
}

bool PlanarCodeReader::readEntry(std::uint32_t& value) {
  std::uint8_t first = 0;
  if (!readByte(first)) return false;
  if (!twoBytes_) {
    value = first;
    return true;
  }
  std::uint8_t second = 0;
  if (!readByte(second)) return false;
  value = littleEndian_ ? (std::uint32_t{second} << 8 | first) : (std::uint32_t{first} << 8 | second);
  return true;
}

// The header, when the stream starts with one; nothing is consumed otherwise.
PlanarCodeReader::Status PlanarCodeReader::readHeader(std::string& error) {
  started_ = true;
  // The header is short and the first block of any stream holds it whole.
  if (!fill()) return Status::End;
  const std::size_t available = std::min(end_ - position_, kLongestHeader);
  const std::string_view start(reinterpret_cast<const char*>(buffer_.data() + position_), available);
  Endian endian = Endian::Big;
  const std::size_t length = headerLength(start, endian);
  if (length == 0 && start.starts_with(kHeaderStart)) {
    error = "a planar_code header other than >>planar_code<<, >>planar_code le<< and >>planar_code be<<";
    return Status::Error;
  }
  littleEndian_ = endian == Endian::Little;
  position_ += length;
  return Status::Graph;
}

PlanarCodeReader::Status PlanarCodeReader::next(PlaneGraph& g, std::string& error) {
  if (!started_) {
    const Status header = readHeader(error);
    if (header != Status::Graph) return header;
  }
  const std::string which = "graph " + std::to_string(graphs_ + 1) + ": ";
  twoBytes_ = false;
  std::uint8_t first = 0;
  if (!readByte(first)) return Status::End;
  std::uint32_t n = first;
  if (first == 0) {
    twoBytes_ = true;
    if (!readEntry(n)) {
      error = which + "the input ends inside the vertex count";
      return Status::Error;
    }
    if (n == 0) {
      error = which + "a vertex count of 0";
      return Status::Error;
    }
  }
  if (n > kMaxGraphOrder) {
    error = which + "more than " + std::to_string(kMaxGraphOrder) + " vertices";
    return Status::Error;
  }
  g.rotation.resize(n);
  for (std::uint32_t v = 0; v < n; ++v) {
    std::vector<std::int32_t>& list = g.rotation[v];
    list.clear();
    for (std::uint32_t entry = 0;;) {
      if (!readEntry(entry)) {
        error = which + "the input ends inside the neighbour list of vertex " + std::to_string(v + 1) + " of " +
                std::to_string(n);
        return Status::Error;
      }
      if (entry == 0) break;
      if (entry > n) {
        error = which + "vertex " + std::to_string(v + 1) + " has neighbour " + std::to_string(entry) +
                ", beyond the " + std::to_string(n) + " vertices";
        return Status::Error;
      }
      list.push_back(static_cast<std::int32_t>(entry - 1));
    }
  }
  ++graphs_;
  return Status::Graph;
}

void underlyingGraph(const PlaneGraph& plane, SimpleGraph& g, IgnoredEdges& ignored) {
  ignored = {};
  g.reset(plane.order());
  for (std::int32_t v = 0; v < plane.order(); ++v) {
    for (std::int32_t w : plane.rotation[static_cast<std::size_t>(v)]) {
      if (w == v) {
        ++ignored.loops;
      } else if (v < w && !g.addEdge(v, w)) {
        ++ignored.repeats;
      }
    }
  }
}

bool dualGraph(const PlaneGraph& plane, PlaneGraph& dual, std::string& error) {
  // Darts (v, k): the k-th entry of v's rotation. Each dart's twin is the entry of v in the
  // rotation of its head.
  const std::int32_t n = plane.order();
  for (std::int32_t v = 0; v < n; ++v) {
    std::vector<std::int32_t> sorted = plane.rotation[static_cast<std::size_t>(v)];
    std::sort(sorted.begin(), sorted.end());
    const bool loop = std::binary_search(sorted.begin(), sorted.end(), v);
    if (loop || std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) {
      // Planar code does not say which copies of a repeated pair are the two ends of one edge.
      error = "vertex " + std::to_string(v + 1) + " has " + (loop ? "a loop" : "parallel edges") +
              ": the dual is taken only of plane graphs without them";
      return false;
    }
  }
  std::vector<std::int64_t> start(static_cast<std::size_t>(n) + 1, 0);
  for (std::int32_t v = 0; v < n; ++v) {
    start[static_cast<std::size_t>(v) + 1] = start[static_cast<std::size_t>(v)] + static_cast<std::int64_t>(plane.rotation[static_cast<std::size_t>(v)].size());
  }
  const auto darts = static_cast<std::size_t>(start.back());
  const auto dartOf = [&](std::int32_t v, std::size_t k) { return static_cast<std::size_t>(start[static_cast<std::size_t>(v)]) + k; };
  std::vector<std::size_t> twin(darts, darts);
  std::vector<std::int32_t> tail(darts);
  for (std::int32_t v = 0; v < n; ++v) {
    const auto& list = plane.rotation[static_cast<std::size_t>(v)];
    for (std::size_t k = 0; k < list.size(); ++k) {
      tail[dartOf(v, k)] = v;
      if (twin[dartOf(v, k)] != darts) continue;
      const std::int32_t w = list[k];
      const auto& back = plane.rotation[static_cast<std::size_t>(w)];
      std::size_t j = 0;
      while (j < back.size() && (back[j] != v || twin[dartOf(w, j)] != darts || dartOf(w, j) == dartOf(v, k))) ++j;
      if (j == back.size()) {
        error = "the edge " + std::to_string(v + 1) + "-" + std::to_string(w + 1) + " is listed at vertex " +
                std::to_string(v + 1) + " only: not a plane embedding";
        return false;
      }
      twin[dartOf(v, k)] = dartOf(w, j);
      twin[dartOf(w, j)] = dartOf(v, k);
    }
  }
  // Faces: after dart u->v comes v->(the neighbour after u in v's clockwise order).
  std::vector<std::int32_t> face(darts, -1);
  std::vector<std::vector<std::size_t>> boundary;
  for (std::size_t d0 = 0; d0 < darts; ++d0) {
    if (face[d0] >= 0) continue;
    const auto f = static_cast<std::int32_t>(boundary.size());
    boundary.emplace_back();
    for (std::size_t d = d0; face[d] < 0;) {
      face[d] = f;
      boundary.back().push_back(d);
      const std::size_t back = twin[d];  // v->u as an entry of v's rotation
      const std::int32_t v = tail[back];
      const std::size_t k = back - static_cast<std::size_t>(start[static_cast<std::size_t>(v)]);
      const std::size_t size = plane.rotation[static_cast<std::size_t>(v)].size();
      d = dartOf(v, (k + 1) % size);
    }
  }
  // The dual's rotation at a face: the faces across its boundary's edges, in boundary order.
  dual.rotation.assign(boundary.size(), {});
  for (std::size_t f = 0; f < boundary.size(); ++f) {
    for (std::size_t d : boundary[f]) dual.rotation[f].push_back(face[twin[d]]);
  }
  return true;
}

std::string encodePlanarCode(const PlaneGraph& g) {
  const std::int32_t n = g.order();
  const bool twoBytes = n > kPlanarCodeOneByteMaxOrder;
  std::string out;
  const auto put = [&](std::int32_t value) {
    if (twoBytes) out += static_cast<char>(static_cast<unsigned char>(value >> 8 & 0xff));
    out += static_cast<char>(static_cast<unsigned char>(value & 0xff));
  };
  if (twoBytes) out += '\0';
  put(n);
  for (const auto& list : g.rotation) {
    for (std::int32_t w : list) put(w + 1);
    put(0);
  }
  return out;
}

}  // namespace bicubic::check
