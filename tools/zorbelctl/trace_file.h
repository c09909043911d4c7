#pragma once
// --trace: every byte on the line, time-stamped in hex, for bug reports.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "link/device_link.h"

namespace zorbel::ctl {

class TraceFile {
 public:
  TraceFile() = default;
  ~TraceFile();
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  // Why `path` may not be the trace of a command reading `inputs` (a folder,
  // a device, a named pipe, one of the inputs); empty when it may. Nothing is
  // created or changed: this runs before the port is opened.
  static std::string refusal(const std::string& path, const std::vector<std::string>& inputs);

  // Creates or empties the file, readable by its owner only; false (failure()
  // says why) on a refusal or an error. Never waits for a pipe's reader.
  bool open(const std::string& path, const std::vector<std::string>& inputs);

  // Called by the link's worker.
  void write(link::TraceDirection direction, const std::uint8_t* bytes, std::size_t count);

  // Why the trace could not be opened or written; empty when it was.
  std::string failure() const;
  const std::string& path() const { return path_; }

 private:
  mutable std::mutex mutex_;
  std::FILE* file_ = nullptr;
  std::string path_;
  std::string failure_;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace zorbel::ctl
