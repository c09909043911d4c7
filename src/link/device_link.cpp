// The link state, the serial worker and its table of transfers.
#include "device_link.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "frame_parser.h"
#include "frames.h"
#include "port_doctor.h"
#include "receive_ring.h"
#include "rejected_frames.h"
#include "serial_port.h"

namespace zorbel::link {

// ---------------------------------------------------------------------------
// Image hand-over

struct ImageHandOver::Waiter {
  std::mutex mutex;
  std::condition_variable cv;
  bool released = false;   // the owner is done with the image (or has dropped it)
  bool abandoned = false;  // the link is stopping

  void release() {
    {
      std::lock_guard lock(mutex);
      released = true;
    }
    cv.notify_all();
  }
  void abandon() {
    {
      std::lock_guard lock(mutex);
      abandoned = true;
    }
    cv.notify_all();
  }
};

ImageHandOver::ImageHandOver(const settings::Image& image, std::shared_ptr<Waiter> waiter,
                             ReadPurpose purpose)
    : image_(image), waiter_(std::move(waiter)), purpose_(purpose) {}

ImageHandOver::~ImageHandOver() { done(); }

void ImageHandOver::done() {
  if (waiter_) waiter_->release();
}

// ---------------------------------------------------------------------------
// Link state

namespace {

using Clock = std::chrono::steady_clock;

// A transfer asked for again while its last page or request is still
// unanswered starts over only once that answer is in, or after this long:
// the answer to the old page must never be taken for the answer to the new
// page 0, which would put the transfer a page ahead of the device and report
// "Send finished." before the last page was acknowledged. An answer comes
// within a page's time on the line (12.5 ms) and the device's own; a lost
// one never comes, and the transfer starts over after this wait.
constexpr auto kRestartHold = std::chrono::milliseconds(SerialPort::kIdleReadMs);

constexpr std::size_t kKinds = 3;
constexpr std::array<TransferKind, kKinds> kAllKinds{
    TransferKind::Firmware, TransferKind::ConfigurationWrite, TransferKind::ConfigurationRead};

constexpr std::size_t slot(TransferKind kind) { return static_cast<std::size_t>(kind); }

// What tells the kinds apart on the line and in the log.
struct KindTraits {
  std::uint8_t frameType;  // the frame that carries a page or asks for one
  const char* sentLine;    // logged with the page number and "]."
  const char* answerLine;  // logged when the answer a transfer awaits arrives
};
constexpr std::array<KindTraits, kKinds> kTraits{{
    {kFirmwarePageHeader, "Firmware page sent [", "Page receive ack."},
    {kConfigurationPageHeader, "Eeprom page sent [", "Page receive ack."},
    {kPageReadRequest, "Eeprom read request, page [", "Eeprom page received."},
}};

using Bytes = std::vector<std::uint8_t>;

// A transfer asked for by the owner, waiting for the worker to take it up.
struct Request {
  bool posted = false;
  std::shared_ptr<const Bytes> pages;  // the pages to send, copied when asked; none for a read
  std::uint32_t lastPage = 0;
  ReadPurpose purpose = ReadPurpose::Settings;
  std::uint64_t order = 0;  // posting sequence: requests go out in the order posted
  Clock::time_point postedAt{};
};

// One transfer as the worker runs it. Before any transfer a record stands at
// its end and awaits nothing, so a stray answer never moves anything.
struct Transfer {
  std::uint32_t current = 0;  // the page sent or requested last
  std::uint32_t lastPage = 0;
  bool awaiting = false;               // the answer to page `current` has not come
  Clock::time_point sentAt{};          // when page `current` (or its request) went out
  std::shared_ptr<const Bytes> pages;  // where its pages come from (page n at 128 * n)
  ReadPurpose purpose = ReadPurpose::Settings;

  std::uint32_t total() const { return lastPage + 1; }
  Page page(std::uint32_t n) const {
    Page p{};  // past the bytes (the extra firmware page): zeros
    const std::size_t begin = std::size_t{n} * kPageSize;
    if (pages && begin < pages->size())
      std::copy_n(pages->begin() + static_cast<std::ptrdiff_t>(begin),
                  std::min(kPageSize, pages->size() - begin), p.begin());
    return p;
  }
};

std::string numbered(const char* before, std::uint32_t n) {
  return before + std::to_string(n) + "].";
}

}  // namespace

struct DeviceLink::State {
  explicit State(LinkCallbacks cb) : callbacks(std::move(cb)) {
    wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  }
  ~State() {
    if (wakeFd >= 0) ::close(wakeFd);
  }

  void wake() const {
    const std::uint64_t one = 1;
    if (wakeFd >= 0) (void)!::write(wakeFd, &one, sizeof one);
  }

  const LinkCallbacks callbacks;  // fixed at construction: read by both threads
  int wakeFd = -1;

  // Owner thread <-> worker.
  std::atomic<bool> stop{false};
  std::atomic<bool> running{false};
  std::atomic<std::uint64_t> passes{0};
  std::atomic<std::int64_t> answerTimeoutMs{0};  // 0: no time-out

  // Requests, at most one per kind, guarded by requestMutex.
  std::mutex requestMutex;
  std::array<Request, kKinds> requests;
  std::uint64_t sequence = 0;
  std::atomic<bool> requestPending{false};

  // The worker waiting in an image hand-over, for a stop to release it.
  std::mutex handOverMutex;
  std::shared_ptr<ImageHandOver::Waiter> handOverWaiter;

  // Worker's alone (and the owner's between workers, when none runs).
  ReceiveRing ring;
  settings::Image received{};  // cleared at the start of every read
  FrameParser parser{received};
  std::array<Transfer, kKinds> transfers;

  std::thread thread;
};

// ---------------------------------------------------------------------------
// The worker

namespace {

class SerialWorker final : public FrameEvents {
 public:
  SerialWorker(DeviceLink::State& s, SerialPort port) : s_(s), port_(std::move(port)) {}

  // The thread body: read and parse, start what was asked for, until stopped.
  void run() {
    status(PortState::Open, port_.path() + " open");
    while (!lost_) {
      readPort();
      if (lost_) break;
      logIfSome(rejected_.summaryDue(Clock::now()));
      startRequested();
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
    Transfer& t = transfer(kind);
    if (!t.awaiting) return;  // nobody awaits it: dropped without a line
    t.awaiting = false;
    log(kTraits[slot(kind)].answerLine);
    if (restartPosted(kind)) return;  // this pass's startRequested() starts it over
    progress(kind, t.current + 1, t.total());
    if (t.current < t.lastPage) {
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

// ---------------------------------------------------------------------------
// The owner's side

ImageDifference compareImages(const settings::Image& sent, const settings::Image& received) {
  ImageDifference difference;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    if (sent[i] == received[i]) continue;
    if (difference.count++ == 0) difference.firstOffset = i;
  }
  return difference;
}

DeviceLink::DeviceLink(LinkCallbacks callbacks)
    : state_(std::make_unique<State>(std::move(callbacks))) {}

DeviceLink::~DeviceLink() { stopAndJoin(); }

Result<void> DeviceLink::open(const std::string& portName) {
  stopAndJoin();
  Result<SerialPort> port = SerialPort::openPort(devicePath(portName));
  if (!port) {
    const Error& why = port.error();
    if (state_->callbacks.log)
      state_->callbacks.log("Serial port open error: " + why.reason +
                            (why.hint.empty() ? "" : ". " + why.hint));
    Error failed = makeError(ErrorKind::CannotRead, kOpenErrorMessage, why.reason);
    failed.systemError = why.systemError;
    // What the system shows about the port says more than the error's usual cause.
    const std::string diagnosis =
        diagnosePort(SystemView::current(), devicePath(portName), why.systemError);
    failed.hint = diagnosis.empty() ? why.hint : diagnosis;
    return failed;
  }
  // A new port is a new byte stream: nothing half-parsed from the last one carries over.
  state_->ring.clear();
  state_->parser.reset();
  for (Transfer& t : state_->transfers) t.awaiting = false;  // nothing sent on this port yet
  state_->stop.store(false);
  state_->running.store(true);
  state_->thread = std::thread([s = state_.get(), p = std::move(port.value())]() mutable {
    SerialWorker worker(*s, std::move(p));
    worker.run();
  });
  return {};
}

void DeviceLink::close() {
  if (!state_->thread.joinable()) return;
  state_->stop.store(true);
  state_->wake();
  if (state_->callbacks.stopping) state_->callbacks.stopping();
  std::lock_guard lock(state_->handOverMutex);
  if (state_->handOverWaiter) state_->handOverWaiter->abandon();
}

void DeviceLink::stopAndJoin() {
  close();
  if (state_->thread.joinable() && state_->thread.get_id() != std::this_thread::get_id())
    state_->thread.join();
}

bool DeviceLink::workerRunning() const { return state_->running.load(); }
bool DeviceLink::stopRequested() const { return state_->stop.load(); }

void DeviceLink::setAnswerTimeout(std::chrono::milliseconds limit) {
  state_->answerTimeoutMs.store(limit.count());
}
std::uint64_t DeviceLink::workerPasses() const { return state_->passes.load(); }

namespace {

void post(DeviceLink::State& s, TransferKind kind, Request request) {
  {
    std::lock_guard lock(s.requestMutex);
    request.posted = true;
    request.order = ++s.sequence;
    request.postedAt = Clock::now();
    s.requests[slot(kind)] = std::move(request);
    s.requestPending.store(true);
  }
  s.wake();
}

}  // namespace

void DeviceLink::writeConfiguration(const settings::Image& image) {
  Request request;
  request.pages = std::make_shared<const Bytes>(image.begin(), image.end());
  request.lastPage = settings::kPageCount - 1;
  post(*state_, TransferKind::ConfigurationWrite, std::move(request));
}

void DeviceLink::readConfiguration(ReadPurpose purpose) {
  Request request;
  request.lastPage = settings::kPageCount - 1;
  request.purpose = purpose;
  post(*state_, TransferKind::ConfigurationRead, std::move(request));
}

Result<void> DeviceLink::uploadFirmware(std::span<const std::uint8_t> fileBytes) {
  if (fileBytes.size() > kFirmwareMaxBytes)
    return makeError(ErrorKind::TooLong, "Firmware file too long.");
  Request request;
  request.pages = std::make_shared<const Bytes>(fileBytes.begin(), fileBytes.end());
  // Pages 0..N for a file of N pages: the last one lies wholly past the file.
  request.lastPage = static_cast<std::uint32_t>((fileBytes.size() + kPageSize - 1) / kPageSize);
  post(*state_, TransferKind::Firmware, std::move(request));
  return {};
}

}  // namespace zorbel::link
