#include "check/report.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <utility>

#include "check/index.h"

namespace bicubic::check {

namespace {

std::string milliseconds(double ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", ms);
  return text;
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

bool isHamiltonianCycle(const SimpleGraph& g, std::span<const std::int32_t> cycle) {
  const std::int32_t n = g.order();
  if (n < 3 || static_cast<std::int64_t>(cycle.size()) != n) return false;
  std::vector<char> seen(at(n), 0);
  for (std::int32_t v : cycle) {
    if (v < 0 || v >= n || seen[at(v)]) return false;
    seen[at(v)] = 1;
  }
  for (std::size_t k = 0; k < cycle.size(); ++k) {
    if (!g.hasEdge(cycle[k], cycle[(k + 1) % cycle.size()])) return false;
  }
  return true;
}

void normaliseCycle(std::vector<std::int32_t>& cycle) {
  if (cycle.size() < 3) return;
  const auto zero = std::find(cycle.begin(), cycle.end(), 0);
  if (zero == cycle.end()) return;
  std::rotate(cycle.begin(), zero, cycle.end());
  if (cycle.back() < cycle[1]) std::reverse(cycle.begin() + 1, cycle.end());
}

std::string headerLine(bool withCycle) {
  std::string line = "# source\tindex\tn\tmethod\texact\tagree\tms";
  if (withCycle) line += "\tcycle";
  return line + "\n";
}

std::string formatLine(const ReportLine& r) {
  std::string line;
  line.reserve(64);
  line.append(r.source);
  line += '\t';
  line += std::to_string(r.index);
  line += '\t';
  line += std::to_string(r.n);
  line += '\t';
  line.append(methodName(r.method));
  line += '\t';
  line.append(exactName(r.exact));
  line += '\t';
  line.append(agreement(r.method, r.exact));
  line += '\t';
  line += milliseconds(r.milliseconds);
  if (r.cycle != nullptr) {
    line += '\t';
    for (std::size_t k = 0; k < r.cycle->size(); ++k) {
      if (k > 0) line += ' ';
      line += std::to_string((*r.cycle)[k] + 1);
    }
  }
  line += '\n';
  return line;
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

std::string Tally::closingLines(double totalMilliseconds) const {
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
    // "-" (the method could not run) only appears when it happened.
    if (!method && row[0] + row[1] + row[2] == 0) continue;
    text += "# ";
    text.append(methodName(method));
    for (std::int64_t c : row) text += '\t' + std::to_string(c);
    text += '\n';
  }
  text += "# agree\tyes " + std::to_string(agree) + "\tno " + std::to_string(disagree) + "\n";
  text += "# total\t" + std::to_string(total()) + " graphs\t" + milliseconds(totalMilliseconds) + " ms\n";
  return text;
}

std::string dotText(const SimpleGraph& g, std::span<const std::int32_t> cycle, std::string_view name) {
  std::set<std::pair<std::int32_t, std::int32_t>> bold;
  for (std::size_t k = 0; k < cycle.size(); ++k) {
    const std::int32_t u = cycle[k];
    const std::int32_t v = cycle[(k + 1) % cycle.size()];
    bold.emplace(std::min(u, v), std::max(u, v));
  }
  std::string text = "graph \"";
  for (char c : name) {
    if (c == '"' || c == '\\') text += '\\';
    text += c;
  }
  text += "\" {\n  node [shape=circle];\n";
  for (std::int32_t v = 0; v < g.order(); ++v) text += "  " + std::to_string(v + 1) + ";\n";
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v >= w) continue;
      text += "  " + std::to_string(v + 1) + " -- " + std::to_string(w + 1);
      if (bold.count({v, w}) != 0) text += " [style=bold, penwidth=3]";
      text += ";\n";
    }
  }
  text += "}\n";
  return text;
}

}  // namespace bicubic::check
