#pragma once
// The frame parser the worker runs over the receive ring after every read:
// it finds the device's acks and page data headers, collects the 128 bytes
// that follow a page data header, checks their sum and stores
// an accepted page into the received image.
#include <cstdint>
#include <string>

#include "frames.h"
#include "receive_ring.h"
#include "settings/image.h"

namespace zorbel::link {

// What the parser found; the worker implements these.
class FrameEvents {
 public:
  virtual ~FrameEvents() = default;
  virtual void onFirmwarePageAck() = 0;
  virtual void onConfigurationPageAck() = 0;
  // An accepted page has been stored in the received image.
  virtual void onPageReceived(std::uint16_t page) = 0;
  // A page was refused (its line is already logged): bad sum, or a page
  // number past the image.
  virtual void onPageRefused(bool badSum) = 0;
  virtual void log(const std::string& line) = 0;
  // The line about a frame dropped for its checksum, and the line before
  // onPageRefused(): logged as any other unless the receiver limits them
  // (a device can send nothing else, as fast as the line goes).
  virtual void logRejectedFrame(const std::string& line) { log(line); }
  virtual void logRefusedPage(const std::string& line) { log(line); }
};

class FrameParser {
 public:
  enum class Mode { FrameHunt, PageData };

  explicit FrameParser(settings::Image& received) : received_(received) {}

  // Consumes what it can from the ring; a frame or page not yet whole stays
  // there (or, for page data, is collected) until the next call.
  void parse(ReceiveRing& ring, FrameEvents& events);

  // Back to frame hunt, forgetting a page being collected.
  void reset() { mode_ = Mode::FrameHunt; }

  Mode mode() const { return mode_; }
  std::uint16_t expectedPage() const { return expectedPage_; }
  std::uint16_t expectedSum() const { return expectedSum_; }

 private:
  // The page after a page data header, once all of it has come.
  void takePageData(ReceiveRing& ring, FrameEvents& events);
  // A whole frame at the front of the ring, its start byte found.
  void takeFrame(ReceiveRing& ring, FrameEvents& events);

  settings::Image& received_;
  Mode mode_ = Mode::FrameHunt;
  Page staging_{};
  std::uint16_t expectedPage_ = 0;
  std::uint16_t expectedSum_ = 0;
};

}  // namespace zorbel::link
