// Graph sources for bicubic-check: one file, pipe or standard input, read once as a stream, whose
// format (the tool's own matrix, graph6/sparse6 lines, TSPLIB HCP) is told from its first line.
// A source yields its graphs in order; a bad graph6 or sparse6 line is reported and skipped, so one
// broken line does not hide the rest, while a source that is plainly no graph file (binary junk)
// gets one error and is not read further. Reading costs time linear in the bytes read, and
// memory bounded by the graph's own size plus a fixed amount, whatever the input holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/input_stream.h"
#include "check/planar_code.h"
#include "check/quoting.h"
#include "driver/method.h"
#include "exact/hamiltonian.h"

namespace bicubic::check {

using exact::Deadline;
using exact::SimpleGraph;

// The largest vertex count any reader accepts; past it the graph would not fit in memory anyway.
constexpr std::int64_t kMaxGraphOrder = 1 << 20;

// Graph6 and Sparse6 sources are read alike, line by line, and may mix the two: each line is
// decoded by its own first character (':' is sparse6).
enum class Format { Matrix, Graph6, Sparse6, Hcp, PlanarCode };

// How a decoder ended: the whole graph, a broken line (error says why), or the deadline passed
// (g has its order and only some of its edges).
enum class Decoded { Graph, Failed, OutOfTime };

// Decodes one graph6 line (without line end, header already removed) into g; on failure returns
// false and says why in error.
Decoded decodeGraph6(std::string_view line, SimpleGraph& g, std::string& error, const Deadline& deadline);
inline bool decodeGraph6(std::string_view line, SimpleGraph& g, std::string& error) {
  return decodeGraph6(line, g, error, Deadline()) == Decoded::Graph;
}

// What a sparse6 line can say that a simple graph cannot hold; the decoder leaves it out.
struct IgnoredEdges {
  std::int64_t loops = 0;
  std::int64_t repeats = 0;
};
// Decodes one sparse6 line (starting with ':', without line end or header) into g; loops and
// repeated edges are counted in ignored and left out. On failure returns false with the reason.
// Each test for a repeat takes constant time.
Decoded decodeSparse6(std::string_view line, SimpleGraph& g, IgnoredEdges& ignored, std::string& error,
                      const Deadline& deadline);
inline bool decodeSparse6(std::string_view line, SimpleGraph& g, IgnoredEdges& ignored, std::string& error) {
  return decodeSparse6(line, g, ignored, error, Deadline()) == Decoded::Graph;
}

// The most characters the graph6 or sparse6 text starting with `start` (header removed) can
// hold for the vertex count its first characters give (sparse6: any simple graph plus
// kSparse6RepeatAllowance characters of repeated edges); -1 when they give no vertex count.
constexpr std::int64_t kSparse6RepeatAllowance = std::int64_t{1} << 20;
std::int64_t graphTextBound(std::string_view start);
// The vertex count the first characters of graph6 or sparse6 text give, or -1.
std::int64_t graphTextOrder(std::string_view start);

// Encoders for the filter output: one graph6 or sparse6 line (no header, no line end), or the
// tool's matrix text (the vertex count on a line, then n rows of 0/1 separated by blanks, each
// ending in "\n"). Edges are listed in the canonical order, so equal graphs give equal text.
// The write* forms stream the text into out (graph6 line end included): memory stays a row.
std::string encodeGraph6(const SimpleGraph& g);
std::string encodeSparse6(const SimpleGraph& g);
std::string matrixText(const SimpleGraph& g);
void writeGraph6Line(const SimpleGraph& g, OutputSink& out);
void writeMatrixText(const SimpleGraph& g, OutputSink& out);

// The format a source's first non-blank line announces.
Format detectFormat(std::string_view firstLine);

// HCP reading in parts: the keyword lines, the numbers of EDGE_DATA_SECTION with their lines.
struct HcpHeader;
class HcpEdgeSink;

class GraphSource {
 public:
  // OutOfTime: the deadline passed while the graph was read; g holds its order and only some
  // of its edges, and the source has been read past it (the next graph can follow).
  enum class Status { Graph, End, Error, OutOfTime };

  // name is a path, or "-" for standard input. Matrix graphs are read by the method's own
  // reader in `method`, so that the method can then run on exactly what it read.
  GraphSource(std::string name, MethodRunner& method);
  GraphSource(const GraphSource&) = delete;
  GraphSource& operator=(const GraphSource&) = delete;

  const std::string& name() const { return name_; }
  // Planar code sources then yield each graph's dual (a triangulation's dual is cubic).
  void readDuals(bool duals) { duals_ = duals; }
  // graph6 and sparse6 lines are then read whole even past the deadline (only their decoding
  // stops), so that a graph the deadline stopped can still be written out as read.
  void keepLinesWhole(bool whole) { keepLinesWhole_ = whole; }
  // The plane graph just read from a planar code source (its dual with readDuals), else null.
  const PlaneGraph* lastPlaneGraph() const { return format_ == Format::PlanarCode ? &plane_ : nullptr; }
  // Opens the source and reads far enough to know its format; false (with error) when the
  // source cannot be read at all, or when its first line holds control bytes (binary junk:
  // error is "not a graph file: ..."). The caller reports that once and moves on.
  bool open(std::string& error);
  // Matrix, Hcp, or Graph6/Sparse6 by the first graph line (later lines may use the other).
  Format format() const { return format_; }

  // The next graph into g. Error: error says why (input quoted with quotedForMessage); the
  // caller may call next() again: graph6/sparse6 goes on with the following line, except after
  // "not a graph file: ..." for a first line that is junk; HCP and matrix sources end there.
  // An HCP source may hold several instances, each closed by EOF: each is one graph, and so is
  // each matrix of a source of matrices one after another.
  Status next(SimpleGraph& g, std::string& error, const Deadline& deadline = Deadline());

  // For the graph just read from a graph6 or sparse6 line: that line's text as decoded, without
  // line end, surrounding blanks or ">>graph6<<"/">>sparse6<<" header, and which of the two it
  // is. Empty (and format()) for matrix and HCP sources, and for a line the deadline stopped
  // before its end (it was never held whole). Valid until the next call of next().
  std::string_view lastLine() const { return lastLine_; }
  Format lastLineFormat() const { return lastLineFormat_; }

  // Things read but left out of the graph just returned or of the failed read (loops, repeated
  // edges), one message each starting with "line N: ", at most 20 and then a count of the rest.
  // Cleared by each next(); the app prints each as "bicubic-check: NAME: warning".
  const std::vector<std::string>& warnings() const { return warnings_; }

  // Bytes consumed so far and the total size, when the source is a regular file (else 0).
  std::int64_t bytesRead() const { return input_.bytesRead(); }
  std::int64_t totalBytes() const { return input_.totalBytes(); }

 private:
  friend class HcpEdgeSink;
  Status nextLineGraph(SimpleGraph& g, std::string& error, const Deadline& deadline);
  // How the rest of a long line was read: whole, refused (error says why) or stopped by the
  // deadline (the rest skipped unread).
  enum class LineRead { Whole, Refused, OutOfTime };
  LineRead readBoundedLine(std::string& error, const Deadline& deadline);
  Status lineOutOfTime(SimpleGraph& g);
  Status decodeLine(std::string_view line, SimpleGraph& g, std::string& error, const Deadline& deadline);
  Status readHcp(SimpleGraph& g, std::string& error, const Deadline& deadline);
  bool readHcpHeader(HcpHeader& header, std::string& error);
  bool readHcpSection(HcpHeader& header, SimpleGraph& g, std::string& error, const Deadline& deadline,
                      bool& outOfTime);
  bool skipHcpTail(HcpHeader& header, std::string& error);
  // Whether one more warning will be listed; if not, it is counted among the rest.
  bool listsNextWarning();
  void warn(std::string message);
  Status nextMatrix(SimpleGraph& g, std::string& error);
  Status readMatrix(SimpleGraph& g, std::string& error);
  // Skips blanks and line ends (counting lines); the next byte, left unread, or -1 at the end.
  int peekAfterBlanks();
  // The input's read error, with the line where it struck.
  std::string inputError() const;
  Status readPlanarCode(SimpleGraph& g, std::string& error);

  std::string name_;
  MethodRunner& method_;
  InputStream input_;
  Format format_ = Format::Graph6;
  bool done_ = false;
  // Whether a graph6/sparse6 line has been decoded or refused yet: only the first can be junk.
  bool anyLineSeen_ = false;
  std::int64_t lineNumber_ = 0;
  std::string line_;
  std::string_view lastLine_;
  Format lastLineFormat_ = Format::Graph6;
  std::vector<std::string> warnings_;
  std::int64_t unlistedWarnings_ = 0;
  PlanarCodeReader planar_{input_};
  PlaneGraph plane_, primal_;
  bool duals_ = false;
  bool keepLinesWhole_ = false;
};

}  // namespace bicubic::check
