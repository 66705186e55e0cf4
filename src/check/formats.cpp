#include "check/formats.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "check/line_text.h"

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
// How much of a line is read before its length is known: enough for any header, blanks and
// vertex count, and for the keyword of an HCP line.
constexpr std::size_t kLineProbe = 4096;
// Blanks (and a carriage return) a graph6 or sparse6 line may carry after its text.
constexpr std::int64_t kTrailingBlanks = 64;

bool isControlByte(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == kDelete; }
bool isPrintableAscii(unsigned char c) { return c == '\t' || (c >= 0x20 && c < kDelete); }
bool isBlank(int c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

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

// Where the graph text of a graph6/sparse6 line starts: after blanks and any header.
std::size_t graphTextStart(std::string_view line) {
  std::size_t k = 0;
  while (k < line.size() && isBlank(static_cast<unsigned char>(line[k]))) ++k;
  const std::string_view rest = line.substr(k);
  if (rest.starts_with(kGraph6Header)) return k + kGraph6Header.size();
  if (rest.starts_with(kSparse6Header)) return k + kSparse6Header.size();
  return k;
}

// Hands the tool's matrix reader the bytes of one matrix and no more: it counts the values the
// reader's scanner would see (runs of digits, each ending a value; a sign only leads one), and
// once the count line and its n*n values have passed, gives the rest back to the stream, which
// then reads as end of input. A bad count is passed on untouched (the reader refuses it and
// reads no further), and so is any other byte: where the reader would refuse a value, it is
// handed that value before the cut.
class MatrixExtent final : public ByteReader {
 public:
  explicit MatrixExtent(InputStream& input) : input_(input) {}

  std::ptrdiff_t read(unsigned char* into, std::size_t room) override {
    if (done_) return kEnd;
    const std::ptrdiff_t got = input_.read(into, room);
    if (got <= 0) return got;
    const auto size = static_cast<std::size_t>(got);
    std::size_t k = 0;
    for (; k < size && values_ == 0; ++k) step(into[k], k);
    // Past the count: a quick count of the values the block ends, then a careful walk only
    // through the block that holds the matrix's last value.
    if (target_ > 0 && k < size) {
      const unsigned char* rest = into + k;
      const std::size_t count = size - k;
      const bool endsInDigits = isDigit(rest[count - 1]);
      const std::int64_t ends = valueEnds(rest, count, inDigits_);
      if (values_ + ends + (endsInDigits ? 1 : 0) < target_) {
        values_ += ends;
        lineEnds_ += std::count(rest, rest + count, '\n');
        inDigits_ = endsInDigits;
        k = size;
      }
    }
    for (; k < size && !done_; ++k) step(into[k], k);
    const std::size_t kept = done_ ? cut_ : size;
    input_.unread(std::string_view(reinterpret_cast<const char*>(into) + kept, size - kept));
    return static_cast<std::ptrdiff_t>(kept);
  }
  std::int64_t lineEnds() const { return lineEnds_; }

 private:
  static bool isDigit(unsigned char c) { return static_cast<unsigned char>(c - '0') < 10; }

  // How many values end within bytes[0..size): a digit followed by a non-digit (the byte before
  // the first one a digit when digitBefore). Written pairwise, without a value carried from
  // byte to byte, so that the compiler can vectorise it.
  static std::int64_t valueEnds(const unsigned char* bytes, std::size_t size, bool digitBefore) {
    std::uint32_t ends = digitBefore && !isDigit(bytes[0]) ? 1 : 0;
    for (std::size_t k = 0; k + 1 < size; ++k) {
      ends += static_cast<std::uint32_t>(isDigit(bytes[k])) & static_cast<std::uint32_t>(!isDigit(bytes[k + 1]));
    }
    return ends;
  }

  // Byte `at` of the block being read.
  void step(unsigned char c, std::size_t at) {
    const bool digit = isDigit(c);
    if (inDigits_ && !digit && endValue()) {
      done_ = true;
      cut_ = at;
      return;
    }
    if (digit && values_ == 0 && count_ <= kCountCap) count_ = count_ * 10 + (c - '0');
    if (!inDigits_ && !digit && values_ == 0) negative_ = c == '-';
    inDigits_ = digit;
    lineEnds_ += c == '\n';
  }

  // One more value has ended; true when it was the matrix's last.
  bool endValue() {
    if (++values_ == 1) {
      const std::int64_t n = negative_ ? -count_ : count_;
      // A count the reader refuses: it reads no further, so nothing needs cutting.
      target_ = n >= 1 && n <= methodMaxOrder() ? 1 + n * n : -1;
    }
    return values_ == target_;
  }

  static constexpr std::int64_t kCountCap = std::int64_t{1} << 40;
  InputStream& input_;
  bool inDigits_ = false;
  bool negative_ = false;
  bool done_ = false;
  std::size_t cut_ = 0;
  std::int64_t count_ = 0;
  std::int64_t values_ = 0;
  std::int64_t target_ = -1;
  std::int64_t lineEnds_ = 0;
};

}  // namespace

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
  // The head of the first non-blank line decides the format; it is then read again as part of
  // the graph. Only its head: a first line may be gigabytes.
  if (peekAfterBlanks() < 0) {
    if (input_.failed()) {
      error = inputError();
      return false;
    }
    done_ = true;  // an empty source simply holds no graphs
    return true;
  }
  line_.clear();
  input_.readLinePart(line_, kLineProbe);
  if (input_.lineEnded()) line_ += '\n';
  input_.unread(line_);
  const std::string_view first = trim(line_);
  if (first.front() == '&') {
    error = "digraph6 input is not supported";
    return false;
  }
  format_ = detectFormat(first);
  return true;
}

int GraphSource::peekAfterBlanks() {
  unsigned char block[kLineProbe];
  for (;;) {
    const std::ptrdiff_t got = input_.read(block, sizeof block);
    if (got <= 0) return -1;
    for (std::ptrdiff_t k = 0; k < got; ++k) {
      if (block[k] == '\n') {
        ++lineNumber_;
      } else if (!isBlank(block[k])) {
        input_.unread(std::string_view(reinterpret_cast<const char*>(block) + k, static_cast<std::size_t>(got - k)));
        return block[k];
      }
    }
  }
}

std::string GraphSource::inputError() const { return atLine(lineNumber_ + 1) + input_.error(); }

bool GraphSource::listsNextWarning() {
  if (warnings_.size() < kMaxWarnings) return true;
  ++unlistedWarnings_;
  return false;
}

void GraphSource::warn(std::string message) {
  if (listsNextWarning()) warnings_.push_back(std::move(message));
}

GraphSource::Status GraphSource::next(SimpleGraph& g, std::string& error, const Deadline& deadline) {
  warnings_.clear();
  unlistedWarnings_ = 0;
  lastLine_ = {};
  lastLineFormat_ = format_;
  if (done_) return Status::End;
  Status status = Status::End;
  switch (format_) {
    case Format::Graph6:
    case Format::Sparse6:
      status = nextLineGraph(g, error, deadline);
      break;
    case Format::Hcp:
      status = readHcp(g, error, deadline);
      break;
    case Format::Matrix:
      status = nextMatrix(g, error);
      break;
    case Format::PlanarCode:
      status = readPlanarCode(g, error);
      break;
  }
  if (unlistedWarnings_ > 0) warnings_.push_back(std::to_string(unlistedWarnings_) + " more warnings not shown");
  return status;
}

GraphSource::Status GraphSource::nextLineGraph(SimpleGraph& g, std::string& error, const Deadline& deadline) {
  for (;;) {
    line_.clear();
    const InputStream::LinePart part = input_.readLinePart(line_, kLineProbe);
    if (part == InputStream::LinePart::None) {
      done_ = true;
      if (input_.failed()) {
        error = inputError();
        return Status::Error;
      }
      return Status::End;
    }
    ++lineNumber_;
    if (part == InputStream::LinePart::Cut) {
      const LineRead read = readBoundedLine(error, deadline);
      if (read == LineRead::Refused) return Status::Error;
      if (read == LineRead::OutOfTime) return lineOutOfTime(g);
    }
    std::string_view view = trim(line_);
    if (view.starts_with(kGraph6Header)) {
      view.remove_prefix(kGraph6Header.size());
    } else if (view.starts_with(kSparse6Header)) {
      view.remove_prefix(kSparse6Header.size());
    }
    if (view.empty()) continue;
    return decodeLine(view, g, error, deadline);
  }
}

// The rest of a line longer than the probe, read only as far as a graph of the vertex count it
// announces can reach: a longer line is skipped to its end unread (its bytes only counted) and
// refused, so a line of gigabytes costs no memory. The deadline stops the reading too: what is
// left of the line is then skipped, never stored.
GraphSource::LineRead GraphSource::readBoundedLine(std::string& error, const Deadline& deadline) {
  // Blanks (and a header) before the graph text may run on for any length: dropped a piece at a
  // time until the text starts.
  while (graphTextStart(line_) == line_.size()) {
    line_.clear();
    if (input_.readLinePart(line_, kLineProbe) != InputStream::LinePart::Cut) return LineRead::Whole;
  }
  const std::size_t start = graphTextStart(line_);
  const std::string_view text = std::string_view(line_).substr(start);
  const std::int64_t bound = graphTextBound(text);
  const bool sparse6 = !text.empty() && text.front() == ':';
  if (bound >= 0) {
    const auto limit = static_cast<std::size_t>(static_cast<std::int64_t>(start) + bound + kTrailingBlanks);
    const InputStream::LinePart part = input_.readLinePart(line_, limit, keepLinesWhole_ ? Deadline::never() : deadline);
    if (part == InputStream::LinePart::Whole) return LineRead::Whole;
    if (part == InputStream::LinePart::OutOfTime) return LineRead::OutOfTime;
  }
  const std::int64_t length = static_cast<std::int64_t>(line_.size()) + input_.skipLine();
  const bool junk = !anyLineSeen_ && !isPrintableAscii(static_cast<unsigned char>(text.front()));
  anyLineSeen_ = true;
  if (bound < 0 || junk) {
    done_ = done_ || junk;
    error = (junk ? "not a graph file: " : "") + atLine(lineNumber_) + "a line of " + std::to_string(length) +
            " bytes that is neither graph6 nor sparse6 (it starts " + quotedForMessage(text, kJunkQuoteLength) + ")";
    return LineRead::Refused;
  }
  error = atLine(lineNumber_) + (sparse6 ? "sparse6" : "graph6") + " line of " + std::to_string(length) +
          " bytes, longer than any graph of the vertex count it starts with (at most " + std::to_string(bound) +
          " characters)";
  return LineRead::Refused;
}

// A line the deadline stopped before its end: the graph has the order the line starts with and
// no edges, and the rest of the line is skipped (scanned for its end, never stored or decoded)
// so that the next graph follows.
GraphSource::Status GraphSource::lineOutOfTime(SimpleGraph& g) {
  anyLineSeen_ = true;
  const std::string_view text = std::string_view(line_).substr(graphTextStart(line_));
  lastLineFormat_ = !text.empty() && text.front() == ':' ? Format::Sparse6 : Format::Graph6;
  g.reset(static_cast<std::int32_t>(graphTextOrder(text)));
  // Scanned, not sought past by the length the order gives: a line cut short in the file would
  // then take the graphs after it along.
  input_.skipLine();
  return Status::OutOfTime;
}

GraphSource::Status GraphSource::decodeLine(std::string_view line, SimpleGraph& g, std::string& error,
                                            const Deadline& deadline) {
  const bool firstLine = !anyLineSeen_;
  anyLineSeen_ = true;
  Decoded decoded = Decoded::Failed;
  if (line.front() == ':') {
    IgnoredEdges ignored;
    decoded = decodeSparse6(line, g, ignored, error, deadline);
    if (ignored.loops > 0) warn(atLine(lineNumber_) + std::to_string(ignored.loops) + " loop(s) ignored");
    if (ignored.repeats > 0) warn(atLine(lineNumber_) + std::to_string(ignored.repeats) + " repeated edge(s) ignored");
    lastLineFormat_ = Format::Sparse6;
  } else if (line.front() == ';') {
    error = "incremental sparse6 (';') is not supported";
  } else if (line.front() == '&') {
    error = "digraph6 is not supported";
  } else {
    decoded = decodeGraph6(line, g, error, deadline);
    lastLineFormat_ = Format::Graph6;
  }
  if (decoded != Decoded::Failed) {
    lastLine_ = line;
    return decoded == Decoded::Graph ? Status::Graph : Status::OutOfTime;
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
    if (status == PlanarCodeReader::Status::End && input_.failed()) error = inputError();
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

// A matrix source holds one matrix after another (a count line after a complete matrix starts
// the next one); anything else after a matrix is refused, never dropped.
GraphSource::Status GraphSource::nextMatrix(SimpleGraph& g, std::string& error) {
  const int next = peekAfterBlanks();
  if (next < 0) {
    done_ = true;
    if (!input_.failed()) return Status::End;
    error = inputError();
    return Status::Error;
  }
  if (std::isdigit(next) || next == '+' || next == '-') return readMatrix(g, error);
  done_ = true;
  line_.clear();
  input_.readLinePart(line_, kMessageQuoteLength + 1);
  error = atLine(lineNumber_ + 1) + quotedForMessage(trim(line_)) +
          " follows a matrix: a source of matrices holds nothing else";
  return Status::Error;
}

GraphSource::Status GraphSource::readMatrix(SimpleGraph& g, std::string& error) {
  OutputSink readerLines = OutputSink::discarding();
  // The reader names the source in its messages: escaped like any other input.
  const std::string shownName = quotedForMessage(name_, kNameQuoteLength);
  MatrixExtent extent(input_);
  const MethodRunner::MatrixRead read = method_.readMatrix(extent, shownName, readerLines);
  lineNumber_ += extent.lineEnds();
  if (!read.read) {
    done_ = true;  // there is no telling where the next matrix would start
    error = read.failure;
    if (input_.failed()) error += " (" + inputError() + ")";
    return Status::Error;
  }
  g.reset(read.order);
  for (const MethodRunner::Edge& edge : read.edges) g.addNewEdge(edge.u, edge.v);
  return Status::Graph;
}

}  // namespace bicubic::check
