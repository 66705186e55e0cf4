#include "bipartite/two_colour.h"

#include <algorithm>
#include <bit>
#include <vector>

#include "graph/row_scan.h"

namespace bicubic {

bool twoColour(Graph& graph, std::int32_t vertex, char colour) {
  ColourStack stack;
  return twoColour(graph, vertex, colour, stack);
}

namespace {

// v's neighbours among the columns [block, block + kScanBlock): entries exactly 1, v itself
// left out. A frame keeps this mask, so each neighbour costs one bit step, not a row scan.
std::uint64_t neighboursInBlock(const Graph& graph, std::int32_t v, std::int32_t block) {
  std::uint64_t mask = equalMask(graph.row(v) + block, std::min(kScanBlock, graph.nCities - block), 1);
  if (v >= block && v - block < kScanBlock) mask &= ~(std::uint64_t{1} << (v - block));
  return mask;
}

// Gives v its colour in the graph and in the colour bits.
void paint(Graph& graph, ColourStack& work, std::int32_t v, char colour) {
  graph.vertices[static_cast<std::size_t>(v)].colour = colour;
  const auto word = static_cast<std::size_t>(v / 64);
  const std::uint64_t bit = std::uint64_t{1} << (v % 64);
  work.red[word] = (work.red[word] & ~bit) | (colour == kRed ? bit : 0);
  work.blue[word] = (work.blue[word] & ~bit) | (colour == kBlue ? bit : 0);
}

// Breadth-first colouring of a graph of at most 64 vertices, one word per layer, for the case
// the search meets most: nothing coloured yet and no clash. Where the reachable part has no
// clash the depth-first search gives every vertex it reaches the colour of the parity of its
// distance from the start (a connected 2-colourable graph has one colouring with the start's
// colour fixed), which is what the layers give, so the colours agree; the layers only need no
// branch per vertex. With a clash the graph is left untouched and false returned, so that the
// depth-first search can stop exactly where it stops.
bool colourByLayers(Graph& graph, std::int32_t start, char colour) {
  std::uint64_t reached = std::uint64_t{1} << start;
  std::uint64_t frontier = reached;
  std::uint64_t sides[2] = {reached, 0};
  std::uint64_t clashes = 0;
  for (std::size_t side = 0; frontier != 0; side ^= 1) {
    std::uint64_t next = 0;
    for (std::uint64_t f = frontier; f != 0; f &= f - 1) {
      const std::uint64_t neighbours = neighboursInBlock(graph, std::countr_zero(f), 0);
      next |= neighbours;
      clashes |= neighbours & sides[side];
    }
    frontier = next & ~reached;
    reached |= frontier;
    sides[side ^ 1] |= frontier;
  }
  if (clashes != 0) return false;
  const char other = colour == kRed ? kBlue : kRed;
  for (std::uint64_t v = sides[0]; v != 0; v &= v - 1) graph.vertices[static_cast<std::size_t>(std::countr_zero(v))].colour = colour;
  for (std::uint64_t v = sides[1]; v != 0; v &= v - 1) graph.vertices[static_cast<std::size_t>(std::countr_zero(v))].colour = other;
  return true;
}

}  // namespace

// The scan of a row meets its neighbours in increasing order: coloured ones are checked for a
// clash, the first uncoloured one is coloured and searched from. Masks do the same in one step:
// the coloured neighbours before the first uncoloured one (all that are left when there is none)
// are tested together, and the search stops exactly where the scan would, with the same colours.
bool twoColour(Graph& graph, std::int32_t vertex, char colour, ColourStack& work) {
  const std::int32_t n = graph.nCities;
  const auto words = static_cast<std::size_t>((n + 63) / 64);
  work.red.resize(words);
  work.blue.resize(words);
  for (std::size_t word = 0; word < words; ++word) {
    std::uint64_t red = 0;
    std::uint64_t blue = 0;
    const auto first = static_cast<std::int32_t>(word * 64);
    for (std::int32_t v = first; v < std::min(n, first + 64); ++v) {
      const char c = graph.vertices[static_cast<std::size_t>(v)].colour;
      red |= std::uint64_t{c == kRed} << (v - first);
      blue |= std::uint64_t{c == kBlue} << (v - first);
    }
    work.red[word] = red;
    work.blue[word] = blue;
  }
  const bool uncoloured = words == 1 && work.red[0] == 0 && work.blue[0] == 0;
  if (uncoloured && (colour == kRed || colour == kBlue) && colourByLayers(graph, vertex, colour)) return true;
  work.frames.clear();
  paint(graph, work, vertex, colour);
  work.frames.push_back({vertex, colour, 0, neighboursInBlock(graph, vertex, 0)});

  while (!work.frames.empty()) {
    ColourStack::Frame& frame = work.frames.back();
    const auto word = static_cast<std::size_t>(frame.block / 64);
    const char own = frame.colour;
    const std::uint64_t sameColour = own == kRed ? work.red[word] : own == kBlue ? work.blue[word] : 0;
    const std::uint64_t uncoloured = frame.pending & ~(work.red[word] | work.blue[word]);
    const std::uint64_t first = uncoloured & (~uncoloured + 1);
    const std::uint64_t passed = uncoloured == 0 ? frame.pending : frame.pending & (first - 1);
    if ((passed & sameColour) != 0) return false;
    if (uncoloured == 0) {
      frame.block += kScanBlock;
      if (frame.block >= n) {
        work.frames.pop_back();
      } else {
        frame.pending = neighboursInBlock(graph, frame.vertex, frame.block);
      }
      continue;
    }
    // Everything up to and including the new vertex has been looked at.
    frame.pending &= ~(passed | first);
    const std::int32_t next = frame.block + std::countr_zero(first);
    const char other = own == kRed ? kBlue : kRed;
    paint(graph, work, next, other);
    work.frames.push_back({next, other, 0, neighboursInBlock(graph, next, 0)});
  }
  return true;
}

bool everyVertexColoured(const Graph& graph) {
  return std::all_of(graph.vertices.begin(), graph.vertices.end(),
                     [](const Vertex& v) { return v.colour == kRed || v.colour == kBlue; });
}

}  // namespace bicubic
