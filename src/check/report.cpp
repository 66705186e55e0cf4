#include "check/report.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <utility>


namespace bicubic::check {

namespace {

std::string milliseconds(double ms) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, ms, std::chars_format::fixed, 3).ptr;
  return std::string(text, end);
}
}  // namespace

std::string_view methodName(MethodResult v) {
  if (!v) return "-";
  switch (*v) {
    case Verdict::BicubicH:
      return "H";
    case Verdict::NotH:
      return "not-H";
    case Verdict::MaybeH:
      return "may-be-H";
    case Verdict::NotBipartite:
      return "not-bipartite";
    case Verdict::Unbalanced:
      return "unbalanced";
    case Verdict::NotConnected:
      return "not-connected";
    case Verdict::OutOfMemory:
      break;
  }
  return "out-of-memory";
}

std::string_view exactName(Answer a) {
  switch (a) {
    case Answer::Hamiltonian:
      return "hamiltonian";
    case Answer::NonHamiltonian:
      return "non-hamiltonian";
    case Answer::Unknown:
      break;
  }
  return "unknown";
}

std::string_view agreement(MethodResult method, Answer exact) {
  if (exact == Answer::Unknown || !method) return "-";
  const bool hamiltonian = exact == Answer::Hamiltonian;
  switch (*method) {
    case Verdict::BicubicH:
    case Verdict::MaybeH:
      return hamiltonian ? "yes" : "no";
    case Verdict::NotH:
    case Verdict::Unbalanced:
    case Verdict::NotConnected:
      return hamiltonian ? "no" : "yes";
    case Verdict::NotBipartite:
    case Verdict::OutOfMemory:
      break;
  }
  return "-";
}

std::string headerLine(TableColumns columns) {
  std::string line = "source\tindex\tn\tmethod\texact\tagree\tms";
  if (columns.cycle) line += "\tcycle";
  if (columns.relabel) line += "\trelabel-H";
  if (columns.stage) line += "\tstage";
  return line + "\n";
}

void appendTableField(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        out += c;
    }
  }
}

namespace {

void appendNumber(std::string& out, std::int64_t value) {
  char digits[24];
  out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void appendCycle(std::string& out, const std::vector<std::int32_t>* cycle) {
  if (cycle == nullptr || cycle->empty()) {
    out += '-';
    return;
  }
  for (std::size_t k = 0; k < cycle->size(); ++k) {
    if (k > 0) out += ' ';
    appendNumber(out, (*cycle)[k] + 1);
  }
}

}  // namespace

void appendLine(std::string& out, const ReportLine& r, TableColumns columns) {
  appendTableField(out, r.source);
  out += '\t';
  appendNumber(out, r.index);
  out += '\t';
  appendNumber(out, r.n);
  out += '\t';
  out.append(methodName(r.method));
  out += '\t';
  out.append(exactName(r.exact));
  out += '\t';
  out.append(agreement(r.method, r.exact));
  out += '\t';
  out += milliseconds(r.milliseconds);
  if (columns.cycle) {
    out += '\t';
    appendCycle(out, r.cycle);
  }
  if (columns.relabel) {
    out += '\t';
    if (r.relabelHamiltonian < 0) {
      out += '-';
    } else {
      appendNumber(out, r.relabelHamiltonian);
      out += '/';
      appendNumber(out, r.relabelRuns);
    }
  }
  if (columns.stage) {
    out += '\t';
    out.append(exact::stageName(r.stage));
  }
  out += '\n';
}

std::int64_t Tally::total() const {
  std::int64_t sum = 0;
  for (const auto& row : counts_) {
    for (std::int64_t c : row) sum += c;
  }
  return sum;
}

std::int64_t Tally::unknown() const {
  std::int64_t sum = 0;
  for (const auto& row : counts_) sum += row[static_cast<std::size_t>(Answer::Unknown)];
  return sum;
}

std::string Tally::summary(Times times) const {
  // The verdicts in the order users read them: the decision's three, then the early stops.
  static constexpr MethodResult kRowOrder[] = {Verdict::BicubicH,     Verdict::NotH,       Verdict::MaybeH,
                                               Verdict::NotBipartite, Verdict::Unbalanced, Verdict::NotConnected,
                                               std::nullopt};
  std::string text = "# method\thamiltonian\tnon-hamiltonian\tunknown\n";
  std::int64_t agree = 0, disagree = 0;
  for (const MethodResult method : kRowOrder) {
    const auto& row = counts_[slot(method)];
    for (std::size_t a = 0; a < kAnswerCount; ++a) {
      const std::string_view verdict = agreement(method, static_cast<Answer>(a));
      if (verdict == "yes") agree += row[a];
      if (verdict == "no") disagree += row[a];
    }
    // "-" (the method did not run) only appears when it happened.
    if (!method && row[0] + row[1] + row[2] == 0) continue;
    text += "# ";
    text.append(methodName(method));
    for (std::int64_t c : row) text += '\t' + std::to_string(c);
    text += '\n';
  }
  text += "# agree-yes\t" + std::to_string(agree) + "\n";
  text += "# agree-no\t" + std::to_string(disagree) + "\n";
  text += "# graphs\t" + std::to_string(total()) + "\n";
  text += "# ms\t" + milliseconds(times.wallMs) + "\n";
  text += "# search-ms\t" + milliseconds(times.searchMs) + "\n";
  text += "# cpu-ms\t" + milliseconds(times.cpuMs) + "\n";
  return text;
}

void StageTally::add(const exact::Result& result) {
  ++decided_[static_cast<std::size_t>(result.decidedBy)];
  for (std::size_t s = 0; s < work_.size() && s < result.stages.size(); ++s) {
    work_[s].runs += result.stages[s].runs;
    work_[s].work += result.stages[s].work;
  }
}

std::string StageTally::summary() const {
  std::string text = "# stage\tdecided\truns\twork\n";
  for (std::size_t s = 0; s < work_.size(); ++s) {
    text += "# ";
    text.append(exact::stageName(static_cast<exact::Stage>(s)));
    text += '\t' + std::to_string(decided_[s]) + '\t' + std::to_string(work_[s].runs) + '\t' +
            std::to_string(work_[s].work) + '\n';
  }
  return text;
}

}  // namespace bicubic::check
