// The bicubic-check program: options, the sources in order, one report line per graph and the
// closing counts. Standard output gets the report only; messages and progress go to standard
// error. Exit status: 0 all decided, 3 some answer unknown, 1 a source or graph unreadable
// (this wins over 3), 2 a usage error.
#pragma once

#include <cstdint>

#include "driver/method.h"

namespace bicubic::check {

inline constexpr const char* kCheckVersion = "1.0.0";

int runCheck(int argc, const char* const* argv, OutputSink& out, OutputSink& err, bool progressOnTerminal);

}  // namespace bicubic::check
