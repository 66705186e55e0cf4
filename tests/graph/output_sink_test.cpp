// The draining sink: bytes reach the descriptor in the order written, in 1 MiB blocks and on
// flush or destruction; a failed write is kept with its errno and later bytes are dropped.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "graph/output_sink.h"
#include "support/process.h"
#include "support/test_support.h"

namespace bicubic {
namespace {

using testing::Descriptor;
using testing::PrintTo;

constexpr std::size_t kBlock = std::size_t{1} << 20;

// Over two blocks of every kind of write the sink has: text, single bytes, numbers, rows.
void writePayload(OutputSink& out) {
  std::vector<std::int32_t> row(1000);
  for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::int32_t>(i * 7919 % 20011) - 50;
  for (int line = 0; line < 400; ++line) {
    out << "row " << line << ':' << std::int64_t{-1} - line;
    out.writeEachFollowedBy(row, '\t');
    out.endLine();
  }
}

std::string capturedPayload() {
  OutputSink captured;
  writePayload(captured);
  return captured.captured();
}

std::int64_t fileSize(int fd) {
  struct stat status {};
  ::fstat(fd, &status);
  return status.st_size;
}

Descriptor scratchFile(const std::string& name) {
  const std::string path = testing::scratchDirectory() + "/" + name;
  return Descriptor(::open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600));
}

TEST(DrainingSink, PipeReceivesTheBytesInOrder) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  Descriptor readEnd(ends[0]);
  Descriptor writeEnd(ends[1]);
  std::string received;
  std::thread reader([&] {
    char block[65536];
    for (ssize_t got; (got = ::read(readEnd.get(), block, sizeof block)) > 0;) {
      received.append(block, static_cast<std::size_t>(got));
    }
  });
  {
    OutputSink out(writeEnd.get());
    writePayload(out);
    EXPECT_FALSE(out.writeFailed());
  }  // the destructor hands over the last partial block
  writeEnd.reset();
  reader.join();
  const std::string expected = capturedPayload();
  ASSERT_GT(expected.size(), 2 * kBlock);
  EXPECT_TRUE(received == expected) << received.size() << " bytes received, " << expected.size() << " written";
}

TEST(DrainingSink, HandsOverWholeBlocksThenTheRestOnFlush) {
  const Descriptor file = scratchFile("drain-blocks");
  ASSERT_GE(file.get(), 0);
  OutputSink out(file.get());
  out << std::string(kBlock - 1, 'a');
  EXPECT_EQ(fileSize(file.get()), 0) << "nothing leaves below a block";
  out << 'b';
  EXPECT_EQ(fileSize(file.get()), static_cast<std::int64_t>(kBlock));
  out << "tail";
  EXPECT_EQ(fileSize(file.get()), static_cast<std::int64_t>(kBlock));
  out.flush();
  EXPECT_EQ(fileSize(file.get()), static_cast<std::int64_t>(kBlock + 4));
  EXPECT_FALSE(out.writeFailed());
}

// Ignores SIGPIPE for one scope, as the executable does, so a closed pipe fails with EPIPE.
class IgnoredBrokenPipe {
 public:
  IgnoredBrokenPipe() { saved_ = std::signal(SIGPIPE, SIG_IGN); }
  IgnoredBrokenPipe(const IgnoredBrokenPipe&) = delete;
  IgnoredBrokenPipe& operator=(const IgnoredBrokenPipe&) = delete;
  ~IgnoredBrokenPipe() { std::signal(SIGPIPE, saved_); }

 private:
  void (*saved_)(int) = SIG_DFL;
};

// Each case opens a descriptor that refuses writes, keeping whatever must stay open in `held`.
struct FailureCase {
  const char* name;
  std::function<int(Descriptor& held)> open;
  int expectedErrno;
};

class FailedWrite : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedWrite, IsReportedWithItsErrnoAndLaterBytesAreDropped) {
  const IgnoredBrokenPipe ignored;
  Descriptor held;
  const int fd = GetParam().open(held);
  ASSERT_GE(fd, 0);
  OutputSink out(fd);
  out << "verdict\n";
  EXPECT_FALSE(out.writeFailed()) << "nothing is written before a flush or a full block";
  out.flush();
  EXPECT_TRUE(out.writeFailed());
  EXPECT_EQ(out.writeError(), GetParam().expectedErrno);
  writePayload(out);
  out.flush();
  EXPECT_TRUE(out.writeFailed());
  EXPECT_EQ(out.writeError(), GetParam().expectedErrno);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, FailedWrite,
    ::testing::Values(
        FailureCase{"fullDevice",
                    [](Descriptor& held) {
                      held.reset(::open("/dev/full", O_WRONLY));
                      return held.get();
                    },
                    ENOSPC},
        FailureCase{"pipeWithoutReader",
                    [](Descriptor& held) {
                      int ends[2];
                      if (::pipe(ends) != 0) return -1;
                      ::close(ends[0]);
                      held.reset(ends[1]);
                      return ends[1];
                    },
                    EPIPE},
        FailureCase{"closedDescriptor",
                    [](Descriptor&) {
                      const int fd = ::open("/dev/null", O_WRONLY);
                      if (fd >= 0) ::close(fd);
                      return fd;
                    },
                    EBADF}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bicubic
