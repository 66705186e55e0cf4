// Planar code in and out: the codec on every form (1- and 2-byte entries, each header, none),
// broken input refused with the place named, a nauty family read as planar code giving the same
// answers as the same graphs in graph6, and duals: a cubic plane graph's dual is a triangulation
// whose dual gives the graph's answers back.
#include <gtest/gtest.h>

#include <fstream>

#include "check/formats.h"
#include "check/planar_code.h"
#include "check_support.h"
#include "support/test_support.h"

namespace bicubic::check {
namespace {

// The prism C_k x K2 as a plane graph: outer cycle 0..k-1, inner cycle k..2k-1, clockwise.
PlaneGraph prism(std::int32_t k) {
  PlaneGraph g;
  g.rotation.resize(static_cast<std::size_t>(2 * k));
  for (std::int32_t i = 0; i < k; ++i) {
    const std::int32_t next = (i + 1) % k, previous = (i + k - 1) % k;
    g.rotation[static_cast<std::size_t>(i)] = {next, previous, k + i};
    g.rotation[static_cast<std::size_t>(k + i)] = {i, k + previous, k + next};
  }
  return g;
}

// Every graph in the bytes, or the first error.
std::vector<PlaneGraph> decodeAll(std::string_view bytes, std::string& error) {
  BufferReader input(bytes);
  PlanarCodeReader reader(input);
  std::vector<PlaneGraph> graphs;
  for (PlaneGraph g; reader.next(g, error) == PlanarCodeReader::Status::Graph;) graphs.push_back(g);
  return graphs;
}

// A stream's 2-byte entries with their bytes swapped: the little-endian form of the same graphs.
std::string swapEntryBytes(std::string bytes) {
  for (std::size_t k = 0; k + 1 < bytes.size(); k += 2) std::swap(bytes[k], bytes[k + 1]);
  return bytes;
}

TEST(PlanarCode, EveryFormRoundTrips) {
  const PlaneGraph small = prism(4), large = prism(150);  // 8 and 300 vertices
  const std::string smallCode = encodePlanarCode(small), largeCode = encodePlanarCode(large);
  ASSERT_EQ(largeCode[0], '\0');  // 300 vertices need the 2-byte form
  const struct {
    const char* name;
    std::string bytes;
    std::vector<const PlaneGraph*> expected;
  } cases[] = {
      {"headerless", smallCode + smallCode, {&small, &small}},
      {"headerless 2-byte", largeCode, {&large}},
      {"header", std::string(kPlanarCodeHeader) + smallCode + largeCode + smallCode, {&small, &large, &small}},
      {"big-endian header", ">>planar_code be<<" + largeCode, {&large}},
      {"little-endian header", ">>planar_code le<<" + std::string(1, '\0') + swapEntryBytes(largeCode.substr(1)), {&large}},
  };
  for (const auto& c : cases) {
    std::string error;
    const std::vector<PlaneGraph> graphs = decodeAll(c.bytes, error);
    EXPECT_EQ(error, "") << c.name;
    ASSERT_EQ(graphs.size(), c.expected.size()) << c.name;
    for (std::size_t i = 0; i < graphs.size(); ++i) EXPECT_EQ(graphs[i].rotation, c.expected[i]->rotation) << c.name << i;
    EXPECT_TRUE(looksLikePlanarCode(c.bytes.substr(0, 64))) << c.name;
  }
  for (const std::string_view text : {"4\n0 1 0 1\n", "G}hPW{\n", ":Fa@x^\n", "NAME : x\n", "\n\n4 0 1", ""}) {
    EXPECT_FALSE(looksLikePlanarCode(text)) << text;
  }
}

TEST(PlanarCode, BrokenInputNamesThePlace) {
  const std::string cube = encodePlanarCode(prism(4));
  const struct {
    std::string bytes;
    const char* message;
  } cases[] = {
      {cube.substr(0, 10), "graph 1: the input ends inside the neighbour list of vertex 3 of 8"},
      {cube + std::string("\x03\x02\x09\x00", 4), "graph 2: vertex 1 has neighbour 9, beyond the 3 vertices"},
      {std::string("\0\0\0", 3), "graph 1: a vertex count of 0"},
      {">>planar_code xx<<" + cube, "a planar_code header other than"},
  };
  for (const auto& c : cases) {
    std::string error;
    decodeAll(c.bytes, error);
    EXPECT_NE(error.find(c.message), std::string::npos) << error;
  }
}

bool nautyPlanarg() { return testing::runShell("command -v nauty-planarg && command -v nauty-geng").status == 0; }

// The n and exact columns of a report.
const char* kAnswers = " | cut -f3,5";

TEST(PlanarCode, NautyFamilyAnswersAsInGraph6) {
  if (!nautyPlanarg()) GTEST_SKIP() << "nauty is not installed (apt-get install nauty)";
  SimpleGraph large;
  IgnoredEdges ignored;
  underlyingGraph(prism(150), large, ignored);
  const std::string family = "{ nauty-geng -q -c -d3 -D3 14; echo '" + encodeGraph6(large) + "'; } | nauty-planarg -q";
  const auto graph6 = testing::runShell(family + " | \"$CHECK\" -q" + kAnswers);
  const auto planar = testing::runShell(family + " -p | \"$CHECK\" -q" + kAnswers);
  ASSERT_EQ(graph6.status, 0) << graph6.err;
  EXPECT_EQ(planar.status, 0) << planar.err;
  EXPECT_GT(std::count(graph6.out.begin(), graph6.out.end(), '\n'), 130);
  EXPECT_TRUE(graph6.out.ends_with("\n300\thamiltonian\n"));
  EXPECT_TRUE(planar.out == graph6.out) << "planar code and graph6 answers differ";
  // Every dual of a cubic plane graph of 14 vertices has 14/2 + 2 faces (Euler's formula).
  const auto duals = testing::runShell("nauty-geng -q -c -d3 -D3 14 | nauty-planarg -q -p | \"$CHECK\" -q --dual | cut -f3 | sort | uniq -c");
  EXPECT_EQ(duals.status, 0) << duals.err;
  EXPECT_NE(duals.out.find("    133 9\n"), std::string::npos) << duals.out;
}

TEST(PlanarCode, DualOfTheDualIsTheGraphAgain) {
  // The prism's dual is a triangulation (two poles of degree k, the rest of degree 4); its dual
  // is the prism again, with its cycle.
  const std::string file = bicubic::testing::scratchDirectory() + "/prism.pc";
  {
    std::ofstream out(file, std::ios::binary);
    out << kPlanarCodeHeader << encodePlanarCode(prism(150)) << encodePlanarCode(prism(4));
  }
  const auto once = testing::runShell("\"$CHECK\" -q --dual --emit planar-code '" + file + "' | \"$CHECK\" -q" + kAnswers);
  EXPECT_EQ(once.out, "n\texact\n152\thamiltonian\n6\thamiltonian\n");
  const auto twice = testing::runShell("\"$CHECK\" -q --dual --emit planar-code '" + file + "' | \"$CHECK\" -q --dual" + kAnswers);
  EXPECT_EQ(twice.out, "n\texact\n300\thamiltonian\n8\thamiltonian\n");
  // A plane graph with parallel edges has no dual that planar code could pin down.
  std::string error;
  PlaneGraph dual, doubled = prism(4);
  doubled.rotation[0].push_back(1);
  doubled.rotation[1].push_back(0);
  EXPECT_FALSE(dualGraph(doubled, dual, error));
  EXPECT_NE(error.find("parallel edges"), std::string::npos);
}

TEST(PlanarCode, WhatCannotBeReadOrWrittenIsSaid) {
  const struct {
    const char* name;
    std::string command;
    const char* message;
  } cases[] = {
      {"unknown format", "printf '\\001\\002\\003' | \"$CHECK\"", "nauty-copyg -g"},
      {"planar code out of graph6", "echo 'G}hPW{' | \"$CHECK\" --emit planar-code", "needs planar code input"},
      {"truncated", "printf '>>planar_code<<\\010\\002\\005' | \"$CHECK\"", "ends inside the neighbour list of vertex 1"},
  };
  for (const auto& c : cases) {
    const auto run = testing::runShell(c.command);
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
  }
}

}  // namespace
}  // namespace bicubic::check
