#include "check/formats.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <cstdio>
#include <algorithm>
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

std::string encodeSparse6(const SimpleGraph& g) {
  const std::int64_t n = g.order();
  std::string out = ":";
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
  int k = 0;
  while ((std::int64_t{1} << k) < n) ++k;
  std::uint32_t acc = 0;
  int filled = 0;
  auto put = [&](std::int64_t value, int bits) {
    for (int b = bits - 1; b >= 0; --b) {
      acc = (acc << 1) | static_cast<std::uint32_t>((value >> b) & 1);
      if (++filled == 6) {
        out += static_cast<char>(63 + acc);
        acc = 0;
        filled = 0;
      }
    }
  };
  std::int64_t current = 0;
  for (std::int32_t v = 0; v < n; ++v) {
    std::vector<std::int32_t> lower;
    for (std::int32_t u : g.neighbours(v)) {
      if (u <= v) lower.push_back(u);
    }
    std::sort(lower.begin(), lower.end());
    for (std::int32_t u : lower) {
      if (v == current) {
        put(0, 1);
      } else if (v == current + 1) {
        put(1, 1);
        current = v;
      } else {
        put(1, 1);
        put(v, k);
        current = v;
        put(0, 1);
      }
      put(u, k);
    }
  }
  if (filled > 0) {
    // Pad with ones; a padding of k or more bits after a vertex below n-1 would read as an edge.
    const int pad = 6 - filled;
    if (k < 6 && current == n - 2 && n == (std::int64_t{1} << k) && pad > k) put(0, 1);
    while (filled != 0) put(1, 1);
  }
  return out;
}

std::string matrixText(const SimpleGraph& g) {
  const std::int32_t n = g.order();
  std::string text = std::to_string(n) + "\n";
  std::vector<char> row(static_cast<std::size_t>(n));
  for (std::int32_t v = 0; v < n; ++v) {
    std::fill(row.begin(), row.end(), '0');
    for (std::int32_t w : g.neighbours(v)) row[static_cast<std::size_t>(w)] = '1';
    for (std::int32_t w = 0; w < n; ++w) {
      if (w > 0) text += ' ';
      text += row[static_cast<std::size_t>(w)];
    }
    text += '\n';
  }
  return text;
}

std::string quotedForMessage(std::string_view text) {
  constexpr std::size_t kLongest = 64;
  std::string quoted;
  for (std::size_t i = 0; i < text.size() && i < kLongest; ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", byte);
      quoted += hex;
    } else {
      quoted += static_cast<char>(byte);
    }
  }
  if (text.size() > kLongest) quoted += "...";
  return quoted;
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

GraphSource::GraphSource(std::string name, MethodRunner& method) : name_(std::move(name)), method_(method) {}

bool GraphSource::open(std::string& error) {
  if (!input_.open(name_, error)) return false;
  // The first non-blank line decides the format; it is then read again as part of the graph.
  while (input_.readLine(line_)) {
    ++lineNumber_;
    if (trim(line_).empty()) continue;
    const std::string_view first = trim(line_);
    if (first.starts_with(kSparse6Header) || first.front() == ':' || first.front() == '&') {
      error = "sparse6 and digraph6 input is not supported; convert it to graph6 (nauty-copyg -g)";
      return false;
    }
    format_ = detectFormat(first);
    input_.unreadLine(line_);
    --lineNumber_;
    return true;
  }
  if (input_.failed()) {
    error = input_.error();
    return false;
  }
  done_ = true;  // an empty source simply holds no graphs
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
  for (;;) {
    if (!input_.readLine(line_)) {
      done_ = true;
      if (input_.failed()) {
        error = input_.error();
        return Status::Error;
      }
      return Status::End;
    }
    ++lineNumber_;
    std::string_view view = trim(line_);
    if (view.starts_with(kGraph6Header)) view.remove_prefix(kGraph6Header.size());
    if (view.empty()) continue;
    lastLine_ = view;
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
  bool inEdges = false;
  std::vector<std::int64_t> numbers;
  while (input_.readLine(line_)) {
    ++lineNumber_;
    std::string_view view = trim(line_);
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
  OutputSink readerLines = OutputSink::discarding();
  const MethodRunner::MatrixRead read = method_.readMatrix(input_, name_, readerLines);
  if (!read.read) {
    error = read.failure;
    return Status::Error;
  }
  g.reset(read.order);
  for (const MethodRunner::Edge& edge : read.edges) g.addNewEdge(edge.u, edge.v);
  return Status::Graph;
}

}  // namespace bicubic::check
