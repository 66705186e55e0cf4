// Every fixed text the bicubic tool prints, in one place. Users and scripts compare the output
// byte for byte, so each text stays exactly as it is, misspellings included: those marked
// "deliberate" are part of the output contract and must not be corrected.
#pragma once

#include <string_view>

namespace bicubic::text {

// The banner, printed first on every run.
inline constexpr std::string_view kBanner1 =
    "This file is use for determining the Hamiltonian cycle from bipartite cubic graph\n";  // deliberate "is use"
inline constexpr std::string_view kBanner2 =
    "Althogh 2-connected  bipartite cubic is proved in NP-completed\n";  // deliberate "Althogh", two blanks
inline constexpr std::string_view kBanner3 = "It is show in O(n^3.5) by this tools \n";  // deliberate grammar, blank
// The authorship line, written in two pieces.
inline constexpr std::string_view kAuthorship1 = "bicubic, (c) 2026 the bicubic authors, ";
inline constexpr std::string_view kAuthorship2 = "MIT License\n";

// Driver: usage, a refused read, the first stages' verdicts and the tick line.
inline constexpr std::string_view kUsage = "please useage: ";  // deliberate "useage"; program name follows
inline constexpr std::string_view kUsageEnd = "  infile\n";
inline constexpr std::string_view kNotRead = "Reading file is not correctly";  // no line end follows
inline constexpr std::string_view kNotBipartite = "Graph is not bipartite, stop determining\n";
inline constexpr std::string_view kNotConnected = "Graph is not connected, so it has no Hamiltonian cycle\n";
inline constexpr std::string_view kUnbalanced = "Graph is bipartite but it has no Hamiltonian cycle\n";
inline constexpr std::string_view kBalanced = "Graph is balanced bipartite\n";
inline constexpr std::string_view kTicks = "total ticks  is ";  // deliberate two blanks
inline constexpr std::string_view kOutOfMemoryInTests = "\nnot enough memory to finish the tests\n";
inline constexpr std::string_view kOutOfMemoryAtStart = "\nnot enough memory to run\n";

// Reader. "open file " PATH "not correctly" has no blank before "not": deliberate.
inline constexpr std::string_view kOpenFile = "open file ";
inline constexpr std::string_view kNotCorrectly = "not correctly";
inline constexpr std::string_view kCountRange = "nCities= ";     // COUNT "  must be in[" 1 "," MAX "]"
inline constexpr std::string_view kCountRangeMiddle = "  must be in[";
inline constexpr std::string_view kMatrixAllocation = "malloc for adjacency_matrix failed ";
inline constexpr std::string_view kLabelAllocation = "malloc for vertex labels failed ";
inline constexpr std::string_view kPathAllocation = "malloc for path failed";
inline constexpr std::string_view kGraph = "graph ";  // PATH then one of the three endings below
inline constexpr std::string_view kInputFinish = " input finish ";
inline constexpr std::string_view kEndsAfter = " ends after ";  // N " of " CELLS " matrix values"
inline constexpr std::string_view kNoValidInteger = " has no valid integer at row ";  // R ", column " C

// Assignment report: "array(" ROW "," COL ") = " VALUE "," LABEL, then "The " MODE " is:" TOTAL.
inline constexpr std::string_view kArray = "array(";
inline constexpr std::string_view kModeTotal = " is:";

// Decision.
inline constexpr std::string_view kReoutput = "reoutput the data-------------=";
inline constexpr std::string_view kPowerStop = " Stop ";  // after "b^" POWER
inline constexpr std::string_view kBicubicH = "\nBicubic is H\n";
inline constexpr std::string_view kMaybeH = "\nSince it is not Bicubic , so it may be H \n";  // deliberate " , "
inline constexpr std::string_view kNotH = "\nGraph is not H\n";

// Square matrix allocation failures.
inline constexpr std::string_view kMatrixDataAllocation = "alloc memeory for matrix.data failed\n";  // deliberate "memeory"
inline constexpr std::string_view kMatrixBackupAllocation = "alloc memeory for matrix.backup failed\n";  // deliberate

}  // namespace bicubic::text
