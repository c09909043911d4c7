// write, read and upload: the device link's transfers from the command line.
// The link's worker reports through callbacks; they queue what happened and
// this (main) thread prints the log lines, runs the decoder on a good read and
// decides the exit status. Silence from the device for --timeout seconds ends
// a command, since a command line cannot wait forever.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>

#include "ctl.h"
#include "link/device_link.h"
#include "settings/codec.h"
#include "update/firmware.h"

namespace zorbel::ctl {

namespace {

using Clock = std::chrono::steady_clock;
using link::DeviceLink;
using link::TransferEnd;
using link::TransferKind;

// Every byte on the line, time-stamped, for bug reports. Written by the worker only.
class TraceFile {
 public:
  bool open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "w");
    return file_ != nullptr;
  }
  ~TraceFile() {
    if (file_) std::fclose(file_);
  }
  void write(link::TraceDirection direction, const std::uint8_t* bytes, std::size_t count) {
    if (!file_) return;
    const double t = std::chrono::duration<double>(Clock::now() - start_).count();
    for (std::size_t at = 0; at < count; at += 32) {
      std::fprintf(file_, "%11.6f %s", t, direction == link::TraceDirection::Sent ? ">" : "<");
      for (std::size_t i = at; i < count && i < at + 32; ++i) std::fprintf(file_, " %02X", bytes[i]);
      std::fputc('\n', file_);
    }
    std::fflush(file_);
  }

 private:
  std::FILE* file_ = nullptr;
  Clock::time_point start_ = Clock::now();
};

struct Event {
  enum Kind { Log, End, HandOver, Lost } kind;
  std::string line;
  TransferKind transfer{};
  TransferEnd end{};
  std::shared_ptr<link::ImageHandOver> hand;
};

class Session {
 public:
  explicit Session(const Options& options) : options_(options) {}

  // Runs one transfer on `port`; returns the exit status.
  int run(Context& ctx, const std::string& port, TransferKind kind, const std::function<void(DeviceLink&)>& start) {
    TraceFile trace;
    if (!options_.traceFile.empty() && !trace.open(options_.traceFile)) {
      std::cerr << "zorbelctl: cannot write " << options_.traceFile << "\n";
      return kExitFile;
    }
    link::LinkCallbacks callbacks;
    callbacks.log = [this](const std::string& line) { push({Event::Log, line, {}, {}, nullptr}); };
    callbacks.transferEnded = [this](TransferKind k, TransferEnd e) { push({Event::End, {}, k, e, nullptr}); };
    callbacks.imageReceived = [this](std::shared_ptr<link::ImageHandOver> hand) {
      push({Event::HandOver, {}, {}, {}, std::move(hand)});
    };
    callbacks.status = [this](link::PortState state, const std::string&) {
      if (state == link::PortState::Lost) push({Event::Lost, {}, {}, {}, nullptr});
    };
    callbacks.trace = [this, &trace](link::TraceDirection d, const std::uint8_t* bytes, std::size_t n) {
      if (d == link::TraceDirection::Received) lastHeard_.store(Clock::now().time_since_epoch().count());
      trace.write(d, bytes, n);
    };

    DeviceLink device(callbacks);  // stopped and joined before the trace file closes
    const auto opened = device.open(port);
    if (!opened.ok) {
      std::cerr << opened.message << "\n" << opened.reason << "\n";
      if (!opened.hint.empty()) std::cerr << opened.hint << "\n";
      return kExitFile;
    }
    lastHeard_.store(Clock::now().time_since_epoch().count());
    start(device);
    return pump(ctx, kind);
  }

 private:
  void push(Event event) {
    {
      std::lock_guard lock(mutex_);
      events_.push_back(std::move(event));
    }
    cv_.notify_one();
  }

  int pump(Context& ctx, TransferKind kind) {
    const auto silence = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options_.timeoutSeconds));
    std::unique_lock lock(mutex_);
    for (;;) {
      const auto deadline = Clock::time_point(Clock::duration(lastHeard_.load())) + silence;
      if (!cv_.wait_until(lock, deadline, [this] { return !events_.empty(); })) {
        if (Clock::now() < Clock::time_point(Clock::duration(lastHeard_.load())) + silence) continue;
        std::cout.flush();
        std::cerr << "No answer from the device.\n";
        return kExitNoAnswer;
      }
      Event event = std::move(events_.front());
      events_.pop_front();
      lock.unlock();
      const int status = handle(ctx, kind, event);
      lock.lock();
      if (status >= 0) return status;
    }
  }

  // The exit status once the command is over, else -1.
  int handle(Context& ctx, TransferKind kind, Event& event) {
    switch (event.kind) {
      case Event::Log:
        std::cout << event.line << std::endl;
        return -1;
      case Event::Lost:
        return kExitFile;  // the link has logged why
      case Event::HandOver: {
        const auto result = settings::decodeSettings(event.hand->image(), ctx.model);
        event.hand->done();
        if (!result.ok) {
          std::cerr << result.message << "\n";
          return kExitVersion;
        }
        printSettings(ctx.model, std::cout);
        return kExitOk;
      }
      case Event::End:
        if (event.transfer != kind) return -1;
        switch (event.end) {
          case TransferEnd::Finished:
            return kind == TransferKind::ConfigurationRead ? -1 : kExitOk;  // a read ends with its hand-over
          case TransferEnd::PageChecksumError:
          case TransferEnd::ImageChecksumError:
          case TransferEnd::PageNumberError:
            return kExitChecksum;
        }
    }
    return -1;
  }

  const Options& options_;
  std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<Event> events_;
  std::atomic<Clock::rep> lastHeard_{0};  // when the device last sent a byte
};

}  // namespace

int cmdWrite(Context& ctx, const Args& args) {
  settings::Image image{};
  if (int status = encodeForWrite(ctx, image); status != kExitOk) return status;
  Session session(ctx.options);
  return session.run(ctx, args[0], TransferKind::ConfigurationWrite,
                     [&](DeviceLink& device) { device.writeConfiguration(image); });
}

int cmdRead(Context& ctx, const Args& args) {
  Session session(ctx.options);
  return session.run(ctx, args[0], TransferKind::ConfigurationRead,
                     [](DeviceLink& device) { device.readConfiguration(); });
}

int cmdUpload(Context& ctx, const Args& args) {
  auto firmware = std::make_unique<update::FirmwarePages>();
  const auto loaded = firmware->load(args[1]);
  if (!loaded) {
    std::cerr << loaded.error().message;
    if (!loaded.error().reason.empty()) std::cerr << " (" << args[1] << ": " << loaded.error().reason << ")";
    std::cerr << "\n";
    return kExitFile;
  }
  Session session(ctx.options);
  return session.run(ctx, args[0], TransferKind::Firmware,
                     [&](DeviceLink& device) { device.uploadFirmware(*firmware); });
}

}  // namespace zorbel::ctl
