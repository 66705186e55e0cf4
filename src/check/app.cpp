#include "check/app.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "check/exact.h"
#include "check/formats.h"
#include "check/report.h"

namespace bicubic::check {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr const char* kUsage =
    "usage: bicubic-check [--time-limit SECONDS] [--cycle] [--dot FILE] [FILE ...]\n";

constexpr const char* kHelp =
    "Decides exactly whether each graph has a Hamiltonian cycle and prints it beside the\n"
    "verdict of the bicubic method.\n"
    "\n"
    "usage: bicubic-check [--time-limit SECONDS] [--cycle] [--dot FILE] [FILE ...]\n"
    "\n"
    "Each FILE (or standard input when there is none, or for \"-\") holds a bicubic matrix\n"
    "file, graph6 lines (as nauty-geng and nauty-genbg write them, \">>graph6<<\" header\n"
    "allowed) or a TSPLIB HCP file; the format is recognised from the first line.\n"
    "\n"
    "  --time-limit SECONDS  give up on a graph after this long: exact answer \"unknown\"\n"
    "  --cycle               add the Hamiltonian cycle found (1-based, from vertex 1)\n"
    "  --dot FILE            write the first graph in Graphviz DOT, cycle edges bold\n"
    "  --help, --version     this text; the version\n"
    "\n"
    "Output: one tab-separated line per graph: source, index, n, method, exact, agree, ms\n"
    "[, cycle]; \"#\" lines name the fields and close with the counts of each method verdict\n"
    "against each exact answer. Every \"hamiltonian\" was checked against the input edges;\n"
    "every \"non-hamiltonian\" comes from an exhaustive argument.\n"
    "Exit status: 0 all decided, 3 some answer unknown, 1 a source could not be read,\n"
    "2 usage error.\n";

struct Options {
  double timeLimit = 0;  // 0: none
  bool cycle = false;
  std::string dotFile;
  std::vector<std::string> sources;
};

// Parses argv; returns -1 to go on, or an exit status (help/version 0, usage error 2).
int parseOptions(int argc, const char* const* argv, Options& options, OutputSink& out, OutputSink& err) {
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
      options.sources.push_back(arg);
      continue;
    }
    auto value = [&](const std::string& name, std::string& into) {
      if (arg.size() > name.size() && arg.compare(0, name.size() + 1, name + "=") == 0) {
        into = arg.substr(name.size() + 1);
        return true;
      }
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "--help" || arg == "-h") {
      out << kHelp;
      return 0;
    } else if (arg == "--version") {
      out << "bicubic-check " << kCheckVersion << "\n";
      return 0;
    } else if (arg == "--cycle") {
      options.cycle = true;
    } else if (arg == "--time-limit" || arg.starts_with("--time-limit=")) {
      std::string text;
      char* stop = nullptr;
      if (!value("--time-limit", text) || text.empty() ||
          (options.timeLimit = std::strtod(text.c_str(), &stop), *stop != 0) || !std::isfinite(options.timeLimit) ||
          options.timeLimit <= 0) {
        err << "bicubic-check: --time-limit needs a positive number of seconds\n" << kUsage;
        return 2;
      }
    } else if (arg == "--dot" || arg.starts_with("--dot=")) {
      if (!value("--dot", options.dotFile) || options.dotFile.empty()) {
        err << "bicubic-check: --dot needs a file name\n" << kUsage;
        return 2;
      }
    } else {
      err << "bicubic-check: unknown option " << arg << "\n" << kUsage;
      return 2;
    }
  }
  if (options.sources.empty()) options.sources.push_back("-");
  return -1;
}

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
  }

 private:
  bool enabled_;
  OutputSink& err_;
  Clock::time_point start_, last_;
  bool shown_ = false;
};

}  // namespace

namespace {

// The method's verdict on the graph just read: on a matrix source exactly as the reader built it,
// on the others on g with its vertex order unchanged. Nothing when the graph is outside what the
// method accepts (no vertices, more than its limit).
MethodResult methodVerdict(MethodRunner& method, const GraphSource& source, const SimpleGraph& g,
                           std::vector<MethodRunner::Edge>& edges) {
  OutputSink quiet = OutputSink::discarding();
  if (source.format() == Format::Matrix) return method.runOnLastRead(quiet);
  const std::int32_t n = g.order();
  if (n < 1 || n > methodMaxOrder()) return std::nullopt;
  edges.clear();
  for (std::int32_t v = 0; v < n; ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w) edges.push_back({v, w});
    }
  }
  return method.runOnEdges(n, edges, quiet);
}

}  // namespace

int runCheck(int argc, const char* const* argv, OutputSink& out, OutputSink& err, bool progressOnTerminal) {
  Options options;
  const int parsed = parseOptions(argc, argv, options, out, err);
  if (parsed >= 0) return parsed;

  const auto runStart = Clock::now();
  Progress progress(progressOnTerminal, err);
  ExactSolver solver;
  MethodRunner method;
  std::vector<MethodRunner::Edge> edges;
  SimpleGraph graph;
  Tally tally;
  bool readFailure = false;
  bool dotWritten = false;
  std::int64_t graphsDone = 0;
  auto lastFlush = Clock::now();
  out << headerLine(options.cycle);

  for (const std::string& name : options.sources) {
    GraphSource source(name, method);
    std::string error;
    if (!source.open(error)) {
      err << "bicubic-check: " << name << ": " << error << "\n";
      err.flush();
      readFailure = true;
      continue;
    }
    for (std::int64_t index = 1;; ++index) {
      const GraphSource::Status status = source.next(graph, error);
      if (status == GraphSource::Status::End) break;
      if (status == GraphSource::Status::Error) {
        err << "bicubic-check: " << name << ": " << error << "\n";
        err.flush();
        readFailure = true;
        continue;  // graph6 goes on with the next line; the others end here
      }
      const auto graphStart = Clock::now();
      const MethodResult verdict = methodVerdict(method, source, graph, edges);
      if (verdict == Verdict::OutOfMemory) {
        err << "bicubic-check: " << name << ": graph " << index << ": not enough memory for the method\n";
        err.flush();
        readFailure = true;
        continue;
      }
      const Deadline deadline = options.timeLimit > 0 ? Deadline::after(options.timeLimit) : Deadline();
      ExactResult result = solver.solve(graph, deadline);
      if (result.answer == Answer::Hamiltonian) {
        // The certificate is checked against the graph as read before anything is printed.
        normaliseCycle(result.cycle);
        if (!isHamiltonianCycle(graph, result.cycle)) {
          err << "bicubic-check: internal error: the cycle found for " << name << " graph " << index
              << " does not check; reported as unknown\n";
          err.flush();
          result.answer = Answer::Unknown;
          result.cycle.clear();
        }
      }
      ReportLine line;
      line.source = name;
      line.index = index;
      line.n = graph.order();
      line.method = verdict;
      line.exact = result.answer;
      line.milliseconds = millisecondsSince(graphStart);
      line.cycle = options.cycle && result.answer == Answer::Hamiltonian ? &result.cycle : nullptr;
      out << formatLine(line);
      tally.add(verdict, result.answer);
      ++graphsDone;

      if (!options.dotFile.empty()) {
        if (!dotWritten) {
          const std::string text = dotText(graph, result.cycle, name);
          std::FILE* file = std::fopen(options.dotFile.c_str(), "wb");
          bool written = file != nullptr;
          if (written) {
            written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
            written = std::fclose(file) == 0 && written;
          }
          if (!written) {
            err << "bicubic-check: cannot write " << options.dotFile << "\n";
            err.flush();
            readFailure = true;
          }
          dotWritten = true;
        } else if (graphsDone == 2) {
          err << "bicubic-check: --dot draws only the first graph\n";
          err.flush();
        }
      }
      if (Clock::now() - lastFlush > std::chrono::seconds(1)) {
        out.flush();
        lastFlush = Clock::now();
      }
      progress.update(graphsDone, source.bytesRead(), source.totalBytes());
    }
  }
  progress.finish();
  out << tally.closingLines(millisecondsSince(runStart));
  out.flush();
  if (readFailure) return 1;
  return tally.unknown() > 0 ? 3 : 0;
}

}  // namespace bicubic::check
