// Graph sources for bicubic-check: one file or standard input, whose format (the tool's own
// matrix, graph6, TSPLIB HCP) is told from its first line. A source yields its graphs in order;
// a bad graph6 line is reported and skipped, so one broken line does not hide the rest.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "check/simple_graph.h"
#include "graph/graph.h"

namespace bicubic::check {

enum class Format { Matrix, Graph6, Hcp };

// Decodes one graph6 line (without line end, header already removed) into g; on failure returns
// false and says why in error.
bool decodeGraph6(std::string_view line, SimpleGraph& g, std::string& error);

// Encodes g as a graph6 line (no line end); used by tests and the benchmark generators.
std::string encodeGraph6(const SimpleGraph& g);

// The format a source's first non-blank line announces.
Format detectFormat(std::string_view firstLine);

class GraphSource {
 public:
  enum class Status { Graph, End, Error };

  // name is a path, or "-" for standard input.
  explicit GraphSource(std::string name);
  GraphSource(const GraphSource&) = delete;
  GraphSource& operator=(const GraphSource&) = delete;
  ~GraphSource();

  const std::string& name() const { return name_; }
  // Opens the source and reads far enough to know its format; false (with error) when the
  // source cannot be read at all.
  bool open(std::string& error);
  Format format() const { return format_; }

  // The next graph into g. For matrix sources the graph as readGraph left it is also available
  // from matrixGraph(), so the method runs on exactly what the reader built. Error: error says
  // why; the caller may call next() again (graph6 goes on with the following line).
  Status next(SimpleGraph& g, std::string& error);
  Graph* matrixGraph() { return matrixGraph_.get(); }

  // Bytes consumed so far and the total size, when the source is a regular file (else 0).
  std::int64_t bytesRead() const { return bytesRead_; }
  std::int64_t totalBytes() const { return totalBytes_; }

 private:
  bool readLine(std::string& line);
  Status nextGraph6(SimpleGraph& g, std::string& error);
  Status readHcp(SimpleGraph& g, std::string& error);
  Status readMatrix(SimpleGraph& g, std::string& error);

  std::string name_;
  std::FILE* file_ = nullptr;
  bool ownsFile_ = false;
  Format format_ = Format::Graph6;
  std::string pending_;  // the first line, read for detection and not yet used
  bool hasPending_ = false;
  bool done_ = false;
  std::int64_t lineNumber_ = 0;
  std::int64_t bytesRead_ = 0;
  std::int64_t totalBytes_ = 0;
  std::unique_ptr<Graph> matrixGraph_;
  char* lineBuffer_ = nullptr;
  std::size_t lineCapacity_ = 0;
};

}  // namespace bicubic::check
