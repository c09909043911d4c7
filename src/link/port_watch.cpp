#include "port_watch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>

namespace zorbel::link {

PortWatch::PortWatch(const std::string& devFolder) {
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0) return;
  const std::uint32_t events = IN_CREATE | IN_DELETE | IN_ATTRIB | IN_MOVED_FROM | IN_MOVED_TO;
  if (::inotify_add_watch(fd_, devFolder.c_str(), events) < 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

PortWatch::~PortWatch() {
  if (fd_ >= 0) ::close(fd_);
}

bool PortWatch::portsChanged() {
  bool changed = false;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t n = fd_ >= 0 ? ::read(fd_, buffer, sizeof buffer) : -1;
    if (n <= 0) return changed;
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(inotify_event)) <= n;) {
      inotify_event event{};
      std::memcpy(&event, buffer + at, sizeof event);
      const char* name = buffer + at + sizeof(inotify_event);
      if (event.len > 0 && std::strncmp(name, "tty", 3) == 0) changed = true;
      at += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
    }
  }
}

}  // namespace zorbel::link
