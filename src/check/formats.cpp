#include "check/formats.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace bicubic::check {

namespace {

constexpr std::string_view kGraph6Header = ">>graph6<<";
constexpr std::string_view kSparse6Header = ">>sparse6<<";
// graph6 and HCP can state huge orders; past this the graph would not fit in memory anyway.
constexpr std::int64_t kMaxOrder = 1 << 20;

std::string_view trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

bool isHcpKeyword(std::string_view word) {
  static constexpr std::string_view kKeywords[] = {
      "NAME", "TYPE", "COMMENT", "DIMENSION", "EDGE_DATA_FORMAT", "EDGE_DATA_SECTION", "EOF",
      "EDGE_WEIGHT_TYPE", "NODE_COORD_TYPE", "DISPLAY_DATA_TYPE", "NODE_COORD_SECTION"};
  for (std::string_view k : kKeywords) {
    if (word == k) return true;
  }
  return false;
}

// Splits "KEY : value" (the colon and spaces optional around it) into key and value.
void splitKeyword(std::string_view line, std::string_view& key, std::string_view& value) {
  line = trim(line);
  std::size_t stop = 0;
  while (stop < line.size() && line[stop] != ':' && !std::isspace(static_cast<unsigned char>(line[stop]))) ++stop;
  key = line.substr(0, stop);
  std::string_view rest = trim(line.substr(stop));
  if (!rest.empty() && rest.front() == ':') rest.remove_prefix(1);
  value = trim(rest);
}

bool parseInt(std::string_view token, std::int64_t& value) {
  if (token.empty() || token.size() > 18) return false;
  std::size_t i = 0;
  bool negative = false;
  if (token[0] == '-' || token[0] == '+') {
    negative = token[0] == '-';
    i = 1;
    if (token.size() == 1) return false;
  }
  std::int64_t v = 0;
  for (; i < token.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(token[i]))) return false;
    v = v * 10 + (token[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

}  // namespace

bool decodeGraph6(std::string_view line, SimpleGraph& g, std::string& error) {
  for (char c : line) {
    if (c < 63 || c > 126) {
      error = "graph6 line holds a character outside '?' to '~'";
      return false;
    }
  }
  if (line.empty()) {
    error = "empty graph6 line";
    return false;
  }
  std::int64_t n = 0;
  std::size_t pos = 0;
  auto take = [&](std::size_t count) {
    std::int64_t v = 0;
    for (std::size_t k = 0; k < count; ++k) v = (v << 6) | (line[pos + k] - 63);
    pos += count;
    return v;
  };
  if (line[0] != 126) {
    n = line[0] - 63;
    pos = 1;
  } else if (line.size() >= 2 && line[1] != 126) {
    if (line.size() < 4) {
      error = "graph6 line ends inside its vertex count";
      return false;
    }
    pos = 1;
    n = take(3);
  } else {
    if (line.size() < 8) {
      error = "graph6 line ends inside its vertex count";
      return false;
    }
    pos = 2;
    n = take(6);
  }
  if (n > kMaxOrder) {
    error = "graph6 vertex count " + std::to_string(n) + " is too large";
    return false;
  }
  const std::int64_t bits = n * (n - 1) / 2;
  const std::int64_t chars = (bits + 5) / 6;
  if (static_cast<std::int64_t>(line.size() - pos) != chars) {
    error = "graph6 line for " + std::to_string(n) + " vertices should have " + std::to_string(chars) +
            " edge characters, has " + std::to_string(line.size() - pos);
    return false;
  }
  g.reset(static_cast<std::int32_t>(n));
  std::int64_t k = 0;
  for (std::int32_t j = 1; j < n; ++j) {
    for (std::int32_t i = 0; i < j; ++i, ++k) {
      const int byte = line[pos + static_cast<std::size_t>(k / 6)] - 63;
      if ((byte >> (5 - k % 6)) & 1) g.addNewEdge(i, j);
    }
  }
  return true;
}

std::string encodeGraph6(const SimpleGraph& g) {
  const std::int64_t n = g.order();
  std::string out;
  if (n < 63) {
    out += static_cast<char>(63 + n);
  } else if (n < 258048) {
    out += static_cast<char>(126);
    for (int s = 12; s >= 0; s -= 6) out += static_cast<char>(63 + ((n >> s) & 63));
  } else {
    out += static_cast<char>(126);
    out += static_cast<char>(126);
    for (int s = 30; s >= 0; s -= 6) out += static_cast<char>(63 + ((n >> s) & 63));
  }
  int acc = 0;
  int filled = 0;
  for (std::int32_t j = 1; j < n; ++j) {
    for (std::int32_t i = 0; i < j; ++i) {
      acc = (acc << 1) | (g.hasEdge(i, j) ? 1 : 0);
      if (++filled == 6) {
        out += static_cast<char>(63 + acc);
        acc = 0;
        filled = 0;
      }
    }
  }
  if (filled > 0) out += static_cast<char>(63 + (acc << (6 - filled)));
  return out;
}

Format detectFormat(std::string_view firstLine) {
  std::string_view line = trim(firstLine);
  if (line.starts_with(kGraph6Header)) return Format::Graph6;
  if (line.empty()) return Format::Matrix;
  const unsigned char c = static_cast<unsigned char>(line.front());
  if (std::isdigit(c) || c == '+' || c == '-') return Format::Matrix;
  std::string_view key, value;
  splitKeyword(line, key, value);
  if (isHcpKeyword(key) && (key.size() < line.size() || key == "EOF" || key == "EDGE_DATA_SECTION")) {
    return Format::Hcp;
  }
  return Format::Graph6;
}

GraphSource::GraphSource(std::string name) : name_(std::move(name)) {}

GraphSource::~GraphSource() {
  if (ownsFile_ && file_ != nullptr) std::fclose(file_);
  std::free(lineBuffer_);
}

bool GraphSource::readLine(std::string& line) {
  const ssize_t got = ::getline(&lineBuffer_, &lineCapacity_, file_);
  if (got < 0) return false;
  bytesRead_ += got;
  ++lineNumber_;
  std::size_t len = static_cast<std::size_t>(got);
  while (len > 0 && (lineBuffer_[len - 1] == '\n' || lineBuffer_[len - 1] == '\r')) --len;
  line.assign(lineBuffer_, len);
  return true;
}

bool GraphSource::open(std::string& error) {
  if (name_ == "-") {
    file_ = stdin;
  } else {
    struct stat info {};
    if (::stat(name_.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
      error = "is a directory";
      return false;
    }
    file_ = std::fopen(name_.c_str(), "rb");
    if (file_ == nullptr) {
      error = std::strerror(errno);
      return false;
    }
    ownsFile_ = true;
    if (::fstat(fileno(file_), &info) == 0 && S_ISREG(info.st_mode)) totalBytes_ = info.st_size;
  }
  // The first non-blank line decides the format.
  std::string line;
  while (readLine(line)) {
    if (!trim(line).empty()) {
      pending_ = line;
      hasPending_ = true;
      break;
    }
  }
  if (!hasPending_) {
    if (std::ferror(file_)) {
      error = std::strerror(errno);
      return false;
    }
    format_ = Format::Graph6;  // an empty source simply holds no graphs
    done_ = true;
    return true;
  }
  const std::string_view first = trim(pending_);
  if (first.starts_with(kSparse6Header) || first.front() == ':' || first.front() == '&') {
    error = "sparse6 and digraph6 input is not supported; convert it to graph6 (nauty-copyg -g)";
    return false;
  }
  format_ = detectFormat(pending_);
  return true;
}

GraphSource::Status GraphSource::next(SimpleGraph& g, std::string& error) {
  if (done_) return Status::End;
  switch (format_) {
    case Format::Graph6:
      return nextGraph6(g, error);
    case Format::Hcp:
      done_ = true;
      return readHcp(g, error);
    case Format::Matrix:
      done_ = true;
      return readMatrix(g, error);
  }
  return Status::End;
}

GraphSource::Status GraphSource::nextGraph6(SimpleGraph& g, std::string& error) {
  std::string line;
  for (;;) {
    if (hasPending_) {
      line = std::move(pending_);
      hasPending_ = false;
    } else if (!readLine(line)) {
      done_ = true;
      if (std::ferror(file_)) {
        error = std::string("read failed: ") + std::strerror(errno);
        return Status::Error;
      }
      return Status::End;
    }
    std::string_view view = trim(line);
    if (view.starts_with(kGraph6Header)) view.remove_prefix(kGraph6Header.size());
    if (view.empty()) continue;
    if (!decodeGraph6(view, g, error)) {
      error = "line " + std::to_string(lineNumber_) + ": " + error;
      return Status::Error;
    }
    return Status::Graph;
  }
}

GraphSource::Status GraphSource::readHcp(SimpleGraph& g, std::string& error) {
  std::int64_t dimension = -1;
  std::string format = "EDGE_LIST";
  std::string line = std::move(pending_);
  hasPending_ = false;
  bool haveLine = true;
  bool inEdges = false;
  std::vector<std::int64_t> numbers;
  for (; haveLine; haveLine = readLine(line)) {
    std::string_view view = trim(line);
    if (view.empty()) continue;
    if (!inEdges) {
      std::string_view key, value;
      splitKeyword(view, key, value);
      if (key == "EOF") break;
      if (key == "TYPE") {
        if (value != "HCP") {
          error = "line " + std::to_string(lineNumber_) + ": TYPE is " + std::string(value) + ", only HCP is read";
          return Status::Error;
        }
      } else if (key == "DIMENSION") {
        if (!parseInt(value, dimension) || dimension < 0 || dimension > kMaxOrder) {
          error = "line " + std::to_string(lineNumber_) + ": DIMENSION is not a usable vertex count";
          return Status::Error;
        }
      } else if (key == "EDGE_DATA_FORMAT") {
        format = std::string(value);
        if (format != "EDGE_LIST" && format != "ADJ_LIST") {
          error = "line " + std::to_string(lineNumber_) + ": EDGE_DATA_FORMAT " + format + " is not read";
          return Status::Error;
        }
      } else if (key == "EDGE_DATA_SECTION") {
        inEdges = true;
      } else if (!isHcpKeyword(key)) {
        error = "line " + std::to_string(lineNumber_) + ": unknown keyword " + std::string(key);
        return Status::Error;
      }
      continue;
    }
    if (view == "EOF") break;
    std::size_t i = 0;
    while (i < view.size()) {
      while (i < view.size() && std::isspace(static_cast<unsigned char>(view[i]))) ++i;
      std::size_t j = i;
      while (j < view.size() && !std::isspace(static_cast<unsigned char>(view[j]))) ++j;
      if (j > i) {
        std::int64_t v = 0;
        if (!parseInt(view.substr(i, j - i), v)) {
          error = "line " + std::to_string(lineNumber_) + ": '" + std::string(view.substr(i, j - i)) + "' is not a vertex number";
          return Status::Error;
        }
        numbers.push_back(v);
      }
      i = j;
    }
  }
  if (dimension < 0) {
    error = "no DIMENSION line";
    return Status::Error;
  }
  if (!inEdges) {
    error = "no EDGE_DATA_SECTION";
    return Status::Error;
  }
  const auto n = static_cast<std::int32_t>(dimension);
  g.reset(n);
  auto vertexOk = [&](std::int64_t v) { return v >= 1 && v <= n; };
  std::size_t k = 0;
  if (format == "EDGE_LIST") {
    while (k < numbers.size() && numbers[k] != -1) {
      if (k + 1 >= numbers.size() || numbers[k + 1] == -1) {
        error = "EDGE_DATA_SECTION ends inside an edge";
        return Status::Error;
      }
      if (!vertexOk(numbers[k]) || !vertexOk(numbers[k + 1])) {
        error = "edge " + std::to_string(numbers[k]) + " " + std::to_string(numbers[k + 1]) +
                " names a vertex outside 1.." + std::to_string(n);
        return Status::Error;
      }
      g.addEdge(static_cast<std::int32_t>(numbers[k] - 1), static_cast<std::int32_t>(numbers[k + 1] - 1));
      k += 2;
    }
  } else {
    // ADJ_LIST: a vertex, its neighbours, -1; the whole section ends with another -1.
    while (k < numbers.size() && numbers[k] != -1) {
      const std::int64_t v = numbers[k++];
      if (!vertexOk(v)) {
        error = "vertex " + std::to_string(v) + " is outside 1.." + std::to_string(n);
        return Status::Error;
      }
      while (k < numbers.size() && numbers[k] != -1) {
        if (!vertexOk(numbers[k])) {
          error = "vertex " + std::to_string(numbers[k]) + " is outside 1.." + std::to_string(n);
          return Status::Error;
        }
        g.addEdge(static_cast<std::int32_t>(v - 1), static_cast<std::int32_t>(numbers[k] - 1));
        ++k;
      }
      ++k;
    }
  }
  return Status::Graph;
}

GraphSource::Status GraphSource::readMatrix(SimpleGraph& g, std::string& error) {
  // The tool's own reader takes a path; standard input is first copied to a private file.
  std::string path = name_;
  std::string tempPath;
  if (name_ == "-") {
    const char* dir = std::getenv("TMPDIR");
    tempPath = std::string(dir != nullptr && *dir != 0 ? dir : "/tmp") + "/bicubic-check-XXXXXX";
    std::vector<char> pattern(tempPath.begin(), tempPath.end());
    pattern.push_back(0);
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
      error = std::string("cannot make a temporary file for standard input: ") + std::strerror(errno);
      return Status::Error;
    }
    tempPath.assign(pattern.data());
    std::FILE* copy = ::fdopen(fd, "wb");
    bool ok = copy != nullptr;
    if (ok) {
      ok = std::fwrite(pending_.data(), 1, pending_.size(), copy) == pending_.size() && std::fputc('\n', copy) != EOF;
      char buffer[1 << 16];
      std::size_t got = 0;
      while (ok && (got = std::fread(buffer, 1, sizeof buffer, file_)) > 0) {
        bytesRead_ += static_cast<std::int64_t>(got);
        ok = std::fwrite(buffer, 1, got, copy) == got;
      }
      ok = std::fclose(copy) == 0 && ok;
    } else {
      ::close(fd);
    }
    if (!ok) {
      ::unlink(tempPath.c_str());
      error = "cannot copy standard input to a temporary file";
      return Status::Error;
    }
    path = tempPath;
  }
  hasPending_ = false;
  matrixGraph_ = std::make_unique<Graph>();
  OutputSink messages;
  const bool read = matrixGraph_->readGraph(path.c_str(), messages);
  if (!tempPath.empty()) ::unlink(tempPath.c_str());
  if (!read) {
    std::string text = messages.captured();
    if (!tempPath.empty()) {
      std::string named;
      std::size_t from = 0;
      for (std::size_t p; (p = text.find(tempPath, from)) != std::string::npos; from = p + tempPath.size()) {
        named.append(text, from, p - from);
        named += '-';
      }
      named.append(text, from, std::string::npos);
      text = std::move(named);
    }
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    error = text;
    matrixGraph_.reset();
    return Status::Error;
  }
  // Any non-zero entry at (i, j) or (j, i) is the undirected edge i-j; the diagonal is no edge.
  const std::int32_t n = matrixGraph_->nCities;
  g.reset(n);
  for (std::int32_t i = 0; i < n; ++i) {
    const std::int32_t* row = matrixGraph_->row(i);
    for (std::int32_t j = i + 1; j < n; ++j) {
      if (row[j] != 0 || matrixGraph_->getEdge(j, i) != 0) g.addNewEdge(i, j);
    }
  }
  return Status::Graph;
}

}  // namespace bicubic::check
