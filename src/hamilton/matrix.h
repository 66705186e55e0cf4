// Matrix: a square integer matrix with a data buffer and a backup buffer of the same size, in
// which a product is assembled before it replaces data. A matrix whose buffers could not be
// allocated has 0 rows and 0 columns; products leave it alone and its diagonal test is false.
#pragma once

#include <cstdint>
#include <vector>

#include "graph/output_sink.h"

namespace bicubic {

class Matrix {
 public:
  // Copies rows x cols values of source into both buffers; reports a failed allocation on out.
  Matrix(const std::int32_t* source, std::int32_t rows, std::int32_t cols, OutputSink& out);
  virtual ~Matrix() = default;
  Matrix(const Matrix&) = delete;
  Matrix& operator=(const Matrix&) = delete;

  const std::int32_t* getData() const { return data.data(); }
  std::int32_t getRows() const { return rows; }
  std::int32_t getCols() const { return cols; }

  // this = this x other under the first non-zero rule: element (i, j) is 1 when the first
  // non-zero k of row i of this has other(k, j) non-zero, else 0.
  void boolMultiply(const Matrix& other);
  // True when rows >= 1 and every diagonal element equals value exactly.
  bool diagonalEquals(std::int32_t value) const;

 private:
  std::size_t index(std::int32_t i, std::int32_t j) const {
    return static_cast<std::size_t>(i) * static_cast<std::size_t>(rows) + static_cast<std::size_t>(j);
  }

  std::vector<std::int32_t> data;
  std::vector<std::int32_t> backup;
  std::int32_t rows;
  std::int32_t cols;
};

}  // namespace bicubic
