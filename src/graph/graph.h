// Graph: the vertex graph of one run, its adjacency matrix, per-vertex colours, colour lists,
// pair table and balance status. After a successful readGraph or sized construction every
// buffer is sized from nCities, every colour is 0 and pair labels 0..nCities-1 are -1.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "graph/byte_reader.h"
#include "graph/output_sink.h"

namespace bicubic {

// The largest vertex count the reader accepts, and the size of the pair table.
inline constexpr std::int32_t kMaxVertices = 4999;
inline constexpr std::int32_t kPairTableSize = 5000;

// Outcome of the balance and cubic test, kept in the 32-bit `status` field (and carried into a
// half graph as its parent status): not tested yet, colour classes of different size, equal
// classes, equal classes with every coloured vertex of degree 3.
inline constexpr std::int32_t kStatusUntested = -1;
inline constexpr std::int32_t kStatusUnbalanced = 0;
inline constexpr std::int32_t kStatusBalanced = 1;
inline constexpr std::int32_t kStatusCubic = 2;

inline constexpr char kRed = 'r';
inline constexpr char kBlue = 'b';
inline constexpr char kUncoloured = 0;

struct Vertex {
  std::int32_t degree = 0;
  char colour = kUncoloured;
};

struct Pair {
  std::int32_t row = 0;
  std::int32_t col = 0;
  std::int32_t label = -1;
};

class Graph {
 public:
  Graph() = default;
  // An all-zero graph of n vertices (n at most kPairTableSize); throws std::bad_alloc when the
  // buffers cannot be had.
  explicit Graph(std::int32_t n);
  // Makes this the all-zero graph of n vertices, as Graph(n) would, keeping buffer capacity so
  // that a caller running graph after graph allocates only when a graph is larger.
  void reset(std::int32_t n);

  // Reads the count and the matrix from fileName; on failure prints the reason as one line and
  // returns false.
  bool readGraph(const char* fileName, OutputSink& out);
  // The same from bytes another program hands over; fileName only names them in the messages.
  bool readGraph(ByteReader& source, std::string_view fileName, OutputSink& out);

  std::int32_t getStatus() const { return status; }
  std::int32_t getEdge(std::int32_t row, std::int32_t column) const {
    return adjacency_matrix[static_cast<std::size_t>(row) * static_cast<std::size_t>(nCities) +
                            static_cast<std::size_t>(column)];
  }
  void setEdge(std::int32_t row, std::int32_t column, std::int32_t value) {
    adjacency_matrix[static_cast<std::size_t>(row) * static_cast<std::size_t>(nCities) +
                     static_cast<std::size_t>(column)] = value;
  }
  const std::int32_t* row(std::int32_t r) const {
    return adjacency_matrix.data() + static_cast<std::size_t>(r) * static_cast<std::size_t>(nCities);
  }

  std::vector<std::int32_t> rowLabels;
  std::vector<std::int32_t> colLabels;
  std::vector<std::int32_t> adjacency_matrix;
  std::vector<Vertex> vertices;
  std::int32_t nCities = -1;
  // Work store for the assignment solver's augmenting path: 2n-1 (row, column) entries.
  std::vector<std::int32_t> path;
  std::vector<Vertex> redVertices;
  std::vector<Vertex> blueVertices;
  std::array<Pair, kPairTableSize> pairs{};
  std::int32_t status = kStatusUntested;

 private:
  void labelVertices();
  void releaseBuffers();
};

// Room for the longest augmenting path of an n-vertex assignment: 2n-1 entries of two ints.
std::size_t pathStoreSize(std::int32_t n);

}  // namespace bicubic
