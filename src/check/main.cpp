// The bicubic-check executable: binds the report to standard output and messages to standard
// error; the progress line is only drawn when standard error is a terminal.
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <new>

#include "check/app.h"

int main(int argc, char** argv) {
  std::signal(SIGPIPE, SIG_IGN);
  try {
    bicubic::OutputSink out(1);
    bicubic::OutputSink err(2);
    return bicubic::check::runCheck(argc, argv, out, err, ::isatty(2) != 0);
  } catch (const std::bad_alloc&) {
    std::fputs("bicubic-check: not enough memory\n", stderr);
    return 1;
  }
}
