#pragma once
// What the fault-injection tests share: a recorder for the device link's
// callbacks, scratch folders, the real zorbelctl and zorbel-sim run as
// programs, and the outcome lines the suite prints for the reliability table.
//
// Time limits here only keep a hung program or transfer from hanging the
// suite; nothing asserts on how long anything took. Durations are printed.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "link/device_link.h"
#include "link/frames.h"
#include "link/serial_port.h"
#include "settings/codec.h"
#include "settings/model.h"
#include "simulator.h"

namespace zorbel::faults {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

inline double msSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One line per fault for the reliability table: what was done and what came of it.
inline void outcome(const std::string& fault, const std::string& result) {
  std::cout << "[  OUTCOME ] " << fault << ": " << result << std::endl;
}

// --- files

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / "zorbel-faults-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  std::string path(const std::string& name = {}) const { return name.empty() ? path_ : path_ + "/" + name; }
  std::string write(const std::string& name, const std::string& bytes) const {
    const std::string p = path(name);
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + p);
    return p;
  }
  std::string write(const std::string& name, const Bytes& bytes) const {
    return write(name, std::string(bytes.begin(), bytes.end()));
  }
  // Every entry of the folder, for "nothing else was left behind".
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline Bytes pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(seed + i * 29 + i / 253);
  return bytes;
}

// --- settings

inline constexpr std::time_t kNow = 1700000000;

// The start-up settings with another callsign, the clock left as set.
inline settings::SettingsModel modelWith(const std::string& callsign) {
  settings::SettingsModel model(kNow);
  model.click("Uploadpctime", false);
  model.setText("Callsign", callsign);
  return model;
}

inline settings::Image encoded(const std::string& callsign) {
  settings::Image image{};
  const auto result = settings::encodeSettings(modelWith(callsign), image, kNow);
  if (!result.ok()) throw std::runtime_error(result.message());
  return image;
}

// The same settings: equal from the version field on, each with a good image
// sum. The write stamp (and with it the sum) differs between encodes.
inline bool sameSettings(const settings::Image& a, const settings::Image& b) {
  return link::CheckReceivedImage(a) && link::CheckReceivedImage(b) &&
         std::equal(a.begin() + settings::kVersionOffset, a.end(), b.begin() + settings::kVersionOffset);
}

// Polls a condition the recorder is not told about (the simulator's state, a
// file); false when it did not come true within the guard time.
inline bool eventually(const std::function<bool()>& ready, std::chrono::seconds guard = std::chrono::seconds(20)) {
  const auto start = Clock::now();
  while (!ready()) {
    if (Clock::now() - start > guard) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// --- the device link's callbacks

class Recorder {
 public:
  link::LinkCallbacks callbacks() {
    link::LinkCallbacks cb;
    cb.log = [this](const std::string& line) {
      add([&] {
        lines_.push_back(line);
        lastLine_ = Clock::now();
      });
    };
    cb.status = [this](link::PortState state, const std::string&) { add([&] { states_.push_back(state); }); };
    cb.transferEnded = [this](link::TransferKind k, link::TransferEnd e) { add([&] { ends_.emplace_back(k, e); }); };
    // The decoder's side of a good read: take the image and let the worker go on.
    cb.imageReceived = [this](std::shared_ptr<link::ImageHandOver> hand) {
      add([&] { images_.push_back(hand->image()); });
      hand->done();
    };
    return cb;
  }

  // False when `ready` did not come true within the guard time (a hang).
  bool waitFor(const std::function<bool()>& ready, std::chrono::seconds guard = std::chrono::seconds(20)) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, guard, ready);
  }
  bool waitForCount(const std::string& line, std::size_t count) {
    return waitFor([&] { return std::count(lines_.begin(), lines_.end(), line) >= static_cast<long>(count); });
  }
  bool waitForLines(std::size_t count) {
    return waitFor([&] { return lines_.size() >= count; });
  }
  bool waitForEnds(std::size_t count) {
    return waitFor([&] { return ends_.size() >= count; });
  }
  bool waitForState(link::PortState state) {
    return waitFor([&] { return std::find(states_.begin(), states_.end(), state) != states_.end(); });
  }
  // Waits until no line has come for `quiet`: the link has settled.
  void waitForQuiet(std::chrono::milliseconds quiet) {
    for (;;) {
      std::this_thread::sleep_for(quiet / 4);
      std::lock_guard lock(mutex_);
      if (Clock::now() - lastLine_ >= quiet) return;
    }
  }

  std::vector<std::string> lines() const { return copy(lines_); }
  std::vector<std::pair<link::TransferKind, link::TransferEnd>> ends() const { return copy(ends_); }
  std::vector<settings::Image> images() const { return copy(images_); }
  // Everything logged so far forgotten, to look at the next transfer alone.
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

  // Recursive: waitFor()'s predicates read the recorder through its getters.
  mutable std::recursive_mutex mutex_;
  std::condition_variable_any cv_;
  std::vector<std::string> lines_;
  std::vector<link::PortState> states_;
  std::vector<std::pair<link::TransferKind, link::TransferEnd>> ends_;
  std::vector<settings::Image> images_;
  Clock::time_point lastLine_ = Clock::now();
};

inline std::string bracket(const char* text, unsigned n) { return text + std::to_string(n) + "]."; }

// A configuration write that the device answers throughout.
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

// A configuration read whose sixteen pages all arrive.
inline std::vector<std::string> readSequence() {
  std::vector<std::string> s{bracket("Eeprom read request, page [", 0)};
  for (unsigned n = 1; n < 16; ++n) {
    s.push_back("Eeprom page received.");
    s.push_back(bracket("Eeprom read request, page [", n));
  }
  s.push_back("Eeprom page received.");
  s.push_back("Eeprom read finished.");
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

// The firmware the device holds after an upload of `bytes`: whole pages, the
// extra page N after them, zeros past the file.
inline Bytes uploaded(const Bytes& bytes) {
  Bytes expected = bytes;
  expected.resize((bytes.size() + 127) / 128 * 128 + 128, 0);
  return expected;
}

// The device holds this upload's pages; pages past them keep what an earlier
// upload left there.
inline ::testing::AssertionResult holdsUpload(const sim::Simulator& sim, const Bytes& bytes) {
  const Bytes expected = uploaded(bytes);
  const Bytes held = sim.firmware();
  if (held.size() < expected.size())
    return ::testing::AssertionFailure() << "the device holds " << held.size() << " firmware bytes";
  const auto mismatch = std::mismatch(expected.begin(), expected.end(), held.begin());
  if (mismatch.first != expected.end())
    return ::testing::AssertionFailure() << "firmware differs at byte " << (mismatch.first - expected.begin());
  return ::testing::AssertionSuccess();
}

// --- programs

struct ProgramRun {
  int status = -1;  // exit status; -1 when killed or not exited
  bool hung = false;
  double ms = 0;
  std::string out;
  std::string err;
};

// Runs a program with its output in files, killing it when it outlives the
// guard (a hang, reported as such rather than holding up the suite).
inline ProgramRun runProgram(const std::vector<std::string>& argv, const TempDir& dir,
                      std::chrono::seconds guard = std::chrono::seconds(20), const std::string& shellPrefix = {}) {
  static int serial = 0;
  const std::string out = dir.path("run" + std::to_string(++serial) + ".out");
  const std::string err = dir.path("run" + std::to_string(serial) + ".err");
  // A shell prefix (a ulimit, a trap) goes before exec; arguments are quoted.
  std::string command = shellPrefix + " exec";
  for (const auto& a : argv) {
    std::string quoted = "'";
    for (char c : a) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += " " + quoted + "'";
  }
  command += " >'" + out + "' 2>'" + err + "' </dev/null";
  const char* args[] = {"/bin/sh", "-c", command.c_str(), nullptr};
  ProgramRun run;
  const auto start = Clock::now();
  pid_t pid = -1;
  if (::posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char* const*>(args), environ) != 0) {
    throw std::runtime_error("cannot start /bin/sh");
  }
  int status = 0;
  for (;;) {
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid) break;
    if (Clock::now() - start > guard) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      run.hung = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  run.ms = msSince(start);
  if (!run.hung && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.out = readFile(out);
  run.err = readFile(err);
  return run;
}

inline ProgramRun zorbelctl(const std::vector<std::string>& args, const TempDir& dir, const std::string& shellPrefix = {}) {
  std::vector<std::string> argv{ZORBELCTL_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv, dir, std::chrono::seconds(20), shellPrefix);
}

inline std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

inline std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace zorbel::faults
