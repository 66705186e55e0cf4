// Two-colouring: a depth-first search that colours red and blue everything reachable from one
// vertex. i is a neighbour of v only when entry (v, i) is exactly 1 and i != v; a vertex keeps
// the first colour it receives, and the first same-coloured neighbour met ends the search.
#pragma once

#include <cstdint>
#include <vector>

#include "graph/graph.h"

namespace bicubic {

// Colours from `vertex` with `colour` ('r' or 'b'); false as soon as an edge joins two vertices
// of one colour. The visiting order is that of the recursive search, kept on an explicit stack
// so that a 4999-vertex path cannot exhaust the call stack.
bool twoColour(Graph& graph, std::int32_t vertex, char colour);

// The search's working store, which a caller colouring graph after graph keeps so that its
// capacity stays: the stack of frames and one bit per vertex for each colour. With the bits a
// frame passes over its coloured neighbours, and tests them for a clash, a word at a time.
struct ColourStack {
  // A vertex, its colour, the block of columns its row scan is in (a multiple of 64) and the
  // neighbours in that block not yet looked at, one bit each.
  struct Frame {
    std::int32_t vertex;
    char colour;
    std::int32_t block;
    std::uint64_t pending;
  };
  std::vector<Frame> frames;
  std::vector<std::uint64_t> red;
  std::vector<std::uint64_t> blue;
};

// The same search in a caller's working store.
bool twoColour(Graph& graph, std::int32_t vertex, char colour, ColourStack& stack);

// True when every vertex has a colour, i.e. the colouring reached the whole graph.
bool everyVertexColoured(const Graph& graph);

}  // namespace bicubic
