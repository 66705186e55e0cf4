#include "graph/tool_text.h"
#include "hamilton/matrix.h"

#include <algorithm>
#include <new>

namespace bicubic {

Matrix::Matrix(const std::int32_t* source, std::int32_t rowCount, std::int32_t colCount, OutputSink& out)
    : rows(rowCount), cols(colCount) {
  const std::size_t size = (static_cast<std::size_t>(std::max(rows, 0)) + 1) *
                           (static_cast<std::size_t>(std::max(cols, 0)) + 1);
  try {
    data.resize(size);
  } catch (const std::bad_alloc&) {
    out << text::kMatrixDataAllocation;
    rows = 0;
    cols = 0;
  }
  try {
    backup.resize(size);
  } catch (const std::bad_alloc&) {
    out << text::kMatrixBackupAllocation;
    rows = 0;
    cols = 0;
  }
  if (rows <= 0 || cols <= 0) return;
  const std::size_t used = static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols);
  std::copy(source, source + used, data.begin());
  std::copy(source, source + used, backup.begin());
}

void Matrix::boolMultiply(const Matrix& other) {
  const std::int32_t n = other.getRows();
  const std::int32_t* otherData = other.getData();
  for (std::int32_t i = 0; i < rows; ++i) {
    std::int32_t first = 0;
    while (first < n && data[index(i, first)] == 0) ++first;
    for (std::int32_t j = 0; j < cols; ++j) {
      std::int32_t result = 0;
      if (first < n) {
        result = otherData[static_cast<std::size_t>(first) * static_cast<std::size_t>(n) + static_cast<std::size_t>(j)] != 0;
      }
      backup[index(i, j)] = result;
    }
  }
  if (rows > 0 && cols > 0) {
    std::copy_n(backup.begin(), static_cast<std::size_t>(rows) * static_cast<std::size_t>(cols), data.begin());
  }
}

bool Matrix::diagonalEquals(std::int32_t value) const {
  if (rows < 1) return false;
  for (std::int32_t i = 0; i < rows; ++i) {
    if (data[index(i, i)] != value) return false;
  }
  return true;
}

}  // namespace bicubic
