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
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
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
#include "support/link_recorder.h"
#include "support/program_run.h"
#include "support/simulator_fixture.h"
#include "support/temp_dir.h"

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

using zorbel::test::readFile;
using zorbel::test::TempDir;

inline Bytes pattern(std::size_t size, std::uint8_t seed) {
  Bytes bytes(size);
  for (std::size_t i = 0; i < size; ++i)
    bytes[i] = static_cast<std::uint8_t>(seed + i * 29 + i / 253);
  return bytes;
}

// --- settings

inline constexpr std::time_t kNow = 1700000000;

// The start-up settings with another callsign, the clock left as set.
inline settings::SettingsModel modelWith(const std::string& callsign) {
  settings::SettingsModel model(kNow);
  EXPECT_TRUE(model.click("Uploadpctime", false));
  EXPECT_TRUE(model.setText("Callsign", callsign));
  return model;
}

inline settings::Image encoded(const std::string& callsign) {
  settings::Image image{};
  const auto result = settings::encodeSettings(modelWith(callsign), image, kNow);
  if (!result.ok()) throw std::runtime_error(result.error().message);
  return image;
}

// The same settings: equal from the version field on, each with a good image
// sum. The write stamp (and with it the sum) differs between encodes.
inline bool sameSettings(const settings::Image& a, const settings::Image& b) {
  return link::checkReceivedImage(a) && link::checkReceivedImage(b) &&
         std::equal(a.begin() + settings::kVersionOffset, a.end(),
                    b.begin() + settings::kVersionOffset);
}

// Polls a condition the recorder is not told about (the simulator's state, a
// file); false when it did not come true within the guard time.
inline bool eventually(const std::function<bool()>& ready,
                       std::chrono::seconds guard = std::chrono::seconds(20)) {
  const auto start = Clock::now();
  while (!ready()) {
    if (Clock::now() - start > guard) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

// --- the device link's callbacks

// The decoder's side of a good read takes the image, then lets the worker go on.
class Recorder : public test::LinkRecorder {
 public:
  Recorder() : LinkRecorder(std::chrono::seconds(20)) {}
  link::LinkCallbacks callbacks() {
    link::LinkCallbacks cb = LinkRecorder::callbacks(HandOverMode::RecordThenDone);
    cb.progress = nullptr;  // the fault cases look at lines and ends only
    return cb;
  }
};

using test::bracket;
using test::firmwareSequence;
using test::readSequence;
using test::writeSequence;

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
    return ::testing::AssertionFailure()
           << "firmware differs at byte " << (mismatch.first - expected.begin());
  return ::testing::AssertionSuccess();
}

// --- programs

using test::ProgramRun;

// Runs a program, killing it when it outlives the guard (a hang, reported as
// such rather than holding up the suite).
inline ProgramRun runProgram(const std::vector<std::string>& argv, const TempDir&,
                             std::chrono::seconds guard = std::chrono::seconds(20),
                             const std::string& shellPrefix = {}) {
  test::RunOptions options;
  options.guard = guard;
  options.shellPrefix = shellPrefix;
  return test::runProgram(argv, options);
}

#ifdef ZORBELCTL_PATH
// The link's faults are shown on the transfers alone: no backup read goes
// before a write (the simulator starts blank, which a backup read refuses), and
// zorbelctl_backup_test.cpp shows the backups.
inline ProgramRun zorbelctl(const std::vector<std::string>& args, const TempDir& dir,
                            const std::string& shellPrefix = {}) {
  std::vector<std::string> argv{ZORBELCTL_PATH, "--no-backup"};
  argv.insert(argv.end(), args.begin(), args.end());
  return runProgram(argv, dir, std::chrono::seconds(20), shellPrefix);
}
#endif

inline std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

inline std::string firstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

using test::SimulatorTest;

}  // namespace zorbel::faults
