#pragma once
// A port set up the way the device link never sets one (9600 baud, canonical
// input), so that a test sees whether a program that held it put back what it
// found and released it.
#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

namespace zorbel::test {

// The port, opened and set to 9600 baud with canonical input; -1 on failure.
inline int openWithForeignSettings(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios found{};
  if (fd < 0 || ::tcgetattr(fd, &found) != 0) return -1;
  ::cfsetispeed(&found, B9600);
  ::cfsetospeed(&found, B9600);
  found.c_lflag |= ICANON;
  return ::tcsetattr(fd, TCSANOW, &found) == 0 ? fd : -1;
}

// The settings openWithForeignSettings() made, and no exclusive use left.
inline ::testing::AssertionResult foundAsLeft(int fd) {
  termios now{};
  int exclusive = 1;
  if (::tcgetattr(fd, &now) != 0 || ::ioctl(fd, TIOCGEXCL, &exclusive) != 0)
    return ::testing::AssertionFailure() << "cannot read the port's settings";
  if (::cfgetispeed(&now) != B9600 || (now.c_lflag & ICANON) == 0)
    return ::testing::AssertionFailure() << "the port keeps the link's settings";
  if (exclusive != 0) return ::testing::AssertionFailure() << "the port is still locked";
  return ::testing::AssertionSuccess();
}

}  // namespace zorbel::test
