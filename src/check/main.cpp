// The bicubic-check executable: binds the table to standard output and messages to standard
// error; the progress line is only drawn when standard error is a terminal and standard output
// is not that same terminal.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <new>

#include "check/app.h"

namespace {

bool sameFile(int a, int b) {
  struct stat first {}, second {};
  return ::fstat(a, &first) == 0 && ::fstat(b, &second) == 0 && first.st_dev == second.st_dev &&
         first.st_ino == second.st_ino;
}

}  // namespace

int main(int argc, char** argv) {
  // A closed pipe shows up as a failed write (EPIPE), at which the run stops quietly.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    bicubic::OutputSink out(1);
    bicubic::OutputSink err(2);
    const bool progress = ::isatty(2) != 0 && !(::isatty(1) != 0 && sameFile(1, 2));
    return bicubic::check::runCheck(argc, argv, {out, err, progress, 0, 1});
  } catch (const std::bad_alloc&) {
    std::fputs("bicubic-check: not enough memory\n", stderr);
    return 1;
  }
}
