// The device link's owner side: opening and closing the port, and posting
// the requests the worker carries out.
#include "device_link.h"

#include <mutex>
#include <thread>
#include <utility>

#include "frames.h"
#include "link_state.h"
#include "port_doctor.h"
#include "serial_worker.h"

namespace zorbel::link {

ImageDifference compareImages(const settings::Image& sent, const settings::Image& received) {
  ImageDifference difference;
  for (std::size_t i = 0; i < sent.size(); ++i) {
    if (sent[i] == received[i]) continue;
    if (difference.count++ == 0) difference.firstOffset = i;
  }
  return difference;
}

double lineSeconds(std::uint32_t pages) {
  constexpr double kBytesPerPage = kFrameSize + kPageSize + kFrameSize;
  return pages * kBytesPerPage * 10.0 / kBaudRate;
}

std::string cutShortLine(TransferKind kind, std::uint32_t done, std::uint32_t total) {
  const std::string pages =
      " cut short after page " + std::to_string(done) + " of " + std::to_string(total);
  switch (kind) {
    case TransferKind::ConfigurationWrite:
      return "Write" + pages + ".";
    case TransferKind::ConfigurationRead:
      return "Read" + pages + ".";
    case TransferKind::Firmware:
      return "Upload" + pages + ": the device needs a complete upload before it runs again.";
  }
  return {};
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
    runSerialWorker(*s, std::move(p));
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

void DeviceLink::cancel() {
  {
    std::lock_guard lock(state_->requestMutex);
    state_->cancelledUpTo = state_->sequence;
    state_->cancelPending.store(true);
  }
  state_->wake();
}

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
