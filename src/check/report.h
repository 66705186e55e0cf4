// What bicubic-check prints: the method's verdict names, the agreement rule, the per-graph line,
// the closing count table and the cycle certificate check (drawings: drawing.h). Nothing here
// decides anything; it only checks and formats what the searches and the pipeline returned.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <optional>

#include "driver/method.h"
#include "exact/hamiltonian.h"

namespace bicubic::check {

using exact::Answer;
using exact::kAnswerCount;
using exact::SimpleGraph;

// The method column: the verdict the method printed, or nothing ("-") when it did not run.
using MethodResult = std::optional<Verdict>;

std::string_view methodName(MethodResult v);
std::string_view exactName(Answer a);
// "yes", "no" or "-": H and may-be-H agree with a Hamiltonian graph; not-H, unbalanced and
// not-connected claim there is no cycle; not-bipartite makes no claim, like an unknown answer.
std::string_view agreement(MethodResult method, Answer exact);

struct ReportLine {
  std::string_view source;  // as given: escaped for the table here
  std::int64_t index = 0;
  std::int32_t n = 0;
  MethodResult method;
  Answer exact = Answer::Unknown;
  double milliseconds = 0;
  const std::vector<std::int32_t>* cycle = nullptr;  // the cycle column, when shown
  std::int32_t relabelHamiltonian = -1;              // the relabel column, when shown
  std::int32_t relabelRuns = 0;
  exact::Stage stage = exact::Stage::None;           // the stage column, when shown
};

// Which optional columns the table has; every row has every column of its table.
struct TableColumns {
  bool cycle = false;
  bool relabel = false;
  bool stage = false;  // last: the stage of the search that decided the graph (--stats)
};

std::string headerLine(TableColumns columns);
// Appends one row (with its line end) to out; allocates nothing once out has grown.
void appendLine(std::string& out, const ReportLine& line, TableColumns columns);
// A source name as a table field: tab, line ends and backslash written as \t, \n, \r, \\.
void appendTableField(std::string& out, std::string_view text);

// Counts of method verdict against exact answer, and the closing lines that show them.
class Tally {
 public:
  void add(MethodResult method, Answer exact) { ++counts_[slot(method)][static_cast<std::size_t>(exact)]; }
  std::int64_t total() const;
  std::int64_t count(MethodResult method, Answer exact) const {
    return counts_[slot(method)][static_cast<std::size_t>(exact)];
  }
  std::int64_t unknown() const;
  // The summary: a count table and totals, each line a key and numbers only. The times: the
  // run's wall time (in a pipe it includes waiting for the writer), the sum of the rows' times,
  // and the process's CPU time.
  struct Times {
    double wallMs = 0;
    double searchMs = 0;
    double cpuMs = 0;
  };
  std::string summary(Times times) const;

 private:
  // One row per verdict and a last one for "not run".
  static constexpr std::size_t kRows = static_cast<std::size_t>(kVerdictCount) + 1;
  static std::size_t slot(MethodResult method) {
    return method ? static_cast<std::size_t>(*method) : kRows - 1;
  }
  std::array<std::array<std::int64_t, kAnswerCount>, kRows> counts_{};
};

// Per stage of the search: how many graphs it decided, how often it ran and the work it did
// (its own measure: nodes, states, rotation steps, pieces), and the closing lines that show them.
class StageTally {
 public:
  void add(const exact::Result& result);
  // One line per stage, a key and numbers only, like the summary's.
  std::string summary() const;

 private:
  std::array<std::int64_t, exact::kStageCount> decided_{};
  std::array<exact::StageWork, exact::kStageCount> work_{};
};

}  // namespace bicubic::check
