// Decoders for one graph6 or sparse6 string into a vertex count and an edge list, for the Python
// module (graphs arrive as single strings there, not as files). A decode either yields a simple
// graph or says why not; nothing is allocated beyond the edges the text holds. Linear in the text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bicubic::python {

struct DecodedGraph {
  std::int64_t order = 0;
  // Each edge once as (smaller, larger); sparse6 repeats are dropped.
  std::vector<std::pair<std::int32_t, std::int32_t>> edges;
  std::string error;  // empty when the text decoded
};

// Decodes graph6, or sparse6 when the text starts with ':'. An optional >>graph6<< or >>sparse6<<
// header and trailing line-end bytes are accepted. A sparse6 loop is an error, not dropped: a
// loop says the text is not the simple graph its writer meant.
DecodedGraph decodeGraphText(std::string_view text);

}  // namespace bicubic::python
