// InputStream: one graph source (a file, a pipe, a FIFO or standard input) read exactly once,
// front to back, through one buffer; gzip-compressed input is inflated on the fly. Lines for the
// text formats and raw bytes for the matrix reader come from the same buffer, so nothing is read
// twice and nothing is skipped. Each refill costs one read() of at most 64 KiB.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "driver/method.h"

namespace bicubic::check {

class InputStream final : public ByteReader {
 public:
  InputStream() = default;
  ~InputStream() override;

  // Opens a path, or standard input for "-"; false with the reason in error.
  bool open(const std::string& name, std::string& error);
  // The next line without its line end ("\n" or "\r\n"); false at the end of the input or on a
  // read error (see failed()).
  bool readLine(std::string& line);
  // Puts a line (and its line end) back in front of what is still unread, taking its storage
  // so that a line of megabytes is not copied.
  void unreadLine(std::string&& line);
  // Raw bytes for the matrix reader: what is buffered first, then the rest of the input.
  std::ptrdiff_t read(unsigned char* into, std::size_t room) override;

  bool failed() const { return !error_.empty(); }
  const std::string& error() const { return error_; }
  // Input bytes taken so far (compressed bytes for gzip input) and the file's size when it is
  // a regular file (else 0): enough for a progress estimate.
  std::int64_t bytesRead() const { return bytesRead_; }
  std::int64_t totalBytes() const { return totalBytes_; }
  // The first bytes of the input, for telling binary junk from text.
  std::string_view head() const;

 private:
  bool fill();
  void reserveForLongLine(std::string& line) const;
  std::ptrdiff_t readRaw(unsigned char* into, std::size_t room);
  std::ptrdiff_t readInflated(unsigned char* into, std::size_t room);

  int fd_ = -1;
  bool ownsFd_ = false;
  bool ended_ = false;
  std::string error_;
  std::vector<unsigned char> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  std::string pushedBack_;
  std::int64_t bytesRead_ = 0;
  std::int64_t totalBytes_ = 0;
  // gzip input: the compressed bytes in their own buffer, inflated into buffer_.
  bool gzip_ = false;
  bool inflateOpen_ = false;
  z_stream inflater_{};
  std::vector<unsigned char> compressed_;
  std::string head_;
};

}  // namespace bicubic::check
