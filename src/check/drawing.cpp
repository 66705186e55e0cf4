#include "check/drawing.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <set>
#include <vector>

extern char** environ;

namespace bicubic::check {

namespace {

// The two colour classes, dark enough for white numbers.
constexpr std::string_view kClassColour[] = {"#c0392b", "#2471a3"};
// The same classes pale, with dark numbers: the piece behind a cut no cycle can pass.
constexpr std::string_view kPieceColour[] = {"#f5b7b1", "#aed6f1"};
constexpr std::string_view kPieceUncoloured = "#d5d8dc";
constexpr std::string_view kCutEdgeStyle = " [color=red, style=dashed, penwidth=3]";
// Inches between neighbouring vertices on the cycle's circle.
constexpr double kCircleSpacing = 0.55;

void appendQuoted(std::string& text, std::string_view s) {
  text += '"';
  for (char c : s) {
    if (c == '"' || c == '\\') text += '\\';
    text += c;
  }
  text += '"';
}

std::int32_t countOf(const std::vector<std::int8_t>& colour, std::int8_t c) {
  return static_cast<std::int32_t>(std::count(colour.begin(), colour.end(), c));
}

// How the answer was reached, as far as the graph itself shows it: the cheap necessary
// conditions are named; anything else was settled by an exhaustive search.
std::string caption(const SimpleGraph& g, const std::vector<std::int8_t>& colour, Answer answer,
                    const CutEvidence& cut) {
  switch (answer) {
    case Answer::Hamiltonian:
      return "hamiltonian: the bold cycle, checked against every edge of the input";
    case Answer::Unknown:
      return "unknown: the search was stopped by the time limit";
    case Answer::NonHamiltonian:
      break;
  }
  const std::string no = "non-hamiltonian: ";
  if (g.order() < 3) return no + "fewer than 3 vertices";
  for (std::int32_t v = 0; v < g.order(); ++v) {
    if (g.degree(v) < 2) return no + "vertex " + std::to_string(v + 1) + " has fewer than 2 edges";
  }
  if (!isConnected(g)) return no + "the graph is not connected";
  if (hasCutVertex(g)) return no + "the graph has a cut vertex";
  if (!colour.empty() && countOf(colour, 0) != countOf(colour, 1)) {
    return no + "the colour classes differ in size (" + std::to_string(countOf(colour, 0)) + " and " +
           std::to_string(countOf(colour, 1)) + ")";
  }
  if (!cut.cutEdges.empty()) {
    return no + "no cycle can cross this " + std::to_string(cut.cutEdges.size()) +
           "-edge cut as needed (the shaded piece admits no way through it)";
  }
  if (cut.byCutReduction) return no + "no cycle exists, by the cut reduction";
  return no + "no cycle exists, by an exhaustive search";
}

}  // namespace

std::string drawingDot(const SimpleGraph& g, std::span<const std::int32_t> cycle, Answer answer,
                       std::string_view name, const CutEvidence& cut) {
  std::set<std::pair<std::int32_t, std::int32_t>> bold;
  for (std::size_t k = 0; k < cycle.size(); ++k) {
    const std::int32_t u = cycle[k];
    const std::int32_t v = cycle[(k + 1) % cycle.size()];
    bold.emplace(std::min(u, v), std::max(u, v));
  }
  std::set<std::pair<std::int32_t, std::int32_t>> cutEdges;
  for (const auto& [u, v] : cut.cutEdges) cutEdges.emplace(std::min(u, v), std::max(u, v));
  std::vector<bool> shaded(static_cast<std::size_t>(g.order()), false);
  for (std::int32_t v : cut.blockedSide) shaded[static_cast<std::size_t>(v)] = true;
  const std::vector<std::int8_t> colour = twoColouring(g);
  std::string text = "graph ";
  appendQuoted(text, name);
  text += " {\n  node [shape=circle];\n";
  // neato honours the pinned circle; without a cycle it lays the graph out as springs.
  text += "  graph [layout=neato, overlap=false, labelloc=b, label=";
  appendQuoted(text, (name == "-" ? "" : std::string(name) + ": ") + caption(g, colour, answer, cut));
  text += "];\n  node [width=0.4, fixedsize=true, fontsize=11];\n";
  if (!colour.empty()) text += "  node [style=filled, fontcolor=white];\n";
  std::vector<std::int32_t> place(static_cast<std::size_t>(g.order()), -1);
  for (std::size_t k = 0; k < cycle.size(); ++k) place[static_cast<std::size_t>(cycle[k])] = static_cast<std::int32_t>(k);
  const double radius = std::max(1.0, kCircleSpacing * static_cast<double>(cycle.size()) / (2 * std::numbers::pi));
  for (std::int32_t v = 0; v < g.order(); ++v) {
    text += "  " + std::to_string(v + 1);
    std::string attributes;
    if (shaded[static_cast<std::size_t>(v)]) {
      const std::string_view fill = colour.empty() ? kPieceUncoloured : kPieceColour[colour[static_cast<std::size_t>(v)]];
      attributes += "style=filled, fontcolor=black, fillcolor=\"" + std::string(fill) + "\"";
    } else if (!colour.empty()) {
      attributes += "fillcolor=\"" + std::string(kClassColour[colour[static_cast<std::size_t>(v)]]) + "\"";
    }
    if (const std::int32_t k = place[static_cast<std::size_t>(v)]; k >= 0) {
      // Clockwise from the top, in cycle order.
      const double angle = std::numbers::pi / 2 - 2 * std::numbers::pi * k / static_cast<double>(cycle.size());
      char pos[64];
      std::snprintf(pos, sizeof pos, "pos=\"%.3f,%.3f!\"", radius * std::cos(angle), radius * std::sin(angle));
      attributes += (attributes.empty() ? "" : ", ") + std::string(pos);
    }
    if (!attributes.empty()) text += " [" + attributes + "]";
    text += ";\n";
  }
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v >= w) continue;
      text += "  " + std::to_string(v + 1) + " -- " + std::to_string(w + 1);
      if (bold.count({v, w}) != 0) text += " [style=bold, penwidth=3]";
      if (cutEdges.count({v, w}) != 0) text += kCutEdgeStyle;
      text += ";\n";
    }
  }
  text += "}\n";
  return text;
}

bool renderDrawing(const std::string& dot, ImageFormat format, const std::string& path, std::string& error) {
  int in[2];
  if (::pipe(in) != 0) {
    error = std::string("cannot start Graphviz: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
  posix_spawn_file_actions_addclose(&actions, in[1]);
  const std::string type = format == ImageFormat::Svg ? "-Tsvg" : "-Tpng";
  const std::string output = "-o" + path;
  std::vector<char*> argv = {const_cast<char*>("neato"), const_cast<char*>(type.c_str()),
                             const_cast<char*>(output.c_str()), nullptr};
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "neato", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  if (spawned != 0) {
    ::close(in[1]);
    error = spawned == ENOENT ? "Graphviz is not installed (no neato on PATH): apt-get install graphviz, or write the "
                                "DOT text with --dot FILE and render it elsewhere"
                              : std::string("cannot start neato: ") + std::strerror(spawned);
    return false;
  }
  // neato reads all its input before writing, so a broken pipe only means it failed early.
  std::size_t written = 0;
  while (written < dot.size()) {
    const ssize_t n = ::write(in[1], dot.data() + written, dot.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  ::close(in[1]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || written < dot.size()) {
    error = "neato could not draw " + path + " (exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status)) + ")";
    return false;
  }
  return true;
}

}  // namespace bicubic::check
