#include "check/formats.h"

#include <algorithm>
#include <cctype>
#include <unordered_set>
#include <vector>

namespace bicubic::check {

namespace {

constexpr std::string_view kGraph6Header = ">>graph6<<";
constexpr std::string_view kSparse6Header = ">>sparse6<<";
// Beyond this many warnings for one graph the rest are only counted.
constexpr std::size_t kMaxWarnings = 20;
// The start of a junk first line shown in the "not a graph file" message.
constexpr std::size_t kJunkQuoteLength = 16;
constexpr unsigned char kDelete = 0x7f;
// Said when a source is none of the formats read here, with the way from nauty's other formats.
constexpr std::string_view kKnownFormats =
    "the formats read are the bicubic matrix file, graph6, sparse6, TSPLIB HCP and planar code, "
    "each also gzip-compressed (nauty-copyg -g converts nauty's other formats to graph6)";

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

bool isControlByte(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == kDelete; }
bool isPrintableAscii(unsigned char c) { return c == '\t' || (c >= 0x20 && c < kDelete); }

// Length of the valid UTF-8 sequence at the front of text (0 when it is none). Overlong forms,
// surrogates and code points past U+10FFFF are invalid.
std::size_t utf8SequenceLength(std::string_view text) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xbf;
  if (lead >= 0xc2 && lead <= 0xdf) {
    length = 2;
  } else if (lead >= 0xe0 && lead <= 0xef) {
    length = 3;
    if (lead == 0xe0) low = 0xa0;
    if (lead == 0xed) high = 0x9f;
  } else if (lead >= 0xf0 && lead <= 0xf4) {
    length = 4;
    if (lead == 0xf0) low = 0x90;
    if (lead == 0xf4) high = 0x8f;
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(k) < 0x80 || byte(k) > 0xbf) return 0;
  }
  // C1 controls (U+0080..U+009F) are terminal commands too: escaped like the C0 ones.
  if (lead == 0xc2 && byte(1) <= 0x9f) return 0;
  return length;
}

void appendEscapedByte(unsigned char c, std::string& out) {
  static constexpr char kHex[] = "0123456789abcdef";
  out += "\\x";
  out += kHex[c >> 4];
  out += kHex[c & 15];
}

// The first line of a source's head, when it holds a control byte: binary, not a graph file.
bool headIsBinary(std::string_view head, std::string& error) {
  const std::string_view firstLine = head.substr(0, head.find('\n'));
  for (char c : firstLine) {
    const auto byte = static_cast<unsigned char>(c);
    if (!isControlByte(byte)) continue;
    std::string shown;
    appendEscapedByte(byte, shown);
    error = "not a graph file: its first line holds the control byte " + shown + " (it starts " +
            quotedForMessage(firstLine, kJunkQuoteLength) + "); " + std::string(kKnownFormats);
    return true;
  }
  return false;
}

std::string atLine(std::int64_t line) { return "line " + std::to_string(line) + ": "; }

}  // namespace

std::string quotedForMessage(std::string_view text, std::size_t maxCharacters) {
  std::string out;
  std::size_t characters = 0;
  std::size_t k = 0;
  while (k < text.size() && characters < maxCharacters) {
    const auto c = static_cast<unsigned char>(text[k]);
    ++characters;
    if (c == '\\') {
      out += "\\\\";
      ++k;
    } else if (c < 0x20 || c == kDelete) {
      appendEscapedByte(c, out);
      ++k;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++k;
    } else if (const std::size_t length = utf8SequenceLength(text.substr(k)); length > 0) {
      out += text.substr(k, length);
      k += length;
    } else {
      appendEscapedByte(c, out);
      ++k;
    }
  }
  if (k < text.size()) out += "...";
  return out;
}

Format detectFormat(std::string_view firstLine) {
  std::string_view line = trim(firstLine);
  if (line.starts_with(kGraph6Header)) return Format::Graph6;
  if (line.starts_with(kSparse6Header) || line.starts_with(':')) return Format::Sparse6;
  if (line.empty()) return Format::Matrix;
  const unsigned char c = static_cast<unsigned char>(line.front());
  if (std::isdigit(c) || c == '+' || c == '-') return Format::Matrix;
  // A keyword is short: the head of the line tells, and a graph6 line of megabytes is not scanned.
  constexpr std::size_t kKeywordHead = 256;
  std::string_view key, value;
  splitKeyword(line.substr(0, kKeywordHead), key, value);
  if (isHcpKeyword(key) && (key.size() < line.size() || key == "EOF" || key == "EDGE_DATA_SECTION")) {
    return Format::Hcp;
  }
  return Format::Graph6;
}


GraphSource::GraphSource(std::string name, MethodRunner& method) : name_(std::move(name)), method_(method) {}

bool GraphSource::open(std::string& error) {
  if (!input_.open(name_, error)) return false;
  if (looksLikePlanarCode(input_.head())) {
    format_ = Format::PlanarCode;
    return true;
  }
  if (headIsBinary(input_.head(), error)) return false;
  // The first non-blank line decides the format; it is then read again as part of the graph.
  while (input_.readLine(line_)) {
    ++lineNumber_;
    const std::string_view first = trim(line_);
    if (first.empty()) continue;
    if (first.front() == '&') {
      error = "digraph6 input is not supported";
      return false;
    }
    format_ = detectFormat(first);
    input_.unreadLine(std::move(line_));
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

void GraphSource::warn(std::string message) {
  if (warnings_.size() < kMaxWarnings) {
    warnings_.push_back(std::move(message));
  } else {
    ++unlistedWarnings_;
  }
}

GraphSource::Status GraphSource::next(SimpleGraph& g, std::string& error) {
  warnings_.clear();
  unlistedWarnings_ = 0;
  lastLine_ = {};
  lastLineFormat_ = format_;
  if (done_) return Status::End;
  Status status = Status::End;
  switch (format_) {
    case Format::Graph6:
    case Format::Sparse6:
      status = nextLineGraph(g, error);
      break;
    case Format::Hcp:
      status = readHcp(g, error);
      break;
    case Format::Matrix:
      done_ = true;
      status = readMatrix(g, error);
      break;
    case Format::PlanarCode:
      status = readPlanarCode(g, error);
      break;
  }
  if (unlistedWarnings_ > 0) warnings_.push_back(std::to_string(unlistedWarnings_) + " more warnings not shown");
  return status;
}

GraphSource::Status GraphSource::nextLineGraph(SimpleGraph& g, std::string& error) {
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
    if (view.starts_with(kGraph6Header)) {
      view.remove_prefix(kGraph6Header.size());
    } else if (view.starts_with(kSparse6Header)) {
      view.remove_prefix(kSparse6Header.size());
    }
    if (view.empty()) continue;
    return decodeLine(view, g, error);
  }
}

GraphSource::Status GraphSource::decodeLine(std::string_view line, SimpleGraph& g, std::string& error) {
  const bool firstLine = !anyLineSeen_;
  anyLineSeen_ = true;
  bool decoded = false;
  if (line.front() == ':') {
    IgnoredEdges ignored;
    decoded = decodeSparse6(line, g, ignored, error);
    if (ignored.loops > 0) warn(atLine(lineNumber_) + std::to_string(ignored.loops) + " loop(s) ignored");
    if (ignored.repeats > 0) warn(atLine(lineNumber_) + std::to_string(ignored.repeats) + " repeated edge(s) ignored");
    lastLineFormat_ = Format::Sparse6;
  } else if (line.front() == ';') {
    error = "incremental sparse6 (';') is not supported";
  } else if (line.front() == '&') {
    error = "digraph6 is not supported";
  } else {
    decoded = decodeGraph6(line, g, error);
    lastLineFormat_ = Format::Graph6;
  }
  if (decoded) {
    lastLine_ = line;
    return Status::Graph;
  }
  // A first line that is no graph and not even printable text: the source is binary junk, and
  // reading on would only repeat the same error for every "line" of it.
  const bool printable = std::all_of(line.begin(), line.end(),
                                     [](char c) { return isPrintableAscii(static_cast<unsigned char>(c)); });
  if (firstLine && !printable) {
    done_ = true;
    error = "not a graph file: line " + std::to_string(lineNumber_) + " is neither graph6 nor sparse6 (it starts " +
            quotedForMessage(line, kJunkQuoteLength) + "); " + std::string(kKnownFormats);
    return Status::Error;
  }
  error = atLine(lineNumber_) + error;
  return Status::Error;
}

GraphSource::Status GraphSource::readPlanarCode(SimpleGraph& g, std::string& error) {
  PlaneGraph& read = duals_ ? primal_ : plane_;
  const PlanarCodeReader::Status status = planar_.next(read, error);
  if (status != PlanarCodeReader::Status::Graph) {
    done_ = true;
    if (status == PlanarCodeReader::Status::End && input_.failed()) error = input_.error();
    return status == PlanarCodeReader::Status::End && !input_.failed() ? Status::End : Status::Error;
  }
  const std::string which = "graph " + std::to_string(++lineNumber_) + (duals_ ? " (dual)" : "") + ": ";
  if (duals_ && !dualGraph(primal_, plane_, error)) {
    error = which + error;
    return Status::Error;
  }
  IgnoredEdges ignored;
  underlyingGraph(plane_, g, ignored);
  if (ignored.loops > 0) warn(which + std::to_string(ignored.loops) + " loop(s) ignored");
  if (ignored.repeats > 0) warn(which + std::to_string(ignored.repeats) + " repeated edge(s) ignored");
  return Status::Graph;
}

struct HcpHeader {
  std::int64_t dimension = -1;
  bool adjacencyList = false;
  bool sectionOpened = false;
  bool anyLine = false;
  // How the instance ended: at its EOF line (another instance may follow) or its closing -1.
  bool sawEof = false;
  bool closed = false;
};

struct HcpNumber {
  std::int64_t value;
  std::int64_t line;
};

// One HCP instance: keyword lines, EDGE_DATA_SECTION, numbers up to the closing -1, EOF. After
// EOF the source may hold another instance, read by the next call as the next graph.
GraphSource::Status GraphSource::readHcp(SimpleGraph& g, std::string& error) {
  done_ = true;  // an error ends the source: there is no telling where the next instance starts
  HcpHeader header;
  std::vector<HcpNumber> numbers;
  if (!readHcpHeader(header, error)) return Status::Error;
  if (!header.anyLine) return Status::End;
  if (!header.sectionOpened) {
    error = header.dimension < 0 ? "no DIMENSION line" : "no EDGE_DATA_SECTION";
    return Status::Error;
  }
  if (!readHcpNumbers(header, numbers, error)) return Status::Error;
  if (header.closed && !header.sawEof && !skipHcpTail(header, error)) return Status::Error;
  if (header.dimension < 0) {
    error = "no DIMENSION line";
    return Status::Error;
  }
  if (!buildHcpGraph(header, numbers, g, error)) return Status::Error;
  done_ = !header.sawEof;
  return Status::Graph;
}

// Keyword lines up to and including EDGE_DATA_SECTION, which is left in line_ (it may hold
// numbers already); stops early at EOF or the end of the input.
bool GraphSource::readHcpHeader(HcpHeader& header, std::string& error) {
  while (input_.readLine(line_)) {
    ++lineNumber_;
    const std::string_view view = trim(line_);
    if (view.empty()) continue;
    header.anyLine = true;
    std::string_view key, value;
    splitKeyword(view, key, value);
    if (key == "EOF") {
      header.sawEof = true;
      return true;
    }
    if (key == "EDGE_DATA_SECTION") {
      header.sectionOpened = true;
      return true;
    }
    if (key == "TYPE" && value != "HCP") {
      error = atLine(lineNumber_) + "TYPE is " + quotedForMessage(value) + ", only HCP is read";
      return false;
    }
    if (key == "DIMENSION") {
      std::int64_t dimension = -1;
      if (!parseInt(value, dimension) || dimension < 0 || dimension > kMaxGraphOrder) {
        error = atLine(lineNumber_) + "DIMENSION " + quotedForMessage(value) + " is not a usable vertex count";
        return false;
      }
      if (header.dimension >= 0 && header.dimension != dimension) {
        error = atLine(lineNumber_) + "DIMENSION " + std::to_string(dimension) + " contradicts the earlier " +
                std::to_string(header.dimension);
        return false;
      }
      header.dimension = dimension;
    } else if (key == "EDGE_DATA_FORMAT") {
      if (value != "EDGE_LIST" && value != "ADJ_LIST") {
        error = atLine(lineNumber_) + "EDGE_DATA_FORMAT " + quotedForMessage(value) + " is not read";
        return false;
      }
      header.adjacencyList = value == "ADJ_LIST";
    } else if (!isHcpKeyword(key)) {
      error = atLine(lineNumber_) + "unknown keyword " + quotedForMessage(key);
      return false;
    }
  }
  if (input_.failed()) {
    error = input_.error();
    return false;
  }
  return true;
}

// The numbers of EDGE_DATA_SECTION, from the section line itself on, up to the closing -1 (an
// edge list closes at its first -1, an adjacency list at a -1 where a vertex would start), EOF
// or the end of the input. Numbers after the closing -1 on its own line are an error.
bool GraphSource::readHcpNumbers(HcpHeader& header, std::vector<HcpNumber>& numbers, std::string& error) {
  std::string_view key, rest;
  splitKeyword(trim(line_), key, rest);
  bool listOpen = false;  // adjacency list: inside a vertex's list
  for (;;) {
    if (rest == "EOF") {
      header.sawEof = true;
      return true;
    }
    while (!rest.empty()) {
      std::size_t stop = 0;
      while (stop < rest.size() && !std::isspace(static_cast<unsigned char>(rest[stop]))) ++stop;
      const std::string_view token = rest.substr(0, stop);
      rest = trim(rest.substr(stop));
      if (header.closed && token == "EOF" && rest.empty()) {
        header.sawEof = true;
        return true;
      }
      if (header.closed) {
        error = atLine(lineNumber_) + quotedForMessage(token) + " after the closing -1";
        return false;
      }
      std::int64_t value = 0;
      if (!parseInt(token, value)) {
        error = atLine(lineNumber_) + "'" + quotedForMessage(token) + "' is not a vertex number";
        return false;
      }
      if (value == -1 && (!header.adjacencyList || !listOpen)) {
        header.closed = true;
        continue;
      }
      listOpen = value != -1;
      numbers.push_back({value, lineNumber_});
    }
    if (header.closed) return true;
    if (!input_.readLine(line_)) break;
    ++lineNumber_;
    rest = trim(line_);
  }
  if (input_.failed()) {
    error = input_.error();
    return false;
  }
  return true;
}

// After the closing -1: blank lines, then EOF or the end of the input.
bool GraphSource::skipHcpTail(HcpHeader& header, std::string& error) {
  while (input_.readLine(line_)) {
    ++lineNumber_;
    const std::string_view view = trim(line_);
    if (view.empty()) continue;
    if (view == "EOF") {
      header.sawEof = true;
      return true;
    }
    error = atLine(lineNumber_) + quotedForMessage(view) + " after the closing -1";
    return false;
  }
  if (input_.failed()) {
    error = input_.error();
    return false;
  }
  return true;
}

// Builds g from the section's numbers. Loops and repeated edges get a warning naming their line
// and are left out; an adjacency list that names each edge from both ends repeats nothing.
bool GraphSource::buildHcpGraph(const HcpHeader& header, const std::vector<HcpNumber>& numbers, SimpleGraph& g,
                                std::string& error) {
  const auto n = static_cast<std::int32_t>(header.dimension);
  g.reset(n);
  std::unordered_set<std::uint64_t> listed;  // adjacency list: the pairs (vertex, neighbour) seen
  auto addEdge = [&](const HcpNumber& u, const HcpNumber& v) {
    for (const HcpNumber& end : {u, v}) {
      if (end.value < 1 || end.value > n) {
        error = atLine(end.line) + "vertex " + std::to_string(end.value) + " is outside 1.." + std::to_string(n);
        return false;
      }
    }
    const std::string edge = std::to_string(u.value) + "-" + std::to_string(v.value);
    const auto a = static_cast<std::int32_t>(u.value - 1);
    const auto b = static_cast<std::int32_t>(v.value - 1);
    if (a == b) {
      warn(atLine(v.line) + "loop " + edge + " ignored");
    } else if (header.adjacencyList) {
      // The edge may be there already from b's own list; only the same listing twice repeats.
      if (listed.insert(static_cast<std::uint64_t>(a) << 32 | static_cast<std::uint32_t>(b)).second) {
        g.addEdge(a, b);
      } else {
        warn(atLine(v.line) + "repeated edge " + edge + " ignored");
      }
    } else if (!g.addEdge(a, b)) {
      warn(atLine(v.line) + "repeated edge " + edge + " ignored");
    }
    return true;
  };
  std::size_t k = 0;
  if (!header.adjacencyList) {
    if (numbers.size() % 2 != 0) {
      error = atLine(numbers.back().line) + "EDGE_DATA_SECTION ends inside an edge";
      return false;
    }
    for (; k < numbers.size(); k += 2) {
      if (!addEdge(numbers[k], numbers[k + 1])) return false;
    }
    return true;
  }
  // A vertex, its neighbours, -1; the closing -1 was taken off by readHcpNumbers.
  while (k < numbers.size()) {
    const HcpNumber& vertex = numbers[k++];
    for (; k < numbers.size() && numbers[k].value != -1; ++k) {
      if (!addEdge(vertex, numbers[k])) return false;
    }
    ++k;
  }
  return true;
}

GraphSource::Status GraphSource::readMatrix(SimpleGraph& g, std::string& error) {
  OutputSink readerLines = OutputSink::discarding();
  // The reader names the source in its messages: escaped like any other input.
  const std::string shownName = quotedForMessage(name_, kNameQuoteLength);
  const MethodRunner::MatrixRead read = method_.readMatrix(input_, shownName, readerLines);
  if (!read.read) {
    error = read.failure;
    return Status::Error;
  }
  g.reset(read.order);
  for (const MethodRunner::Edge& edge : read.edges) g.addNewEdge(edge.u, edge.v);
  return Status::Graph;
}

}  // namespace bicubic::check
