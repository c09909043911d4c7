// Transfer benchmark: a full-size firmware upload, a configuration write and a
// configuration read against zorbel-sim, unpaced and paced at 115200 baud.
// Prints the elapsed time, the wire-time bound (bytes on the line both ways,
// 10 bits each, at 115200 baud) and their ratio. It asserts nothing.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "settings/codec.h"
#include "settings/model.h"
#include "simulator.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace zorbel;

constexpr double kLineBaud = 115200.0;

struct Bench {
  std::mutex mutex;
  std::condition_variable cv;
  int ends = 0;
  bool failed = false;
  std::atomic<std::uint64_t> bytes{0};

  link::LinkCallbacks callbacks() {
    link::LinkCallbacks cb;
    cb.transferEnded = [this](link::TransferKind, link::TransferEnd end) {
      {
        std::lock_guard lock(mutex);
        ++ends;
        failed = failed || end != link::TransferEnd::Finished;
      }
      cv.notify_all();
    };
    cb.imageReceived = [](std::shared_ptr<link::ImageHandOver> hand) { hand->done(); };
    cb.trace = [this](link::TraceDirection, const std::uint8_t*, std::size_t n) { bytes += n; };
    return cb;
  }

  // Runs one transfer `repeats` times and prints the median run; false when one did not finish.
  bool run(const char* name, std::uint32_t pages, int repeats, const std::function<void()>& start) {
    std::vector<double> times;
    std::uint64_t lineBytes = 0;
    for (int i = 0; i < repeats; ++i) {
      std::unique_lock lock(mutex);
      const int before = ends;
      lock.unlock();
      bytes = 0;
      const auto t0 = Clock::now();
      start();
      lock.lock();
      if (!cv.wait_for(lock, std::chrono::minutes(2), [&] { return ends > before; }) || failed) {
        std::printf("  %-20s did not finish\n", name);
        return false;
      }
      times.push_back(std::chrono::duration<double>(Clock::now() - t0).count());
      lineBytes = bytes.load();
    }
    std::sort(times.begin(), times.end());
    const double elapsed = times[times.size() / 2];
    const double wire = static_cast<double>(lineBytes) * 10.0 / kLineBaud;
    std::printf("  %-20s %4u pages %6llu bytes  %8.4f s  wire %8.4f s  ratio %6.3f  %7.4f ms/page",
                name, pages, static_cast<unsigned long long>(lineBytes), elapsed, wire,
                elapsed / wire, elapsed * 1000.0 / pages);
    if (repeats > 1) std::printf("  (median of %d, best %.4f s)", repeats, times.front());
    std::printf("\n");
    return true;
  }
};

bool runAll(unsigned baud) {
  sim::SimOptions options;
  options.baud = baud;
  sim::Simulator device(options);
  if (const Result<void> started = device.start(); !started) {
    std::fprintf(stderr, "transfer: %s\n", started.error().message.c_str());
    return false;
  }
  settings::SettingsModel model(1700000000);
  settings::Image image{};
  if (!settings::encodeSettings(model, image, 1700000000)) return false;

  Bench bench;
  link::DeviceLink device_link(bench.callbacks());
  const auto opened = device_link.open(device.slavePath());
  if (!opened.ok()) {
    std::fprintf(stderr, "transfer: %s\n", opened.error().reason.c_str());
    return false;
  }
  std::printf("%s:\n", baud ? ("paced at " + std::to_string(baud) + " baud").c_str() : "unpaced");
  std::vector<std::uint8_t> firmware(237568);
  for (std::size_t i = 0; i < firmware.size(); ++i)
    firmware[i] = static_cast<std::uint8_t>(i * 31 + i / 977);
  // Short transfers are repeated: one scheduling hiccup would otherwise be the figure.
  const int repeats = baud ? 5 : 51;
  bool ok = bench.run("firmware upload", 1857, baud ? 1 : 5,
                      [&] { (void)device_link.uploadFirmware(firmware); });  // 1856 pages fit
  ok = bench.run("configuration write", 16, repeats, [&] {
    device_link.writeConfiguration(image);
  }) && ok;
  ok = bench.run("configuration read", 16, repeats, [&] { device_link.readConfiguration(); }) && ok;
  if (baud) {
    // The simulator's own lateness is part of each elapsed time: it tells how honest the pacing
    // was.
    const auto stats = device.pacingStats();
    std::printf(
        "  simulator behind the line: answer bytes %.1f us mean (%.0f max), frames %.1f us mean "
        "(%.0f max)\n",
        stats.meanWriteLateUs, stats.maxWriteLateUs, stats.meanFrameLateUs, stats.maxFrameLateUs);
  }
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  bool paced = true;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--unpaced-only") == 0) {
      paced = false;
    } else {
      std::fprintf(stderr, "Usage: transfer [--unpaced-only]\n");
      return 64;
    }
  }
  bool ok = runAll(0);
  if (paced) ok = runAll(115200) && ok;
  return ok ? 0 : 1;
}
