// The TSPLIB HCP reader of GraphSource (declared in formats.h): keyword lines, then the edges of
// EDGE_DATA_SECTION read as they come, each distinct edge kept once, so memory is the graph's
// own size whatever the section repeats; the section must end at its closing -1.
#include <optional>
#include <unordered_set>

#include "check/formats.h"
#include "check/line_text.h"
#include "check/quoting.h"

namespace bicubic::check {

bool isHcpKeyword(std::string_view word) {
  static constexpr std::string_view kKeywords[] = {
      "NAME", "TYPE", "COMMENT", "DIMENSION", "EDGE_DATA_FORMAT", "EDGE_DATA_SECTION", "EOF",
      "EDGE_WEIGHT_TYPE", "NODE_COORD_TYPE", "DISPLAY_DATA_TYPE", "NODE_COORD_SECTION"};
  for (std::string_view k : kKeywords) {
    if (word == k) return true;
  }
  return false;
}

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

struct HcpHeader {
  std::int64_t dimension = -1;
  bool adjacencyList = false;
  bool sectionOpened = false;
  bool anyLine = false;
  // How the instance ended: at its EOF line (another instance may follow) or its closing -1.
  bool sawEof = false;
  bool closed = false;
  // The EDGE_DATA_SECTION line goes on beyond what line_ holds.
  bool sectionLineCut = false;
};

struct HcpNumber {
  std::int64_t value;
  std::int64_t line;
};

namespace {

// Numbers between two looks at the clock while a section is read.
constexpr std::int64_t kNumbersPerDeadlineCheck = 4096;
// A section is read in pieces of this many bytes; a number longer than kLongestNumber is no
// vertex number, so it is never carried from one piece to the next.
constexpr std::size_t kSectionPiece = std::size_t{1} << 16;
constexpr std::size_t kLongestNumber = 20;
// Of a keyword line only this much is kept (a NAME or COMMENT may be any length).
constexpr std::size_t kKeywordLineKept = 4096;

std::uint64_t pairKey(std::int32_t a, std::int32_t b) {
  return static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32 | static_cast<std::uint32_t>(b);
}

}  // namespace

// The edges of one section as they are read: each distinct edge goes into the graph once; loops
// and repeats are warned about by line. Every test is a hash lookup, so a section that repeats
// one edge a billion times costs a billion lookups and no memory.
class HcpEdgeSink {
 public:
  HcpEdgeSink(const HcpHeader& header, SimpleGraph& g, GraphSource& source)
      : adjacency_(header.adjacencyList), n_(static_cast<std::int32_t>(header.dimension)), g_(g), source_(source) {
    g_.reset(n_);
  }

  // Checks that a vertex number is in 1..n.
  bool inRange(const HcpNumber& end, std::string& error) const {
    if (end.value >= 1 && end.value <= n_) return true;
    error = atLine(end.line) + "vertex " + std::to_string(end.value) + " is outside 1.." + std::to_string(n_);
    return false;
  }

  bool add(const HcpNumber& u, const HcpNumber& v, std::string& error) {
    if (!inRange(u, error) || !inRange(v, error)) return false;
    if (!keep_) return true;
    const auto a = static_cast<std::int32_t>(u.value - 1);
    const auto b = static_cast<std::int32_t>(v.value - 1);
    if (a == b) {
      note(u, v, "loop ");
    } else if (adjacency_) {
      // The edge may be there already from b's own list; only the same listing twice repeats.
      if (!seen_.insert(pairKey(a, b)).second) {
        note(u, v, "repeated edge ");
      } else if (seen_.count(pairKey(b, a)) == 0) {
        g_.addNewEdge(a, b);
      }
    } else if (seen_.insert(pairKey(std::min(a, b), std::max(a, b))).second) {
      g_.addNewEdge(a, b);
    } else {
      note(u, v, "repeated edge ");
    }
    return true;
  }

  // Past the time limit the section is still read to its end (the next instance starts there),
  // but nothing more is kept.
  void stopKeeping() {
    keep_ = false;
    seen_ = {};
  }
  bool keeping() const { return keep_; }

 private:
  // The message is only made when it will be listed: a billion repeats cost no strings.
  void note(const HcpNumber& u, const HcpNumber& v, std::string_view what) {
    if (!source_.listsNextWarning()) return;
    source_.warn(atLine(v.line) + std::string(what) + std::to_string(u.value) + "-" + std::to_string(v.value) +
                 " ignored");
  }

  bool adjacency_;
  std::int32_t n_;
  SimpleGraph& g_;
  GraphSource& source_;
  std::unordered_set<std::uint64_t> seen_;
  bool keep_ = true;
};

// One HCP instance: keyword lines, EDGE_DATA_SECTION, numbers up to the closing -1, EOF. After
// EOF the source may hold another instance, read by the next call as the next graph.
GraphSource::Status GraphSource::readHcp(SimpleGraph& g, std::string& error, const Deadline& deadline) {
  done_ = true;  // an error ends the source: there is no telling where the next instance starts
  HcpHeader header;
  if (!readHcpHeader(header, error)) return Status::Error;
  if (!header.anyLine) return Status::End;
  if (!header.sectionOpened || header.dimension < 0) {
    error = header.dimension < 0 ? "no DIMENSION line" : "no EDGE_DATA_SECTION";
    return Status::Error;
  }
  bool outOfTime = false;
  if (!readHcpSection(header, g, error, deadline, outOfTime)) return Status::Error;
  if (!header.sawEof && !skipHcpTail(header, error)) return Status::Error;
  done_ = !header.sawEof;
  return outOfTime ? Status::OutOfTime : Status::Graph;
}

// Keyword lines up to and including EDGE_DATA_SECTION, which is left in line_ (it may hold
// numbers already); stops early at EOF or the end of the input.
bool GraphSource::readHcpHeader(HcpHeader& header, std::string& error) {
  for (;;) {
    line_.clear();
    const InputStream::LinePart part = input_.readLinePart(line_, kKeywordLineKept);
    if (part == InputStream::LinePart::None) break;
    ++lineNumber_;
    const bool cut = part == InputStream::LinePart::Cut;
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
      header.sectionLineCut = cut;
      return true;
    }
    if (cut) input_.skipLine();
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
  return !input_.failed() || (error = inputError(), false);
}

// The edges of EDGE_DATA_SECTION, from the section line itself on, up to the closing -1 (an
// edge list closes at its first -1, an adjacency list at a -1 where a vertex would start). A
// section that ends any other way (EOF, the end of the input) is cut short: an error, since the
// edges read so far are some other graph. Numbers after the closing -1 on its line are an error.
// Lines are read in pieces of kSectionPiece bytes, a number cut between two pieces carried over,
// so a section written on one line of gigabytes needs no more memory than one of many lines.
bool GraphSource::readHcpSection(HcpHeader& header, SimpleGraph& g, std::string& error, const Deadline& deadline,
                                 bool& outOfTime) {
  HcpEdgeSink edges(header, g, *this);
  std::optional<HcpNumber> pending;  // an edge's first end, or the vertex whose list is open
  std::int64_t sinceCheck = 0;
  // One number of the section; false when it ends the reading (closed, or an error).
  auto take = [&](std::string_view token) {
    HcpNumber number{0, lineNumber_};
    if (!parseInt(token, number.value)) {
      error = atLine(lineNumber_) + "'" + quotedForMessage(token) + "' is not a vertex number";
      return false;
    }
    if (++sinceCheck == kNumbersPerDeadlineCheck) {
      sinceCheck = 0;
      if (edges.keeping() && deadline.expired()) {
        edges.stopKeeping();
        outOfTime = true;
      }
    }
    if (number.value == -1 && (!header.adjacencyList || !pending)) {
      if (pending) error = atLine(lineNumber_) + "EDGE_DATA_SECTION ends inside an edge";
      header.closed = !pending;
      return false;
    }
    if (number.value == -1) {
      pending.reset();  // the end of a vertex's list
    } else if (!pending) {
      if (header.adjacencyList && !edges.inRange(number, error)) return false;
      pending = number;
    } else {
      if (!edges.add(*pending, number, error)) return false;
      if (!header.adjacencyList) pending.reset();
    }
    return true;
  };
  std::string_view key, rest;
  splitKeyword(trim(line_), key, rest);
  bool cut = header.sectionLineCut;  // line_ holds only a piece of its line
  bool lineStart = true;
  std::string carried;  // the start of a number cut at the end of the last piece
  for (;;) {
    if (lineStart && rest == "EOF" && !cut) {
      error = atLine(lineNumber_) + "EOF before the closing -1 of EDGE_DATA_SECTION";
      return false;
    }
    while (!rest.empty()) {
      std::size_t stop = 0;
      while (stop < rest.size() && !std::isspace(static_cast<unsigned char>(rest[stop]))) ++stop;
      // A piece that ends in a blank ends its last number too (rest may have lost that blank).
      const bool pieceEndsInNumber = !std::isspace(static_cast<unsigned char>(line_.back()));
      if (stop == rest.size() && cut && pieceEndsInNumber && stop <= kLongestNumber) {
        carried.assign(rest);  // the number may go on in the next piece
        break;
      }
      const std::string_view token = rest.substr(0, stop);
      rest = trim(rest.substr(stop));
      if (header.closed) {
        if (token == "EOF" && rest.empty() && !cut) {
          header.sawEof = true;
          return true;
        }
        error = atLine(lineNumber_) + quotedForMessage(token) + " after the closing -1";
        return false;
      }
      if (!take(token) && !header.closed) return false;
    }
    if (header.closed && !cut) return true;
    if (cut) {
      line_ = carried;
      carried.clear();
      cut = input_.readLinePart(line_, line_.size() + kSectionPiece) == InputStream::LinePart::Cut;
      lineStart = false;
    } else {
      line_.clear();
      const InputStream::LinePart part = input_.readLinePart(line_, kSectionPiece);
      if (part == InputStream::LinePart::None) break;
      ++lineNumber_;
      cut = part == InputStream::LinePart::Cut;
      lineStart = true;
    }
    rest = cut ? std::string_view(line_) : trim(line_);
    while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.front()))) rest.remove_prefix(1);
  }
  if (input_.failed()) {
    error = inputError();
  } else {
    error = atLine(lineNumber_) + "the input ends inside EDGE_DATA_SECTION, before its closing -1";
  }
  return false;
}

// After the closing -1: blank lines, then EOF or the end of the input.
bool GraphSource::skipHcpTail(HcpHeader& header, std::string& error) {
  for (;;) {
    line_.clear();
    const InputStream::LinePart part = input_.readLinePart(line_, kKeywordLineKept);
    if (part == InputStream::LinePart::None) break;
    if (part == InputStream::LinePart::Cut) input_.skipLine();
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
    error = inputError();
    return false;
  }
  return true;
}

}  // namespace bicubic::check
