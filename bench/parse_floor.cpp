// parse_floor: the least work any reader of a matrix file must do. It reads the whole file into
// memory, walks the bytes once accumulating digit runs into numbers, and prints how many numbers
// it saw and their sum (so the compiler cannot drop the loop). A '-' or any other non-digit just
// ends a number: benchmark matrices hold no negative values.
//
//   parse_floor FILE
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: parse_floor FILE\n", stderr);
    return 2;
  }
  const int fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0) {
    std::fprintf(stderr, "parse_floor: cannot open %s: %s\n", argv[1], std::strerror(errno));
    return 1;
  }
  std::vector<unsigned char> bytes(static_cast<std::size_t>(info.st_size) + 1);
  std::size_t filled = 0;
  for (;;) {
    if (filled == bytes.size()) bytes.resize(bytes.size() * 2);
    const ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
    if (got > 0) {
      filled += static_cast<std::size_t>(got);
    } else if (got == 0) {
      break;
    } else if (errno != EINTR) {
      std::fprintf(stderr, "parse_floor: cannot read %s: %s\n", argv[1], std::strerror(errno));
      ::close(fd);
      return 1;
    }
  }
  ::close(fd);

  std::uint64_t count = 0;
  std::uint64_t sum = 0;
  std::uint64_t value = 0;
  bool inNumber = false;
  for (std::size_t i = 0; i < filled; ++i) {
    const unsigned digit = static_cast<unsigned>(bytes[i]) - '0';
    if (digit < 10) {
      value = value * 10 + digit;
      inNumber = true;
    } else if (inNumber) {
      sum += value;
      ++count;
      value = 0;
      inNumber = false;
    }
  }
  if (inNumber) {
    sum += value;
    ++count;
  }
  std::printf("%llu integers, sum %llu\n", static_cast<unsigned long long>(count), static_cast<unsigned long long>(sum));
  return 0;
}
