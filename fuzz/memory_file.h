// The fuzz input as a file: an anonymous in-memory file holding the bytes, so that the readers
// open it by path (/proc/self/fd/N) as they open any file. Costs one copy of the input.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

// The descriptor of a memory file holding data, or -1 when it cannot be made; the caller closes it.
inline int memoryFile(const char* name, const std::uint8_t* data, std::size_t size) {
  const int fd = ::memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) return -1;
  std::size_t written = 0;
  while (written < size) {
    const ssize_t got = ::write(fd, data + written, size - written);
    if (got <= 0) {
      ::close(fd);
      return -1;
    }
    written += static_cast<std::size_t>(got);
  }
  return fd;
}
