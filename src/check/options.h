// bicubic-check's command line: the options, their values checked as they are parsed, and the
// help text. Parsing never touches a file; what the options name is checked when the run starts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "driver/method.h"
#include "exact/hamiltonian.h"

namespace bicubic::check {

inline constexpr const char* kCheckVersion = "1.1.0";

// Which graphs --select keeps.
enum class Selection { Hamiltonian, NonHamiltonian, Unknown, MethodWrong, MethodRight };
// What standard output carries per graph: the report row, or the graph itself.
enum class Emit { Report, Graph6, Sparse6, Matrix, PlanarCode };

struct CheckOptions {
  double timeLimit = 0;  // seconds; 0: none
  bool cycle = false;
  bool quiet = false;
  bool noMethod = false;
  std::int32_t relabel = 0;             // extra runs of the method under random numberings
  std::optional<std::string> dotFile;   // "-": standard output
  std::optional<std::string> svgFile;   // the --dot drawing rendered by Graphviz
  std::optional<std::string> pngFile;
  bool dual = false;                    // planar code sources: check each graph's dual
  std::int64_t dotIndex = 1;            // which graph --dot draws, counted over all sources
  std::optional<std::string> sourceName;
  std::optional<Selection> select;
  Emit emit = Emit::Report;
  bool stats = false;     // the stage column and the per-stage summary
  exact::Options engine;  // the engine's settings (--set)
  std::vector<std::string> sources;
};

// The engine's options for a run: the settings, with the time limit.
exact::Options engineOptions(const CheckOptions& options);

// Parses argv into options; returns nothing to go on, or an exit status (0 after --help or
// --version, 2 after a usage error, with the message already written).
std::optional<int> parseCheckOptions(int argc, const char* const* argv, CheckOptions& options, OutputSink& out,
                                     OutputSink& err);

}  // namespace bicubic::check
