// bicubic-check as a user runs it: the report's lines and fields, the closing counts, the
// formats on standard input and in files, --cycle, --dot, --time-limit and the exit statuses.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "families/families.h"
#include "check/formats.h"
#include "check/report.h"
#include "exact/rng.h"
#include "check_support.h"
#include "support/test_support.h"

namespace bicubic::check {
namespace {

using exact::isHamiltonianCycle;
using exact::Rng;
using testing::runCheckTool;

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::string part;
  std::istringstream in(text);
  while (std::getline(in, part, separator)) parts.push_back(part);
  return parts;
}

// The table's rows below its header, split into fields.
std::vector<std::vector<std::string>> records(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  for (const std::string& line : split(out, '\n')) {
    if (!line.empty() && !line.starts_with("source\t")) rows.push_back(split(line, '\t'));
  }
  return rows;
}

std::string graph6Lines(const std::vector<SimpleGraph>& graphs) {
  std::string text;
  for (const SimpleGraph& g : graphs) text += encodeGraph6(g) + "\n";
  return text;
}

TEST(CheckTool, HelpVersionAndUsageErrors) {
  const auto help = runCheckTool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: bicubic-check"), std::string::npos);
  const auto version = runCheckTool({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, "bicubic-check 1.1.0\n");
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--frobnicate"}, {"--time-limit"}, {"--time-limit", "soon"}, {"--time-limit", "-1"}, {"--dot"}}) {
    const auto run = runCheckTool(args);
    EXPECT_EQ(run.status, 2) << args[0];
    EXPECT_NE(run.err.find("usage:"), std::string::npos) << args[0];
    EXPECT_EQ(run.out, "") << args[0];
  }
}

TEST(CheckTool, OneLinePerGraphWithMethodExactAndAgreement) {
  const SimpleGraph k23 = testing::fromEdges(5, {{0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}});
  const SimpleGraph twoSquares = testing::fromEdges(8, {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}});
  const std::vector<SimpleGraph> graphs = {testing::cube(), testing::petersen(), k23, twoSquares,
                                           testing::smallestNonHamiltonianCubicBipartite()};
  const auto run = runCheckTool({}, ">>graph6<<" + graph6Lines(graphs));
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(split(run.out, '\n').front(), "source\tindex\tn\tmethod\texact\tagree\tms");
  const auto rows = records(run.out);
  ASSERT_EQ(rows.size(), graphs.size());
  const char* expectedMethod[] = {"H", "not-bipartite", "unbalanced", "not-connected", nullptr};
  const char* expectedExact[] = {"hamiltonian", "non-hamiltonian", "non-hamiltonian", "non-hamiltonian", "non-hamiltonian"};
  const char* expectedAgree[] = {"yes", "-", "yes", "yes", nullptr};
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 7u) << i;
    EXPECT_EQ(rows[i][0], "-");
    EXPECT_EQ(rows[i][1], std::to_string(i + 1));
    EXPECT_EQ(rows[i][2], std::to_string(graphs[i].order()));
    if (expectedMethod[i] != nullptr) {
      EXPECT_EQ(rows[i][3], expectedMethod[i]) << i;
    }
    EXPECT_EQ(rows[i][4], expectedExact[i]) << i;
    if (expectedAgree[i] != nullptr) {
      EXPECT_EQ(rows[i][5], expectedAgree[i]) << i;
    }
    EXPECT_GE(std::stod(rows[i][6]), 0.0);
  }
  // The 20-vertex graph: whatever the method says, agreement follows from it.
  EXPECT_EQ(rows[4][5], rows[4][3] == "H" || rows[4][3] == "may-be-H" ? "no" : "yes");
  // The summary goes to standard error, a key and numbers on each line.
  EXPECT_NE(run.err.find("# method\thamiltonian\tnon-hamiltonian\tunknown\n# H\t1\t0\t0\n"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("# not-bipartite\t0\t1\t0\n"), std::string::npos);
  EXPECT_NE(run.err.find("# graphs\t5\n# ms\t"), std::string::npos);
}

TEST(CheckTool, CycleFieldIsAVerifiedCycleFromVertexOne) {
  const std::vector<SimpleGraph> graphs = {testing::heawood(), testing::petersen()};
  const auto run = runCheckTool({"--cycle", "-"}, graph6Lines(graphs));
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("\tms\tcycle\n"), std::string::npos);
  const auto rows = records(run.out);
  ASSERT_EQ(rows.size(), 2u);
  ASSERT_EQ(rows[0].size(), 8u);
  std::vector<std::int32_t> cycle;
  for (const std::string& v : split(rows[0][7], ' ')) cycle.push_back(std::stoi(v) - 1);
  EXPECT_EQ(cycle.front(), 0);
  EXPECT_TRUE(isHamiltonianCycle(graphs[0], cycle));
  ASSERT_EQ(rows[1].size(), 8u);  // every row has every column
  EXPECT_EQ(rows[1][7], "-");
}

// --stats: a last column naming the deciding stage and a per-stage summary; --set reaches the
// search (the small-graph search switched off, other stages decide, with the same answers);
// --list-settings lists every setting; a bad --set is a usage error that says why.
TEST(CheckTool, StatsSetAndListSettings) {
  const SimpleGraph bowtie = testing::fromEdges(5, {{0, 1}, {1, 2}, {2, 0}, {2, 3}, {3, 4}, {4, 2}});
  const std::string input = graph6Lines({testing::cube(), bowtie, testing::petersen()});
  const struct {
    std::vector<std::string> arguments;
    std::vector<std::string> stages;
  } runs[] = {
      {{"--stats", "-q"}, {"small-search", "conditions", "small-search"}},
      {{"--stats", "-q", "--set=small-search=0"}, {"backtracking", "conditions", "backtracking"}},
  };
  for (const auto& r : runs) {
    const auto run = runCheckTool(r.arguments, input);
    EXPECT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(split(run.out, '\n').front(), "source\tindex\tn\tmethod\texact\tagree\tms\tstage");
    const auto rows = records(run.out);
    ASSERT_EQ(rows.size(), 3u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
      ASSERT_EQ(rows[i].size(), 8u) << i;
      EXPECT_EQ(rows[i][4], i == 0 ? "hamiltonian" : "non-hamiltonian") << i;
      EXPECT_EQ(rows[i][7], r.stages[i]) << r.arguments.back() << " " << i;
    }
    EXPECT_EQ(run.err.find("# graphs"), std::string::npos) << "-q keeps the summary off";
    EXPECT_NE(run.err.find("# stage\tdecided\truns\twork\n# -\t0\t0\t0\n# conditions\t1\t"), std::string::npos) << run.err;
  }
  const auto list = runCheckTool({"--list-settings"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(split(list.out, '\n').size(), exact::settingsTable().size() + 1);
  EXPECT_NE(list.out.find("\nfour-cut-radius\t4\t0\t16\t"), std::string::npos) << list.out;
  const struct {
    std::string value, inErr;
  } bad[] = {{"four-cut-radius=17", "--set: setting four-cut-radius must be in [0, 16]"},
             {"radius=1", "unknown setting 'radius'"},
             {"four-cut-radius", "--set takes NAME=VALUE"}};
  for (const auto& b : bad) {
    const auto run = runCheckTool({"--set", b.value, "-"}, input);
    EXPECT_EQ(run.status, 2) << b.value;
    EXPECT_NE(run.err.find(b.inErr), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "") << b.value;
  }
}

TEST(CheckTool, MatrixFilesAndMatrixOnStandardInput) {
  const std::string cube = std::string(BICUBIC_SOURCE_DIR) + "/examples/cube.txt";
  std::ifstream file(cube);
  std::stringstream text;
  text << file.rdbuf();
  const auto fromFile = runCheckTool({cube});
  const auto fromStdin = runCheckTool({}, text.str());
  for (const auto* run : {&fromFile, &fromStdin}) {
    EXPECT_EQ(run->status, 0) << run->err;
    const auto rows = records(run->out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][3], "H");
    EXPECT_EQ(rows[0][4], "hamiltonian");
  }
  EXPECT_EQ(records(fromFile.out)[0][0], cube);

  const auto shortMatrix = runCheckTool({"-"}, "3\n0 1 1\n1 0\n");
  EXPECT_EQ(shortMatrix.status, 1);
  EXPECT_NE(shortMatrix.err.find("graph - ends after 5 of 9 matrix values"), std::string::npos) << shortMatrix.err;
}

TEST(CheckTool, HcpFile) {
  const std::string path = bicubic::testing::writeScratchFile(
      "k4.hcp", "NAME : k4\nTYPE : HCP\nDIMENSION : 4\nEDGE_DATA_FORMAT : EDGE_LIST\nEDGE_DATA_SECTION\n"
                "1 2\n1 3\n1 4\n2 3\n2 4\n3 4\n-1\nEOF\n");
  const auto run = runCheckTool({path});
  EXPECT_EQ(run.status, 0) << run.err;
  const auto rows = records(run.out);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][3], "not-bipartite");
  EXPECT_EQ(rows[0][4], "hamiltonian");
}

TEST(CheckTool, UnreadableSourceIsReportedAndTheOthersStillRun) {
  const std::string good = bicubic::testing::writeScratchFile("good.g6", graph6Lines({testing::cube()}) + "Bw?\n");
  const auto run = runCheckTool({"/nonexistent/x.g6", good});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.err.find("/nonexistent/x.g6"), std::string::npos);
  EXPECT_NE(run.err.find("line 2"), std::string::npos) << run.err;
  const auto rows = records(run.out);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0][0], good);
}

TEST(CheckTool, TimeLimitGivesUnknownAndExitThree) {
  Rng rng(11);
  const SimpleGraph g = shuffled(randomCubicBipartite(300, rng), rng);
  const auto run = runCheckTool({"--time-limit", "0.000000001"}, graph6Lines({g, testing::cube()}));
  EXPECT_EQ(run.status, 3) << run.err;
  const auto rows = records(run.out);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0][4], "unknown");
  EXPECT_EQ(rows[0][5], "-");
  EXPECT_NE(run.err.find("\t0\t0\t1\n"), std::string::npos) << run.err;  // one unknown in the summary
}

// A limit that has passed before a long line is read stops the reading of that line: the graph is
// unknown with its order, the rest of the line is skipped (from a file, a pipe, gzip, standard
// input that starts inside a file), and the next graph (a path, which the conditions settle even
// past the limit) is decided; a line cut short in the file does not take the next graph along. Emitting
// the unknown graphs reads their lines whole, so they go out exactly as read.
TEST(CheckTool, TimeLimitStopsALongLineAndTheNextGraphFollows) {
  SimpleGraph k1500(1500);
  for (std::int32_t v = 0; v < 1500; ++v) {
    for (std::int32_t w = v + 1; w < 1500; ++w) k1500.addNewEdge(v, w);
  }
  const std::string g6Line = encodeGraph6(k1500);
  const std::string dir = bicubic::testing::scratchDirectory() + "/";
  bicubic::testing::writeScratchFile("long.g6", g6Line + "\nBg\n");
  bicubic::testing::writeScratchFile("long.s6", encodeSparse6(k1500) + "\nBg\n");
  bicubic::testing::writeScratchFile("skip-long.g6", "Bg\n" + g6Line + "\nBg\n");
  bicubic::testing::writeScratchFile("cut-long.g6", g6Line.substr(0, 100000) + "\nBg\n" + g6Line + "\nBg\n");
  const std::string check = "\"$CHECK\" --no-method --time-limit 0.000000001 ";
  const struct {
    const char* name;
    std::string command;
    std::vector<std::string> orders;  // the n column, row by row
  } cases[] = {
      {"graph6File", check + "long.g6", {"1500", "3"}},
      {"sparse6File", check + "long.s6", {"1500", "3"}},
      {"gzipPipe", "gzip -c long.g6 | " + check + "-", {"1500", "3"}},
      {"plainPipe", "cat long.g6 | " + check + "-", {"1500", "3"}},
      {"stdinInsideTheFile", "{ read -r first; " + check + "-; } < skip-long.g6", {"1500", "3"}},
      {"lineCutShort", check + "cut-long.g6", {"1500", "3", "1500", "3"}},
  };
  for (const auto& c : cases) {
    const auto run = testing::runShell("cd '" + dir + "' && " + c.command);
    EXPECT_EQ(run.status, 3) << c.name << ": " << run.err;
    const auto rows = records(run.out);
    ASSERT_EQ(rows.size(), c.orders.size()) << c.name;
    for (std::size_t k = 0; k < rows.size(); ++k) EXPECT_EQ(rows[k][2], c.orders[k]) << c.name;
    for (std::size_t k = 0; k < rows.size(); k += 2) {
      EXPECT_EQ(rows[k][3], "-") << c.name;
      EXPECT_EQ(rows[k][4], "unknown") << c.name;
      EXPECT_EQ(rows[k + 1][4], "non-hamiltonian") << c.name;
    }
  }
  const auto emitted = testing::runShell("cd '" + dir + "' && " + check + "-q --select unknown --emit graph6 long.g6");
  EXPECT_EQ(emitted.status, 3) << emitted.err;
  EXPECT_TRUE(emitted.out == g6Line + "\n") << emitted.out.size() << " bytes";
}

TEST(CheckTool, DotFileDrawsTheCycleBold) {
  const std::string dot = bicubic::testing::scratchDirectory() + "/heawood.dot";
  const auto run = runCheckTool({"--dot", dot}, graph6Lines({testing::heawood()}));
  EXPECT_EQ(run.status, 0);
  std::ifstream file(dot);
  std::stringstream text;
  text << file.rdbuf();
  const std::string drawing = text.str();
  EXPECT_EQ(drawing.rfind("graph ", 0), 0u);
  std::size_t edges = 0, bold = 0;
  for (const std::string& line : split(drawing, '\n')) {
    if (line.find(" -- ") != std::string::npos) ++edges;
    if (line.find("penwidth") != std::string::npos) ++bold;
  }
  EXPECT_EQ(edges, 21u);
  EXPECT_EQ(bold, 14u);

  const auto unwritable = runCheckTool({"--dot", "/nonexistent/dir/x.dot"}, graph6Lines({testing::heawood()}));
  EXPECT_EQ(unwritable.status, 1);
  EXPECT_NE(unwritable.err.find("cannot write /nonexistent/dir/x.dot: No such file or directory"), std::string::npos)
      << unwritable.err;
  EXPECT_EQ(records(unwritable.out).size(), 1u);  // the report itself is still complete
}

// Options that steer what standard output carries, each checked on one family: the selected
// graphs as graph6 lines exactly as read, --source in the first column, -q, --no-method, --dot -.
TEST(CheckTool, FilterOptionsShapeStandardOutput) {
  const std::vector<SimpleGraph> graphs = {testing::cube(), testing::petersen(), testing::heawood()};
  const std::string input = graph6Lines(graphs);
  const auto lines = split(input, '\n');
  const struct {
    const char* name;
    std::vector<std::string> arguments;
    std::string expectedOut;  // exact, or a prefix when it ends in "..."
    bool summary;
  } cases[] = {
      {"selectEmitsLinesAsRead", {"--select", "non-hamiltonian", "--emit", "graph6"}, lines[1] + "\n", true},
      {"emitEverything", {"--emit", "graph6", "-q"}, input, false},
      {"matrixOut", {"--select", "non-hamiltonian", "--emit", "matrix", "-q"}, "10\n0 1 0 0 1 1 0 0 0 0\n...", false},
      {"sourceName", {"--source", "fam\tily", "--select", "hamiltonian", "-q"},
       "source\tindex\tn\tmethod\texact\tagree\tms\nfam\\tily\t1\t8\tH\thamiltonian\tyes\t...", false},
      {"noMethod", {"--no-method", "--select", "non-hamiltonian", "-q"},
       "source\tindex\tn\tmethod\texact\tagree\tms\n-\t2\t10\t-\tnon-hamiltonian\t-\t...", false},
      {"dotToStdout", {"--dot", "-", "--index", "2", "-q"}, "graph \"-\" {\n  node [shape=circle];\n...", false},
  };
  for (const auto& c : cases) {
    const auto run = runCheckTool(c.arguments, input);
    EXPECT_EQ(run.status, 0) << c.name << ": " << run.err;
    const std::string& expected = c.expectedOut;
    if (expected.ends_with("...")) {
      EXPECT_EQ(run.out.substr(0, expected.size() - 3), expected.substr(0, expected.size() - 3)) << c.name;
    } else {
      EXPECT_EQ(run.out, expected) << c.name;
    }
    EXPECT_EQ(run.err.find("# graphs\t3\n") != std::string::npos, c.summary) << c.name << ": " << run.err;
  }
}

// What a run that cannot finish cleanly returns: a write error or a bad source is 1 and wins over
// an unknown answer (3), a reader that stops reading 141 without a word; the DOT output never
// overwrites a source; option values are not options.
TEST(CheckTool, FailuresAndTheirExitStatus) {
  Rng rng(11);
  const std::string slowAndCube = graph6Lines({shuffled(randomCubicBipartite(300, rng), rng), testing::cube()});
  const std::string family = bicubic::testing::writeScratchFile("family.g6", graph6Lines({testing::cube()}));
  const struct {
    const char* name;
    std::string command;
    int status;
    const char* inErr;
  } cases[] = {
      {"fullDisk", "\"$CHECK\" '" + family + "' > /dev/full", 1, "cannot write standard output: No space left on device"},
      {"closedPipe", "yes \"$(head -1 '" + family + "')\" | head -100000 | \"$CHECK\" | head -1 >/dev/null; exit ${PIPESTATUS[2]}",
       141, nullptr},
      {"unknownAndBadSource", "printf '" + slowAndCube + "' | \"$CHECK\" --time-limit 0.000000001 - /nonexistent", 1,
       "/nonexistent"},
      {"unknownAlone", "printf '" + slowAndCube + "' | \"$CHECK\" --time-limit 0.000000001", 3, "\t0\t0\t1\n"},
      {"dotIsASource", "\"$CHECK\" --dot '" + family + "' '" + family + "'", 2, "is also a source"},
      {"valueLooksLikeOption", "\"$CHECK\" --dot --cycle '" + family + "'", 2, "--dot needs a value"},
  };
  for (const auto& c : cases) {
    const auto run = testing::runShell(c.command);
    EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err;
    if (c.inErr == nullptr) {
      EXPECT_EQ(run.err, "") << c.name;  // a reader that stops reading is no failure
    } else {
      EXPECT_NE(run.err.find(c.inErr), std::string::npos) << c.name << ": " << run.err;
    }
  }
  std::ifstream unchanged(family);
  std::stringstream text;
  text << unchanged.rdbuf();
  EXPECT_EQ(text.str(), graph6Lines({testing::cube()}));
}

// --relabel K: a count out of K in its own column, the same for a graph wherever it stands, and
// able to differ from the method's verdict under the input's own numbering.
TEST(CheckTool, RelabelCountsDependOnTheGraphAlone) {
  const auto family = testing::nautyGraphs("nauty-genbg -q -c -d3:3 -D3:3 10 10");
  if (!family) GTEST_SKIP() << "nauty is not installed";
  // The first graph the method gets wrong under its own numbering: Hamiltonian, called not-H.
  std::string firstGraphs;
  for (std::size_t k = 0; k < 8; ++k) firstGraphs += (*family)[k] + "\n";
  const auto wrong = runCheckTool({"--select", "method-wrong", "--emit", "graph6", "-q"}, firstGraphs);
  const std::vector<std::string> lines = {encodeGraph6(testing::heawood()), encodeGraph6(testing::cube()),
                                          split(wrong.out, '\n').front()};
  const auto forward = runCheckTool({"--relabel", "50", "-q"}, lines[0] + "\n" + lines[1] + "\n" + lines[2] + "\n");
  const auto backward = runCheckTool({"--relabel", "50", "-q"}, lines[2] + "\n" + lines[1] + "\n" + lines[0] + "\n");
  ASSERT_EQ(forward.status, 0) << forward.err;
  EXPECT_EQ(split(forward.out, '\n').front(), "source\tindex\tn\tmethod\texact\tagree\tms\trelabel-H");
  const auto rows = records(forward.out), reversed = records(backward.out);
  ASSERT_EQ(rows.size(), 3u);
  ASSERT_EQ(reversed.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    ASSERT_EQ(rows[i].size(), 8u);
    EXPECT_EQ(rows[i][7], reversed[2 - i][7]) << i;
    EXPECT_TRUE(rows[i][7].ends_with("/50")) << rows[i][7];
  }
  // Called not-H as given, yet H under some other numbering.
  ASSERT_EQ(rows[2][3], "not-H");
  EXPECT_NE(rows[2][7], "0/50");
}

}  // namespace
}  // namespace bicubic::check

namespace bicubic::check {
namespace {

// "ulimit -v KIB; ", or nothing under AddressSanitizer, which reserves terabytes of address space
// (the case then still checks what is read and said, not the memory).
std::string addressLimit(int kib) {
#if defined(__SANITIZE_ADDRESS__)
  return (void)kib, "";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return (void)kib, "";
#endif
#endif
  return "ulimit -v " + std::to_string(kib) + "; ";
}

// A sparse6 line for n vertices, two hubs n-2 and n-1 joined to every other vertex, and the edge
// between the hubs listed `repeats` times: every repeat is between two vertices of degree n-1.
std::string hubsWithRepeatedEdge(std::int32_t n, std::int32_t repeats) {
  std::string bits;
  int width = 0;
  while ((std::int64_t{1} << width) < n) ++width;
  auto unit = [&](int b, std::int32_t x) {
    bits += static_cast<char>('0' + b);
    for (int k = width - 1; k >= 0; --k) bits += static_cast<char>('0' + ((x >> k) & 1));
  };
  unit(0, n - 2);  // v jumps to the first hub
  for (std::int32_t x = 0; x < n - 2; ++x) unit(0, x);
  unit(1, 0);  // v moves on to the second hub, with its edge to 0
  for (std::int32_t x = 1; x < n - 2; ++x) unit(0, x);
  for (std::int32_t r = 0; r < repeats; ++r) unit(0, n - 2);
  while (bits.size() % 6 != 0) bits += '1';
  std::string line = ":~";
  for (int s = 2; s >= 0; --s) line += static_cast<char>(63 + ((n >> (6 * s)) & 63));
  for (std::size_t k = 0; k < bits.size(); k += 6) line += static_cast<char>(63 + std::stoi(bits.substr(k, 6), nullptr, 2));
  return line + "\n";
}

std::string hcpText(const SimpleGraph& g, std::int64_t edgesShown, bool closed) {
  std::string text = "NAME : g\nTYPE : HCP\nDIMENSION : " + std::to_string(g.order()) + "\nEDGE_DATA_SECTION\n";
  std::int64_t shown = 0;
  for (std::int32_t v = 0; v < g.order(); ++v) {
    for (std::int32_t w : g.neighbours(v)) {
      if (v < w && shown++ < edgesShown) text += std::to_string(v + 1) + " " + std::to_string(w + 1) + "\n";
    }
  }
  return closed ? text + "-1\nEOF\n" : text;
}

// Input that ends early, holds more than it should or is plainly hostile is read whole or
// refused with a message and status 1; it is never read as some other graph with status 0, and
// memory stays bounded (ulimit -v) however much the input repeats.
TEST(CheckTool, HostileInputIsReadWholeOrRefused) {
  const std::string dir = bicubic::testing::scratchDirectory() + "/";
  const std::string examples = std::string(BICUBIC_SOURCE_DIR) + "/examples/";
  Rng rng(5);
  std::vector<SimpleGraph> family;
  for (int k = 0; k < 300; ++k) family.push_back(shuffled(randomCubicBipartite(12, rng), rng));
  const std::string familyFile = bicubic::testing::writeScratchFile("family300.g6", graph6Lines(family));
  bicubic::testing::writeScratchFile("cube.hcp", hcpText(testing::cube(), 12, true));
  bicubic::testing::writeScratchFile("cube-cut.hcp", hcpText(testing::cube(), 8, false));
  bicubic::testing::writeScratchFile("hubs.s6", hubsWithRepeatedEdge(200000, 300000));
  SimpleGraph cycle20000(20000), cycle5000(5000);
  for (std::int32_t v = 0; v < 20000; ++v) cycle20000.addNewEdge(v, (v + 1) % 20000);
  for (std::int32_t v = 0; v < 5000; ++v) cycle5000.addNewEdge(v, (v + 1) % 5000);
  bicubic::testing::writeScratchFile("cycles.s6", encodeSparse6(cycle20000) + "\n" + encodeSparse6(cycle5000) + "\n");
  const std::string gz = "gzip -c '" + familyFile + "'";
  const struct {
    const char* name;
    std::string command;
    int status;
    int rows;           // table rows (lines of standard output with --emit); -1: not checked
    const char* inErr;  // nullptr: not checked
  } cases[] = {
      {"hcpWhole", "\"$CHECK\" cube.hcp", 0, 1, nullptr},
      {"hcpCutShort", "\"$CHECK\" cube-cut.hcp", 1, 0, "line 12: the input ends inside EDGE_DATA_SECTION"},
      {"gzipCutInMember", gz + " | head -c 1500 | \"$CHECK\"", 1, -1, "truncated gzip input"},
      {"gzipNoTrailer", gz + " | head -c -8 | \"$CHECK\"", 1, -1, "truncated gzip input"},
      {"gzipSecondMemberCut", "{ " + gz + "; " + gz + " | head -c -4; } | \"$CHECK\"", 1, -1, "truncated gzip input"},
      // Cut right after a sync-flush point: every line inflated so far is whole.
      {"gzipCutAtSyncFlush", "python3 -c 'import sys, zlib; c = zlib.compressobj(wbits=31); "
           "sys.stdout.buffer.write(c.compress(open(sys.argv[1], \"rb\").read()) + c.flush(zlib.Z_SYNC_FLUSH))' '" +
           familyFile + "' | \"$CHECK\"", 1, 300, "truncated gzip input"},
      {"gzipWhole", "{ " + gz + "; " + gz + "; } | \"$CHECK\"", 0, 600, nullptr},
      {"dotIsStandardInput", "cp '" + familyFile + "' in.g6 && \"$CHECK\" --dot in.g6 < in.g6; s=$?; cmp -s in.g6 '" +
           familyFile + "' || s=99; exit $s", 2, 0, "--dot in.g6 is also standard input"},
      {"dotIsStandardOutput", "\"$CHECK\" --dot o.tsv '" + familyFile + "' > o.tsv", 2, -1,
       "--dot o.tsv is also standard output"},
      {"matricesOneAfterAnother", "cat " + examples + "cube.txt " + examples + "k33.txt " + examples +
           "triangle.txt | \"$CHECK\"", 0, 3, nullptr},
      {"emittedMatricesReadBack", "\"$CHECK\" -q --emit matrix '" + familyFile + "' | \"$CHECK\"", 0, 300, nullptr},
      {"graph6AfterAMatrix", "{ cat " + examples + "cube.txt; echo 'Bw'; } | \"$CHECK\"", 1, 1,
       "line 10: Bw follows a matrix"},
      {"longFirstLine", "head -c 100000000 /dev/zero | tr '\\0' 1 | timeout 20 \"$CHECK\"", 1, 0, "nCities"},
      {"repeatedEdgeBetweenHubs", "timeout 20 \"$CHECK\" --time-limit 1 hubs.s6", 3, 1,
       "line 1: 299999 repeated edge(s) ignored"},
      {"graph6Bomb", "{ printf A; head -c 150000000 /dev/zero | tr '\\0' A; printf '\\nA_\\n'; } | gzip -1 > bomb.gz && "
           "(" + addressLimit(100000) + "\"$CHECK\" bomb.gz)", 1, 1, "line 1: graph6 line of 150000001 bytes, longer than any"},
      {"hcpBomb", "{ printf 'NAME : b\\nTYPE : HCP\\nDIMENSION : 2\\nEDGE_DATA_SECTION\\n'; yes '1 2' | head -3000000; "
           "printf -- '-1\\nEOF\\n'; } > bomb.hcp && (" + addressLimit(100000) + "\"$CHECK\" bomb.hcp)", 0, 1,
       "2999979 more warnings not shown"},
      // 33 MB and 2 MB of graph6 text in 60 MB of address space.
      {"emitStreams", "set -o pipefail; n=$( (" + addressLimit(60000) + "\"$CHECK\" -q --emit graph6 cycles.s6) | wc -c) && "
           "[ \"$n\" = 35414594 ]", 0, -1, nullptr},
      {"emitMatrixAboveTheReadersLimit", "\"$CHECK\" -q --emit matrix cycles.s6 | wc -l", 0, 1,
       "--emit matrix writes at most 4999 vertices"},
      {"helpToFullDisk", "\"$CHECK\" --help > /dev/full", 1, 0, "cannot write standard output"},
      {"versionToFullDisk", "\"$CHECK\" --version > /dev/full", 1, 0, "cannot write standard output"},
      {"summaryToFullDisk", "\"$CHECK\" '" + familyFile + "' 2> /dev/full", 1, 300, nullptr},
  };
  for (const auto& c : cases) {
    const auto run = testing::runShell("cd '" + dir + "' && " + c.command);
    EXPECT_EQ(run.status, c.status) << c.name << ": " << run.err.substr(0, 2000);
    if (c.rows >= 0) { EXPECT_EQ(records(run.out).size(), static_cast<std::size_t>(c.rows)) << c.name; }
    if (c.inErr != nullptr) { EXPECT_NE(run.err.find(c.inErr), std::string::npos) << c.name << ": " << run.err.substr(0, 2000); }
  }
}

}  // namespace
}  // namespace bicubic::check
