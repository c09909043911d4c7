#include "simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/eventfd.h>
#include <sys/prctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <iterator>
#include <mutex>
#include <thread>

#include "common/whole_file.h"

namespace zorbel::sim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kPage = 128;
constexpr std::size_t kFrame = 8;
constexpr auto kSplitPause = std::chrono::microseconds(500);
constexpr auto kIdleFlush = std::chrono::milliseconds(100);

// The device's side of the frames is written here on its own, not taken from
// the link: a fault in the link's framing then shows as a refused frame in the
// tests instead of being shared by both ends.
std::uint8_t checksum(const std::uint8_t* frame) {
  unsigned sum = 0;
  for (int i = 1; i <= 6; ++i) sum += frame[i];
  return static_cast<std::uint8_t>(sum);
}

std::uint16_t sumOf(const std::uint8_t* page) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < kPage; ++i) sum += page[i];
  return static_cast<std::uint16_t>(sum);
}

std::vector<std::uint8_t> frame(std::uint8_t type, std::uint16_t page, std::uint16_t sum) {
  std::vector<std::uint8_t> f{0xFF,
                              type,
                              static_cast<std::uint8_t>(page >> 8),
                              static_cast<std::uint8_t>(page),
                              static_cast<std::uint8_t>(sum >> 8),
                              static_cast<std::uint8_t>(sum),
                              0,
                              0};
  f[7] = checksum(f.data());
  return f;
}

}  // namespace

settings::Image blankEeprom() {
  settings::Image image;
  image.fill(0xFF);
  return image;
}

struct Simulator::Impl {
  explicit Impl(SimOptions o) : options(std::move(o)) {}

  const SimOptions options;
  std::string slavePath;
  int master = -1;
  int slave = -1;  // held open so that the line lives on while the link has it closed
  int stopFd = -1;
  std::thread thread;
  std::atomic<bool> hungUp{false};
  std::atomic<bool> idle{true};
  std::atomic<bool> verbose{false};
  std::atomic<std::uint64_t> received{0};
  std::atomic<std::uint64_t> sent{0};
  // How late the paced line delivered: answer bytes written, frames acted on.
  std::atomic<std::int64_t> txLateNs{0}, txLateMaxNs{0}, rxLateNs{0}, rxLateMaxNs{0};
  std::atomic<std::uint64_t> txWrites{0}, rxFrames{0};

  // Shared with the tests' thread.
  mutable std::mutex mutex;
  settings::Image eeprom = blankEeprom();
  std::vector<std::uint8_t> firmware;
  std::vector<FrameRecord> frames;
  bool eepromDirty = false;
  bool firmwareDirty = false;

  // The serving thread's own.
  struct Timed {
    std::uint8_t byte;
    Clock::time_point due;
  };
  std::deque<Timed> rx;                // bytes on their way in, due when wholly received
  std::deque<Timed> tx;                // answer bytes, written when due
  std::vector<std::uint8_t> incoming;  // bytes received so far, not yet a whole frame
  Clock::time_point rxLast{}, txLast{};
  Clock::duration byteTime{};
  unsigned pagesAnswered = 0;
  bool flooding = false;
  std::uint32_t noiseState = 0x2545F491u;

  void log(const char* fmt, unsigned a, unsigned b = 0) const {
    if (!verbose.load()) return;
    std::fprintf(stderr, fmt, a, b);
    std::fputc('\n', stderr);
  }

  // --- the device's side of the protocol

  // Answer bytes are due one byte time after another from `when` on (or after the answer before).
  void queueAnswer(const std::vector<std::uint8_t>& answer, Clock::time_point when) {
    std::vector<std::uint8_t> bytes;
    for (unsigned i = 0; i < options.noiseBytes; ++i) {
      noiseState ^= noiseState << 13;
      noiseState ^= noiseState >> 17;
      noiseState ^= noiseState << 5;
      bytes.push_back(static_cast<std::uint8_t>(noiseState % 255));  // never 0xFF
    }
    bytes.insert(bytes.end(), answer.begin(), answer.end());
    Clock::time_point due = std::max(when, txLast);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (options.splitAnswers && i > 0 && i % options.splitAnswers == 0) due += kSplitPause;
      due += byteTime;
      tx.push_back({bytes[i], due});
    }
    txLast = due;
  }

  void hangUp() {
    hungUp.store(true);
    ::close(master);
    ::close(slave);
    master = slave = -1;
    log("hung up", 0);
  }

  // One accepted frame, with its page when it has one.
  void onFrame(const std::uint8_t* f, const std::uint8_t* page, Clock::time_point when) {
    const std::uint8_t type = f[1];
    const std::uint16_t number = static_cast<std::uint16_t>(f[2] << 8 | f[3]);
    const bool sumOk = !page || sumOf(page) == static_cast<std::uint16_t>(f[4] << 8 | f[5]);
    std::size_t count;
    {
      std::lock_guard lock(mutex);
      frames.push_back({type, number, sumOk});
      count = frames.size();
    }
    if (options.hangUpAfter && count == options.hangUpAfter) {
      hangUp();
      return;
    }

    std::vector<std::uint8_t> answer;
    if (type == 0x40 && sumOk) {
      std::lock_guard lock(mutex);
      const std::size_t end = (std::size_t{number} + 1) * kPage;
      if (firmware.size() < end) firmware.resize(end, 0);
      std::copy_n(page, kPage, firmware.begin() + std::size_t{number} * kPage);
      firmwareDirty = true;
      answer = frame(0x41, number, 0);
      log("firmware page %u", number);
    } else if (type == 0x80 && sumOk && number < settings::kPageCount) {
      std::lock_guard lock(mutex);
      const std::size_t at = std::size_t{number} * kPage;
      std::copy_n(page, kPage, eeprom.begin() + static_cast<std::ptrdiff_t>(at));
      const auto wrong = static_cast<std::size_t>(options.misstoreOffset);
      if (options.misstoreOffset >= 0 && wrong - at < kPage) eeprom[wrong] ^= 0x01;
      eepromDirty = true;
      answer = frame(0x81, number, 0);
      log("configuration page %u", number);
    } else if (type == 0x90 && number < settings::kPageCount) {
      const unsigned nth = ++pagesAnswered;
      std::uint16_t answered = number;
      if (nth == options.wrongPageAnswer) answered = options.wrongPageNumber;
      std::uint8_t data[kPage];
      {
        std::lock_guard lock(mutex);
        const std::uint16_t from = answered < settings::kPageCount ? answered : number;
        std::copy_n(eeprom.begin() + std::size_t{from} * kPage, kPage, data);
      }
      answer = frame(0x91, answered, sumOf(data));
      if (nth == options.badHeaderPage) answer[7] ^= 0x5A;
      if (nth == options.corruptPage) data[kPage / 2] ^= 0x01;
      answer.insert(answer.end(), data, data + kPage);
      log("read request %u, answered with page %u", number, answered);
    } else {
      log(page && !sumOk ? "page %u refused: bad page sum" : "frame for page %u not answered",
          number);
    }
    if (options.flood != SimOptions::Flood::None) flooding = true;
    if (answer.empty() || count == options.dropAnswerTo) return;
    queueAnswer(answer, when);
  }

  // Keeps a flood's bytes queued; the line's pace (if any) spaces them.
  void topUpFlood(Clock::time_point now) {
    if (!flooding || tx.size() >= 512) return;
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < 512) {
      switch (options.flood) {
        case SimOptions::Flood::Noise:
          noiseState ^= noiseState << 13;
          noiseState ^= noiseState >> 17;
          noiseState ^= noiseState << 5;
          bytes.push_back(static_cast<std::uint8_t>(noiseState % 255));  // never 0xFF
          break;
        case SimOptions::Flood::StartBytes:
          bytes.push_back(0xFF);
          break;
        case SimOptions::Flood::Acks: {
          const auto ack = frame(bytes.size() % 16 ? 0x81 : 0x41, 0, 0);
          bytes.insert(bytes.end(), ack.begin(), ack.end());
          break;
        }
        case SimOptions::Flood::BadHeaders: {
          const std::uint8_t header[] = {0xFF, 0x91, 0, 0, 0, 0, 0, 0};
          bytes.insert(bytes.end(), std::begin(header), std::end(header));
          break;
        }
        case SimOptions::Flood::None:
          return;
      }
    }
    Clock::time_point due = std::max(now, txLast);
    for (std::uint8_t b : bytes) {
      due += byteTime;
      tx.push_back({b, due});
    }
    txLast = due;
  }

  // Frames start with 0xFF; a bad checksum or an unknown type drops the start byte only.
  void parse(Clock::time_point when) {
    std::size_t at = 0;
    while (master >= 0) {
      while (at < incoming.size() && incoming[at] != 0xFF) ++at;
      if (incoming.size() - at < kFrame) break;
      const std::uint8_t* f = incoming.data() + at;
      const std::uint8_t type = f[1];
      const bool known = type == 0x40 || type == 0x80 || type == 0x90;
      if (!known || checksum(f) != f[7]) {
        ++at;
        continue;
      }
      const std::size_t length = type == 0x90 ? kFrame : kFrame + kPage;
      if (incoming.size() - at < length) break;
      std::uint8_t copy[kFrame + kPage];
      std::copy_n(f, length, copy);
      at += length;
      onFrame(copy, type == 0x90 ? nullptr : copy + kFrame, when);
    }
    incoming.erase(incoming.begin(),
                   incoming.begin() + static_cast<std::ptrdiff_t>(std::min(at, incoming.size())));
  }

  // When the byte that completes the next whole frame (with its page) is
  // through: the device need not look at the line before. max() while no
  // frame is complete in what has been received.
  Clock::time_point nextFrameDue(Clock::time_point now) const {
    const std::size_t total = incoming.size() + rx.size();
    auto byteAt = [&](std::size_t i) {
      return i < incoming.size() ? incoming[i] : rx[i - incoming.size()].byte;
    };
    std::size_t at = 0;
    for (;;) {
      while (at < total && byteAt(at) != 0xFF) ++at;
      if (total - at < kFrame) return Clock::time_point::max();
      std::uint8_t f[kFrame];
      for (std::size_t i = 0; i < kFrame; ++i) f[i] = byteAt(at + i);
      const bool known = f[1] == 0x40 || f[1] == 0x80 || f[1] == 0x90;
      if (!known || checksum(f) != f[7]) {
        ++at;
        continue;
      }
      const std::size_t last = at + (f[1] == 0x90 ? kFrame : kFrame + kPage) - 1;
      if (last >= total) return Clock::time_point::max();
      return last < incoming.size() ? now : rx[last - incoming.size()].due;
    }
  }

  static void note(std::atomic<std::int64_t>& sum, std::atomic<std::int64_t>& max,
                   std::atomic<std::uint64_t>& count, Clock::duration late) {
    const std::int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(late).count();
    sum += ns;
    if (ns > max.load()) max.store(ns);
    ++count;
  }

  // --- files

  void flush() {
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

  // --- the serving loop

  void serve() {
    if (options.baud) {
      // Byte times are 87 us at 115200: wake-ups must not be rounded up by the default 50 us slack.
      ::prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
      byteTime = std::chrono::nanoseconds(10'000'000'000LL / options.baud);
    }
    std::uint8_t buffer[4096];
    // Changed files are written once the line has been quiet for a while.
    Clock::time_point flushAt = Clock::time_point::max();
    while (master >= 0) {
      auto now = Clock::now();
      topUpFlood(now);

      // Answer bytes that are due go out together.
      std::size_t due = 0;
      while (due < tx.size() && tx[due].due <= now && due < sizeof buffer) {
        buffer[due] = tx[due].byte;
        ++due;
      }
      bool blocked = false;
      if (due > 0) {
        const ssize_t n = ::write(master, buffer, due);
        if (n > 0) {
          note(txLateNs, txLateMaxNs, txWrites, now - tx[static_cast<std::size_t>(n) - 1].due);
          tx.erase(tx.begin(), tx.begin() + n);
          sent += static_cast<std::uint64_t>(n);
        }
        blocked = n < static_cast<ssize_t>(due);
      }

      // Bytes wholly received by now reach the device, which acts once a frame is complete.
      const Clock::time_point frameDue = nextFrameDue(now);
      if (frameDue <= now) {
        note(rxLateNs, rxLateMaxNs, rxFrames, now - frameDue);
        while (!rx.empty() && rx.front().due <= now) {
          incoming.push_back(rx.front().byte);
          rx.pop_front();
        }
        // The device answers from when the frame was through, not from when
        // this thread got round to it: its own lateness is not the link's.
        parse(frameDue);
        if (master < 0) break;
        continue;  // answers may be due at once
      }

      Clock::time_point wakeAt = flushAt;
      if (!tx.empty())
        wakeAt = std::min(wakeAt, blocked ? now + std::chrono::milliseconds(1) : tx.front().due);
      else if (flooding)
        wakeAt = now;  // an unpaced flood was all written: top it up at once
      wakeAt = std::min(wakeAt, frameDue);
      timespec timeout{};
      timespec* timeoutPtr = nullptr;
      if (wakeAt != Clock::time_point::max()) {
        const auto wait = std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::max(wakeAt - now, Clock::duration{}));
        timeout = {static_cast<time_t>(wait.count() / 1'000'000'000),
                   static_cast<long>(wait.count() % 1'000'000'000)};
        timeoutPtr = &timeout;
      }
      idle.store(rx.empty() && tx.empty() && frameDue == Clock::time_point::max());
      pollfd fds[2] = {{master, static_cast<short>(POLLIN | (blocked ? POLLOUT : 0)), 0},
                       {stopFd, POLLIN, 0}};
      const int ready = ::ppoll(fds, 2, timeoutPtr, nullptr);
      if (ready < 0 && errno != EINTR) break;
      if (fds[1].revents & POLLIN) break;
      if (fds[0].revents & POLLIN) {
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n > 0) {
          now = Clock::now();
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
      } else if (Clock::now() >= flushAt) {
        flush();
        flushAt = Clock::time_point::max();
      }
    }
    flush();
  }
};

Simulator::Simulator(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() { stop(); }

bool Simulator::start(std::string& error) {
  Impl& s = *impl_;
  if (s.thread.joinable() || s.hungUp.load()) {
    error = "the simulator has run already";
    return false;
  }
  if (!s.options.eepromFile.empty() && ::access(s.options.eepromFile.c_str(), F_OK) == 0) {
    const auto read = readWholeFile(s.options.eepromFile, settings::kImageSize);
    if (!read || read.value().size() != settings::kImageSize) {
      error = s.options.eepromFile + ": " +
              (read.ok() || read.error().kind == ErrorKind::TooLong
                   ? "not a 2048-byte configuration memory"
                   : read.error().reason);
      return false;
    }
    std::copy(read.value().begin(), read.value().end(), s.eeprom.begin());
  }
  if (::openpty(&s.master, &s.slave, nullptr, nullptr, nullptr) != 0) {
    error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
    return false;
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
  return true;
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
