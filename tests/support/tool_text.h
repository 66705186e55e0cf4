// Fixed texts of the tool's output that tests compare whole runs against: the banner that opens
// every run and the driver's line after a refused read (no line end follows). Kept as literal
// copies, not taken from the sources, so that a change to the printed text (its misspellings
// included) fails the tests instead of following along.
#pragma once

#include <string>

namespace bicubic::testing {

inline const std::string kBanner =
    "This file is use for determining the Hamiltonian cycle from bipartite cubic graph\n"
    "Althogh 2-connected  bipartite cubic is proved in NP-completed\n"
    "It is show in O(n^3.5) by this tools \n"
    "bicubic, (c) 2026 the bicubic authors, MIT License\n";
inline const std::string kNotRead = "Reading file is not correctly";

}  // namespace bicubic::testing
