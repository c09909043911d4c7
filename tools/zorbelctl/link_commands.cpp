// write, read, upload and compare: the device link's transfers from the
// command line. The link's worker reports through callbacks; they queue what
// happened and this (main) thread prints the log lines, runs the decoder on a
// good read and decides the exit status. A command ends when --timeout
// seconds pass without progress (an ack or a page the transfer accepted),
// since a command line cannot wait forever, and on SIGINT, SIGTERM or SIGHUP,
// with the port closed cleanly either way.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "common/terminal_text.h"
#include "ctl.h"
#include "link/device_link.h"
#include "session_output.h"
#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/compare.h"
#include "settings/field_capacity.h"
#include "signal_catcher.h"
#include "trace_file.h"
#include "update/firmware.h"

namespace zorbel::ctl {

namespace {

using Clock = std::chrono::steady_clock;
using link::DeviceLink;
using link::ReadPurpose;
using link::TransferEnd;
using link::TransferKind;

struct Event {
  enum class Kind { Log, End, HandOver, Lost, Signal } kind = Kind::Log;
  std::string line{};
  TransferKind transfer{};
  TransferEnd end{};
  std::shared_ptr<link::ImageHandOver> hand{};
  int signal = 0;
};

// What the command does with a good read's image; returns the exit status.
using ImageHandler = std::function<int(const settings::Image& image)>;

// Why a backup read ended, as the link logged it.
std::string backupReadFailure(TransferEnd end) {
  switch (end) {
    case TransferEnd::PageChecksumError:
      return "Eeprom page data checksum error.";
    case TransferEnd::PageNumberError:
      return "Eeprom page number error.";
    case TransferEnd::Finished:
    case TransferEnd::ImageChecksumError:
    case TransferEnd::NoAnswer:
    case TransferEnd::Cancelled:
      break;
  }
  return "Eeprom read checksum error.";
}

class Session {
 public:
  explicit Session(const Options& options) : options_(options) {}

  // Where the link's log lines go (standard output unless told).
  void logTo(std::ostream& out) { logOut_ = &out; }

  // Reads the device's configuration before the transfer and hands it to
  // `keep`; the transfer starts only once it is kept (see backup_commands.cpp).
  void backUpFirst(BackupKeeper keep) { keep_ = std::move(keep); }

  // Runs `kind` on `port`, started by `start`; on its good end a write with
  // `verifyImage` reads back and compares, and a read hands its image to
  // `onImage`. Returns the exit status.
  int run(const std::string& port, TransferKind kind, const std::function<void(DeviceLink&)>& start,
          const ImageHandler& onImage, const settings::Image* verifyImage = nullptr) {
    verifyImage_ = verifyImage;
    onImage_ = onImage;
    TraceFile trace;
    link::LinkCallbacks callbacks;
    callbacks.log = [this](const std::string& line) {
      push({.kind = Event::Kind::Log, .line = line});
    };
    callbacks.transferEnded = [this](TransferKind k, TransferEnd e) {
      push({.kind = Event::Kind::End, .transfer = k, .end = e});
    };
    callbacks.imageReceived = [this](std::shared_ptr<link::ImageHandOver> hand) {
      push({.kind = Event::Kind::HandOver, .hand = std::move(hand)});
    };
    callbacks.status = [this](link::PortState state, const std::string&) {
      if (state == link::PortState::Lost) push({.kind = Event::Kind::Lost});
    };
    // Progress is what keeps a command alive: an accepted ack or page.
    callbacks.progress = [this](TransferKind, std::uint32_t, std::uint32_t) { madeProgress(); };
    if (!options_.traceFile.empty()) {
      callbacks.trace = [&trace](link::TraceDirection d, const std::uint8_t* bytes, std::size_t n) {
        trace.write(d, bytes, n);
      };
    }

    int status = runWith(port, kind, start, callbacks, trace);
    if (signal_.load() != 0) return status;
    if (outputError_ == EPIPE) {
      // Output whose reader went away ends the program as it would have, now
      // that the port is closed.
      std::signal(SIGPIPE, SIG_DFL);
      std::raise(SIGPIPE);
    }
    if (outputError_ != 0) {
      // A full disk or a failing device: the user never saw the outcome.
      std::cerr << "zorbelctl: cannot write to standard output: " << std::strerror(outputError_)
                << "\n";
      if (status == kExitOk) status = exitStatus(ErrorKind::WriteFailed);
    }
    return status;
  }

 private:
  int runWith(const std::string& port, TransferKind kind,
              const std::function<void(DeviceLink&)>& start, const link::LinkCallbacks& callbacks,
              TraceFile& trace) {
    // A trace that may not be written is refused before the port is touched.
    if (!options_.traceFile.empty()) {
      const std::string refused = TraceFile::refusal(options_.traceFile, options_.inputs);
      if (!refused.empty()) {
        std::cerr << "zorbelctl: cannot write " << options_.traceFile << ": " << refused << "\n";
        return exitStatus(ErrorKind::CannotWrite);
      }
    }
    SessionOutput output;
    SignalCatcher signals([this, &output](int sig) {
      signal_.store(sig);
      output.abandon();  // first: the main thread may be waiting to write
      push({.kind = Event::Kind::Signal, .signal = sig});
    });
    int status = runOn(port, kind, start, callbacks, trace);
    // The port is closed: a reader that holds the output back holds no port.
    output.drain();  // cut short only by a signal
    if (const int sig = signal_.load(); sig != 0) return 128 + sig;
    outputError_ = output.outputError();
    return status;
  }

  int runOn(const std::string& port, TransferKind kind,
            const std::function<void(DeviceLink&)>& start, const link::LinkCallbacks& callbacks,
            TraceFile& trace) {
    DeviceLink device(callbacks);  // stopped and joined before the trace file closes
    const auto opened = device.open(port);
    if (!opened.ok()) {
      std::cerr << opened.error().message << "\n" << opened.error().reason << "\n";
      if (!opened.error().hint.empty()) std::cerr << opened.error().hint << "\n";
      return exitStatus(opened.error());
    }
    if (!options_.traceFile.empty() && !trace.open(options_.traceFile, options_.inputs)) {
      std::cerr << "zorbelctl: cannot write " << options_.traceFile << ": " << trace.failure()
                << "\n";
      finish(device);
      return exitStatus(ErrorKind::CannotWrite);
    }
    madeProgress();
    start_ = &start;
    backingUp_ = static_cast<bool>(keep_);
    if (backingUp_) {
      device.readConfiguration(ReadPurpose::Comparison);
    } else {
      start(device);
    }
    int status = pump(device, kind);
    finish(device);
    const std::string failure = trace.failure();
    if (!options_.traceFile.empty() && !failure.empty()) {
      std::cerr << "zorbelctl: cannot write " << trace.path() << ": " << failure << "\n";
      if (status == kExitOk) status = exitStatus(ErrorKind::WriteFailed);
    }
    return status;
  }

  // The worker waits while the queue is full, so that output that cannot go
  // out (a blocked pipe) holds the transfer back instead of filling memory.
  static constexpr std::size_t kQueueLimit = 256;

  void push(Event event) {
    std::unique_lock lock(mutex_);
    if (event.kind == Event::Kind::Signal) {
      events_.push_front(std::move(event));  // never queued behind log lines
    } else {
      if (events_.size() >= kQueueLimit && !closing_) {
        heldSince_ = Clock::now();
        space_.wait(lock, [this] { return events_.size() < kQueueLimit || closing_; });
      }
      if (closing_) return;
      events_.push_back(std::move(event));
    }
    lock.unlock();
    cv_.notify_one();
  }

  void madeProgress() { lastProgress_.store(Clock::now().time_since_epoch().count()); }

  // The worker is let go of whatever it waits for, then stopped.
  void finish(DeviceLink& device) {
    {
      std::lock_guard lock(mutex_);
      closing_ = true;
      events_.clear();
    }
    space_.notify_all();
    device.stopAndJoin();
  }

  int pump(DeviceLink& device, TransferKind kind) {
    const auto limit = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(options_.timeoutSeconds));
    auto deadline = [&] {
      return Clock::time_point(Clock::duration(lastProgress_.load())) + limit;
    };
    std::unique_lock lock(mutex_);
    for (;;) {
      if (!cv_.wait_until(lock, deadline(), [this] { return !events_.empty(); })) {
        if (Clock::now() < deadline()) continue;
        std::cout.flush();
        if (backingUp_) return notBackedUp("No answer from the device.", ErrorKind::NoAnswer);
        std::cerr << "No answer from the device.\n";
        return exitStatus(ErrorKind::NoAnswer);
      }
      Event event = std::move(events_.front());
      events_.pop_front();
      if (heldSince_) {
        // The worker could not read the port while it waited for our output:
        // that time is no silence of the device, so the time-out's clock
        // stops meanwhile (here, before the worker runs again). It is no
        // progress either: a device that fills the queue with lines about
        // frames never accepted still times out.
        lastProgress_.fetch_add((Clock::now() - *heldSince_).count());
        heldSince_.reset();
      }
      lock.unlock();
      space_.notify_one();
      const int status = handle(device, kind, event);
      lock.lock();
      // A signal that came while the event was handled ends the command, even
      // when its output was dropped on the way to a success.
      if (const int sig = signal_.load(); sig != 0) return 128 + sig;
      if (status >= 0) return status;
    }
  }

  // The exit status once the command is over, else -1.
  int handle(DeviceLink& device, TransferKind kind, Event& event) {
    switch (event.kind) {
      case Event::Kind::Log:
        // Lines may quote the device; it never writes to the terminal itself.
        *logOut_ << escapedForTerminal(event.line) << std::endl;
        return -1;
      case Event::Kind::Lost:
        if (backingUp_) return notBackedUp("Serial port lost.", ErrorKind::CannotRead);
        return exitStatus(ErrorKind::CannotRead);  // the link has logged why
      case Event::Kind::Signal:
        return 128 + event.signal;
      case Event::Kind::HandOver: {
        if (backingUp_) return backedUp(device, *event.hand);
        const int status = onImage_(event.hand->image());
        std::cout.flush();
        event.hand->done();
        return status;
      }
      case Event::Kind::End:
        switch (event.end) {
          case TransferEnd::Finished:
            // A read ends with its hand-over.
            if (event.transfer == TransferKind::ConfigurationRead) return -1;
            if (event.transfer != kind) return -1;
            if (kind == TransferKind::ConfigurationWrite && verifyImage_) {
              // Read back what was written; the read's image decides.
              device.readConfiguration(ReadPurpose::Comparison);
              return -1;
            }
            return kExitOk;
          case TransferEnd::PageChecksumError:
          case TransferEnd::ImageChecksumError:
          case TransferEnd::PageNumberError:
            if (backingUp_) return notBackedUp(backupReadFailure(event.end), ErrorKind::Checksum);
            return exitStatus(ErrorKind::Checksum);
          case TransferEnd::NoAnswer:   // our own time-out ends the command first
          case TransferEnd::Cancelled:  // zorbelctl never cancels; a signal ends it
            return exitStatus(ErrorKind::NoAnswer);
        }
    }
    return -1;
  }

  // The backup read's image is kept, then the transfer starts.
  int backedUp(DeviceLink& device, link::ImageHandOver& hand) {
    const std::string failure = keep_(hand.image());
    hand.done();
    if (!failure.empty()) return notBackedUp(failure, ErrorKind::CannotWrite);
    backingUp_ = false;
    madeProgress();  // the time the backup took was no silence of the device
    (*start_)(device);
    return -1;
  }

  // The transfer was never started: the backup read ended with `why`.
  int notBackedUp(const std::string& reason, ErrorKind why) {
    std::cout.flush();
    std::cerr << backupFailureMessage(reason) << "\n";
    return exitStatus(why);
  }

  const Options& options_;
  BackupKeeper keep_;
  bool backingUp_ = false;  // the backup read runs; nothing has been sent yet
  const std::function<void(DeviceLink&)>* start_ = nullptr;
  const settings::Image* verifyImage_ = nullptr;
  ImageHandler onImage_;
  std::ostream* logOut_ = &std::cout;
  std::mutex mutex_;
  std::condition_variable cv_;     // an event is queued
  std::condition_variable space_;  // the queue has room
  std::deque<Event> events_;
  bool closing_ = false;
  std::optional<Clock::time_point> heldSince_;  // the worker waits for room in the queue
  std::atomic<Clock::rep> lastProgress_{0};
  std::atomic<int> signal_{0};  // the signal that ends the command; 0 while none came
  int outputError_ = 0;         // standard output's first failure; owner thread only
};

// A read's image decoded over `model`: kExitOk, or (the message printed) the
// exit status of another version.
int decodeInto(const settings::Image& image, settings::SettingsModel& model) {
  const Result<void> result = settings::decodeSettings(image, model);
  if (result) return kExitOk;
  std::cerr << decodeFailureText(result.error()) << "\n";
  return exitStatus(result.error());
}

}  // namespace

int cmdWrite(Context& ctx, const Args& args) {
  settings::Image image{};
  if (int status = encodeAndReport(ctx, image); status != kExitOk) return status;
  printWarnings(ctx.model, std::cerr);
  const auto verified = [&](const settings::Image& back) {
    settings::SettingsModel scratch = ctx.model;
    if (const int status = decodeInto(back, scratch); status != kExitOk) return status;
    const auto difference = link::compareImages(image, back);
    if (difference.count == 0) {
      std::cout << "Verify OK." << std::endl;
      return static_cast<int>(kExitOk);
    }
    std::cout << "Verify failed: " << difference.count << " bytes differ, the first at offset "
              << difference.firstOffset << "." << std::endl;
    return exitStatus(ErrorKind::Mismatch);
  };
  Session session(ctx.options);
  if (ctx.options.backup) session.backUpFirst(backupKeeper(ctx.options, std::cout));
  return session.run(
      args[0], TransferKind::ConfigurationWrite,
      [&](DeviceLink& device) { device.writeConfiguration(image); }, verified,
      ctx.options.verify ? &image : nullptr);
}

int cmdRead(Context& ctx, const Args& args) {
  Session session(ctx.options);
  return session.run(
      args[0], TransferKind::ConfigurationRead,
      [](DeviceLink& device) { device.readConfiguration(); },
      [&](const settings::Image& image) {
        const bool kept = keepRead(ctx.options, image, std::cout);
        if (const int status = decodeInto(image, ctx.model); status != kExitOk) return status;
        printSettings(ctx.model, std::cout);
        return kept ? static_cast<int>(kExitOk) : exitStatus(ErrorKind::CannotWrite);
      });
}

int cmdCompare(Context& ctx, const Args& args) {
  // A text its field would cut compares equal to the cut text the device
  // holds: refused, as a write refuses it.
  if (const Result<void> fits = settings::checkAllFit(ctx.model); !fits)
    return reportSettingError(fits.error());
  Session session(ctx.options);
  // Standard output carries the differences alone.
  session.logTo(std::cerr);
  return session.run(
      args[0], TransferKind::ConfigurationRead,
      [](DeviceLink& device) { device.readConfiguration(ReadPurpose::Comparison); },
      [&](const settings::Image& image) {
        const bool kept = keepRead(ctx.options, image, std::cerr);
        settings::SettingsModel device = ctx.model;
        if (const int status = decodeInto(image, device); status != kExitOk) return status;
        const auto differences = settings::compareSettings(ctx.model, device);
        for (const auto& d : differences)
          // Escaped, a value holds no TAB or line end: no row can be forged.
          std::cout << d.name << '\t' << escapedForTerminal(d.ours) << '\t'
                    << escapedForTerminal(d.device) << '\n';
        std::cout.flush();
        if (!differences.empty()) return exitStatus(ErrorKind::Mismatch);
        return kept ? static_cast<int>(kExitOk) : exitStatus(ErrorKind::CannotWrite);
      });
}

int cmdUpload(Context& ctx, const Args& args) {
  auto firmware = std::make_unique<update::FirmwarePages>();
  const auto loaded = firmware->load(args[1]);
  if (!loaded) {
    std::cerr << loaded.error().message;
    if (!loaded.error().reason.empty())
      std::cerr << " (" << args[1] << ": " << loaded.error().reason << ")";
    std::cerr << "\n";
    return exitStatus(loaded.error());
  }
  ctx.options.inputs.push_back(args[1]);
  Session session(ctx.options);
  return session.run(
      args[0], TransferKind::Firmware,
      // The firmware's load refused a file longer than the link takes.
      [&](DeviceLink& device) { (void)device.uploadFirmware(firmware->pages()); },
      [](const settings::Image&) { return -1; });
}

}  // namespace zorbel::ctl
