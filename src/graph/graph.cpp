#include "graph/graph.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <new>

#include "graph/integer_scanner.h"
#include "graph/tool_text.h"

namespace bicubic {

namespace {

// Owns an open file descriptor for the length of one read.
class FileHandle {
 public:
  explicit FileHandle(const char* path) : fd_(::open(path, O_RDONLY | O_CLOEXEC)) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (fd_ >= 0) ::close(fd_);
  }
  // A directory opens but yields no bytes, so it counts as a file that cannot be read.
  bool usable() const {
    struct stat info {};
    return fd_ >= 0 && ::fstat(fd_, &info) == 0 && !S_ISDIR(info.st_mode);
  }
  int fd() const { return fd_; }

 private:
  int fd_;
};

// Asks for transparent huge pages on a large block before it is first written: a 100 MB
// matrix then costs a few dozen page faults instead of tens of thousands. Only advice; where
// the system declines, nothing changes.
void adviseHugePages(const void* start, std::size_t bytes) {
  constexpr std::uintptr_t kPage = 4096;
  const auto begin = (reinterpret_cast<std::uintptr_t>(start) + kPage - 1) & ~(kPage - 1);
  const auto end = (reinterpret_cast<std::uintptr_t>(start) + bytes) & ~(kPage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
}

std::size_t squareOf(std::int32_t n) { return static_cast<std::size_t>(n) * static_cast<std::size_t>(n); }

}  // namespace

std::size_t pathStoreSize(std::int32_t n) {
  return n < 1 ? 0 : 2 * (2 * static_cast<std::size_t>(n) - 1);
}

Graph::Graph(std::int32_t n) { reset(n); }

void Graph::reset(std::int32_t n) {
  const std::size_t usedPairs = static_cast<std::size_t>(std::max(nCities, n));
  nCities = n;
  if (adjacency_matrix.capacity() < squareOf(n)) {
    adjacency_matrix = {};
    adjacency_matrix.reserve(squareOf(n));
    adviseHugePages(adjacency_matrix.data(), squareOf(n) * sizeof(std::int32_t));
  }
  adjacency_matrix.assign(squareOf(n), 0);
  rowLabels.resize(static_cast<std::size_t>(n));
  colLabels.resize(static_cast<std::size_t>(n));
  vertices.assign(static_cast<std::size_t>(n), Vertex{});
  std::fill_n(pairs.begin(), std::min(usedPairs, pairs.size()), Pair{});
  labelVertices();
  path.assign(pathStoreSize(n), 0);
  redVertices.clear();
  blueVertices.clear();
  status = kStatusUntested;
}

void Graph::labelVertices() {
  for (std::int32_t i = 0; i < nCities; ++i) {
    rowLabels[static_cast<std::size_t>(i)] = i + 1;
    colLabels[static_cast<std::size_t>(i)] = i + 1;
    pairs[static_cast<std::size_t>(i)].label = -1;
    vertices[static_cast<std::size_t>(i)].colour = kUncoloured;
  }
}

void Graph::releaseBuffers() {
  adjacency_matrix = {};
  rowLabels = {};
  colLabels = {};
  vertices = {};
  path = {};
}

namespace {

void reportCannotOpen(std::string_view name, OutputSink& out) {
  out << text::kOpenFile << name << text::kNotCorrectly;
  out.endLine();
}

}  // namespace

bool Graph::readGraph(const char* fileName, OutputSink& out) {
  if (fileName == nullptr) fileName = "";
  releaseBuffers();
  FileHandle file(fileName);
  if (!file.usable()) {
    reportCannotOpen(fileName, out);
    return false;
  }
  DescriptorReader source(file.fd());
  return readGraph(source, fileName, out);
}

bool Graph::readGraph(ByteReader& source, std::string_view fileName, OutputSink& out) {
  releaseBuffers();
  auto cannotOpen = [&] {
    reportCannotOpen(fileName, out);
    return false;
  };
  IntegerScanner scanner(source);
  std::int32_t count = 0;
  IntegerScanner::Result countResult = scanner.next(count);
  if (countResult == IntegerScanner::Result::ReadError) return cannotOpen();
  if (countResult == IntegerScanner::Result::Value) nCities = count;
  if (nCities < 1 || nCities > kMaxVertices) {
    out << text::kCountRange << nCities << text::kCountRangeMiddle << 1 << "," << kMaxVertices << "]";
    out.endLine();
    return false;
  }

  const std::int32_t n = nCities;
  try {
    adjacency_matrix.reserve(squareOf(n));
    adviseHugePages(adjacency_matrix.data(), squareOf(n) * sizeof(std::int32_t));
  } catch (const std::bad_alloc&) {
    releaseBuffers();
    out << text::kMatrixAllocation;
    out.endLine();
    return false;
  }
  try {
    rowLabels.resize(static_cast<std::size_t>(n));
    colLabels.resize(static_cast<std::size_t>(n));
    vertices.resize(static_cast<std::size_t>(n));
  } catch (const std::bad_alloc&) {
    releaseBuffers();
    out << text::kLabelAllocation;
    out.endLine();
    return false;
  }
  labelVertices();

  // The matrix grows a row at a time as it is read, so each row is cleared while it sits in
  // cache just before its values land, instead of clearing the whole block in a pass of its own.
  const std::size_t cells = squareOf(n);
  IntegerScanner::Result result = IntegerScanner::Result::Value;
  std::size_t valuesRead = 0;
  while (valuesRead < cells && result == IntegerScanner::Result::Value) {
    adjacency_matrix.resize(valuesRead + static_cast<std::size_t>(n));
    valuesRead += scanner.readValues(adjacency_matrix.data() + valuesRead, static_cast<std::size_t>(n), result);
  }
  if (result != IntegerScanner::Result::Value) {
    releaseBuffers();
    if (result == IntegerScanner::Result::ReadError) return cannotOpen();
    if (result == IntegerScanner::Result::EndOfInput) {
      out << text::kGraph << fileName << text::kEndsAfter << valuesRead << " of " << cells << " matrix values";
    } else {
      out << text::kGraph << fileName << text::kNoValidInteger << valuesRead / static_cast<std::size_t>(n) + 1
          << ", column " << valuesRead % static_cast<std::size_t>(n) + 1;
    }
    out.endLine();
    return false;
  }

  out << text::kGraph << fileName << text::kInputFinish;
  out.endLine();

  try {
    path.resize(pathStoreSize(n));
  } catch (const std::bad_alloc&) {
    path = {};
    out << text::kPathAllocation;
    out.endLine();
    return false;
  }
  return true;
}

}  // namespace bicubic
