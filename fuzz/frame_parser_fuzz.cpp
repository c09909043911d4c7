// The frame parser on arbitrary bytes from the device, in arbitrary read sizes.
// Checked after every read: the ring never holds more than 2047 bytes, the
// received image changes only by accepted pages, nothing is written around
// it, and every accepted page carries the sum its header announced.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "link/frame_parser.h"
#include "link/frames.h"
#include "link/receive_ring.h"

namespace {

using namespace zorbel;

struct Guarded {
  std::uint8_t before[64];
  settings::Image image;
  std::uint8_t after[64];
};

void check(bool holds) {
  if (!holds) std::abort();
}

class Events : public link::FrameEvents {
 public:
  Events(const link::FrameParser& parser, const settings::Image& image, settings::Image& shadow)
      : parser_(parser), image_(image), shadow_(shadow) {}

  void onFirmwarePageAck() override {}
  void onConfigurationPageAck() override {}
  void onPageReceived(std::uint16_t page) override {
    check(page < settings::kPageCount);
    check(page == parser_.expectedPage());
    const std::uint8_t* stored = image_.data() + std::size_t{page} * link::kPageSize;
    check(link::pageSum({stored, link::kPageSize}) == parser_.expectedSum());
    std::memcpy(shadow_.data() + std::size_t{page} * link::kPageSize, stored, link::kPageSize);
  }
  void onPageRefused(bool) override {}
  void log(const std::string& line) override { check(!line.empty()); }

 private:
  const link::FrameParser& parser_;
  const settings::Image& image_;
  settings::Image& shadow_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Guarded g;
  std::memset(g.before, 0xA5, sizeof g.before);
  std::memset(g.after, 0x5A, sizeof g.after);
  g.image.fill(0x33);
  settings::Image shadow = g.image;

  link::ReceiveRing ring;
  link::FrameParser parser(g.image);
  Events events(parser, g.image, shadow);

  // Each read: one control byte, then that many bytes (up to 128, as the
  // port's reads); 0xFF instead empties the ring as a page send does.
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t control = data[at++];
    if (control == 0xFF) {
      ring.clear();
      continue;
    }
    const std::size_t n = std::min<std::size_t>(control % 129, size - at);
    const std::size_t before = ring.available();
    const std::size_t stored = ring.store(data + at, n);
    at += n;
    check(stored == std::min(n, link::ReceiveRing::kCapacity - before));
    check(ring.available() <= link::ReceiveRing::kCapacity);
    parser.parse(ring, events);
    check(ring.available() <= link::ReceiveRing::kCapacity);
    check(g.image == shadow);
  }
  for (std::uint8_t b : g.before) check(b == 0xA5);
  for (std::uint8_t b : g.after) check(b == 0x5A);
  return 0;
}
