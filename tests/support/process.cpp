#include "support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "support/test_support.h"

namespace bicubic::testing {

namespace {

// The text as an unlinked scratch file opened at its start, so the child may read it at its own
// pace (or not at all) without the parent feeding a pipe.
int openedInputFile(const std::string& text) {
  std::string pattern = scratchDirectory() + "/stdin-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw std::runtime_error("cannot make the child's input file");
  ::unlink(pattern.c_str());
  for (std::size_t written = 0; written < text.size();) {
    const ssize_t got = ::write(fd, text.data() + written, text.size() - written);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) throw std::runtime_error("cannot write the child's input file");
    written += static_cast<std::size_t>(got);
  }
  ::lseek(fd, 0, SEEK_SET);
  return fd;
}

// Reads both pipes until each reaches its end, whichever the child fills first.
void drainBoth(int outFd, int errFd, ProcessRun& run) {
  std::array<pollfd, 2> open{{{outFd, POLLIN, 0}, {errFd, POLLIN, 0}}};
  std::array<std::string*, 2> into{&run.out, &run.err};
  char block[65536];
  while (open[0].fd >= 0 || open[1].fd >= 0) {
    if (::poll(open.data(), open.size(), -1) < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("poll failed");
    }
    for (std::size_t i = 0; i < open.size(); ++i) {
      if (open[i].fd < 0 || open[i].revents == 0) continue;
      const ssize_t got = ::read(open[i].fd, block, sizeof block);
      if (got > 0) {
        into[i]->append(block, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        open[i].fd = -1;
      }
    }
  }
}

}  // namespace

std::string shellQuoted(const std::string& text) {
  std::string quoted = "'";
  for (char ch : text) quoted += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
  return quoted + "'";
}

Descriptor::~Descriptor() { reset(); }

void Descriptor::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

ProcessRun runProcess(const ProcessCall& call) {
  const Descriptor input(openedInputFile(call.stdinText));
  int outPipe[2];
  int errPipe[2];
  if (::pipe(outPipe) != 0) throw std::runtime_error("pipe failed");
  Descriptor outRead(outPipe[0]);
  Descriptor outWrite(outPipe[1]);
  if (::pipe(errPipe) != 0) throw std::runtime_error("pipe failed");
  Descriptor errRead(errPipe[0]);
  Descriptor errWrite(errPipe[1]);

  // bash applies the prefix and then runs the program with the arguments exactly as given, so
  // spaces and odd bytes in paths need no quoting.
  const std::string script = call.shellPrefix + " " + (call.commandLine.empty() ? "exec \"$0\" \"$@\"" : call.commandLine);
  std::vector<std::string> argvStrings = {"/bin/bash", "-c", script, call.program};
  argvStrings.insert(argvStrings.end(), call.arguments.begin(), call.arguments.end());
  std::vector<char*> argv;
  for (auto& s : argvStrings) argv.push_back(s.data());
  argv.push_back(nullptr);

  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::dup2(input.get(), 0);
    ::dup2(outWrite.get(), 1);
    ::dup2(errWrite.get(), 2);
    for (int fd : {input.get(), outPipe[0], outPipe[1], errPipe[0], errPipe[1]}) ::close(fd);
    ::execv("/bin/bash", argv.data());
    ::_exit(127);
  }
  outWrite.reset();
  errWrite.reset();
  ProcessRun run;
  drainBoth(outRead.get(), errRead.get(), run);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return run;
}

}  // namespace bicubic::testing
