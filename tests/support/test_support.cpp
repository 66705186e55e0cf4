#include "support/test_support.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace bicubic::testing {

Rows rowsFromEdges(std::int32_t n, const std::vector<Edge>& edges) {
  Rows rows(static_cast<std::size_t>(n), std::vector<std::int32_t>(static_cast<std::size_t>(n), 0));
  for (auto [a, b] : edges) {
    rows[static_cast<std::size_t>(a)][static_cast<std::size_t>(b)] = 1;
    rows[static_cast<std::size_t>(b)][static_cast<std::size_t>(a)] = 1;
  }
  return rows;
}

Rows matrixOf(const Graph& graph) {
  Rows rows;
  for (std::int32_t r = 0; r < graph.nCities; ++r) {
    rows.emplace_back();
    for (std::int32_t c = 0; c < graph.nCities; ++c) rows.back().push_back(graph.getEdge(r, c));
  }
  return rows;
}

Graph graphFromRows(const Rows& rows) {
  const auto n = static_cast<std::int32_t>(rows.size());
  Graph graph(n);
  for (std::int32_t r = 0; r < n; ++r) {
    for (std::int32_t c = 0; c < n; ++c) graph.setEdge(r, c, rows[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)]);
  }
  return graph;
}

Graph graphFromEdges(std::int32_t n, const std::vector<Edge>& edges) { return graphFromRows(rowsFromEdges(n, edges)); }

std::string matrixFileText(const Rows& rows) {
  std::string text = std::to_string(rows.size()) + "\n";
  for (const auto& row : rows) {
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (c > 0) text += ' ';
      text += std::to_string(row[c]);
    }
    text += '\n';
  }
  return text;
}

std::string scratchDirectory() {
  static const std::string directory = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "bicubic-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    if (made == nullptr) throw std::runtime_error("cannot make a scratch folder");
    static std::string toRemove = made;
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(toRemove, ignored);
    });
    return std::string(made);
  }();
  return directory;
}

std::string writeScratchFile(const std::string& name, const std::string& text) {
  const std::string path = scratchDirectory() + "/" + name;
  std::ofstream file(path, std::ios::binary);
  file << text;
  return path;
}

RunResult runExecutable(const std::vector<std::string>& arguments, const std::string& shellPrefix) {
  ProcessCall call;
  call.program = BICUBIC_EXECUTABLE;
  call.arguments = arguments;
  call.shellPrefix = shellPrefix;
  return runProcess(call);
}

Rows withEntries(Rows rows, const std::vector<std::vector<std::int32_t>>& entries) {
  for (const auto& e : entries) rows.at(static_cast<std::size_t>(e[0])).at(static_cast<std::size_t>(e[1])) = e[2];
  return rows;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string maskTicks(std::string output) {
  static const std::string kTickLine = "total ticks  is ";
  for (std::size_t at = output.find(kTickLine); at != std::string::npos; at = output.find(kTickLine, at)) {
    at += kTickLine.size();
    std::size_t end = at;
    if (end < output.size() && output[end] == '-') ++end;
    while (end < output.size() && output[end] >= '0' && output[end] <= '9') ++end;
    output.replace(at, end - at, "<ticks>");
  }
  return output;
}

}  // namespace bicubic::testing
