// The bicubic executable: binds the tool's output to standard output.
#include <csignal>
#include <cstdio>
#include <new>

#include "driver/pipeline.h"

int main(int argc, char** argv) {
  // A reader that closes the pipe early must not turn a finished verdict into a signal death.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    bicubic::OutputSink out(1);
    return bicubic::runTool(argc, argv, out);
  } catch (const std::bad_alloc&) {
    std::fputs("\nnot enough memory to run\n", stdout);
    return 0;
  }
}
