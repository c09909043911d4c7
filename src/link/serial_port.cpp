#include "serial_port.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <utility>

namespace zorbel::link {

namespace {

std::string hintFor(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "Your user may not use serial ports: add it to the dialout group "
             "(sudo usermod -aG dialout $USER), then log out and in again.";
    case EBUSY:
    case EWOULDBLOCK:
      return "Another program holds the port: close it there and try again.";
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "No such device: plug the device in and choose its port.";
    case ENOTTY:
      return "Choose a serial port (COM1..COM9, /dev/ttyUSB0, /dev/ttyACM0, ...).";
    default:
      return {};
  }
}

Error openError(const std::string& path, int error, const char* text = nullptr) {
  const std::string reason = path + ": " + (text ? text : std::strerror(error));
  Error e = makeError(ErrorKind::CannotRead, reason, reason);
  e.hint = hintFor(error);
  e.systemError = error;
  return e;
}

Error lostError(const std::string& path, const char* why) {
  return makeError(ErrorKind::CannotRead, "Serial port lost", path + ": " + why);
}

// The latency timer of a USB serial adapter that has one (FTDI), in sysfs.
std::string latencyTimerFile(const std::string& devicePath) {
  char resolved[PATH_MAX];
  if (!::realpath(devicePath.c_str(), resolved)) return {};
  const std::string name = std::string(resolved).substr(std::string(resolved).rfind('/') + 1);
  return "/sys/class/tty/" + name + "/device/latency_timer";
}

std::string readLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

bool writeLine(const std::string& path, const std::string& text) {
  std::ofstream out(path);
  out << text << '\n';
  out.flush();
  return static_cast<bool>(out);
}

}  // namespace

bool isPortGone(int error) {
  return error == EIO || error == ENXIO || error == ENODEV || error == EBADF || error == EPIPE;
}

SerialPort::SerialPort(SerialPort&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      exclusive_(std::exchange(other.exclusive_, false)),
      path_(std::move(other.path_)),
      saved_(std::exchange(other.saved_, std::nullopt)),
      savedSerialFlags_(std::exchange(other.savedSerialFlags_, std::nullopt)),
      latencyFile_(std::exchange(other.latencyFile_, {})),
      savedLatency_(std::move(other.savedLatency_)) {}

SerialPort& SerialPort::operator=(SerialPort&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
    exclusive_ = std::exchange(other.exclusive_, false);
    path_ = std::move(other.path_);
    saved_ = std::exchange(other.saved_, std::nullopt);
    savedSerialFlags_ = std::exchange(other.savedSerialFlags_, std::nullopt);
    latencyFile_ = std::exchange(other.latencyFile_, {});
    savedLatency_ = std::move(other.savedLatency_);
  }
  return *this;
}

Result<SerialPort> SerialPort::openPort(const std::string& devicePath) {
  if (devicePath.empty()) {
    return openError("(no port)", ENOENT);
  }
  SerialPort port;
  port.path_ = devicePath;
  port.fd_ = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (port.fd_ < 0) {
    return openError(devicePath, errno);
  }
  // Only a terminal device may be opened: a typed path to anything else is refused.
  if (!::isatty(port.fd_)) {
    return openError(devicePath, ENOTTY, "Not a serial port");
  }
  // Exclusive use: TIOCEXCL stops other opens, flock catches programs that
  // opened the port before us or run with the rights to ignore TIOCEXCL.
  if (::flock(port.fd_, LOCK_EX | LOCK_NB) != 0) {
    const int e = errno;
    return openError(devicePath, e == EWOULDBLOCK ? EBUSY : e);
  }
  if (::ioctl(port.fd_, TIOCEXCL) != 0) {
    return openError(devicePath, errno);
  }
  port.exclusive_ = true;

  termios tio{};
  if (::tcgetattr(port.fd_, &tio) != 0) {
    return openError(devicePath, errno);
  }
  port.saved_ = tio;
  ::cfmakeraw(&tio);
  tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CLOCAL | CREAD;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;  // the read's waiting is done by poll
  tio.c_cc[VTIME] = 0;
  if (::cfsetispeed(&tio, B115200) != 0 || ::cfsetospeed(&tio, B115200) != 0 ||
      ::tcsetattr(port.fd_, TCSANOW, &tio) != 0) {
    return openError(devicePath, errno);
  }
  // DTR and RTS held off. A pseudo-terminal has no modem lines and refuses
  // this, which must not stop the open.
  int lines = TIOCM_DTR | TIOCM_RTS;
  (void)::ioctl(port.fd_, TIOCMBIC, &lines);
  port.lowerLatency();
  // Whatever waits on the line was meant for someone before us.
  port.discardInput();
  return port;
}

Result<std::size_t> SerialPort::read(std::uint8_t* buffer, std::size_t size, int wakeFd,
                                     int timeoutMs) {
  pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd, POLLIN, 0}};
  const int n = ::poll(fds, wakeFd >= 0 ? 2 : 1, timeoutMs);
  if (n < 0) return std::size_t{0};  // EINTR: counts as no bytes
  if (wakeFd >= 0 && (fds[1].revents & POLLIN)) {
    std::uint64_t drained;
    (void)!::read(wakeFd, &drained, sizeof drained);
  }
  const short ev = fds[0].revents;
  if (ev & POLLNVAL) return lostError(path_, std::strerror(EBADF));
  if (ev & POLLIN) {
    const ssize_t got = ::read(fd_, buffer, size);
    if (got > 0) return static_cast<std::size_t>(got);
    if (got == 0) return lostError(path_, "the line was hung up");
    if (isPortGone(errno)) return lostError(path_, std::strerror(errno));
    return std::size_t{0};
  }
  if (ev & (POLLHUP | POLLERR)) {
    // Nothing left to read and the other end is gone; read() tells why.
    const ssize_t got = ::read(fd_, buffer, size);
    if (got > 0) return static_cast<std::size_t>(got);
    return lostError(path_,
                     got < 0 && errno != EAGAIN ? std::strerror(errno) : "the line was hung up");
  }
  return std::size_t{0};
}

Result<void> SerialPort::write(const std::uint8_t* bytes, std::size_t count) {
  // We never have more than a page outstanding, which drains in about 12 ms;
  // a line still blocked after a read time-out is not draining at all, and the
  // bytes are given up (so that a stop is never held up for longer).
  constexpr int kMaxWaitMs = kIdleReadMs;
  int waited = 0;
  while (count > 0) {
    const ssize_t n = ::write(fd_, bytes, count);
    if (n > 0) {
      bytes += n;
      count -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (waited >= kMaxWaitMs) return {};
      pollfd fd{fd_, POLLOUT, 0};
      ::poll(&fd, 1, 10);
      waited += 10;
      continue;
    }
    if (n < 0 && isPortGone(errno)) return lostError(path_, std::strerror(errno));
    return {};  // any other failure: not noticed, as the device will not answer
  }
  return {};
}

void SerialPort::lowerLatency() {
  // The device answers every page with a short ack; a driver that holds short
  // input back (an FTDI adapter's 16 ms latency timer) would make each page
  // wait that long. A driver without these controls is fine as it is.
  serial_struct serial{};
  if (::ioctl(fd_, TIOCGSERIAL, &serial) == 0 && !(serial.flags & ASYNC_LOW_LATENCY)) {
    const int before = serial.flags;
    serial.flags |= ASYNC_LOW_LATENCY;
    if (::ioctl(fd_, TIOCSSERIAL, &serial) == 0) savedSerialFlags_ = before;
  }
  const std::string file = latencyTimerFile(path_);
  const std::string before = readLine(file);
  if (!before.empty() && before != "1" && writeLine(file, "1")) {
    latencyFile_ = file;
    savedLatency_ = before;
  }
}

void SerialPort::discardInput() {
  if (fd_ >= 0) (void)::tcflush(fd_, TCIFLUSH);
}

void SerialPort::close() {
  if (fd_ < 0) return;
  if (!latencyFile_.empty()) (void)writeLine(latencyFile_, savedLatency_);
  latencyFile_.clear();
  if (savedSerialFlags_) {
    serial_struct serial{};
    if (::ioctl(fd_, TIOCGSERIAL, &serial) == 0) {
      serial.flags = *savedSerialFlags_;
      (void)::ioctl(fd_, TIOCSSERIAL, &serial);
    }
  }
  savedSerialFlags_.reset();
  // The terminal as we found it (a terminal used as a port must not stay raw).
  if (saved_) (void)::tcsetattr(fd_, TCSANOW, &*saved_);
  saved_.reset();
  // Give the port back to everyone: the exclusive flag outlives our descriptor
  // when another descriptor (a simulator's own) keeps the terminal alive.
  if (exclusive_) (void)::ioctl(fd_, TIOCNXCL);
  exclusive_ = false;
  ::close(fd_);  // also drops the flock
  fd_ = -1;
}

}  // namespace zorbel::link
