#pragma once
// The serial port under the worker: exclusive open, raw 115200 8N1, and a
// read that hands over what has arrived as soon as nothing more is pending.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include <termios.h>

#include "common/result.h"

namespace zorbel::link {

class SerialPort {
 public:
  // An idle line gives the read back after this long; it paces the worker's
  // loop when nothing happens and bounds how long a stop takes without a wake-up.
  static constexpr int kIdleReadMs = 129;
  static constexpr std::size_t kReadSize = 128;

  SerialPort() = default;
  ~SerialPort() { close(); }
  SerialPort(SerialPort&& other) noexcept;
  SerialPort& operator=(SerialPort&& other) noexcept;
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens a terminal device for exclusive use and configures it; no other
  // program can open it (TIOCEXCL, flock) until close(). Input already
  // waiting on the line is discarded. The terminal settings found are kept
  // and put back by close(); so is the driver's latency, which is set as low
  // as the driver allows (a driver or pseudo-terminal that refuses is fine).
  // A failure is a CannotRead error whose message and reason are the
  // system's ("/dev/ttyUSB0: Permission denied"), with the errno and, when
  // there is one, a hint (what usually fixes it).
  static Result<SerialPort> openPort(const std::string& devicePath);

  // Waits until bytes are there, `wakeFd` is readable (drained here), or
  // `timeoutMs` passed; then reads up to `size` bytes without waiting for
  // more. The count read (0 for none), or a CannotRead error whose reason says
  // why the port failed (unplugged, hung up).
  Result<std::size_t> read(std::uint8_t* buffer, std::size_t size, int wakeFd, int timeoutMs);

  // Writes all bytes, waiting a little while the output buffer is full. Fails,
  // with the reason, only when the port is gone; a write that cannot go out
  // otherwise is dropped, as the device answers nothing then.
  Result<void> write(const std::uint8_t* bytes, std::size_t count);

  // Drops whatever the line has delivered that nobody has read yet.
  void discardInput();

  // Gives the port back: exclusive use released, settings and latency as found.
  void close();
  bool isOpen() const { return fd_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  void lowerLatency();

  int fd_ = -1;
  bool exclusive_ = false;  // we set TIOCEXCL and must clear it
  std::string path_;
  std::optional<termios> saved_;         // the settings found at open
  std::optional<int> savedSerialFlags_;  // the driver's flags before low latency was asked for
  std::string latencyFile_;              // an adapter's latency timer we changed
  std::string savedLatency_;             // and what it held
};

// True for the errno values that mean the device has gone away.
bool isPortGone(int error);

}  // namespace zorbel::link
