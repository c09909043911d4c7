#include "trace_file.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/whole_file.h"

namespace zorbel::ctl {

TraceFile::~TraceFile() {
  if (file_) std::fclose(file_);
}

std::string TraceFile::refusal(const std::string& path, const std::vector<std::string>& inputs) {
  const Result<void> checked = checkLogFile(path, inputs);
  return checked ? std::string() : checked.error().reason;
}

bool TraceFile::open(const std::string& path, const std::vector<std::string>& inputs) {
  std::lock_guard lock(mutex_);
  path_ = path;
  // The file layer decides what a log may be: never an input, a pipe or a device.
  const Result<int> opened = openLogFile(path, inputs);
  if (!opened) {
    failure_ = opened.error().reason;
    return false;
  }
  file_ = ::fdopen(opened.value(), "w");
  if (!file_) {
    failure_ = std::strerror(errno);
    ::close(opened.value());
    return false;
  }
  start_ = std::chrono::steady_clock::now();
  return true;
}

void TraceFile::write(link::TraceDirection direction, const std::uint8_t* bytes,
                      std::size_t count) {
  std::lock_guard lock(mutex_);
  if (!file_ || !failure_.empty()) return;
  const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const char* arrow = direction == link::TraceDirection::Sent ? ">" : "<";
  for (std::size_t at = 0; at < count; at += 32) {
    std::fprintf(file_, "%11.6f %s", t, arrow);
    for (std::size_t i = at; i < count && i < at + 32; ++i) std::fprintf(file_, " %02X", bytes[i]);
    std::fputc('\n', file_);
  }
  if (std::fflush(file_) != 0 || std::ferror(file_)) failure_ = std::strerror(errno);
}

std::string TraceFile::failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

}  // namespace zorbel::ctl
