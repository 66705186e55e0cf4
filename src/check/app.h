// The bicubic-check program: options, the sources in order, one table row (or one emitted graph)
// per graph on standard output, messages, progress and the summary on standard error.
// Exit status: 0 all decided, 3 some answer unknown, 1 a source or graph unreadable or the output
// unwritable (this wins over 3), 2 a usage error, 141 standard output closed by its reader (a
// pipe into `head`: the run stops quietly, as a pipeline expects). Cost per graph: reading it,
// the method (unless --no-method) and the exact search.
#pragma once

#include "driver/method.h"

namespace bicubic::check {

// Where the program's two streams go and what they are connected to.
struct CheckStreams {
  OutputSink& out;
  OutputSink& err;
  // Draw a progress line on err: err is a terminal that out is not.
  bool progress = false;
  // The descriptors behind standard input and out (-1: none), so that --dot never names either.
  int inDescriptor = -1;
  int outDescriptor = -1;
};

// The status of a run whose standard output was closed by its reader: that of a process ended by
// SIGPIPE, as the shell reports it.
inline constexpr int kBrokenPipeStatus = 141;

int runCheck(int argc, const char* const* argv, CheckStreams streams);

}  // namespace bicubic::check
