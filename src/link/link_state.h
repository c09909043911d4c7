#pragma once
// The link's internals, shared by the owner's side (device_link.cpp) and the
// worker (serial_worker.cpp): the requests the owner posts, the transfers the
// worker runs, and the state both threads reach.
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "device_link.h"
#include "frame_parser.h"
#include "frames.h"
#include "receive_ring.h"
#include "serial_port.h"

namespace zorbel::link {

// The worker's side of an image hand-over.
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

using Clock = std::chrono::steady_clock;

// A transfer asked for again while its last page or request is still
// unanswered starts over only once that answer is in, or after this long:
// the answer to the old page must never be taken for the answer to the new
// page 0, which would put the transfer a page ahead of the device and report
// "Send finished." before the last page was acknowledged. An answer comes
// within a page's time on the line (12.5 ms) and the device's own; a lost
// one never comes, and the transfer starts over after this wait.
constexpr auto kRestartHold = std::chrono::milliseconds(SerialPort::kIdleReadMs);

// A cancelled transfer waits this long for the answer to its page in flight
// (a device may take a while to store a page) before it ends without it.
constexpr auto kCancelHold = std::chrono::seconds(1);

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
  std::uint64_t order = 0;          // its request's posting sequence
  bool cancelled = false;           // ends at its next page boundary
  Clock::time_point cancelledAt{};  // when the cancel reached the worker

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

inline std::string numbered(const char* before, std::uint32_t n) {
  return before + std::to_string(n) + "].";
}

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
  // cancel(): what was posted up to this sequence number is cancelled.
  std::uint64_t cancelledUpTo = 0;
  std::atomic<bool> cancelPending{false};

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

}  // namespace zorbel::link
