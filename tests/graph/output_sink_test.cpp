// The draining sink: bytes reach the descriptor in the order written, in 1 MiB blocks and on
// flush or destruction; a failed write is kept with its errno and later bytes are dropped.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
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

TEST(DrainingSink, PipeReceivesTheBytesInOrder) {
  int ends[2];
  ASSERT_EQ(::pipe(ends), 0);
  Descriptor readEnd(ends[0]);
  Descriptor writeEnd(ends[1]);
  std::string received;
  std::thread reader([&] {
    char block[65536];
    for (ssize_t got; (got = ::read(readEnd.get(), block, sizeof block)) > 0;) received.append(block, static_cast<std::size_t>(got));
  });
  {
    OutputSink out(writeEnd.get());
    writePayload(out);
    EXPECT_FALSE(out.writeFailed());
  }  // the destructor hands over the last partial block
  writeEnd.reset();
  reader.join();
  OutputSink expected;
  writePayload(expected);
  ASSERT_GT(expected.captured().size(), 2 * kBlock);
  EXPECT_TRUE(received == expected.captured()) << received.size() << " of " << expected.captured().size() << " bytes";
}

TEST(DrainingSink, HandsOverWholeBlocksThenTheRestOnFlush) {
  const Descriptor file(::open((testing::scratchDirectory() + "/drain").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600));
  ASSERT_GE(file.get(), 0);
  auto size = [&] {
    struct stat status {};
    ::fstat(file.get(), &status);
    return static_cast<std::size_t>(status.st_size);
  };
  OutputSink out(file.get());
  out << std::string(kBlock - 1, 'a');
  EXPECT_EQ(size(), 0u) << "nothing leaves below a block";
  out << 'b';
  EXPECT_EQ(size(), kBlock);
  out << "tail";
  EXPECT_EQ(size(), kBlock);
  out.flush();
  EXPECT_EQ(size(), kBlock + 4);
}

enum class Refusal { kFullDevice, kPipeWithoutReader, kClosedDescriptor };

// A descriptor that refuses writes; `held` keeps open what must stay open.
int refusingDescriptor(Refusal refusal, Descriptor& held) {
  int ends[2] = {-1, -1};
  switch (refusal) {
    case Refusal::kFullDevice:
      held.reset(::open("/dev/full", O_WRONLY));
      return held.get();
    case Refusal::kPipeWithoutReader:
      if (::pipe(ends) == 0) ::close(ends[0]);
      held.reset(ends[1]);
      return ends[1];
    case Refusal::kClosedDescriptor:
      held.reset(::open("/dev/null", O_WRONLY));
      const int fd = held.get();
      held.reset();
      return fd;
  }
  return -1;
}

struct FailureCase {
  const char* name;
  Refusal refusal;
  int expectedErrno;
};

class FailedWrite : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailedWrite, IsReportedWithItsErrnoAndStaysReported) {
  // As in the executable, a closed pipe must fail the write (EPIPE), not kill the process.
  void (*const savedHandler)(int) = std::signal(SIGPIPE, SIG_IGN);
  Descriptor held;
  const int fd = refusingDescriptor(GetParam().refusal, held);
  ASSERT_GE(fd, 0);
  {
    OutputSink out(fd);
    out << "verdict\n";
    EXPECT_FALSE(out.writeFailed()) << "nothing is written before a flush or a full block";
    out.flush();
    EXPECT_TRUE(out.writeFailed());
    EXPECT_EQ(out.writeError(), GetParam().expectedErrno);
    writePayload(out);
    out.flush();
    EXPECT_EQ(out.writeError(), GetParam().expectedErrno);
  }
  std::signal(SIGPIPE, savedHandler);
}

using testing::PrintTo;

INSTANTIATE_TEST_SUITE_P(Descriptors, FailedWrite,
                         ::testing::Values(FailureCase{"fullDevice", Refusal::kFullDevice, ENOSPC},
                                           FailureCase{"pipeWithoutReader", Refusal::kPipeWithoutReader, EPIPE},
                                           FailureCase{"closedDescriptor", Refusal::kClosedDescriptor, EBADF}),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace bicubic
