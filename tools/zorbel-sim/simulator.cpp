// The simulator's serving loop, its memory files and its public calls.
#include "simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/whole_file.h"
#include "simulator_impl.h"

namespace zorbel::sim {

namespace {

constexpr auto kIdleFlush = std::chrono::milliseconds(100);

}  // namespace

settings::Image blankEeprom() {
  settings::Image image;
  image.fill(0xFF);
  return image;
}

void Simulator::Impl::note(std::atomic<std::int64_t>& sum, std::atomic<std::int64_t>& max,
                           std::atomic<std::uint64_t>& count, Clock::duration late) {
  const std::int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(late).count();
  sum += ns;
  if (ns > max.load()) max.store(ns);
  ++count;
}

void Simulator::Impl::flush() {
  settings::Image image;
  std::vector<std::uint8_t> fw;
  bool writeEeprom, writeFirmware;
  {
    std::lock_guard lock(mutex);
    writeEeprom = eepromDirty && !options.eepromFile.empty();
    writeFirmware = firmwareDirty && !options.firmwareOut.empty();
    eepromDirty = firmwareDirty = false;
    image = eeprom;
    fw = firmware;
  }
  const auto save = [](const std::string& path, const void* bytes, std::size_t size) {
    const auto written = writeFile(path, std::string_view(static_cast<const char*>(bytes), size));
    if (!written)
      std::fprintf(stderr, "zorbel-sim: cannot write %s: %s\n", path.c_str(),
                   written.error().reason.c_str());
  };
  if (writeEeprom) save(options.eepromFile, image.data(), image.size());
  if (writeFirmware) save(options.firmwareOut, fw.data(), fw.size());
}

void Simulator::Impl::serve() {
  if (options.baud) {
    // Byte times are 87 us at 115200: wake-ups must not be rounded up by the default 50 us slack.
    ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    byteTime = std::chrono::nanoseconds(10'000'000'000LL / options.baud);
  }
  // Changed files are written once the line has been quiet for a while.
  Clock::time_point flushAt = Clock::time_point::max();
  while (master >= 0) {
    const auto now = Clock::now();
    topUpFlood(now);
    const bool blocked = sendDueAnswers(now);

    // Bytes wholly received by now reach the device, which acts once a frame is complete.
    const Clock::time_point frameDue = nextFrameDue(now);
    if (frameDue <= now) {
      actOnFrame(now, frameDue);
      continue;  // answers may be due at once
    }

    idle.store(rx.empty() && tx.empty() && frameDue == Clock::time_point::max());
    const LineEvent event = waitForLine(now, wakeTime(now, flushAt, blocked, frameDue), blocked);
    if (event == LineEvent::Stop) break;
    if (event == LineEvent::Readable) {
      receive(flushAt);
    } else if (Clock::now() >= flushAt) {
      flush();
      flushAt = Clock::time_point::max();
    }
  }
  flush();
}

bool Simulator::Impl::sendDueAnswers(Clock::time_point now) {
  std::uint8_t buffer[4096];
  std::size_t due = 0;
  while (due < tx.size() && tx[due].due <= now && due < sizeof buffer) {
    buffer[due] = tx[due].byte;
    ++due;
  }
  if (due == 0) return false;
  const ssize_t n = ::write(master, buffer, due);
  if (n > 0) {
    note(txLateNs, txLateMaxNs, txWrites, now - tx[static_cast<std::size_t>(n) - 1].due);
    tx.erase(tx.begin(), tx.begin() + n);
    sent += static_cast<std::uint64_t>(n);
  }
  return n < static_cast<ssize_t>(due);
}

void Simulator::Impl::actOnFrame(Clock::time_point now, Clock::time_point frameDue) {
  note(rxLateNs, rxLateMaxNs, rxFrames, now - frameDue);
  while (!rx.empty() && rx.front().due <= now) {
    incoming.push_back(rx.front().byte);
    rx.pop_front();
  }
  // The device answers from when the frame was through, not from when
  // this thread got round to it: its own lateness is not the link's.
  parse(frameDue);
}

Clock::time_point Simulator::Impl::wakeTime(Clock::time_point now, Clock::time_point flushAt,
                                            bool blocked, Clock::time_point frameDue) const {
  Clock::time_point wakeAt = flushAt;
  if (!tx.empty())
    wakeAt = std::min(wakeAt, blocked ? now + std::chrono::milliseconds(1) : tx.front().due);
  else if (flooding)
    wakeAt = now;  // an unpaced flood was all written: top it up at once
  return std::min(wakeAt, frameDue);
}

Simulator::Impl::LineEvent Simulator::Impl::waitForLine(Clock::time_point now,
                                                        Clock::time_point wakeAt, bool blocked) {
  timespec timeout{};
  timespec* timeoutPtr = nullptr;
  if (wakeAt != Clock::time_point::max()) {
    const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::max(wakeAt - now, Clock::duration{}));
    timeout = {static_cast<time_t>(wait.count() / 1'000'000'000),
               static_cast<long>(wait.count() % 1'000'000'000)};
    timeoutPtr = &timeout;
  }
  pollfd fds[2] = {{master, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
                   {stopFd, POLLIN, 0}};
  const int ready = ::ppoll(fds, 2, timeoutPtr, nullptr);
  if (ready < 0 && errno != EINTR) return LineEvent::Stop;
  if (fds[1].revents & POLLIN) return LineEvent::Stop;
  return fds[0].revents & POLLIN ? LineEvent::Readable : LineEvent::Other;
}

void Simulator::Impl::receive(Clock::time_point& flushAt) {
  std::uint8_t buffer[4096];
  const ssize_t n = ::read(master, buffer, sizeof buffer);
  if (n <= 0) return;
  const auto now = Clock::now();
  idle.store(false);  // before the count, so idle() after bytesReceived() is never stale
  received += static_cast<std::uint64_t>(n);
  for (ssize_t i = 0; i < n; ++i) {
    // A byte is on the wire from when it was handed over, or from when the byte before it
    // was through.
    rxLast = byteTime.count() ? std::max(now, rxLast) + byteTime : now;
    rx.push_back({buffer[i], rxLast});
  }
  // The memory files are written once the line has been quiet for a while after
  // the last byte is through the paced line (and so handled), not after it came in.
  flushAt = std::max(now, rxLast) + kIdleFlush;
}

Simulator::Simulator(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() { stop(); }

Result<void> Simulator::start() {
  Impl& s = *impl_;
  if (s.thread.joinable() || s.hungUp.load()) {
    return makeError(ErrorKind::CannotRead, "the simulator has run already");
  }
  if (!s.options.eepromFile.empty() && ::access(s.options.eepromFile.c_str(), F_OK) == 0) {
    const auto read = readWholeFile(s.options.eepromFile, settings::kImageSize);
    if (!read || read.value().size() != settings::kImageSize) {
      return makeError(ErrorKind::CannotRead,
                       s.options.eepromFile + ": " +
                           (read.ok() || read.error().kind == ErrorKind::TooLong
                                ? "not a 2048-byte configuration memory"
                                : read.error().reason));
    }
    std::copy(read.value().begin(), read.value().end(), s.eeprom.begin());
  }
  if (::openpty(&s.master, &s.slave, nullptr, nullptr, nullptr) != 0) {
    return makeError(ErrorKind::CannotRead,
                     std::string("cannot open a pseudo-terminal: ") + std::strerror(errno));
  }
  ::fcntl(s.master, F_SETFD, FD_CLOEXEC);
  ::fcntl(s.slave, F_SETFD, FD_CLOEXEC);
  ::fcntl(s.master, F_SETFL, ::fcntl(s.master, F_GETFL) | O_NONBLOCK);
  // Raw from the start: no echo or line editing before the link sets its own mode.
  termios tio{};
  ::tcgetattr(s.slave, &tio);
  ::cfmakeraw(&tio);
  ::tcsetattr(s.slave, TCSANOW, &tio);
  s.slavePath = ::ptsname(s.master);
  s.stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  s.thread = std::thread([&s] { s.serve(); });
  return {};
}

void Simulator::stop() {
  Impl& s = *impl_;
  if (s.thread.joinable()) {
    const std::uint64_t one = 1;
    (void)!::write(s.stopFd, &one, sizeof one);
    s.thread.join();
  }
  if (s.master >= 0) ::close(s.master);
  if (s.slave >= 0) ::close(s.slave);
  if (s.stopFd >= 0) ::close(s.stopFd);
  s.master = s.slave = s.stopFd = -1;
}

const std::string& Simulator::slavePath() const { return impl_->slavePath; }
bool Simulator::hungUp() const { return impl_->hungUp.load(); }

settings::Image Simulator::eeprom() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->eeprom;
}

void Simulator::setEeprom(const settings::Image& image) {
  std::lock_guard lock(impl_->mutex);
  impl_->eeprom = image;
}

std::vector<std::uint8_t> Simulator::firmware() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->firmware;
}

std::vector<FrameRecord> Simulator::frames() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->frames;
}

std::size_t Simulator::frameCount() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->frames.size();
}

std::uint64_t Simulator::bytesReceived() const { return impl_->received.load(); }
bool Simulator::idle() const { return impl_->idle.load(); }
std::uint64_t Simulator::bytesSent() const { return impl_->sent.load(); }

PacingStats Simulator::pacingStats() const {
  const Impl& s = *impl_;
  PacingStats stats;
  const auto writes = s.txWrites.load(), frames = s.rxFrames.load();
  stats.answerWrites = writes;
  stats.framesActedOn = frames;
  stats.meanWriteLateUs =
      writes ? static_cast<double>(s.txLateNs.load()) / static_cast<double>(writes) / 1000.0 : 0;
  stats.maxWriteLateUs = static_cast<double>(s.txLateMaxNs.load()) / 1000.0;
  stats.meanFrameLateUs =
      frames ? static_cast<double>(s.rxLateNs.load()) / static_cast<double>(frames) / 1000.0 : 0;
  stats.maxFrameLateUs = static_cast<double>(s.rxLateMaxNs.load()) / 1000.0;
  return stats;
}
void Simulator::setVerbose(bool verbose) { impl_->verbose.store(verbose); }

}  // namespace zorbel::sim
