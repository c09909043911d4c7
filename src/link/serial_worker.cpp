// The serial worker: reads the port into the receive ring, parses it, and
// moves each transfer on by the device's answers.
#include "serial_worker.h"

#include <optional>

#include "rejected_frames.h"

namespace zorbel::link {

namespace {

class SerialWorker final : public FrameEvents {
 public:
  SerialWorker(DeviceLink::State& s, SerialPort port) : s_(s), port_(std::move(port)) {}

  // The thread body: read and parse, start what was asked for, until stopped.
  void run() {
    status(PortState::Open, port_.path() + " open");
    while (!lost_) {
      takeCancel();
      readPort();
      if (lost_) break;
      logIfSome(rejected_.summaryDue(Clock::now()));
      startRequested();
      endCancelledUnanswered();
      endUnanswered();
      s_.passes.fetch_add(1);
      if (s_.stop.load()) break;
    }
    logIfSome(rejected_.summary());
    const std::string device = port_.path();
    port_.close();
    s_.running.store(false);
    if (lost_) {
      log("Serial port lost: " + lostReason_ + ". Reconnect the device and open the port again.");
      status(PortState::Lost, lostReason_);
    } else {
      status(PortState::Closed, device + " closed");
    }
  }

 private:
  // Read what the port has into the ring, then parse.
  void readPort() {
    std::array<std::uint8_t, SerialPort::kReadSize> buffer;
    // A request posted meanwhile has woken us or will: don't sit out an idle
    // read, unless all that is pending is a restart held for its answer.
    int timeout = s_.requestPending.load() ? 0 : SerialPort::kIdleReadMs;
    if (timeout == 0 && heldUntil_) {
      const auto left =
          std::chrono::ceil<std::chrono::milliseconds>(*heldUntil_ - Clock::now()).count();
      timeout = static_cast<int>(std::clamp<long long>(left, 0, SerialPort::kIdleReadMs));
    }
    const Result<std::size_t> read = port_.read(buffer.data(), buffer.size(), s_.wakeFd, timeout);
    if (!read) {
      portLost(read.error().reason);
      return;
    }
    if (read.value() > 0) {
      trace(TraceDirection::Received, buffer.data(), read.value());
      s_.ring.store(buffer.data(), read.value());
    }
    s_.parser.parse(s_.ring, *this);
  }

  // Takes up the requests posted, in the order posted. A restart of a
  // transfer that awaits its answer stays posted until that answer is in.
  void startRequested() {
    heldUntil_.reset();
    if (!s_.requestPending.load()) return;
    std::array<Request, kKinds> taken;
    {
      std::lock_guard lock(s_.requestMutex);
      const auto now = Clock::now();
      bool stillPending = false;
      for (TransferKind kind : kAllKinds) {
        Request& request = s_.requests[slot(kind)];
        if (!request.posted) continue;
        if (transfer(kind).awaiting && now - request.postedAt < kRestartHold) {
          heldUntil_ = std::min(heldUntil_.value_or(Clock::time_point::max()),
                                request.postedAt + kRestartHold);
          stillPending = true;
          continue;
        }
        taken[slot(kind)] = std::exchange(request, Request{});
      }
      s_.requestPending.store(stillPending);
    }
    std::array<TransferKind, kKinds> kinds = kAllKinds;
    std::sort(kinds.begin(), kinds.end(), [&](TransferKind a, TransferKind b) {
      return taken[slot(a)].order < taken[slot(b)].order;
    });
    for (TransferKind kind : kinds) {
      if (lost_) return;
      if (taken[slot(kind)].posted) start(kind, taken[slot(kind)]);
    }
  }

  void start(TransferKind kind, const Request& request) {
    Transfer& t = transfer(kind);
    t.pages = request.pages;
    t.lastPage = request.lastPage;
    t.purpose = request.purpose;
    t.order = request.order;
    t.cancelled = false;
    t.current = 0;
    // Each read starts from a blank image, so a page the device never sent in
    // this read can't pass an earlier read's bytes off as the device's.
    if (kind == TransferKind::ConfigurationRead) s_.received.fill(0);
    discardStaleInput(kind);
    logIfSome(rejected_.summary());
    rejected_.restart();
    progress(kind, 0, t.total());
    sendAndLog(kind);
  }

  // A transfer starts on an empty line, so that nothing left from before
  // moves it on; but not while another transfer awaits its answer, whose
  // bytes may be among those not yet parsed.
  void discardStaleInput(TransferKind kind) {
    for (TransferKind other : kAllKinds)
      if (other != kind && transfer(other).awaiting) return;
    port_.discardInput();
    s_.ring.clear();
    // A page cut short by the emptying must not swallow the new transfer's answers.
    s_.parser.reset();
  }

  // Sends the current page (or read request) and awaits its answer.
  void sendAndLog(TransferKind kind) {
    Transfer& t = transfer(kind);
    t.awaiting = true;
    t.sentAt = Clock::now();
    const bool read = kind == TransferKind::ConfigurationRead;
    const Frame header =
        makeFrame(kTraits[slot(kind)].frameType, t.current, read ? 0 : pageSum(t.page(t.current)));
    if (read) {
      send(header.data(), header.size());
    } else {
      // The header frame and the page's 128 bytes, in one write.
      std::array<std::uint8_t, kFrameSize + kPageSize> out;
      const Page page = t.page(t.current);
      std::copy(header.begin(), header.end(), out.begin());
      std::copy(page.begin(), page.end(), out.begin() + kFrameSize);
      send(out.data(), out.size());
    }
    log(numbered(kTraits[slot(kind)].sentLine, t.current));
  }

  void send(const std::uint8_t* bytes, std::size_t count) {
    if (lost_) return;
    trace(TraceDirection::Sent, bytes, count);
    if (const Result<void> written = port_.write(bytes, count); !written)
      portLost(written.error().reason);
  }

  // --- what the parser found: one handler for every answer

  void onFirmwarePageAck() override { onAnswer(TransferKind::Firmware); }
  void onConfigurationPageAck() override { onAnswer(TransferKind::ConfigurationWrite); }
  void onPageReceived(std::uint16_t) override { onAnswer(TransferKind::ConfigurationRead); }

  void onAnswer(TransferKind kind) {
    takeCancel();  // a cancel that came meanwhile stops the transfer at this answer
    Transfer& t = transfer(kind);
    if (!t.awaiting) return;  // nobody awaits it: dropped without a line
    t.awaiting = false;
    log(kTraits[slot(kind)].answerLine);
    if (restartPosted(kind)) return;  // this pass's startRequested() starts it over
    progress(kind, t.current + 1, t.total());
    if (t.current < t.lastPage && t.cancelled) {
      cutShort(kind, t.current + 1, t.total());
    } else if (t.current < t.lastPage) {
      ++t.current;
      sendAndLog(kind);
    } else if (kind == TransferKind::ConfigurationRead) {
      finishRead(t);
    } else {
      log("Send finished.");
      ended(kind, TransferEnd::Finished);
    }
  }

  void finishRead(const Transfer& t) {
    log("Eeprom read finished.");
    if (!checkReceivedImage(s_.received)) {
      log("Eeprom read checksum error. Please upload new eeprom data to device.");
      ended(TransferKind::ConfigurationRead, TransferEnd::ImageChecksumError);
      return;
    }
    if (handOver(t.purpose)) ended(TransferKind::ConfigurationRead, TransferEnd::Finished);
  }

  void onPageRefused(bool badSum) override {
    Transfer& t = transfer(TransferKind::ConfigurationRead);
    if (!t.awaiting) return;
    t.awaiting = false;
    ended(TransferKind::ConfigurationRead,
          badSum ? TransferEnd::PageChecksumError : TransferEnd::PageNumberError);
  }

  // The owner's cancel(): requests posted before it are dropped, and the
  // transfers started from them end at their next answer.
  void takeCancel() {
    if (!s_.cancelPending.exchange(false)) return;
    std::array<Request, kKinds> dropped;
    std::uint64_t upTo = 0;
    {
      std::lock_guard lock(s_.requestMutex);
      upTo = s_.cancelledUpTo;
      bool stillPending = false;
      for (TransferKind kind : kAllKinds) {
        Request& request = s_.requests[slot(kind)];
        if (request.posted && request.order <= upTo)
          dropped[slot(kind)] = std::exchange(request, Request{});
        stillPending = stillPending || request.posted;
      }
      s_.requestPending.store(stillPending);
    }
    const auto now = Clock::now();
    for (TransferKind kind : kAllKinds) {
      Transfer& t = transfer(kind);
      if (t.awaiting && t.order <= upTo) {
        t.cancelled = true;
        t.cancelledAt = now;
      } else if (dropped[slot(kind)].posted) {
        cutShort(kind, 0, dropped[slot(kind)].lastPage + 1);  // never started
      }
    }
  }

  // A cancelled transfer whose page in flight gets no answer ends without it.
  void endCancelledUnanswered() {
    const auto now = Clock::now();
    for (TransferKind kind : kAllKinds) {
      Transfer& t = transfer(kind);
      if (!t.awaiting || !t.cancelled || now - t.cancelledAt < kCancelHold) continue;
      t.awaiting = false;
      cutShort(kind, t.current, t.total());
    }
  }

  void cutShort(TransferKind kind, std::uint32_t done, std::uint32_t total) {
    log(cutShortLine(kind, done, total));
    ended(kind, TransferEnd::Cancelled);
  }

  // A transfer that has waited out the answer time-out ends.
  void endUnanswered() {
    const std::chrono::milliseconds limit(s_.answerTimeoutMs.load());
    if (limit.count() <= 0) return;
    const auto now = Clock::now();
    for (TransferKind kind : kAllKinds) {
      Transfer& t = transfer(kind);
      if (!t.awaiting || now - t.sentAt < limit) continue;
      t.awaiting = false;
      log("No answer from the device.");
      ended(kind, TransferEnd::NoAnswer);
    }
  }

  // Lines about rejected frames: the first ones in full, then counted. The
  // line that ends the read awaiting the page is always logged.
  void logRejectedFrame(const std::string& line) override {
    if (rejected_.admit(Clock::now())) log(line);
  }
  void logRefusedPage(const std::string& line) override {
    if (transfer(TransferKind::ConfigurationRead).awaiting || rejected_.admit(Clock::now()))
      log(line);
  }
  void logIfSome(const std::string& line) {
    if (!line.empty()) log(line);
  }

  // A restart of `kind` was held for the answer that just came.
  bool restartPosted(TransferKind kind) {
    if (!s_.requestPending.load()) return false;
    std::lock_guard lock(s_.requestMutex);
    return s_.requests[slot(kind)].posted;
  }

  void log(const std::string& line) override {
    if (s_.callbacks.log) s_.callbacks.log(line);
  }

  // The owner runs the decoder (or its comparison) on its own thread; wait
  // until it has, or until the link is stopped. False when abandoned.
  bool handOver(ReadPurpose purpose) {
    if (!s_.callbacks.imageReceived) return true;
    auto waiter = std::make_shared<ImageHandOver::Waiter>();
    {
      std::lock_guard lock(s_.handOverMutex);
      s_.handOverWaiter = waiter;
    }
    s_.callbacks.imageReceived(std::make_shared<ImageHandOver>(s_.received, waiter, purpose));
    bool released;
    {
      std::unique_lock lock(waiter->mutex);
      waiter->cv.wait(lock,
                      [&] { return waiter->released || waiter->abandoned || s_.stop.load(); });
      released = waiter->released;
    }
    std::lock_guard lock(s_.handOverMutex);
    s_.handOverWaiter.reset();
    return released;
  }

  void portLost(const std::string& reason) {
    if (lost_) return;
    lost_ = true;
    lostReason_ = reason;
  }

  Transfer& transfer(TransferKind kind) { return s_.transfers[slot(kind)]; }

  void progress(TransferKind kind, std::uint32_t done, std::uint32_t total) const {
    if (s_.callbacks.progress) s_.callbacks.progress(kind, done, total);
  }
  void ended(TransferKind kind, TransferEnd end) const {
    if (s_.callbacks.transferEnded) s_.callbacks.transferEnded(kind, end);
  }
  void status(PortState state, const std::string& text) const {
    if (s_.callbacks.status) s_.callbacks.status(state, text);
  }
  void trace(TraceDirection direction, const std::uint8_t* bytes, std::size_t count) const {
    if (s_.callbacks.trace) s_.callbacks.trace(direction, bytes, count);
  }

  DeviceLink::State& s_;
  SerialPort port_;
  std::optional<Clock::time_point> heldUntil_;  // the earliest a held restart goes out
  RejectedFrameLimit rejected_;
  bool lost_ = false;
  std::string lostReason_;
};

}  // namespace

void runSerialWorker(DeviceLink::State& state, SerialPort port) {
  SerialWorker worker(state, std::move(port));
  worker.run();
}

}  // namespace zorbel::link
