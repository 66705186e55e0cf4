#include "graph/byte_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace bicubic {

std::ptrdiff_t DescriptorReader::read(unsigned char* into, std::size_t room) {
  if (fileDescriptor_ < 0) return kFailed;
  for (;;) {
    const ssize_t got = ::read(fileDescriptor_, into, room);
    if (got >= 0) return got;
    if (errno != EINTR) return kFailed;
  }
}

std::ptrdiff_t BufferReader::read(unsigned char* into, std::size_t room) {
  const std::size_t count = std::min(room, rest_.size());
  if (count > 0) std::memcpy(into, rest_.data(), count);
  rest_.remove_prefix(count);
  return static_cast<std::ptrdiff_t>(count);
}

}  // namespace bicubic
