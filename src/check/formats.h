// Graph sources for bicubic-check: one file, pipe or standard input, read once as a stream, whose
// format (the tool's own matrix, graph6, TSPLIB HCP) is told from its first line. A source yields
// its graphs in order; a bad graph6 line is reported and skipped, so one broken line does not
// hide the rest. Reading costs time linear in the bytes read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/input_stream.h"
#include "check/simple_graph.h"
#include "driver/method.h"

namespace bicubic::check {

enum class Format { Matrix, Graph6, Hcp };

// Decodes one graph6 line (without line end, header already removed) into g; on failure returns
// false and says why in error.
bool decodeGraph6(std::string_view line, SimpleGraph& g, std::string& error);

// Encodes g as a graph6 line (no line end); used by tests and the benchmark generators.
std::string encodeGraph6(const SimpleGraph& g);

// Encodes g as a sparse6 line (no header, no line end).
std::string encodeSparse6(const SimpleGraph& g);
// g in the bicubic tool's input format: the count on a line, then one line of 0/1 per row.
std::string matrixText(const SimpleGraph& g);
// Input text made safe for a message: control bytes escaped, cut short when long.
std::string quotedForMessage(std::string_view text);

// The format a source's first non-blank line announces.
Format detectFormat(std::string_view firstLine);

class GraphSource {
 public:
  enum class Status { Graph, End, Error };

  // name is a path, or "-" for standard input. Matrix graphs are read by the method's own
  // reader in `method`, so that the method can then run on exactly what it read.
  GraphSource(std::string name, MethodRunner& method);
  GraphSource(const GraphSource&) = delete;
  GraphSource& operator=(const GraphSource&) = delete;

  const std::string& name() const { return name_; }
  // Opens the source and reads far enough to know its format; false (with error) when the
  // source cannot be read at all.
  bool open(std::string& error);
  Format format() const { return format_; }

  // The next graph into g. Error: error says why; the caller may call next() again (graph6
  // goes on with the following line).
  Status next(SimpleGraph& g, std::string& error);

  // The line the last graph6 graph came from, as read (no line end, no header).
  std::string_view lastLine() const { return lastLine_; }
  // Warnings about the last graph read (cleared by next()).
  const std::vector<std::string>& warnings() const { return warnings_; }

  // Bytes consumed so far and the total size, when the source is a regular file (else 0).
  std::int64_t bytesRead() const { return input_.bytesRead(); }
  std::int64_t totalBytes() const { return input_.totalBytes(); }

 private:
  Status nextGraph6(SimpleGraph& g, std::string& error);
  Status readHcp(SimpleGraph& g, std::string& error);
  Status readMatrix(SimpleGraph& g, std::string& error);

  std::string name_;
  MethodRunner& method_;
  InputStream input_;
  Format format_ = Format::Graph6;
  bool done_ = false;
  std::int64_t lineNumber_ = 0;
  std::string line_;
  std::string_view lastLine_;
  std::vector<std::string> warnings_;
};

}  // namespace bicubic::check
