#pragma once
// A recorder for the device link's callbacks and the log sequences whole
// transfers produce. The waits only guard against a hang: nothing here
// measures time.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include "link/device_link.h"
#include "settings/image.h"

namespace zorbel::test {

class LinkRecorder {
 public:
  // What the decoder's side does with a good read's image: keep the hand-over
  // for the test to finish (Keep), finish it before recording (DoneAtOnce),
  // record then finish it (RecordThenDone), let it go (Drop), or have no
  // receiver at all (Absent).
  enum class HandOverMode { Keep, DoneAtOnce, RecordThenDone, Drop, Absent };
  using Clock = std::chrono::steady_clock;

  explicit LinkRecorder(std::chrono::seconds guard = std::chrono::seconds(30)) : guard_(guard) {}

  link::LinkCallbacks callbacks(HandOverMode mode = HandOverMode::Keep) {
    link::LinkCallbacks cb;
    cb.log = [this](const std::string& line) { add([&] { lines_.push_back(line); }); };
    cb.progress = [this](link::TransferKind k, std::uint32_t done, std::uint32_t total) {
      add([&] { progress_.emplace_back(k, done, total); });
    };
    cb.status = [this](link::PortState state, const std::string&) {
      add([&] { states_.push_back(state); });
    };
    cb.transferEnded = [this](link::TransferKind k, link::TransferEnd e) {
      add([&] { ends_.emplace_back(k, e); });
    };
    cb.trace = [this](link::TraceDirection d, const std::uint8_t*, std::size_t n) {
      add([&] { (d == link::TraceDirection::Sent ? sentBytes_ : receivedBytes_) += n; });
    };
    if (mode != HandOverMode::Absent) {
      cb.imageReceived = [this, mode](std::shared_ptr<link::ImageHandOver> hand) {
        if (mode == HandOverMode::DoneAtOnce) hand->done();
        add([&] {
          images_.push_back(hand->image());
          if (mode == HandOverMode::Keep) hands_.push_back(hand);
        });
        if (mode == HandOverMode::RecordThenDone) hand->done();
      };
    }
    return cb;
  }

  // False when `ready` did not come true within the guard time (a hang).
  bool waitFor(const std::function<bool(LinkRecorder&)>& ready) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, guard_, [&] { return ready(*this); });
  }
  bool waitFor(const std::function<bool()>& ready) { return waitFor(ready, guard_); }
  bool waitFor(const std::function<bool()>& ready, std::chrono::seconds guard) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, guard, ready);
  }
  bool waitForLines(std::size_t count) {
    return waitFor([&] { return lines_.size() >= count; });
  }
  bool waitForCount(const std::string& line, std::size_t count) {
    return waitFor(
        [&] { return std::count(lines_.begin(), lines_.end(), line) >= static_cast<long>(count); });
  }
  bool waitForEnd(std::size_t count = 1) { return waitForEnds(count); }
  bool waitForEnds(std::size_t count) {
    return waitFor([&] { return ends_.size() >= count; });
  }
  bool waitForState(link::PortState state) {
    return waitFor(
        [&] { return std::find(states_.begin(), states_.end(), state) != states_.end(); });
  }
  // Waits until the link and the device have settled: the device has acted on
  // every byte the link sent and sent every answer, and the link has read
  // them all and acted on them (two more worker passes). `Device` is the
  // simulator; false on a hang.
  template <class Device>
  bool waitForSettled(const link::DeviceLink& link, const Device& device) {
    const auto deviceDone = [&] {
      const std::uint64_t received = device.bytesReceived();  // before idle(): see there
      const bool idle = device.idle();
      std::lock_guard lock(mutex_);
      return idle && received == sentBytes_ && device.bytesSent() == receivedBytes_;
    };
    const auto until = [&](const std::function<bool()>& ready) {
      const auto end = Clock::now() + guard_;
      std::unique_lock lock(mutex_);
      while (!ready()) {
        if (Clock::now() > end) return false;
        cv_.wait_for(lock, std::chrono::milliseconds(2));  // the device's side is polled
      }
      return true;
    };
    for (;;) {
      if (!until(deviceDone)) return false;
      const std::uint64_t passes = link.workerPasses();
      if (!until([&] { return link.workerPasses() >= passes + 2; })) return false;
      if (deviceDone()) return true;  // else the link sent more meanwhile
    }
  }

  std::vector<std::string> lines() const { return copy(lines_); }
  std::vector<std::pair<link::TransferKind, link::TransferEnd>> ends() const { return copy(ends_); }
  std::vector<std::tuple<link::TransferKind, std::uint32_t, std::uint32_t>> progress() const {
    return copy(progress_);
  }
  std::vector<link::PortState> states() const { return copy(states_); }
  std::vector<settings::Image> images() const { return copy(images_); }
  std::shared_ptr<link::ImageHandOver> takeHand() {
    std::lock_guard lock(mutex_);
    if (hands_.empty()) return nullptr;
    auto hand = hands_.front();
    hands_.pop_front();
    return hand;
  }
  // Lines, ends and images so far forgotten, to look at the next transfer alone.
  void clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
    ends_.clear();
    images_.clear();
  }

 private:
  template <typename F>
  void add(F f) {
    {
      std::lock_guard lock(mutex_);
      f();
    }
    cv_.notify_all();
  }
  template <typename T>
  T copy(const T& v) const {
    std::lock_guard lock(mutex_);
    return v;
  }

  const std::chrono::seconds guard_;
  // Recursive: waitFor()'s predicates read the recorder through its getters.
  mutable std::recursive_mutex mutex_;
  std::condition_variable_any cv_;
  std::vector<std::string> lines_;
  std::vector<std::tuple<link::TransferKind, std::uint32_t, std::uint32_t>> progress_;
  std::vector<link::PortState> states_;
  std::vector<std::pair<link::TransferKind, link::TransferEnd>> ends_;
  std::vector<settings::Image> images_;
  std::deque<std::shared_ptr<link::ImageHandOver>> hands_;
  std::uint64_t sentBytes_ = 0;
  std::uint64_t receivedBytes_ = 0;
};

inline std::string bracket(const char* text, unsigned n) { return text + std::to_string(n) + "]."; }

// A configuration write the device answers throughout.
inline std::vector<std::string> writeSequence() {
  std::vector<std::string> s{bracket("Eeprom page sent [", 0)};
  for (unsigned n = 1; n <= 15; ++n) {
    s.push_back("Page receive ack.");
    s.push_back(bracket("Eeprom page sent [", n));
  }
  s.push_back("Page receive ack.");
  s.push_back("Send finished.");
  return s;
}

// A configuration read whose first `upTo` pages are requested; with all
// sixteen it runs to "Eeprom read finished.".
inline std::vector<std::string> readSequence(unsigned upTo = 16) {
  std::vector<std::string> s{bracket("Eeprom read request, page [", 0)};
  for (unsigned n = 1; n < upTo; ++n) {
    s.push_back("Eeprom page received.");
    s.push_back(bracket("Eeprom read request, page [", n));
  }
  if (upTo == 16) {
    s.push_back("Eeprom page received.");
    s.push_back("Eeprom read finished.");
  }
  return s;
}

// A firmware upload of page count n: pages 0..n.
inline std::vector<std::string> firmwareSequence(unsigned pageCount) {
  std::vector<std::string> s{bracket("Firmware page sent [", 0)};
  for (unsigned n = 1; n <= pageCount; ++n) {
    s.push_back("Page receive ack.");
    s.push_back(bracket("Firmware page sent [", n));
  }
  s.push_back("Page receive ack.");
  s.push_back("Send finished.");
  return s;
}

}  // namespace zorbel::test
