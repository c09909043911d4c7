#pragma once
// Hot-plug: notes when a terminal device comes, goes or changes its rights in
// /dev. inotify sees every node the kernel's devtmpfs makes, whether or not a
// udev daemon runs (containers, CI), and udev's later owner and mode changes.
#include <string>

namespace zorbel::link {

class PortWatch {
 public:
  explicit PortWatch(const std::string& devFolder = "/dev");
  ~PortWatch();
  PortWatch(const PortWatch&) = delete;
  PortWatch& operator=(const PortWatch&) = delete;

  // Readable when something happened; -1 when the folder cannot be watched.
  int fd() const { return fd_; }
  // Reads what happened; true when a tty* node came, went or changed.
  bool portsChanged();

 private:
  int fd_ = -1;
};

}  // namespace zorbel::link
