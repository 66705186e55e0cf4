// The bicubic-check program: options, the sources in order, one table row (or one emitted graph)
// per graph on standard output, messages, progress and the summary on standard error.
// Exit status: 0 all decided, 3 some answer unknown, 1 a source or graph unreadable or the output
// unwritable (this wins over 3), 2 a usage error. Cost per graph: reading it, the method (unless
// --no-method) and the exact search.
#pragma once

#include "driver/method.h"

namespace bicubic::check {

// Where the program's two streams go and what they are connected to.
struct CheckStreams {
  OutputSink& out;
  OutputSink& err;
  // Draw a progress line on err: err is a terminal that out is not.
  bool progress = false;
};

int runCheck(int argc, const char* const* argv, CheckStreams streams);

}  // namespace bicubic::check
