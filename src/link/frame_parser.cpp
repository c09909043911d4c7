#include "frame_parser.h"

#include <cstring>

namespace zorbel::link {

namespace {

bool checksumHolds(const ReceiveRing& ring) {
  unsigned sum = 0;
  for (std::size_t i = 1; i <= 6; ++i) sum += ring.at(i);
  return static_cast<std::uint8_t>(sum) == ring.at(7);
}

}  // namespace

void FrameParser::parse(ReceiveRing& ring, FrameEvents& events) {
  while (!ring.empty()) {
    if (mode_ == Mode::PageData) {
      if (ring.available() < kPageSize) return;
      takePageData(ring, events);
      continue;
    }
    if (ring.at(0) != kStartByte) {
      ring.drop(1);
      continue;
    }
    if (ring.available() < kFrameSize) return;
    takeFrame(ring, events);
  }
}

void FrameParser::takePageData(ReceiveRing& ring, FrameEvents& events) {
  unsigned sum = 0;
  for (std::size_t i = 0; i < kPageSize; ++i) {
    staging_[i] = ring.at(i);
    sum += staging_[i];
  }
  ring.drop(kPageSize);
  mode_ = Mode::FrameHunt;
  if (static_cast<std::uint16_t>(sum) != expectedSum_) {
    events.logRefusedPage("Eeprom page data checksum error.");
    events.onPageRefused(true);
  } else if (expectedPage_ >= settings::kPageCount) {
    // The image has pages 0..15 only: never store past it.
    events.logRefusedPage("Eeprom page number error [" + std::to_string(expectedPage_) + "].");
    events.onPageRefused(false);
  } else {
    std::memcpy(received_.data() + kPageSize * expectedPage_, staging_.data(), kPageSize);
    events.onPageReceived(expectedPage_);
  }
}

// A failed check drops only the start byte, so that a frame beginning inside
// the rejected bytes is still found.
void FrameParser::takeFrame(ReceiveRing& ring, FrameEvents& events) {
  const bool whole = checksumHolds(ring);
  switch (ring.at(1)) {
    case kFirmwarePageAck:
      ring.drop(whole ? kFrameSize : 1);
      if (whole) events.onFirmwarePageAck();
      break;
    case kConfigurationPageAck:
      ring.drop(whole ? kFrameSize : 1);
      if (whole) events.onConfigurationPageAck();
      break;
    case kPageDataHeader:
      if (whole) {
        expectedPage_ = static_cast<std::uint16_t>(ring.at(2) << 8 | ring.at(3));
        expectedSum_ = static_cast<std::uint16_t>(ring.at(4) << 8 | ring.at(5));
        ring.drop(kFrameSize);
        mode_ = Mode::PageData;
      } else {
        events.logRejectedFrame("Eeprom frame checksum error.");
        ring.drop(1);
      }
      break;
    default:
      ring.drop(1);
      break;
  }
}

}  // namespace zorbel::link
