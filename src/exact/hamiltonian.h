// The exact engine's one public header: decides whether a simple undirected graph has a
// Hamiltonian cycle. "Hamiltonian" always comes with a cycle checked against the input edges,
// "non-Hamiltonian" only from an exhaustive argument, "unknown" only when a limit stopped the
// search. Most graphs cost near-linear time; the worst case is exponential, bounded by the time
// limit or the stop flag. Includes only standard headers.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bicubic::exact {

enum class Answer { Hamiltonian, NonHamiltonian, Unknown };
inline constexpr std::size_t kAnswerCount = static_cast<std::size_t>(Answer::Unknown) + 1;

// An undirected simple graph as adjacency lists, the form the engine and its callers share.
// Lists never hold a loop or a repeated neighbour; reset() keeps the memory so that a stream of
// small graphs reuses it. All lists live in one pool: a graph of a million vertices is a handful
// of allocations (read, copied and freed at memory speed), about 32 bytes a vertex when cubic.
class SimpleGraph {
 public:
  SimpleGraph() = default;
  explicit SimpleGraph(std::int32_t n) { reset(n); }

  // Drops every edge and sets the order to n, keeping allocated capacity.
  void reset(std::int32_t n);
  // Adds u-v unless it is a loop or already present; returns whether it was added.
  bool addEdge(std::int32_t u, std::int32_t v);
  // Adds u-v without the duplicate scan: the caller guarantees u != v and that u-v is new.
  void addNewEdge(std::int32_t u, std::int32_t v);

  std::int32_t order() const { return n_; }
  std::int64_t edgeCount() const { return edges_; }
  std::span<const std::int32_t> neighbours(std::int32_t v) const {
    const List& list = lists_[static_cast<std::size_t>(v)];
    return {pool_.data() + list.begin, static_cast<std::size_t>(list.degree)};
  }
  std::int32_t degree(std::int32_t v) const { return lists_[static_cast<std::size_t>(v)].degree; }
  bool hasEdge(std::int32_t u, std::int32_t v) const;
  // A hint that v's list is about to be read or to grow: its record and the place reset() gave
  // its entries are fetched into the cache. A reader that knows its next edges a few ahead hides
  // the cache misses of a large graph's random ends behind one another.
  void prefetchList(std::int32_t v) const {
    const auto home = static_cast<std::size_t>(kFirstRoom) * static_cast<std::size_t>(v);
    __builtin_prefetch(lists_.data() + v, 1);
    if (home < pool_.size()) __builtin_prefetch(pool_.data() + home, 1);
  }

 private:
  // The room a list gets at its first neighbour: a cubic graph's lists never move.
  static constexpr std::int32_t kFirstRoom = 4;

  void append(std::int32_t v, std::int32_t w);
  void grow(std::int32_t v);
  void compact(std::int64_t extra);

  // The depth-first renumbering writes its copy's lists whole, in place (renumber.cpp).
  friend class ListWriter;

  std::int32_t n_ = 0;
  std::int64_t edges_ = 0;
  // v's neighbours are pool_[begin ..] (degree of them), with room slots reserved (four from
  // reset() on); one record a vertex, so that a walk reads a vertex's list from one place. A full
  // list moves to the pool's end with twice the room (or grows in place when it is last); when
  // the pool itself is full, the lists are packed into a new pool instead of copying the holes
  // they left. roomTotal_ is the sum of the rooms.
  struct List {
    std::int64_t begin = 0;
    std::int32_t degree = 0;
    std::int32_t room = 0;
  };
  std::vector<List> lists_;
  std::vector<std::int32_t> pool_;
  std::int64_t roomTotal_ = 0;
};

// Colours 0/1 of a two-colouring, or an empty vector when the graph has an odd cycle. Every
// component is coloured from its lowest vertex with colour 0.
std::vector<std::int8_t> twoColouring(const SimpleGraph& g);

// Whether every vertex is reachable from vertex 0 (true for the empty graph). O(n + m).
bool isConnected(const SimpleGraph& g);
// Whether removing some single vertex disconnects a connected graph. O(n + m).
bool hasCutVertex(const SimpleGraph& g);

// A seed made from the order, size and edge list of g: the searches draw their random choices
// from it, so a graph gets the same work wherever it stands in a stream. O(n + m).
std::uint64_t graphSeed(const SimpleGraph& g);

// Whether cycle lists every vertex of g exactly once and each consecutive pair, the last and
// the first included, is an edge of g.
bool isHamiltonianCycle(const SimpleGraph& g, std::span<const std::int32_t> cycle);
// Starts the cycle at vertex 0 and runs it towards the smaller of 0's two cycle neighbours.
void normaliseCycle(std::vector<std::int32_t>& cycle);

// Random numberings of a graph's vertices, drawn from graphSeed(g): the same graph gets the same
// sequence of numberings wherever it stands in a stream. Each costs O(n).
class Renumbering {
 public:
  explicit Renumbering(const SimpleGraph& g);
  // Fills label (of size n) with the next random permutation of 0..n-1.
  void next(std::span<std::int32_t> label);

 private:
  std::uint64_t state_;
};

// The stage of the pipeline that settled a graph, in the order the pipeline runs them.
enum class Stage {
  None,          // not settled (Unknown)
  Conditions,    // a necessary condition failed: degree, connectivity, balance, cut vertex
  SmallSearch,   // the fixed-size search of small subcubic graphs
  CutReduction,  // the reduction along 2-, 3- and 4-edge cuts answered, or left a core a stage decided
  Rotations,     // rotation-extension found a cycle
  Frontier,      // the frontier dynamic programme
  Backtracking,  // the backtracking search
};
inline constexpr int kStageCount = static_cast<int>(Stage::Backtracking) + 1;
// "conditions", "small-search", "cuts", "rotations", "frontier", "backtracking" ("-" for None).
std::string_view stageName(Stage stage);

// The moment a search must give up, read from the monotonic clock, or a stop flag set by another
// thread (a Ctrl-C handler). A default deadline never expires unless its stop flag is set.
class Deadline {
 public:
  using Clock = std::chrono::steady_clock;
  Deadline() = default;
  static Deadline after(double seconds) {
    Deadline d;
    // Beyond a few decades the clock's range would overflow; such a limit is no limit.
    if (!(seconds < 1e9)) return d;
    d.limited_ = true;
    d.at_ = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    return d;
  }
  // A deadline that never expires, for pollers not yet given one.
  static const Deadline& never() {
    static const Deadline kNever;
    return kNever;
  }
  // The same deadline, also expired once *stop is set (by another thread: a Ctrl-C handler).
  Deadline orWhen(const std::atomic<bool>* stop) const {
    Deadline d = *this;
    d.stop_ = stop;
    return d;
  }
  bool expired() const {
    if (stop_ != nullptr && stop_->load(std::memory_order_relaxed)) return true;
    return limited_ && Clock::now() >= at_;
  }

 private:
  bool limited_ = false;
  Clock::time_point at_{};
  const std::atomic<bool>* stop_ = nullptr;
};

// One tuning number of the engine: its name, default, accepted range and meaning.
struct SettingInfo {
  std::string_view name;
  std::int64_t defaultValue;
  std::int64_t min;
  std::int64_t max;
  std::string_view meaning;
};
// Every tuning number, one row each, in a fixed order.
std::span<const SettingInfo> settingsTable();

class Options {
 public:
  Options();
  // Seconds the search may take; 0 or less is no limit. The answer is then Unknown.
  double timeLimitSeconds = 0;
  // Another thread may set *stop to end the search early (Unknown); polled as the time limit is.
  const std::atomic<bool>* stop = nullptr;
  // Sets the setting NAME to the decimal integer VALUE. Returns an empty string when done, else
  // why not (unknown name, not an integer, out of range); the options are then unchanged.
  std::string set(std::string_view name, std::string_view value);
  std::int64_t get(std::string_view name) const;  // the setting's value (0 for an unknown name)
  std::span<const std::int64_t> values() const { return values_; }  // by settingsTable() row

 private:
  std::vector<std::int64_t> values_;
};

// The work of one stage during one solve: how often it ran and its own measure of work (nodes,
// states, rotation steps, pieces).
struct StageWork {
  std::int64_t runs = 0;
  std::int64_t work = 0;
};

using Edge = std::pair<std::int32_t, std::int32_t>;

struct Result {
  Answer answer = Answer::Unknown;
  std::vector<std::int32_t> cycle;  // every vertex once, in cycle order, when Hamiltonian
  Stage decidedBy = Stage::None;
  std::vector<StageWork> stages = std::vector<StageWork>(kStageCount);  // indexed by Stage
  // A cycle was found but failed the check against the input edges (an internal fault): the
  // answer is then Unknown, never an unchecked certificate.
  bool cycleRejected = false;
  // When the cut reduction proved the answer NonHamiltonian because one piece behind a 2-, 3- or
  // 4-edge cut admits no way for a cycle through it: the piece's vertices (sorted) and the cut's
  // edges (each from its end in the piece). Pieces the reduction had replaced inside it count
  // with their own vertices. Empty otherwise.
  std::vector<std::int32_t> blockedSide;
  std::vector<Edge> cutEdges;
};

// Decides the graph on vertices 0..order-1 with the given edges. Loops and repeated edges are
// ignored; an end outside 0..order-1 throws std::invalid_argument.
Result findHamiltonianCycle(std::int32_t order, std::span<const Edge> edges, const Options& options = Options());

// The same for many graphs: buffers are kept between calls, so a family of small graphs costs
// no allocation per graph. Each graph gets the same work wherever it stands in the stream.
class HamiltonianSolver {
 public:
  explicit HamiltonianSolver(const Options& options = Options());
  ~HamiltonianSolver();
  HamiltonianSolver(HamiltonianSolver&&) noexcept;
  HamiltonianSolver& operator=(HamiltonianSolver&&) noexcept;

  Result solve(std::int32_t order, std::span<const Edge> edges);
  // The same on a graph already built: no conversion.
  Result solve(const SimpleGraph& g);
  // The same into a result whose buffers (cycle, stages) are reused: a family of small graphs
  // then costs no allocation per graph.
  void solve(const SimpleGraph& g, Result& result);
  // The same under the given deadline in place of the options' time limit and stop flag.
  void solve(const SimpleGraph& g, const Deadline& deadline, Result& result);
  const Options& options() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace bicubic::exact
