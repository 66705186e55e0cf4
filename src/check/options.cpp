#include "check/options.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

namespace bicubic::check {

namespace {

constexpr std::string_view kUsage =
    "usage: bicubic-check [-q] [--no-method] [--time-limit SECONDS] [--cycle] [--source NAME]\n"
    "                     [--select WHICH] [--emit graph6|sparse6|matrix|planar-code]\n"
    "                     [--relabel K] [--dual] [--dot FILE|-] [--svg FILE] [--png FILE]\n"
    "                     [--index K] [--stats] [--set NAME=VALUE] [--list-settings]\n"
    "                     [FILE ...]\n";

constexpr std::string_view kHelp =
    "Decides exactly whether each graph has a Hamiltonian cycle and prints it beside the\n"
    "verdict of the bicubic method.\n"
    "\n"
    "Each FILE (standard input when there is none, or for \"-\") holds a bicubic matrix file,\n"
    "graph6 or sparse6 lines (as the nauty tools write them, \">>graph6<<\"/\">>sparse6<<\"\n"
    "headers allowed), a TSPLIB HCP file or planar code (as plantri and nauty-planarg -p write\n"
    "it), plain or gzip-compressed; the format is recognised from the first bytes. Each source\n"
    "is read once, as a stream (pipes and FIFOs work).\n"
    "\n"
    "  -q, --quiet            no summary and no progress on standard error\n"
    "  --no-method            the exact search alone (method column \"-\")\n"
    "  --time-limit SECONDS   give up on a graph after this long, reading included: exact\n"
    "                         answer \"unknown\"\n"
    "  --cycle                fill the cycle column (1-based, from vertex 1)\n"
    "  --source NAME          the name shown in the source column (default: the path, \"-\")\n"
    "  --select WHICH         only graphs that are hamiltonian, non-hamiltonian, unknown,\n"
    "                         method-wrong or method-right\n"
    "  --emit FORMAT          standard output carries the (selected) graphs themselves:\n"
    "                         graph6, sparse6 (lines exactly as read when the input had that\n"
    "                         format), matrix (the bicubic tool's input format) or\n"
    "                         planar-code (planar code input only: it has the embedding)\n"
    "  --dual                 planar code input: check the dual of each plane graph (the\n"
    "                         dual of a triangulation is cubic, of an Eulerian one bipartite)\n"
    "  --relabel K            also run the method under K random vertex numberings and show\n"
    "                         how many of them said the graph is Hamiltonian\n"
    "  --dot FILE             draw graph K (--index, default 1) in Graphviz DOT, cycle bold;\n"
    "                         \"-\" writes it to standard output instead of the report\n"
    "  --svg FILE, --png FILE draw graph K as a picture (Graphviz's neato or dot must be\n"
    "                         installed)\n"
    "  --stats                add a stage column (the search stage that decided the graph)\n"
    "                         and a per-stage summary on standard error\n"
    "  --set NAME=VALUE       change one of the search's tuning settings (repeatable)\n"
    "  --list-settings        list the settings with their defaults, ranges and meanings\n"
    "  --help, --version      this text; the version\n"
    "\n"
    "Output: a tab-separated table with one header row: source, index, n, method, exact,\n"
    "agree, ms, cycle (with --cycle), relabel-H (with --relabel); \"-\" where a field has no\n"
    "value. The summary (method verdict against exact answer, agreement, totals) goes to\n"
    "standard error. Every \"hamiltonian\" was checked against the input edges; every\n"
    "\"non-hamiltonian\" comes from an exhaustive argument.\n"
    "Exit status: 0 all decided, 3 some answer unknown, 1 a source could not be read or the\n"
    "output could not be written (wins over 3), 2 usage error, 141 standard output closed by\n"
    "its reader (the run stops without a message).\n";

int usageError(OutputSink& err, std::string_view message) {
  err << "bicubic-check: " << message << "\n" << kUsage;
  return 2;
}

template <class Enum, std::size_t N>
std::optional<Enum> lookup(std::string_view text, const std::pair<std::string_view, Enum> (&names)[N]) {
  for (const auto& [name, value] : names) {
    if (text == name) return value;
  }
  return std::nullopt;
}

constexpr std::pair<std::string_view, Selection> kSelections[] = {
    {"hamiltonian", Selection::Hamiltonian}, {"non-hamiltonian", Selection::NonHamiltonian},
    {"unknown", Selection::Unknown},         {"method-wrong", Selection::MethodWrong},
    {"method-right", Selection::MethodRight}};
constexpr std::pair<std::string_view, Emit> kEmits[] = {
    {"graph6", Emit::Graph6}, {"sparse6", Emit::Sparse6}, {"matrix", Emit::Matrix}, {"planar-code", Emit::PlanarCode}};

bool parseNumber(const std::string& text, double& value) {
  char* stop = nullptr;
  value = std::strtod(text.c_str(), &stop);
  return !text.empty() && *stop == 0 && std::isfinite(value);
}

bool parseWholeNumber(const std::string& text, double lowest, double highest, double& value) {
  return parseNumber(text, value) && value >= lowest && value <= highest && value == std::floor(value);
}

// Applies one option that takes a value; returns an error message, empty when it was fine.
std::string applyValue(std::string_view name, const std::string& value, CheckOptions& options) {
  double number = 0;
  if (name == "--time-limit") {
    if (!parseNumber(value, number) || number <= 0) return "--time-limit needs a positive number of seconds";
    options.timeLimit = number;
  } else if (name == "--dot") {
    options.dotFile = value;
  } else if (name == "--svg") {
    options.svgFile = value;
  } else if (name == "--png") {
    options.pngFile = value;
  } else if (name == "--index") {
    if (!parseWholeNumber(value, 1, 9e15, number)) return "--index needs a graph number from 1";
    options.dotIndex = static_cast<std::int64_t>(number);
  } else if (name == "--source") {
    options.sourceName = value;
  } else if (name == "--relabel") {
    if (!parseWholeNumber(value, 1, 1e6, number)) return "--relabel needs a count from 1 to 1000000";
    options.relabel = static_cast<std::int32_t>(number);
  } else if (name == "--select") {
    options.select = lookup(value, kSelections);
    if (!options.select) return "--select takes hamiltonian, non-hamiltonian, unknown, method-wrong or method-right";
  } else if (name == "--set") {
    const std::size_t equals = value.find('=');
    if (equals == std::string::npos) return "--set takes NAME=VALUE";
    std::string problem = options.engine.set(std::string_view(value).substr(0, equals), std::string_view(value).substr(equals + 1));
    if (!problem.empty()) return "--set: " + problem;
  } else if (name == "--emit") {
    const std::optional<Emit> emit = lookup(value, kEmits);
    if (!emit) return "--emit takes graph6, sparse6, matrix or planar-code";
    options.emit = *emit;
  }
  return {};
}

constexpr std::string_view kValueOptions[] = {"--time-limit", "--dot",    "--index", "--source", "--relabel",
                                              "--select",     "--emit",   "--svg",   "--png",    "--set"};

// The settings as a tab-separated table: name, default, min, max, meaning.
void listSettings(OutputSink& out) {
  out << "name\tdefault\tmin\tmax\tmeaning\n";
  for (const exact::SettingInfo& row : exact::settingsTable()) {
    out << row.name << "\t" << std::to_string(row.defaultValue) << "\t" << std::to_string(row.min) << "\t"
        << std::to_string(row.max) << "\t" << row.meaning << "\n";
  }
}

}  // namespace

std::optional<int> parseCheckOptions(int argc, const char* const* argv, CheckOptions& options, OutputSink& out,
                                     OutputSink& err) {
  bool onlyFiles = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (onlyFiles || arg == "-" || arg.empty() || arg[0] != '-') {
      options.sources.push_back(arg);
    } else if (arg == "--") {
      onlyFiles = true;
    } else if (arg == "--help" || arg == "-h") {
      out << kHelp.substr(0, kHelp.find("\n\n") + 2) << kUsage << kHelp.substr(kHelp.find("\n\n") + 1);
      return 0;
    } else if (arg == "--version") {
      out << "bicubic-check " << kCheckVersion << "\n";
      return 0;
    } else if (arg == "--list-settings") {
      listSettings(out);
      return 0;
    } else if (arg == "--stats") {
      options.stats = true;
    } else if (arg == "--cycle") {
      options.cycle = true;
    } else if (arg == "-q" || arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--no-method") {
      options.noMethod = true;
    } else if (arg == "--dual") {
      options.dual = true;
    } else {
      const std::string_view name = std::string_view(arg).substr(0, arg.find('='));
      if (std::find(std::begin(kValueOptions), std::end(kValueOptions), name) == std::end(kValueOptions)) {
        return usageError(err, "unknown option " + arg);
      }
      const bool inline_ = name.size() < arg.size();
      if (!inline_ && i + 1 >= argc) return usageError(err, std::string(name) + " needs a value");
      const std::string value = inline_ ? arg.substr(name.size() + 1) : argv[++i];
      // A value that looks like an option is almost always a forgotten value.
      if (value.empty() || value.starts_with("--")) return usageError(err, std::string(name) + " needs a value");
      const std::string problem = applyValue(name, value, options);
      if (!problem.empty()) return usageError(err, problem);
    }
  }
  if (options.sources.empty()) options.sources.push_back("-");
  return std::nullopt;
}

exact::Options engineOptions(const CheckOptions& options) {
  exact::Options engine = options.engine;
  engine.timeLimitSeconds = options.timeLimit;
  return engine;
}

}  // namespace bicubic::check
