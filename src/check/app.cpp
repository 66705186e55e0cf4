#include "check/app.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <span>
#include <string>
#include <vector>

#include "check/drawing.h"
#include "check/formats.h"
#include "check/options.h"
#include "check/report.h"
#include "exact/hamiltonian.h"

namespace bicubic::check {

using exact::HamiltonianSolver;
using exact::Result;

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The processor time of the whole process so far, all threads.
double processCpuMilliseconds() {
  timespec t{};
  if (::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t) != 0) return 0;
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Pending rows reach standard output at least this often, and before any graph that may be slow,
// so that a run killed midway keeps every row it had decided.
constexpr auto kFlushInterval = std::chrono::seconds(1);
// Graphs above this order may take long; below it a graph takes microseconds.
constexpr std::int32_t kQuickOrder = 64;

// A progress line on standard error, redrawn at most twice a second once a run is long.
class Progress {
 public:
  Progress(bool enabled, OutputSink& err) : enabled_(enabled), err_(err), start_(Clock::now()), last_(start_) {}
  void update(std::int64_t graphs, std::int64_t bytesRead, std::int64_t totalBytes) {
    if (!enabled_) return;
    const auto now = Clock::now();
    if (now - last_ < std::chrono::milliseconds(500) || now - start_ < std::chrono::seconds(1)) return;
    last_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    char text[160];
    int len = std::snprintf(text, sizeof text, "\r%lld graphs, %.0f/s", static_cast<long long>(graphs),
                            static_cast<double>(graphs) / seconds);
    if (totalBytes > 0 && bytesRead > 0 && bytesRead <= totalBytes) {
      const double left = seconds * static_cast<double>(totalBytes - bytesRead) / static_cast<double>(bytesRead);
      len += std::snprintf(text + len, sizeof text - static_cast<std::size_t>(len), ", about %.0f s left", left);
    }
    std::snprintf(text + len, sizeof text - static_cast<std::size_t>(len), "   ");
    err_ << text;
    err_.flush();
    shown_ = true;
  }
  void finish() {
    if (!shown_) return;
    err_ << "\r\033[K";
    err_.flush();
    shown_ = false;
  }

 private:
  bool enabled_;
  OutputSink& err_;
  Clock::time_point start_, last_;
  bool shown_ = false;
};

bool claimsHamiltonian(Verdict v) { return v == Verdict::BicubicH || v == Verdict::MaybeH; }

bool isSelected(Selection which, MethodResult method, Answer exact) {
  switch (which) {
    case Selection::Hamiltonian:
      return exact == Answer::Hamiltonian;
    case Selection::NonHamiltonian:
      return exact == Answer::NonHamiltonian;
    case Selection::Unknown:
      return exact == Answer::Unknown;
    case Selection::MethodWrong:
      return agreement(method, exact) == "no";
    case Selection::MethodRight:
      return agreement(method, exact) == "yes";
  }
  return false;
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether two paths name one file (the DOT output must never overwrite a source).
bool sameExistingFile(const std::string& a, const std::string& b) {
  struct stat first {}, second {};
  return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 && sameFile(first, second);
}

// Whether an open descriptor is the file at path (a regular file: /dev/null is no conflict).
bool descriptorIsFile(int descriptor, const std::string& path) {
  struct stat open {}, named {};
  return descriptor >= 0 && ::fstat(descriptor, &open) == 0 && S_ISREG(open.st_mode) &&
         ::stat(path.c_str(), &named) == 0 && sameFile(open, named);
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

class CheckRun {
 public:
  CheckRun(const CheckOptions& options, CheckStreams streams)
      : options_(options),
        out_(streams.out),
        err_(streams.err),
        progress_(streams.progress && !options.quiet, err_),
        inDescriptor_(streams.inDescriptor),
        outDescriptor_(streams.outDescriptor) {}

  int run();

 private:
  bool dotPathIsUsable();
  void runSource(const std::string& name);
  void runGraph(const GraphSource& source, std::int64_t index, bool complete, double readSeconds);
  MethodResult methodVerdict(const GraphSource& source);
  void collectEdges(std::span<const std::int32_t> label);
  std::int32_t relabelledHamiltonian();
  void decide(std::string_view name, std::int64_t index, bool complete, double readSeconds);
  Deadline readingDeadline() const;
  bool brokenPipe() const { return out_.writeFailed() && out_.writeError() == EPIPE; }
  void writeGraph(const GraphSource& source, std::int64_t index, bool complete);
  void writePlanarCode(const GraphSource& source);
  void writeDrawings(std::string_view name, const Result& result);
  bool drawingWanted() const { return options_.dotFile || options_.svgFile || options_.pngFile; }
  void flushRows();
  void error(std::string_view name, const std::string& message);
  bool tableOnStdout() const { return options_.emit == Emit::Report && options_.dotFile != "-"; }

  const CheckOptions& options_;
  OutputSink& out_;
  OutputSink& err_;
  Progress progress_;
  int inDescriptor_;
  int outDescriptor_;
  bool planarHeaderWritten_ = false;
  bool planarRefused_ = false;
  double searchMs_ = 0;  // the rows' times added up, printed or not
  TableColumns columns_{options_.cycle, options_.relabel > 0, options_.stats};
  HamiltonianSolver solver_{engineOptions(options_)};
  Result result_;
  StageTally stages_;
  MethodRunner method_;
  std::vector<MethodRunner::Edge> edges_;
  SimpleGraph graph_;
  Tally tally_;
  std::string row_;
  bool readFailure_ = false;
  std::int64_t graphsDone_ = 0;
  Clock::time_point lastFlush_ = Clock::now();
};

void CheckRun::error(std::string_view name, const std::string& message) {
  err_ << "bicubic-check: " << quotedForMessage(name, kNameQuoteLength) << ": " << message << "\n";
  err_.flush();
  readFailure_ = true;
}

void CheckRun::flushRows() {
  out_.flush();
  lastFlush_ = Clock::now();
}

bool CheckRun::dotPathIsUsable() {
  const bool readsStdin = std::find(options_.sources.begin(), options_.sources.end(), "-") != options_.sources.end();
  const std::pair<const char*, const std::optional<std::string>&> outputs[] = {
      {"--dot", options_.dotFile}, {"--svg", options_.svgFile}, {"--png", options_.pngFile}};
  for (const auto& [option, path] : outputs) {
    if (!path || *path == "-") continue;
    std::string_view clash;
    for (const std::string& source : options_.sources) {
      if (source == *path || (source != "-" && sameExistingFile(source, *path))) clash = "a source";
    }
    // `--dot FILE < FILE` would empty the input while it is read; `--dot FILE > FILE` would have
    // the report overwrite the drawing.
    if (readsStdin && descriptorIsFile(inDescriptor_, *path)) clash = "standard input";
    if (descriptorIsFile(outDescriptor_, *path)) clash = "standard output";
    if (clash.empty()) continue;
    err_ << "bicubic-check: " << option << " " << quotedForMessage(*path, kNameQuoteLength) << " is also " << clash
         << "; refusing to overwrite it\n";
    return false;
  }
  return true;
}

int CheckRun::run() {
  if (!dotPathIsUsable()) return 2;
  const auto runStart = Clock::now();
  if (tableOnStdout()) out_ << headerLine(columns_);
  for (const std::string& name : options_.sources) {
    runSource(name);
    if (out_.writeFailed()) break;
  }
  progress_.finish();
  // The reader stopped reading (`| head`): nothing more is wanted, not even a message.
  if (brokenPipe()) return kBrokenPipeStatus;
  if (drawingWanted() && graphsDone_ < options_.dotIndex) {
    const char* option = options_.dotFile ? "--dot" : options_.svgFile ? "--svg" : "--png";
    error(option, "there is no graph " + std::to_string(options_.dotIndex) + " to draw");
  }
  flushRows();
  if (!options_.quiet) err_ << tally_.summary({millisecondsSince(runStart), searchMs_, processCpuMilliseconds()});
  if (options_.stats) err_ << stages_.summary();
  if (out_.writeFailed()) {
    err_ << "bicubic-check: cannot write standard output: " << std::strerror(out_.writeError()) << "\n";
    return 1;
  }
  err_.flush();
  if (readFailure_ || err_.writeFailed()) return 1;
  return tally_.unknown() > 0 ? 3 : 0;
}

void CheckRun::runSource(const std::string& name) {
  GraphSource source(name, method_);
  source.readDuals(options_.dual);
  // An unknown graph emitted as graph6 or sparse6 is its line as read: it must be read whole.
  source.keepLinesWhole(options_.emit == Emit::Graph6 || options_.emit == Emit::Sparse6);
  std::string message;
  if (!source.open(message)) return error(name, message);
  for (std::int64_t index = 1;; ++index) {
    const auto readStart = Clock::now();
    const GraphSource::Status status = source.next(graph_, message, readingDeadline());
    for (const std::string& warning : source.warnings()) {
      err_ << "bicubic-check: " << quotedForMessage(name, kNameQuoteLength) << ": warning: " << warning << "\n";
    }
    if (status == GraphSource::Status::End) break;
    if (status == GraphSource::Status::Error) {
      error(name, message);
      continue;  // graph6 goes on with the next line; the others end here
    }
    runGraph(source, index, status == GraphSource::Status::Graph, secondsSince(readStart));
    if (out_.writeFailed()) return;
    progress_.update(graphsDone_, source.bytesRead(), source.totalBytes());
  }
}

MethodResult CheckRun::methodVerdict(const GraphSource& source) {
  if (options_.noMethod) return std::nullopt;
  if (source.format() == Format::Matrix) return method_.verdictOfLastRead();
  const std::int32_t n = graph_.order();
  if (n < 1 || n > methodMaxOrder()) return std::nullopt;
  collectEdges({});
  return method_.verdictOnEdges(n, edges_);
}

// The graph's edges for the method, each once, its vertices renamed by label when one is given.
void CheckRun::collectEdges(std::span<const std::int32_t> label) {
  edges_.clear();
  for (std::int32_t v = 0; v < graph_.order(); ++v) {
    for (std::int32_t w : graph_.neighbours(v)) {
      if (v >= w) continue;
      if (label.empty()) {
        edges_.push_back({v, w});
      } else {
        edges_.push_back({label[static_cast<std::size_t>(v)], label[static_cast<std::size_t>(w)]});
      }
    }
  }
}

// How many of options_.relabel random renumberings the method calls Hamiltonian. The numberings
// come from the graph itself, so a graph gets the same count wherever it stands in the input.
std::int32_t CheckRun::relabelledHamiltonian() {
  const std::int32_t n = graph_.order();
  if (n < 1 || n > methodMaxOrder()) return -1;
  exact::Renumbering numbering(graph_);
  std::vector<std::int32_t> label(static_cast<std::size_t>(n));
  std::int32_t hamiltonian = 0;
  for (std::int32_t run = 0; run < options_.relabel; ++run) {
    numbering.next(label);
    collectEdges(label);
    if (claimsHamiltonian(method_.verdictOnEdges(n, edges_))) ++hamiltonian;
  }
  return hamiltonian;
}

// The time limit counts the reading too: a dense graph of gigabytes is stopped while it is read.
Deadline CheckRun::readingDeadline() const {
  return options_.timeLimit > 0 ? Deadline::after(options_.timeLimit) : Deadline();
}

// The solver checks every certificate against the graph as read before it is handed out. A graph
// the time limit stopped while it was read is not searched: unknown.
void CheckRun::decide(std::string_view name, std::int64_t index, bool complete, double readSeconds) {
  if (!complete) {
    result_ = Result();
  } else {
    const Deadline deadline = options_.timeLimit > 0 ? Deadline::after(options_.timeLimit - readSeconds) : Deadline();
    solver_.solve(graph_, deadline, result_);
  }
  if (result_.cycleRejected) {
    error(name, "internal error: the cycle found for graph " + std::to_string(index) +
                    " does not check; reported as unknown");
  }
  if (result_.answer == Answer::Hamiltonian) exact::normaliseCycle(result_.cycle);
  if (options_.stats) stages_.add(result_);
}

// A graph the time limit stopped while it was read (complete false) has only some of its edges:
// nothing runs on it, and it is reported unknown.
void CheckRun::runGraph(const GraphSource& source, std::int64_t index, bool complete, double readSeconds) {
  const auto graphStart = Clock::now();
  const std::string_view shownName = options_.sourceName ? std::string_view(*options_.sourceName) : source.name();
  const MethodResult verdict = complete ? methodVerdict(source) : std::nullopt;
  if (verdict == Verdict::OutOfMemory) {
    return error(source.name(), "graph " + std::to_string(index) + ": not enough memory for the method");
  }
  ReportLine line;
  line.relabelHamiltonian = options_.relabel > 0 && complete ? relabelledHamiltonian() : -1;
  line.relabelRuns = options_.relabel;
  if (graph_.order() > kQuickOrder) flushRows();
  decide(source.name(), index, complete, readSeconds);
  const Result& result = result_;
  const double graphMs = millisecondsSince(graphStart);
  searchMs_ += graphMs;
  ++graphsDone_;
  tally_.add(verdict, result.answer);
  if (drawingWanted() && graphsDone_ == options_.dotIndex) {
    if (complete) {
      writeDrawings(shownName, result);
    } else {
      error(options_.dotFile ? "--dot" : options_.svgFile ? "--svg" : "--png", "graph " + std::to_string(graphsDone_) + " was not read within the time limit; not drawn");
    }
  }
  if (!options_.select || isSelected(*options_.select, verdict, result.answer)) {
    if (options_.emit != Emit::Report) {
      writeGraph(source, index, complete);
    } else if (tableOnStdout()) {
      line.source = shownName;
      line.index = index;
      line.n = graph_.order();
      line.method = verdict;
      line.exact = result.answer;
      line.milliseconds = graphMs;
      line.cycle = options_.cycle ? &result.cycle : nullptr;
      line.stage = result.decidedBy;
      row_.clear();
      appendLine(row_, line, columns_);
      out_ << row_;
    }
  }
  if (Clock::now() - lastFlush_ >= kFlushInterval || Clock::now() - graphStart >= kFlushInterval) flushRows();
}

// Graphs are written as they are encoded, never held whole: a graph6 line of a large graph is
// gigabytes.
void CheckRun::writeGraph(const GraphSource& source, std::int64_t index, bool complete) {
  // graph6 and sparse6 lines go out exactly as they came in; other input is encoded.
  const bool lineBased = source.format() == Format::Graph6 || source.format() == Format::Sparse6;
  // A line the time limit cut short was never held whole: it has no text to copy.
  const bool asRead = lineBased && !source.lastLine().empty() &&
                      ((options_.emit == Emit::Graph6 && source.lastLineFormat() == Format::Graph6) ||
                       (options_.emit == Emit::Sparse6 && source.lastLineFormat() == Format::Sparse6));
  const std::string graph = "graph " + std::to_string(index) + ": ";
  if (asRead) {
    out_ << source.lastLine() << "\n";
  } else if (!complete) {
    error(source.name(), graph + "not read completely within the time limit; not written");
  } else if (options_.emit == Emit::Graph6) {
    writeGraph6Line(graph_, out_);
  } else if (options_.emit == Emit::Sparse6) {
    out_ << encodeSparse6(graph_) << "\n";
  } else if (options_.emit == Emit::PlanarCode) {
    writePlanarCode(source);
  } else if (graph_.order() > methodMaxOrder()) {
    // Neither tool would read the file back.
    error(source.name(), graph + "--emit matrix writes at most " + std::to_string(methodMaxOrder()) +
                             " vertices (the matrix reader's limit); this graph has " +
                             std::to_string(graph_.order()) + "; not written");
  } else {
    writeMatrixText(graph_, out_);
  }
}

// Planar code carries an embedding, which only a planar code source has: the stream's header
// goes out once, before its first graph.
void CheckRun::writePlanarCode(const GraphSource& source) {
  const PlaneGraph* plane = source.lastPlaneGraph();
  if (plane == nullptr) {
    // Said once: a whole family in graph6 would otherwise give a line per graph.
    if (!planarRefused_) {
      error(source.name(), "graph " + std::to_string(graphsDone_) +
                               " and the graphs after it are left out: --emit planar-code needs planar code "
                               "input, which holds the embedding (nauty-planarg -p embeds planar graph6 files)");
    }
    planarRefused_ = true;
    return;
  }
  if (!planarHeaderWritten_) out_ << kPlanarCodeHeader;
  planarHeaderWritten_ = true;
  out_ << encodePlanarCode(*plane);
}

void CheckRun::writeDrawings(std::string_view name, const Result& result) {
  const CutEvidence cut{result.decidedBy == exact::Stage::CutReduction, result.blockedSide, result.cutEdges};
  const std::string text = drawingDot(graph_, result.cycle, result.answer, name, cut);
  std::string problem;
  if (options_.svgFile && !renderDrawing(text, ImageFormat::Svg, *options_.svgFile, problem)) error("--svg", problem);
  if (options_.pngFile && !renderDrawing(text, ImageFormat::Png, *options_.pngFile, problem)) error("--png", problem);
  if (!options_.dotFile) return;
  if (*options_.dotFile == "-") {
    out_ << text;
    return;
  }
  errno = 0;
  std::FILE* file = std::fopen(options_.dotFile->c_str(), "wb");
  bool written = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  const int reason = errno;
  if (file != nullptr) written = std::fclose(file) == 0 && written;
  if (!written) {
    error("--dot", "cannot write " + quotedForMessage(*options_.dotFile, kNameQuoteLength) + ": " + std::strerror(reason != 0 ? reason : errno));
  }
}

}  // namespace

int runCheck(int argc, const char* const* argv, CheckStreams streams) {
  CheckOptions options;
  if (const std::optional<int> status = parseCheckOptions(argc, argv, options, streams.out, streams.err)) {
    // --help and --version must reach their reader; a usage message its.
    streams.out.flush();
    streams.err.flush();
    if (streams.out.writeFailed() && streams.out.writeError() == EPIPE) return kBrokenPipeStatus;
    if (streams.out.writeFailed()) {
      streams.err << "bicubic-check: cannot write standard output: " << std::strerror(streams.out.writeError()) << "\n";
      streams.err.flush();
      return 1;
    }
    return streams.err.writeFailed() && *status == 0 ? 1 : *status;
  }
  CheckRun run(options, streams);
  return run.run();
}

}  // namespace bicubic::check
