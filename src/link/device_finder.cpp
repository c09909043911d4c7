#include "device_finder.h"

#include <cstdint>

#include "device_link.h"
#include "frame_parser.h"
#include "frames.h"
#include "port_survey.h"
#include "receive_ring.h"
#include "serial_port.h"

namespace zorbel::link {

namespace {

// Notes the page answer the parser accepts; nothing else matters here.
class PageZeroWatch : public FrameEvents {
 public:
  void onFirmwarePageAck() override {}
  void onConfigurationPageAck() override {}
  void onPageReceived(std::uint16_t page) override { answered = answered || page == 0; }
  void onPageRefused(bool /*badSum*/) override {}
  void log(const std::string& /*line*/) override {}
  bool answered = false;
};

bool lockedByLivingProcess(const SystemView& view, const std::string& device) {
  for (const LockFile& lock : lockFilesFor(view, device))
    if (lock.lives) return true;
  return false;
}

bool deviceAnswers(SerialPort& port, std::chrono::milliseconds wait) {
  const Frame request = makeFrame(kPageReadRequest, 0, 0);
  if (!port.write(request.data(), request.size())) return false;
  settings::Image received{};
  FrameParser parser(received);
  ReceiveRing ring;
  PageZeroWatch watch;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  std::uint8_t buffer[SerialPort::kReadSize];
  for (auto now = std::chrono::steady_clock::now(); now < deadline && !watch.answered;
       now = std::chrono::steady_clock::now()) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    const auto got = port.read(buffer, sizeof buffer, -1, static_cast<int>(left.count()) + 1);
    if (!got) return false;
    ring.store(buffer, got.value());
    parser.parse(ring, watch);
  }
  return watch.answered;
}

}  // namespace

std::vector<std::string> portsToSearch() {
  std::vector<std::string> ports;
  for (const PortInfo& port : DeviceLink::offeredPorts())
    if (port.access == PortAccess::Ready) ports.push_back(port.path);
  return ports;
}

std::vector<std::string> findDevice(const SystemView& view, const std::vector<std::string>& ports,
                                    std::chrono::milliseconds wait) {
  std::vector<std::string> found;
  for (const std::string& name : ports) {
    const std::string path = DeviceLink::devicePath(name);
    if (lockedByLivingProcess(view, describePort(view, path).device)) continue;
    auto port = SerialPort::openPort(path);  // exclusive: fails on a port held so
    if (!port) continue;
    const bool answered = deviceAnswers(port.value(), wait);
    port.value().close();  // the settings and latency as found
    if (answered) found.push_back(name);
  }
  return found;
}

}  // namespace zorbel::link
