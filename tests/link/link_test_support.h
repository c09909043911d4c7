#pragma once
// What the link's end-to-end tests share: a recorder for the link's callbacks
// and the log sequences the transfers must produce.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "link/device_link.h"
#include "settings/codec.h"
#include "settings/model.h"

namespace zorbel::link::test {

// Collects what the worker reports. waitFor() only guards against a hang:
// nothing here measures time.
class Recorder {
 public:
  enum class HandOverMode { Keep, DoneAtOnce, Drop, Absent };

  LinkCallbacks callbacks(HandOverMode mode = HandOverMode::Keep) {
    LinkCallbacks cb;
    cb.log = [this](const std::string& line) { add([&] { lines_.push_back(line); }); };
    cb.progress = [this](TransferKind k, std::uint32_t done, std::uint32_t total) {
      add([&] { progress_.emplace_back(k, done, total); });
    };
    cb.status = [this](PortState state, const std::string&) { add([&] { states_.push_back(state); }); };
    cb.transferEnded = [this](TransferKind k, TransferEnd e) { add([&] { ends_.emplace_back(k, e); }); };
    if (mode != HandOverMode::Absent) {
      cb.imageReceived = [this, mode](std::shared_ptr<ImageHandOver> hand) {
        if (mode == HandOverMode::DoneAtOnce) hand->done();
        add([&] {
          images_.push_back(hand->image());
          if (mode == HandOverMode::Keep) hands_.push_back(hand);
        });
      };
    }
    return cb;
  }

  // Waits until `ready` holds over the recorder's state; false after a long while.
  bool waitFor(const std::function<bool(Recorder&)>& ready) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, std::chrono::seconds(30), [&] { return ready(*this); });
  }
  bool waitForLines(std::size_t count) {
    return waitFor([count](Recorder& r) { return r.lines_.size() >= count; });
  }
  bool waitForEnd(std::size_t count = 1) {
    return waitFor([count](Recorder& r) { return r.ends_.size() >= count; });
  }
  bool waitForState(PortState state) {
    return waitFor([state](Recorder& r) {
      for (auto s : r.states_)
        if (s == state) return true;
      return false;
    });
  }

  std::vector<std::string> lines() const { return copy(lines_); }
  std::vector<std::pair<TransferKind, TransferEnd>> ends() const { return copy(ends_); }
  std::vector<std::tuple<TransferKind, std::uint32_t, std::uint32_t>> progress() const { return copy(progress_); }
  std::vector<PortState> states() const { return copy(states_); }
  std::vector<settings::Image> images() const { return copy(images_); }
  std::shared_ptr<ImageHandOver> takeHand() {
    std::lock_guard lock(mutex_);
    if (hands_.empty()) return nullptr;
    auto hand = hands_.front();
    hands_.pop_front();
    return hand;
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

  // Recursive: waitFor()'s predicates read the recorder through its getters.
  mutable std::recursive_mutex mutex_;
  std::condition_variable_any cv_;
  std::vector<std::string> lines_;
  std::vector<std::tuple<TransferKind, std::uint32_t, std::uint32_t>> progress_;
  std::vector<PortState> states_;
  std::vector<std::pair<TransferKind, TransferEnd>> ends_;
  std::vector<settings::Image> images_;
  std::deque<std::shared_ptr<ImageHandOver>> hands_;
};

inline constexpr std::time_t kNow = 1700000000;

// The default settings with another callsign, encoded.
inline settings::Image encoded(const std::string& callsign = "DL1ABC") {
  settings::SettingsModel model(kNow);
  model.setText("Callsign", callsign);
  settings::Image image{};
  const auto result = settings::encodeSettings(model, image, kNow);
  if (!result.ok()) throw std::runtime_error(result.message());
  return image;
}

// Stores the image sum of what the image now holds.
inline void restoreSum(settings::Image& image) {
  const std::uint32_t sum = settings::imageSum(image);
  for (int i = 0; i < 4; ++i) image[i] = static_cast<std::uint8_t>(sum >> (8 * i));
}

inline std::vector<std::uint8_t> patternBytes(std::size_t size, std::uint8_t seed) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 13 + i / 251);
  return bytes;
}

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/zorbel-link-test-XXXXXX";
    path_ = ::mkdtemp(name);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string file(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
    const std::string p = path_ + "/" + name;
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return p;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(path_ + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  std::string path(const std::string& name = {}) const { return name.empty() ? path_ : path_ + "/" + name; }

 private:
  std::string path_;
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

// A configuration read whose sixteen pages all arrive, up to "Eeprom read finished.".
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

}  // namespace zorbel::link::test
