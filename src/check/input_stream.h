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
#include "exact/hamiltonian.h"

namespace bicubic::check {

class InputStream final : public ByteReader {
 public:
  InputStream() = default;
  ~InputStream() override;

  // Opens a path, or standard input for "-"; false with the reason in error.
  bool open(const std::string& name, std::string& error);
  // How far readLinePart got: through the line's end (or the input's), up to its limit with more
  // of the line left, stopped by the deadline with more of the line left, or nothing at all (the
  // input had ended or failed: see failed()).
  enum class LinePart { Whole, Cut, OutOfTime, None };
  // The next line without its line end ("\n" or "\r\n"); false at the end of the input or on a
  // read error (see failed()). A line cut short by a read error is not returned.
  bool readLine(std::string& line);
  // Appends the current line's bytes (without "\n", with any "\r") to line until its end or until
  // line holds limit bytes; lineEnded() then says whether a "\n" was taken. The deadline is asked
  // before each block of input after the first: a line of gigabytes stops soon after it passes.
  LinePart readLinePart(std::string& line, std::size_t limit,
                        const exact::Deadline& deadline = exact::Deadline::never());
  bool lineEnded() const { return lineEnded_; }
  // Drops the rest of the current line and its "\n"; the count of bytes dropped before it. Costs
  // no memory: a line of gigabytes is only scanned.
  std::int64_t skipLine();
  // Puts bytes back in front of what is still unread (they are read again next). Bytes that the
  // last read handed out are only un-taken; anything else is copied once.
  void unread(std::string_view bytes);
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
  bool inputFailed(std::string message);
  void reserveForLongLine(std::string& line, std::size_t limit) const;
  std::ptrdiff_t readRaw(unsigned char* into, std::size_t room);
  std::ptrdiff_t readInflated(unsigned char* into, std::size_t room);

  int fd_ = -1;
  bool ownsFd_ = false;
  bool ended_ = false;
  std::string error_;
  std::vector<unsigned char> buffer_;
  std::size_t position_ = 0;
  std::size_t end_ = 0;
  bool lineEnded_ = false;
  std::int64_t bytesRead_ = 0;
  std::int64_t totalBytes_ = 0;
  // gzip input: the compressed bytes in their own buffer, inflated into buffer_.
  bool gzip_ = false;
  bool inflateOpen_ = false;
  // Inside a gzip member whose end (with its CRC and length) has not been seen: the input may
  // not end here.
  bool memberOpen_ = false;
  z_stream inflater_{};
  std::vector<unsigned char> compressed_;
  std::string head_;
};

}  // namespace bicubic::check
