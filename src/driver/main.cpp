// The bicubic executable: binds the tool's output to standard output. The exit status is 0 on
// every path but one: when standard output could not take the bytes (a full disk, a closed
// pipe), the verdict is lost, so that is said on standard error with status 1.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <new>

#include "driver/pipeline.h"
#include "graph/tool_text.h"

int main(int argc, char** argv) {
  // A reader that closes the pipe early must not turn a finished verdict into a signal death.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    bicubic::OutputSink out(1);
    const int status = bicubic::runTool(argc, argv, out);
    out.flush();
    if (out.writeFailed()) {
      std::fprintf(stderr, "bicubic: cannot write standard output: %s\n", std::strerror(out.writeError()));
      return 1;
    }
    return status;
  } catch (const std::bad_alloc&) {
    std::fwrite(bicubic::text::kOutOfMemoryAtStart.data(), 1, bicubic::text::kOutOfMemoryAtStart.size(), stdout);
    return 0;
  }
}
