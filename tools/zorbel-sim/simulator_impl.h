#pragma once
// The simulator's state, shared by simulator.cpp (the serving loop, the memory
// files, the public calls) and device_side.cpp (the device's side of the
// protocol: frames in, answers out, the fault switches).
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "simulator.h"

namespace zorbel::sim {

using Clock = std::chrono::steady_clock;

inline constexpr std::size_t kPage = 128;
inline constexpr std::size_t kFrame = 8;

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

  // --- the device's side of the protocol (device_side.cpp)

  // Answer bytes are due one byte time after another from `when` on (or after the answer before).
  void queueAnswer(const std::vector<std::uint8_t>& answer, Clock::time_point when);

  void hangUp();

  // One accepted frame, with its page when it has one.
  void onFrame(const std::uint8_t* f, const std::uint8_t* page, Clock::time_point when);
  // The answers to a good firmware page, a good configuration page and a read request.
  std::vector<std::uint8_t> storeFirmwarePage(std::uint16_t number, const std::uint8_t* page);
  std::vector<std::uint8_t> storeConfigurationPage(std::uint16_t number, const std::uint8_t* page);
  std::vector<std::uint8_t> answerReadRequest(std::uint16_t number);

  // Keeps a flood's bytes queued; the line's pace (if any) spaces them.
  void topUpFlood(Clock::time_point now);

  // Frames start with 0xFF; a bad checksum or an unknown type drops the start byte only.
  void parse(Clock::time_point when);

  // When the byte that completes the next whole frame (with its page) is
  // through: the device need not look at the line before. max() while no
  // frame is complete in what has been received.
  Clock::time_point nextFrameDue(Clock::time_point now) const;

  // --- the serving loop and the files (simulator.cpp)

  void serve();
  // Writes the answer bytes that are due, together; true when the line took fewer.
  bool sendDueAnswers(Clock::time_point now);
  // Hands the bytes received by now to the device, whose next frame was through at `frameDue`.
  void actOnFrame(Clock::time_point now, Clock::time_point frameDue);
  // When the loop must look again: an answer byte or a frame due, a flood to top up, a flush.
  Clock::time_point wakeTime(Clock::time_point now, Clock::time_point flushAt, bool blocked,
                             Clock::time_point frameDue) const;
  enum class LineEvent { Readable, Stop, Other };
  // Waits for bytes from the link, room on the line (when `blocked`), a stop or `wakeAt`.
  LineEvent waitForLine(Clock::time_point now, Clock::time_point wakeAt, bool blocked);
  // Takes what the link sent onto the paced line; moves `flushAt` past its last byte.
  void receive(Clock::time_point& flushAt);
  // Writes the memory files that changed.
  void flush();
  static void note(std::atomic<std::int64_t>& sum, std::atomic<std::int64_t>& max,
                   std::atomic<std::uint64_t>& count, Clock::duration late);
};

}  // namespace zorbel::sim
