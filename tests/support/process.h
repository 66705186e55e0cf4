// Running a program as a child process for the tests: stdin from given text, stdout and stderr
// read whole, exit status (128 + signal number for a signal death). The child goes through
// /bin/bash so a prefix can set limits, redirections or variables first; arguments still reach
// the program exactly as given. Costs one fork/exec of bash plus the program itself.
#pragma once

#include <string>
#include <vector>

namespace bicubic::testing {

struct ProcessRun {
  std::string out;  // everything written to standard output
  std::string err;  // everything written to standard error
  int status = -1;
};

struct ProcessCall {
  std::string program;
  std::vector<std::string> arguments;
  std::string stdinText;
  // Shell text run before the program, e.g. "ulimit -v 100000;" or "cd DIR &&".
  std::string shellPrefix;
  // Replaces the plain `exec "$0" "$@"` when set: the program is $0 and its arguments are "$@".
  std::string commandLine;
};

// A file descriptor that closes itself (pipes and files opened by tests).
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor();
  int get() const { return fd_; }
  // Closes the held descriptor and holds fd instead.
  void reset(int fd = -1);

 private:
  int fd_;
};

ProcessRun runProcess(const ProcessCall& call);

// Text single-quoted for the shell, whatever bytes it holds.
std::string shellQuoted(const std::string& text);

}  // namespace bicubic::testing
