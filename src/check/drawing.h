// Drawings of one checked graph: Graphviz DOT text that shows the answer's evidence (a
// Hamiltonian graph as its cycle laid round a circle, chords inside, the colour classes in two
// colours, and a caption that says how the answer was reached), and rendering it to SVG or PNG
// through Graphviz's neato. The text costs O(n + m); rendering is Graphviz's own cost.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "exact/hamiltonian.h"

namespace bicubic::check {

using exact::Answer;
using exact::hasCutVertex;
using exact::isConnected;
using exact::SimpleGraph;
using exact::twoColouring;

// Why the cut reduction answered non-Hamiltonian, as the engine's result gives it: the piece no
// cycle can pass and its cut's edges (both empty when the reduction had no single piece to show).
struct CutEvidence {
  bool byCutReduction = false;  // the cut reduction settled the answer
  std::span<const std::int32_t> blockedSide;
  std::span<const exact::Edge> cutEdges;
};

// DOT text of g as checked: cycle is the Hamiltonian cycle (vertices in cycle order) or empty,
// answer the exact answer; vertices are numbered from 1. Every edge is one "u -- v" line, the
// cycle's drawn bold, a blocking cut's red and dashed with its piece's vertices shaded pale.
std::string drawingDot(const SimpleGraph& g, std::span<const std::int32_t> cycle, Answer answer,
                       std::string_view name, const CutEvidence& cut = {});

enum class ImageFormat { Svg, Png };

// Renders DOT text into path with neato; false with the reason (Graphviz missing, neato failed)
// in error.
bool renderDrawing(const std::string& dot, ImageFormat format, const std::string& path, std::string& error);

}  // namespace bicubic::check
