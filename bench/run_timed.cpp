// run_timed: runs one command with its standard output sent to a file and reports, on one line,
// its wall time, user and system processor time (seconds), peak resident memory (KiB) and how
// it ended: "ok", "exit:N", "signal:N" or "timeout" (killed after TIMEOUT seconds).
//
//   run_timed TIMEOUT OUTFILE COMMAND [ARGUMENTS...]
//
// Wall time comes from the monotonic clock around fork and wait, so it covers exec, reading,
// every stage and the final write; the child's resource usage comes from wait4.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

double seconds(const timespec& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9; }
double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fputs("usage: run_timed TIMEOUT OUTFILE COMMAND [ARGUMENTS...]\n", stderr);
    return 2;
  }
  char* end = nullptr;
  const double timeout = std::strtod(argv[1], &end);
  if (end == argv[1] || *end != '\0' || !(timeout > 0)) {
    std::fputs("run_timed: TIMEOUT must be a positive number of seconds\n", stderr);
    return 2;
  }

  // SIGCHLD stays blocked so that sigtimedwait can wait for the child with a deadline.
  sigset_t childSignal;
  sigemptyset(&childSignal);
  sigaddset(&childSignal, SIGCHLD);
  sigprocmask(SIG_BLOCK, &childSignal, nullptr);

  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  const pid_t child = fork();
  if (child < 0) {
    std::perror("run_timed: fork");
    return 1;
  }
  if (child == 0) {
    sigprocmask(SIG_UNBLOCK, &childSignal, nullptr);
    const int out = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0) {
      std::perror("run_timed: output file");
      _exit(127);
    }
    ::execvp(argv[3], argv + 3);
    std::perror("run_timed: exec");
    _exit(127);
  }

  double whole = 0;
  const double fraction = std::modf(timeout, &whole);
  timespec limit{static_cast<time_t>(whole), static_cast<long>(fraction * 1e9)};
  bool timedOut = false;
  for (;;) {
    if (sigtimedwait(&childSignal, nullptr, &limit) == SIGCHLD) break;
    if (errno == EINTR) continue;  // the deadline restarts, which only errs on the long side
    timedOut = true;
    ::kill(child, SIGKILL);
    break;
  }

  int status = 0;
  rusage usage{};
  while (::wait4(child, &status, 0, &usage) < 0 && errno == EINTR) {
  }
  timespec stop{};
  clock_gettime(CLOCK_MONOTONIC, &stop);

  char how[32];
  if (timedOut) {
    std::snprintf(how, sizeof how, "timeout");
  } else if (WIFSIGNALED(status)) {
    std::snprintf(how, sizeof how, "signal:%d", WTERMSIG(status));
  } else if (WEXITSTATUS(status) != 0) {
    std::snprintf(how, sizeof how, "exit:%d", WEXITSTATUS(status));
  } else {
    std::snprintf(how, sizeof how, "ok");
  }
  std::printf("%.4f %.4f %.4f %ld %s\n", seconds(stop) - seconds(start), seconds(usage.ru_utime),
              seconds(usage.ru_stime), usage.ru_maxrss, how);
  return 0;
}
