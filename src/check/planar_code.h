// Planar code, the binary format of the plane-graph generators: per graph the order n, then for
// each vertex its neighbours (1-based) in clockwise order, each list closed by 0. The reader
// keeps that rotation system, so that a plane triangulation's dual can be taken and a graph
// written back; decoding and the dual cost time linear in the graph's size.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exact/hamiltonian.h"
#include "graph/byte_reader.h"

namespace bicubic::check {

using exact::SimpleGraph;

struct IgnoredEdges;  // formats.h

// Entries are one byte up to this order, else 2 bytes after a leading 0 byte (an order of 253
// or more cannot be told from the entries' byte values in a 1-byte form that writers avoid).
constexpr std::int32_t kPlanarCodeOneByteMaxOrder = 252;

// A plane graph as its rotation system: rotation[v] lists v's neighbours (0-based) clockwise.
// A pair may repeat (parallel edges) and a vertex may list itself (a loop).
struct PlaneGraph {
  std::vector<std::vector<std::int32_t>> rotation;
  std::int32_t order() const { return static_cast<std::int32_t>(rotation.size()); }
};

// Whether a source's first bytes are planar code: its header (">>planar_code<<", or with " le"
// or " be" before "<<"), or, headerless, a start that decodes as the beginning of a simple
// graph with at least two closed neighbour lists (text never holds the 0 bytes that close them).
bool looksLikePlanarCode(std::string_view head);

// Reads graph after graph from a byte stream (its header, if any, is skipped at the start).
class PlanarCodeReader {
 public:
  enum class Status { Graph, End, Error };
  explicit PlanarCodeReader(ByteReader& input) : input_(input) {}
  // The next graph; End at a clean end of input, Error (with the reason) on a truncated graph
  // or an entry out of range, after which the source cannot be read further.
  Status next(PlaneGraph& g, std::string& error);

 private:
  bool fill();
  bool readByte(std::uint8_t& value);
  bool readEntry(std::uint32_t& value);
  Status readHeader(std::string& error);

  ByteReader& input_;
  std::vector<unsigned char> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  bool started_ = false;
  bool littleEndian_ = false;  // 2-byte entries are big-endian unless the header says " le"
  bool twoBytes_ = false;
  std::int64_t graphs_ = 0;
};

// The simple graph underneath: loops and repeated pairs left out (counted in ignored), which
// changes no Hamiltonian cycle of a graph of 3 or more vertices.
void underlyingGraph(const PlaneGraph& plane, SimpleGraph& g, IgnoredEdges& ignored);

// The dual plane graph: one vertex per face of the embedding (faces traced by taking, at the end
// of each edge, the next neighbour clockwise), one edge across each edge. The dual of a plane
// triangulation is cubic; of an Eulerian one, bipartite as well. False (with the reason) when
// the rotation system is not consistent (an edge listed at one end only) or has a loop or
// parallel edges (planar code does not pair their ends). The dual itself may have both.
bool dualGraph(const PlaneGraph& plane, PlaneGraph& dual, std::string& error);

// One graph in planar code (no header): 1-byte entries up to kPlanarCodeOneByteMaxOrder
// vertices, else a 0 byte and big-endian 2-byte entries.
std::string encodePlanarCode(const PlaneGraph& g);
inline constexpr std::string_view kPlanarCodeHeader = ">>planar_code<<";

}  // namespace bicubic::check
