// The Python module's native half (bicubic._native): a Checker decides batches of graphs with the
// exact engine and, when asked, the method, with the GIL released; a long search runs on a worker
// thread while the calling thread polls Python for signals, so Ctrl-C stops it within ~50 ms.
// Graphs arrive as graph6/sparse6 text or as (order, flat edge list, labels) from the Python half.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "driver/method.h"
#include "exact/hamiltonian.h"
#include "python/graph_text.h"

namespace py = pybind11;

namespace bicubic::python {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSignalPoll = std::chrono::milliseconds(50);

// The method's verdicts under the names bicubic-check prints in its method column.
const char* verdictName(Verdict verdict) {
  switch (verdict) {
    case Verdict::BicubicH: return "H";
    case Verdict::NotH: return "not-H";
    case Verdict::MaybeH: return "may-be-H";
    case Verdict::NotBipartite: return "not-bipartite";
    case Verdict::Unbalanced: return "unbalanced";
    case Verdict::NotConnected: return "not-connected";
    case Verdict::OutOfMemory: break;
  }
  return "out-of-memory";
}

const char* answerName(exact::Answer answer) {
  switch (answer) {
    case exact::Answer::Hamiltonian: return "hamiltonian";
    case exact::Answer::NonHamiltonian: return "non-hamiltonian";
    case exact::Answer::Unknown: break;
  }
  return "unknown";
}

// One graph of a batch: what the worker needs, and why it cannot run when it cannot.
struct Item {
  std::int32_t order = 0;
  std::vector<exact::Edge> edges;
  std::string error;
};

struct Outcome {
  exact::Result result;
  std::optional<Verdict> method;
  double seconds = 0;
};

std::string vertexName(const py::object& labels, std::int32_t v) {
  if (labels.is_none()) return std::to_string(v);
  return py::repr(labels[py::int_(v)]).cast<std::string>();
}

// Why the engine should not be asked about this graph, or "" when it may. A graph without
// vertices, a loop or a vertex without edges almost always means the input is not what the
// caller meant, so these are refused rather than answered "non-Hamiltonian".
std::string invalidReason(const Item& item, const py::object& labels) {
  if (item.order <= 0) return "the graph has no vertices";
  for (const auto& [u, v] : item.edges) {
    if (u < 0 || v < 0 || u >= item.order || v >= item.order) return "an edge has an end outside the graph";
    if (u == v) return "loop at vertex " + vertexName(labels, u);
  }
  // Only the first 2m+1 vertices can all have edges, so a huge order with few edges costs no more.
  const std::size_t seen = std::min(static_cast<std::size_t>(item.order), 2 * item.edges.size() + 1);
  std::vector<bool> touched(seen, false);
  for (const auto& [u, v] : item.edges) {
    if (static_cast<std::size_t>(u) < seen) touched[static_cast<std::size_t>(u)] = true;
    if (static_cast<std::size_t>(v) < seen) touched[static_cast<std::size_t>(v)] = true;
  }
  const auto isolated = std::find(touched.begin(), touched.end(), false);
  if (isolated != touched.end()) {
    return "vertex " + vertexName(labels, static_cast<std::int32_t>(isolated - touched.begin())) +
           " has degree 0";
  }
  return {};
}

// A graph6/sparse6 string or bytes, or a tuple (order, [u0, v0, u1, v1, ...], labels).
Item makeItem(const py::handle& graph) {
  Item item;
  py::object labels = py::none();
  if (py::isinstance<py::str>(graph) || py::isinstance<py::bytes>(graph)) {
    const std::string text = py::isinstance<py::str>(graph) ? graph.cast<std::string>()
                                                            : std::string(graph.cast<py::bytes>());
    DecodedGraph decoded = decodeGraphText(text);
    if (!decoded.error.empty()) {
      item.error = "malformed graph6/sparse6 text: " + decoded.error;
      return item;
    }
    item.order = static_cast<std::int32_t>(decoded.order);
    item.edges = std::move(decoded.edges);
  } else {
    const auto parts = graph.cast<py::tuple>();
    item.order = parts[0].cast<std::int32_t>();
    const auto ends = parts[1].cast<std::vector<std::int32_t>>();
    labels = parts[2];
    for (std::size_t i = 0; i + 1 < ends.size(); i += 2) {
      item.edges.emplace_back(std::min(ends[i], ends[i + 1]), std::max(ends[i], ends[i + 1]));
    }
    // The method takes each edge once; a multigraph's repeats and (v, u) after (u, v) go.
    std::sort(item.edges.begin(), item.edges.end());
    item.edges.erase(std::unique(item.edges.begin(), item.edges.end()), item.edges.end());
  }
  item.error = invalidReason(item, labels);
  return item;
}

// True when Python has a signal handler to run that raises (Ctrl-C): the exception is then set.
// Called with the GIL released; takes it for the check only.
bool signalRaised() {
  py::gil_scoped_acquire gil;
  return PyErr_CheckSignals() != 0;
}

// A thread kept for one Checker's long searches. run() is called with the GIL released; it hands
// the thread one task and waits, checking for signals every kSignalPoll. On a raised one
// (KeyboardInterrupt) stop is set so that the task ends early, and run() returns true once the
// task has returned; the Python exception stays set for the caller to raise.
class Worker {
 public:
  Worker() : thread_([this] { serve(); }) {}
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;
  ~Worker() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      quit_ = true;
    }
    wake_.notify_one();
    thread_.join();
  }

  bool run(std::function<void()> task, std::atomic<bool>& stop) {
    bool interrupted = false;
    std::unique_lock<std::mutex> lock(mutex_);
    task_ = std::move(task);
    failure_ = nullptr;
    wake_.notify_one();
    while (!finished_.wait_for(lock, kSignalPoll, [&] { return !task_; }) && !interrupted) {
      lock.unlock();
      interrupted = signalRaised();
      if (interrupted) stop = true;
      lock.lock();
    }
    finished_.wait(lock, [&] { return !task_; });
    if (failure_) std::rethrow_exception(failure_);
    return interrupted;
  }

 private:
  void serve() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      wake_.wait(lock, [&] { return quit_ || task_; });
      if (!task_) return;
      lock.unlock();
      try {
        task_();
      } catch (...) {
        failure_ = std::current_exception();
      }
      lock.lock();
      task_ = nullptr;
      finished_.notify_one();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, finished_;
  std::function<void()> task_;  // set while a task waits or runs
  std::exception_ptr failure_;
  bool quit_ = false;
  std::thread thread_;  // last: it starts once the members it uses exist
};

exact::Options engineOptions(std::optional<double> timeLimit, const std::atomic<bool>* stop) {
  exact::Options options;
  options.timeLimitSeconds = timeLimit.value_or(0);
  options.stop = stop;
  return options;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Decides graph after graph with one engine and one method runner, so a family of small graphs
// allocates nothing per graph once the buffers have grown. Each search first runs on the calling
// thread for at most kSignalPoll (most graphs end there, without waking another thread, which
// on a loaded machine can cost milliseconds); a graph that needs longer is searched again from
// the start on the worker, while this thread watches for Ctrl-C.
class Checker {
 public:
  Checker(std::optional<double> timeLimit, bool exact, bool method)
      : timeLimit_(timeLimit),
        quick_(engineOptions(quickLimit(timeLimit), nullptr)),
        exact_(exact),
        method_(method) {}

  // One tuple per graph: (order, answer, cycle, stage, method, seconds, error).
  py::list run(const py::sequence& graphs) {
    std::vector<Item> items;
    items.reserve(graphs.size());
    for (const py::handle graph : graphs) items.push_back(makeItem(graph));
    std::vector<Outcome> outcomes(items.size());
    if (decideAll(items, outcomes)) throw py::error_already_set();
    py::list rows;
    for (std::size_t i = 0; i < items.size(); ++i) rows.append(row(items[i], outcomes[i]));
    return rows;
  }

 private:
  static double quickLimit(std::optional<double> timeLimit) {
    const double slice = std::chrono::duration<double>(kSignalPoll).count();
    return timeLimit ? std::min(*timeLimit, slice) : slice;
  }

  // True when interrupted (the Python exception is then set).
  bool decideAll(const std::vector<Item>& items, std::vector<Outcome>& outcomes) {
    py::gil_scoped_release release;
    auto lastCheck = Clock::now();
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (!items[i].error.empty()) continue;
      if (decide(items[i], outcomes[i])) return true;
      if (Clock::now() - lastCheck >= kSignalPoll) {
        if (signalRaised()) return true;
        lastCheck = Clock::now();
      }
    }
    return false;
  }

  bool decide(const Item& item, Outcome& outcome) {
    const auto start = Clock::now();
    if (method_) outcome.method = verdict(item);
    bool interrupted = false;
    if (exact_) {
      outcome.result = quick_.solve(item.order, item.edges);
      const bool quickWasCut = !timeLimit_ || *timeLimit_ > quickLimit(timeLimit_);
      if (outcome.result.answer == exact::Answer::Unknown && quickWasCut) {
        interrupted = searchOnWorker(item, outcome, timeLimit_ ? std::optional(*timeLimit_ - secondsSince(start)) : std::nullopt);
      }
    }
    outcome.seconds = secondsSince(start);
    return interrupted;
  }

  bool searchOnWorker(const Item& item, Outcome& outcome, std::optional<double> remaining) {
    if (remaining && *remaining <= 0) return false;
    if (!worker_) worker_ = std::make_unique<Worker>();
    stop_ = false;
    exact::HamiltonianSolver solver(engineOptions(remaining, &stop_));
    return worker_->run([&] { outcome.result = solver.solve(item.order, item.edges); }, stop_);
  }

  std::optional<Verdict> verdict(const Item& item) {
    if (item.order > methodMaxOrder()) return std::nullopt;
    methodEdges_.clear();
    for (const auto& [u, v] : item.edges) methodEdges_.push_back({u, v});
    return runner_.verdictOnEdges(item.order, methodEdges_);
  }

  static py::tuple row(const Item& item, const Outcome& outcome) {
    if (!item.error.empty()) return py::make_tuple(item.order, py::none(), py::none(), py::none(), py::none(), 0.0, item.error);
    const exact::Result& result = outcome.result;
    py::object cycle = py::none();
    if (result.answer == exact::Answer::Hamiltonian) cycle = py::cast(result.cycle);
    py::object method = outcome.method ? py::str(verdictName(*outcome.method)) : py::object(py::none());
    return py::make_tuple(item.order, answerName(result.answer), cycle, std::string(exact::stageName(result.decidedBy)),
                          method, outcome.seconds, py::none());
  }

  std::optional<double> timeLimit_;
  std::atomic<bool> stop_{false};
  exact::HamiltonianSolver quick_;
  MethodRunner runner_;
  std::vector<MethodRunner::Edge> methodEdges_;
  bool exact_;
  bool method_;
  std::unique_ptr<Worker> worker_;  // started by the first graph that needs it; last: joined first
};

}  // namespace

}  // namespace bicubic::python

PYBIND11_MODULE(_native, m) {
  using bicubic::python::Checker;
  m.doc() = "Native half of the bicubic module: batches of graphs decided off the GIL.";
  m.attr("METHOD_MAX_ORDER") = bicubic::methodMaxOrder();
  py::class_<Checker>(m, "Checker")
      .def(py::init<std::optional<double>, bool, bool>(), py::arg("time_limit"), py::arg("exact"), py::arg("method"))
      .def("run", &Checker::run, py::arg("graphs"),
           "Decides each graph; one tuple (order, answer, cycle, stage, method, seconds, error) each.");
}
