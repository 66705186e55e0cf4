#include "check/input_stream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace bicubic::check {

namespace {

constexpr std::size_t kBlock = std::size_t{1} << 16;
constexpr std::size_t kHeadBytes = 64;
constexpr unsigned char kGzipMagic[] = {0x1f, 0x8b};
// inflateInit2's window bits for gzip-wrapped data only.
constexpr int kGzipWindowBits = 16 + MAX_WBITS;

}  // namespace

InputStream::~InputStream() {
  if (inflateOpen_) inflateEnd(&inflater_);
  if (ownsFd_ && fd_ >= 0) ::close(fd_);
}

bool InputStream::open(const std::string& name, std::string& error) {
  if (name == "-") {
    fd_ = 0;
  } else {
    fd_ = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) {
      error = std::strerror(errno);
      return false;
    }
    ownsFd_ = true;
  }
  struct stat info {};
  if (::fstat(fd_, &info) == 0) {
    if (S_ISDIR(info.st_mode)) {
      error = "is a directory";
      return false;
    }
    if (S_ISREG(info.st_mode)) totalBytes_ = info.st_size;
  }
  buffer_.resize(kBlock);
  // The first block tells plain from gzip input and gives the head for the junk test.
  const std::ptrdiff_t got = readRaw(buffer_.data(), buffer_.size());
  if (got < 0) {
    error = error_;
    return false;
  }
  end_ = static_cast<std::size_t>(got);
  if (end_ >= 2 && std::equal(std::begin(kGzipMagic), std::end(kGzipMagic), buffer_.begin())) {
    gzip_ = true;
    compressed_.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(end_));
    compressed_.resize(kBlock);
    inflater_.next_in = compressed_.data();
    inflater_.avail_in = static_cast<uInt>(end_);
    if (inflateInit2(&inflater_, kGzipWindowBits) != Z_OK) {
      error = "cannot start gzip decompression";
      return false;
    }
    inflateOpen_ = true;
    end_ = 0;
    if (!fill() && failed()) {
      error = error_;
      return false;
    }
  }
  ended_ = end_ == 0;
  head_.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(std::min(end_, kHeadBytes)));
  return true;
}

std::string_view InputStream::head() const { return head_; }

std::ptrdiff_t InputStream::readRaw(unsigned char* into, std::size_t room) {
  for (;;) {
    const ssize_t got = ::read(fd_, into, room);
    if (got >= 0) {
      bytesRead_ += got;
      return got;
    }
    if (errno == EINTR) continue;
    error_ = std::string("read failed: ") + std::strerror(errno);
    return -1;
  }
}

std::ptrdiff_t InputStream::readInflated(unsigned char* into, std::size_t room) {
  inflater_.next_out = into;
  inflater_.avail_out = static_cast<uInt>(room);
  while (inflater_.avail_out == room) {
    if (inflater_.avail_in == 0) {
      const std::ptrdiff_t got = readRaw(compressed_.data(), compressed_.size());
      if (got < 0) return got;
      // The end of the file inside a member: the data, its CRC or its length is missing, and
      // what was inflated so far may stop anywhere, even at a line end.
      if (got == 0 && memberOpen_) {
        inputFailed("truncated gzip input");
        return -1;
      }
      if (got == 0) return 0;
      inflater_.next_in = compressed_.data();
      inflater_.avail_in = static_cast<uInt>(got);
    }
    memberOpen_ = true;
    const int status = inflate(&inflater_, Z_NO_FLUSH);
    if (status == Z_STREAM_END) {
      // Concatenated gzip members (as `cat a.gz b.gz` makes) go on as one stream.
      memberOpen_ = false;
      inflateReset(&inflater_);
    } else if (status != Z_OK && status != Z_BUF_ERROR) {
      std::string message = "the gzip data is corrupt";
      if (inflater_.msg != nullptr) message += std::string(" (") + inflater_.msg + ")";
      inputFailed(std::move(message));
      return -1;
    }
  }
  return static_cast<std::ptrdiff_t>(room - inflater_.avail_out);
}

bool InputStream::inputFailed(std::string message) {
  error_ = std::move(message);
  return false;
}

bool InputStream::fill() {
  if (ended_) return false;
  // A buffer grown by unread() goes back to its usual size once it has been read.
  if (buffer_.size() > kBlock) {
    buffer_.resize(kBlock);
    buffer_.shrink_to_fit();
  }
  const std::ptrdiff_t got = gzip_ ? readInflated(buffer_.data(), buffer_.size()) : readRaw(buffer_.data(), buffer_.size());
  position_ = 0;
  end_ = got > 0 ? static_cast<std::size_t>(got) : 0;
  if (got <= 0) ended_ = true;
  return got > 0;
}

InputStream::LinePart InputStream::readLinePart(std::string& line, std::size_t limit, const exact::Deadline& deadline) {
  lineEnded_ = false;
  bool any = false;
  while (line.size() < limit) {
    if (position_ == end_) {
      if (any && deadline.expired()) return LinePart::OutOfTime;
      if (!fill()) break;
    }
    any = true;
    const auto* begin = buffer_.data() + position_;
    const std::size_t room = std::min(end_ - position_, limit - line.size());
    const auto* newline = static_cast<const unsigned char*>(std::memchr(begin, '\n', room));
    const auto* stop = newline != nullptr ? newline : begin + room;
    line.append(reinterpret_cast<const char*>(begin), static_cast<std::size_t>(stop - begin));
    position_ = static_cast<std::size_t>(stop - buffer_.data());
    if (newline != nullptr) {
      ++position_;
      lineEnded_ = true;
      return LinePart::Whole;
    }
    reserveForLongLine(line, limit);
  }
  // A read error cuts the line at some arbitrary byte: nothing of it may pass as a line.
  if (failed()) return LinePart::None;
  if (line.size() >= limit && (position_ < end_ || fill())) {
    if (buffer_[position_] != '\n') return LinePart::Cut;
    ++position_;
    lineEnded_ = true;
    return LinePart::Whole;
  }
  if (failed()) return LinePart::None;
  return any || !line.empty() ? LinePart::Whole : LinePart::None;
}

bool InputStream::readLine(std::string& line) {
  line.clear();
  if (readLinePart(line, std::string::npos) == LinePart::None) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

std::int64_t InputStream::skipLine() {
  std::int64_t skipped = 0;
  while (position_ < end_ || fill()) {
    const auto* begin = buffer_.data() + position_;
    const auto* newline = static_cast<const unsigned char*>(std::memchr(begin, '\n', end_ - position_));
    if (newline != nullptr) {
      skipped += newline - begin;
      position_ = static_cast<std::size_t>(newline - buffer_.data()) + 1;
      return skipped;
    }
    skipped += static_cast<std::int64_t>(end_ - position_);
    position_ = end_;
  }
  return skipped;
}

// A line longer than the buffer (a graph6 line of a large graph is megabytes) would otherwise
// grow by doubling, copying and faulting in its memory a dozen times: in a regular file it can
// be no longer than what is left (nor than its limit), so room for that (up to a bound) is taken
// at once.
void InputStream::reserveForLongLine(std::string& line, std::size_t limit) const {
  constexpr std::int64_t kMaxReserve = std::int64_t{1} << 26;
  if (gzip_ || totalBytes_ <= 0 || line.size() >= limit) return;
  const std::int64_t left = std::min(totalBytes_ - bytesRead_, kMaxReserve);
  const std::size_t wanted =
      line.size() + std::min(limit - line.size(), static_cast<std::size_t>(std::max<std::int64_t>(left, 0)));
  if (line.capacity() < wanted) line.reserve(wanted);
}

void InputStream::unread(std::string_view bytes) {
  if (bytes.empty()) return;
  const auto* taken = buffer_.data() + position_ - std::min(position_, bytes.size());
  if (bytes.size() <= position_ && std::memcmp(taken, bytes.data(), bytes.size()) == 0) {
    position_ -= bytes.size();
    return;
  }
  // Bytes from earlier blocks (a line longer than one block): the unread part of the buffer
  // goes behind them in one copy, so reading them again costs no more than reading them once.
  std::vector<unsigned char> merged;
  merged.reserve(std::max(kBlock, bytes.size() + end_ - position_));
  merged.insert(merged.end(), bytes.begin(), bytes.end());
  merged.insert(merged.end(), buffer_.begin() + static_cast<std::ptrdiff_t>(position_),
                buffer_.begin() + static_cast<std::ptrdiff_t>(end_));
  end_ = merged.size();
  position_ = 0;
  merged.resize(std::max(kBlock, merged.size()));
  buffer_.swap(merged);
}

std::ptrdiff_t InputStream::read(unsigned char* into, std::size_t room) {
  if (position_ == end_ && !fill()) return failed() ? kFailed : kEnd;
  const std::size_t count = std::min(room, end_ - position_);
  std::memcpy(into, buffer_.data() + position_, count);
  position_ += count;
  return static_cast<std::ptrdiff_t>(count);
}

}  // namespace bicubic::check
