// The link state, the worker TCommThread and its transfers.
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
#include "receive_ring.h"
#include "serial_port.h"
#include "update/firmware.h"

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

ImageHandOver::ImageHandOver(const settings::Image& image, std::shared_ptr<Waiter> waiter)
    : image_(image), waiter_(std::move(waiter)) {}

ImageHandOver::~ImageHandOver() { done(); }

void ImageHandOver::done() {
  if (waiter_) waiter_->release();
}

// ---------------------------------------------------------------------------
// Link state

namespace {

constexpr std::uint32_t kLastConfigurationPage = settings::kPageCount - 1;  // 15

using Clock = std::chrono::steady_clock;

// A transfer asked for again while its last page or request is still
// unanswered starts over only once that answer is in, or after this long:
// the answer to the old page must never be taken for the answer to the new
// page 0, which would put the transfer a page ahead of the device and report
// "Send finished." before the last page was acknowledged. An answer comes
// within a page's time on the line (12.5 ms) and the device's own; a lost
// one never comes, and the transfer starts over after this wait.
constexpr auto kRestartHold = std::chrono::milliseconds(SerialPort::kIdleReadMs);

enum Kind { kFirmwareKind = 0, kWriteKind = 1, kReadKind = 2 };

// The pages of one firmware upload, copied when the upload was asked for.
struct FirmwareSnapshot {
  std::vector<std::uint8_t> bytes;  // the file's pages; shorter than a page past the end
  std::uint32_t pageCount = 0;

  Page page(std::uint32_t n) const {
    Page p{};  // past the file (the extra page N): zeros
    const std::size_t begin = std::size_t{n} * kPageSize;
    if (begin < bytes.size()) std::copy_n(bytes.begin() + begin, std::min(kPageSize, bytes.size() - begin), p.begin());
    return p;
  }
};

std::string numbered(const char* before, std::uint32_t n) { return before + std::to_string(n) + "]."; }

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

  // Transfer requests, at most one per kind, carried out in the order posted.
  struct Requests {
    std::shared_ptr<const FirmwareSnapshot> firmware;
    std::optional<settings::Image> write;
    bool read = false;
    std::array<std::uint64_t, 3> order{};  // posting sequence per kind (firmware, write, read)
    std::array<Clock::time_point, 3> posted{};  // when each was posted
    std::uint64_t sequence = 0;
    bool any() const { return firmware || write || read; }
    bool has(int kind) const {
      return kind == kFirmwareKind ? firmware != nullptr : kind == kWriteKind ? write.has_value() : read;
    }
  };
  std::mutex requestMutex;
  Requests requests;
  std::atomic<bool> requestPending{false};

  // The worker waiting in an image hand-over, for a stop to release it.
  std::mutex handOverMutex;
  std::shared_ptr<ImageHandOver::Waiter> handOverWaiter;

  // Worker's alone (and the owner's between workers, when none runs).
  ReceiveRing ring;
  settings::Image received{};  // zero at start, kept from one read to the next
  FrameParser parser{received};
  struct {
    std::shared_ptr<const FirmwareSnapshot> firmware;
    std::uint32_t counter = 0;
    std::uint32_t count = 0;
  } upload;
  // Before any transfer the counters stand at their end, so that a stray
  // answer never sends pages of an image nobody asked to write.
  struct {
    settings::Image image{};
    std::uint32_t current = kLastConfigurationPage;
  } write;
  struct {
    std::uint32_t current = kLastConfigurationPage;
  } read;

  // Per kind: a page or read request went out and its answer has not come.
  std::array<bool, 3> awaiting{};

  std::thread thread;
};

// ---------------------------------------------------------------------------
// The worker

namespace {

class TCommThread final : public FrameEvents {
 public:
  TCommThread(DeviceLink::State& s, SerialPort port) : s_(s), port_(std::move(port)) {}

  // The thread body: read and parse, carry out the requests, until stopped.
  void Execute() {
    status(PortState::Open, port_.path() + " open");
    while (!lost_) {
      ReadRoutine();
      if (lost_) break;
      Dispatch();
      if (s_.stop.load()) break;
    }
    const std::string device = port_.path();
    port_.close();
    s_.running.store(false);
    if (lost_) {
      Log("Serial port lost: " + lostReason_ + ". Reconnect the device and open the port again.");
      status(PortState::Lost, lostReason_);
    } else {
      status(PortState::Closed, device + " closed");
    }
  }

 private:
  // Read what the port has into the ring, then parse.
  void ReadRoutine() {
    std::array<std::uint8_t, SerialPort::kReadSize> buffer;
    // A request posted meanwhile has woken us or will: don't sit out an idle
    // read, unless all that is pending is a restart held for its answer.
    int timeout = s_.requestPending.load() ? 0 : SerialPort::kIdleReadMs;
    if (timeout == 0 && heldUntil_) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(*heldUntil_ - Clock::now()).count();
      timeout = static_cast<int>(std::clamp<long long>(left, 0, SerialPort::kIdleReadMs));
    }
    const auto result = port_.read(buffer.data(), buffer.size(), s_.wakeFd, timeout);
    if (result.lost) {
      portLost(result.reason);
      return;
    }
    if (result.count > 0) {
      trace(TraceDirection::Received, buffer.data(), result.count);
      s_.ring.store(buffer.data(), result.count);
    }
    s_.parser.Parse(s_.ring, *this);
  }

  void Dispatch() {
    heldUntil_.reset();
    if (!s_.requestPending.load()) return;
    DeviceLink::State::Requests taken;
    {
      std::lock_guard lock(s_.requestMutex);
      taken = std::move(s_.requests);
      s_.requests = {};
      // A restart of a transfer that awaits its answer stays posted for now.
      const auto now = Clock::now();
      for (int kind : {kFirmwareKind, kWriteKind, kReadKind}) {
        if (!taken.has(kind) || !s_.awaiting[kind] || now - taken.posted[kind] >= kRestartHold) continue;
        if (kind == kFirmwareKind) s_.requests.firmware = std::move(taken.firmware);
        if (kind == kWriteKind) s_.requests.write = std::exchange(taken.write, std::nullopt);
        if (kind == kReadKind) s_.requests.read = std::exchange(taken.read, false);
        s_.requests.order[kind] = taken.order[kind];
        s_.requests.posted[kind] = taken.posted[kind];
        heldUntil_ = std::min(heldUntil_.value_or(Clock::time_point::max()), taken.posted[kind] + kRestartHold);
      }
      s_.requests.sequence = taken.sequence;
      s_.requestPending.store(s_.requests.any());
    }
    std::array<int, 3> kinds{kFirmwareKind, kWriteKind, kReadKind};
    std::sort(kinds.begin(), kinds.end(), [&](int a, int b) { return taken.order[a] < taken.order[b]; });
    for (int kind : kinds) {
      if (lost_) return;
      if (kind == kFirmwareKind && taken.firmware) {
        s_.upload.firmware = std::move(taken.firmware);
        s_.upload.count = s_.upload.firmware->pageCount;
        s_.upload.counter = 0;
        emptyRingFor(kFirmwareKind);
        progress(TransferKind::Firmware, 0, s_.upload.count + 1);
        s_.awaiting[kFirmwareKind] = true;
        SendFirmwarePage(s_.upload.counter);
        Log(numbered("Firmware page sent [", s_.upload.counter));
      } else if (kind == kWriteKind && taken.write) {
        s_.write.image = *taken.write;
        s_.write.current = 0;
        emptyRingFor(kWriteKind);
        progress(TransferKind::ConfigurationWrite, 0, settings::kPageCount);
        s_.awaiting[kWriteKind] = true;
        SendConfigurationPage(s_.write.current);
        Log(numbered("Eeprom page sent [", s_.write.current));
      } else if (kind == kReadKind && taken.read) {
        // Each read starts from a blank image, so a page the device never sent in
        // this read can't pass an earlier read's bytes off as the device's.
        s_.received.fill(0);
        s_.read.current = 0;
        progress(TransferKind::ConfigurationRead, 0, settings::kPageCount);
        s_.awaiting[kReadKind] = true;
        SendPageReadRequest(s_.read.current);
        Log(numbered("Eeprom read request, page [", s_.read.current));
      }
    }
  }

  // --- senders: a header frame, then for pages the 128 bytes (one write)

  void SendFirmwarePage(std::uint32_t n) {
    const Page page = s_.upload.firmware ? s_.upload.firmware->page(n) : Page{};
    sendPage(kFirmwarePageHeader, n, page);
  }

  void SendConfigurationPage(std::uint32_t n) {
    Page page{};
    if (n < settings::kPageCount) std::copy_n(s_.write.image.begin() + n * kPageSize, kPageSize, page.begin());
    sendPage(kConfigurationPageHeader, n, page);
  }

  void SendPageReadRequest(std::uint32_t n) {
    const Frame frame = makeFrame(kPageReadRequest, n, 0);
    send(frame.data(), frame.size());
  }

  void sendPage(std::uint8_t type, std::uint32_t n, const Page& page) {
    std::array<std::uint8_t, kFrameSize + kPageSize> out;
    const Frame frame = makeFrame(type, n, pageSum(page));
    std::copy(frame.begin(), frame.end(), out.begin());
    std::copy(page.begin(), page.end(), out.begin() + kFrameSize);
    send(out.data(), out.size());
  }

  void send(const std::uint8_t* bytes, std::size_t count) {
    if (lost_) return;
    trace(TraceDirection::Sent, bytes, count);
    std::string reason;
    if (!port_.write(bytes, count, reason)) portLost(reason);
  }

  // --- what the parser found

  // The answer a held restart of `kind` waited for is in: the old transfer
  // goes no further, and this pass's dispatch starts the new one.
  bool superseded(int kind) {
    const bool was = s_.awaiting[kind];
    s_.awaiting[kind] = false;
    if (!was || !s_.requestPending.load()) return false;
    std::lock_guard lock(s_.requestMutex);
    return s_.requests.has(kind);
  }

  // A page transfer starts on an empty ring, so that nothing left from before
  // moves it on; but not while another transfer awaits its answer, whose
  // bytes may be among those not yet parsed.
  void emptyRingFor(int kind) {
    for (int other : {kFirmwareKind, kWriteKind, kReadKind})
      if (other != kind && s_.awaiting[other]) return;
    s_.ring.clear();
    // A page cut short by the emptying must not swallow the new transfer's answers.
    s_.parser.reset();
  }

  void OnFirmwarePageAck() override {
    Log("Page receive ack.");
    if (superseded(kFirmwareKind)) return;
    auto& u = s_.upload;
    if (u.counter < u.count) {
      progress(TransferKind::Firmware, u.counter + 1, u.count + 1);
      ++u.counter;
      s_.awaiting[kFirmwareKind] = true;
      SendFirmwarePage(u.counter);
      Log(numbered("Firmware page sent [", u.counter));
    } else {
      progress(TransferKind::Firmware, u.count + 1, u.count + 1);
      Log("Send finished.");
      ended(TransferKind::Firmware, TransferEnd::Finished);
    }
  }

  void OnConfigurationPageAck() override {
    Log("Page receive ack.");
    if (superseded(kWriteKind)) return;
    auto& w = s_.write;
    progress(TransferKind::ConfigurationWrite, std::min(w.current, kLastConfigurationPage) + 1, settings::kPageCount);
    if (w.current < kLastConfigurationPage) {
      ++w.current;
      s_.awaiting[kWriteKind] = true;
      SendConfigurationPage(w.current);
      Log(numbered("Eeprom page sent [", w.current));
    } else {
      Log("Send finished.");
      ended(TransferKind::ConfigurationWrite, TransferEnd::Finished);
    }
  }

  void OnPageReceived(std::uint16_t) override {
    Log("Eeprom page received.");
    if (superseded(kReadKind)) return;
    auto& r = s_.read;
    progress(TransferKind::ConfigurationRead, std::min(r.current, kLastConfigurationPage) + 1, settings::kPageCount);
    if (r.current < kLastConfigurationPage) {
      ++r.current;
      s_.awaiting[kReadKind] = true;
      SendPageReadRequest(r.current);
      Log(numbered("Eeprom read request, page [", r.current));
      return;
    }
    Log("Eeprom read finished.");
    if (!CheckReceivedImage(s_.received)) {
      Log("Eeprom read checksum error. Please upload new eeprom data to device.");
      ended(TransferKind::ConfigurationRead, TransferEnd::ImageChecksumError);
      return;
    }
    if (handOver()) ended(TransferKind::ConfigurationRead, TransferEnd::Finished);
  }

  void OnPageRefused(bool badSum) override {
    s_.awaiting[kReadKind] = false;
    ended(TransferKind::ConfigurationRead, badSum ? TransferEnd::PageChecksumError : TransferEnd::PageNumberError);
  }

  void Log(const std::string& line) override {
    if (s_.callbacks.log) s_.callbacks.log(line);
  }

  // The owner runs the decoder on its own thread; wait until it has, or
  // until the link is stopped. False when the hand-over was abandoned.
  bool handOver() {
    if (!s_.callbacks.imageReceived) return true;
    auto waiter = std::make_shared<ImageHandOver::Waiter>();
    {
      std::lock_guard lock(s_.handOverMutex);
      s_.handOverWaiter = waiter;
    }
    s_.callbacks.imageReceived(std::make_shared<ImageHandOver>(s_.received, waiter));
    bool released;
    {
      std::unique_lock lock(waiter->mutex);
      waiter->cv.wait(lock, [&] { return waiter->released || waiter->abandoned || s_.stop.load(); });
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
  bool lost_ = false;
  std::string lostReason_;
};

}  // namespace

// ---------------------------------------------------------------------------
// The owner's side

DeviceLink::DeviceLink(LinkCallbacks callbacks) : state_(std::make_unique<State>(std::move(callbacks))) {}

DeviceLink::~DeviceLink() { stopAndJoin(); }

OpenResult DeviceLink::open(const std::string& portName) {
  stopAndJoin();
  OpenResult result;
  result.device = devicePath(portName);
  PortError error;
  auto port = SerialPort::OpenComPort(result.device, error);
  if (!port) {
    result.message = kOpenErrorMessage;
    result.reason = error.reason;
    result.hint = error.hint;
    if (state_->callbacks.log)
      state_->callbacks.log("Serial port open error: " + error.reason + (error.hint.empty() ? "" : ". " + error.hint));
    return result;
  }
  // A new port is a new byte stream: nothing half-parsed from the last one carries over.
  state_->ring.clear();
  state_->parser.reset();
  state_->awaiting = {};  // nothing sent on this port is awaiting an answer
  state_->stop.store(false);
  state_->running.store(true);
  state_->thread = std::thread([s = state_.get(), p = std::move(*port)]() mutable {
    TCommThread worker(*s, std::move(p));
    worker.Execute();
  });
  result.ok = true;
  result.message = kOpenedMessage;
  return result;
}

void DeviceLink::close() {
  if (!state_->thread.joinable()) return;
  state_->stop.store(true);
  state_->wake();
  std::lock_guard lock(state_->handOverMutex);
  if (state_->handOverWaiter) state_->handOverWaiter->abandon();
}

void DeviceLink::stopAndJoin() {
  close();
  if (state_->thread.joinable() && state_->thread.get_id() != std::this_thread::get_id()) state_->thread.join();
}

bool DeviceLink::workerRunning() const { return state_->running.load(); }

namespace {

template <typename Fill>
void post(DeviceLink::State& s, int kind, Fill fill) {
  {
    std::lock_guard lock(s.requestMutex);
    fill(s.requests);
    s.requests.order[kind] = ++s.requests.sequence;
    s.requests.posted[kind] = Clock::now();
    s.requestPending.store(true);
  }
  s.wake();
}

}  // namespace

void DeviceLink::writeConfiguration(const settings::Image& image) {
  post(*state_, kWriteKind, [&](State::Requests& r) { r.write = image; });
}

void DeviceLink::readConfiguration() {
  post(*state_, kReadKind, [](State::Requests& r) { r.read = true; });
}

void DeviceLink::uploadFirmware(const update::FirmwarePages& firmware) {
  auto snapshot = std::make_shared<FirmwareSnapshot>();
  snapshot->pageCount = firmware.pageCount();
  const std::size_t size = std::min(std::size_t{snapshot->pageCount} * kPageSize, update::kFirmwareBufferSize);
  snapshot->bytes.assign(firmware.data(), firmware.data() + size);
  post(*state_, kFirmwareKind, [&](State::Requests& r) { r.firmware = std::move(snapshot); });
}

bool DeviceLink::uploadFirmware(std::span<const std::uint8_t> fileBytes) {
  if (fileBytes.size() > update::kFirmwareBufferSize) return false;
  auto snapshot = std::make_shared<FirmwareSnapshot>();
  snapshot->pageCount = static_cast<std::uint32_t>((fileBytes.size() + kPageSize - 1) / kPageSize);
  snapshot->bytes.assign(fileBytes.begin(), fileBytes.end());
  post(*state_, kFirmwareKind, [&](State::Requests& r) { r.firmware = std::move(snapshot); });
  return true;
}

}  // namespace zorbel::link
