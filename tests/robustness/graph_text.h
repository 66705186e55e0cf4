// Text of large graph files, written straight into one string: a template row of "0 " pairs per
// vertex with '1' set where an edge is. A 4999-vertex file is 50 MB and takes a fraction of a
// second, where an n x n table of ints and per-value formatting would take far longer.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace bicubic::testing {

// The file text of an n-vertex graph whose entry (i, j) is 1 exactly when isEdge(i, j).
template <class Rule>
std::string graphTextFromRule(std::int32_t n, Rule isEdge) {
  const auto size = static_cast<std::size_t>(n);
  std::string text = std::to_string(n) + "\n";
  const std::size_t header = text.size();
  text.resize(header + 2 * size * size);
  for (std::size_t i = 0; i < size; ++i) {
    char* row = text.data() + header + 2 * size * i;
    for (std::size_t j = 0; j < size; ++j) {
      row[2 * j] = isEdge(static_cast<std::int32_t>(i), static_cast<std::int32_t>(j)) ? '1' : '0';
      row[2 * j + 1] = j + 1 == size ? '\n' : ' ';
    }
  }
  return text;
}

// The file text of an n-vertex graph with a symmetric 1 for each listed edge.
inline std::string graphTextFromEdges(std::int32_t n, const std::vector<std::pair<std::int32_t, std::int32_t>>& edges) {
  std::string text = graphTextFromRule(n, [](std::int32_t, std::int32_t) { return false; });
  const std::size_t header = std::to_string(n).size() + 1;
  const auto rowBytes = 2 * static_cast<std::size_t>(n);
  for (auto [a, b] : edges) {
    text[header + rowBytes * static_cast<std::size_t>(a) + 2 * static_cast<std::size_t>(b)] = '1';
    text[header + rowBytes * static_cast<std::size_t>(b) + 2 * static_cast<std::size_t>(a)] = '1';
  }
  return text;
}

}  // namespace bicubic::testing
