// The receive ring and the frame parser, fed byte streams directly.
#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <string>
#include <vector>

#include "link/frame_parser.h"
#include "link/frames.h"
#include "link/receive_ring.h"
#include "link/rejected_frames.h"

namespace zorbel::link {
namespace {

using Bytes = std::vector<std::uint8_t>;

class Events : public FrameEvents {
 public:
  void onFirmwarePageAck() override { seen.push_back("firmware ack"); }
  void onConfigurationPageAck() override { seen.push_back("configuration ack"); }
  void onPageReceived(std::uint16_t page) override {
    seen.push_back("page " + std::to_string(page));
  }
  void onPageRefused(bool badSum) override {
    seen.push_back(badSum ? "refused: sum" : "refused: number");
  }
  void log(const std::string& line) override { seen.push_back(line); }
  std::vector<std::string> seen;
};

Bytes frameBytes(std::uint8_t type, std::uint32_t page = 0, std::uint16_t sum = 0) {
  const Frame f = makeFrame(type, page, sum);
  return Bytes(f.begin(), f.end());
}

Bytes pageAnswer(std::uint16_t page, const Page& data) {
  Bytes out = frameBytes(kPageDataHeader, page, pageSum(data));
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Page patterned(std::uint8_t seed) {
  Page p;
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<std::uint8_t>(seed + i * 7);
  return p;
}

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class ParserTest : public ::testing::Test {
 protected:
  // Each chunk is one read: stored in the ring, then parsed.
  void feed(const Bytes& bytes, std::size_t chunk = 128) {
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
      const std::size_t n = std::min(chunk, bytes.size() - at);
      ring.store(bytes.data() + at, n);
      parser.parse(ring, events);
    }
  }

  settings::Image image{};
  ReceiveRing ring;
  FrameParser parser{image};
  Events events;
};

TEST(Frames, SentFramesCarryTheirChecksumOverBytesOneToSix) {
  EXPECT_EQ(frameBytes(kPageReadRequest, 3),
            (Bytes{0xFF, 0x90, 0x00, 0x03, 0x00, 0x00, 0x00, 0x93}));
  const Page zeros{};
  EXPECT_EQ(frameBytes(kConfigurationPageHeader, 0, pageSum(zeros)),
            (Bytes{0xFF, 0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x80}));
  // Page numbers and sums are big-endian; the page number keeps its low 16 bits.
  EXPECT_EQ(frameBytes(kFirmwarePageHeader, 0x10740, 0xABCD),
            (Bytes{0xFF, 0x40, 0x07, 0x40, 0xAB, 0xCD, 0x00, 0xFF}));
}

TEST(Frames, PageSumKeepsTheLow16Bits) {
  Page ff;
  ff.fill(0xFF);
  EXPECT_EQ(pageSum(ff), static_cast<std::uint16_t>(128 * 255));
  const Page p = patterned(3);
  EXPECT_EQ(pageSum(p), static_cast<std::uint16_t>(std::accumulate(p.begin(), p.end(), 0u)));
}

TEST(Frames, ReceivedImageCheckCoversOffsetsFourTo2007) {
  settings::Image image{};
  image[10] = 0x20;
  image[2007] = 0x01;
  image[0] = 0x21;  // little-endian image sum
  EXPECT_TRUE(checkReceivedImage(image));
  image[2008] = 0x55;  // outside the sum
  image[2047] = 0x55;
  EXPECT_TRUE(checkReceivedImage(image));
  image[4] = 1;  // inside it
  EXPECT_FALSE(checkReceivedImage(image));
}

TEST(Ring, HoldsAtMost2047BytesAndDropsTheRestOfARead) {
  ReceiveRing ring;
  Bytes bytes(2048);
  std::iota(bytes.begin(), bytes.end(), 0);
  EXPECT_EQ(ring.store(bytes.data(), bytes.size()), 2047u);
  EXPECT_EQ(ring.available(), 2047u);
  EXPECT_EQ(ring.at(2046), static_cast<std::uint8_t>(2046));
  // Room again after consuming: the write index wraps past the end.
  ring.drop(10);
  EXPECT_EQ(ring.store(bytes.data(), 20), 10u);
  EXPECT_EQ(ring.available(), 2047u);
  EXPECT_EQ(ring.writeIndex(), 9u);
  EXPECT_EQ(ring.at(2037), 0u);
  EXPECT_EQ(ring.at(2046), 9u);
  ring.clear();
  EXPECT_TRUE(ring.empty());
  EXPECT_EQ(ring.readIndex(), 0u);
}

TEST_F(ParserTest, AcksAreRecognisedWhateverTheirArguments) {
  Bytes ack{0xFF, kFirmwarePageAck, 0x12, 0x34, 0x56, 0x78, 0x9A, 0};
  ack[7] = static_cast<std::uint8_t>(kFirmwarePageAck + 0x12 + 0x34 + 0x56 + 0x78 + 0x9A);
  feed(ack + frameBytes(kConfigurationPageAck, 9));
  EXPECT_EQ(events.seen, (std::vector<std::string>{"firmware ack", "configuration ack"}));
  EXPECT_TRUE(ring.empty());
}

TEST_F(ParserTest, AFrameSplitOverReadsWaitsForItsRest) {
  const Bytes ack = frameBytes(kConfigurationPageAck);
  feed(Bytes(ack.begin(), ack.begin() + 5));
  EXPECT_TRUE(events.seen.empty());
  EXPECT_EQ(ring.available(), 5u);  // the candidate stays in the ring
  feed(Bytes(ack.begin() + 5, ack.end()));
  EXPECT_EQ(events.seen, (std::vector<std::string>{"configuration ack"}));
}

TEST_F(ParserTest, FramesAndPagesWrapPastTheRingsEnd) {
  // Move both indices to 2045 with noise the parser drops.
  feed(Bytes(2045, 0x00), 127);
  ASSERT_EQ(ring.readIndex(), 2045u);
  const Page data = patterned(0x31);
  const Bytes stream =
      frameBytes(kFirmwarePageAck) + pageAnswer(4, data) + frameBytes(kConfigurationPageAck);
  feed(stream, 6);  // reads that cut the frames and the page anywhere
  EXPECT_EQ(events.seen, (std::vector<std::string>{"firmware ack", "page 4", "configuration ack"}));
  EXPECT_TRUE(std::equal(data.begin(), data.end(), image.begin() + 4 * 128));
  EXPECT_LT(ring.readIndex(), 2045u);  // wrapped
  EXPECT_TRUE(ring.empty());
}

TEST_F(ParserTest, NoiseAndForeignFramesAreSkippedSilently) {
  const Bytes noise{0x00, 0x41, 0x91, 0x13, 0xFE, 0xFF, 0x00, 0xFF, 0xFF, 0x7F};
  // FF 00 and FF FF are no frame types; FF 40 is a frame we send, not one we receive.
  feed(noise + frameBytes(kFirmwarePageHeader, 1, 2) + frameBytes(kFirmwarePageAck));
  EXPECT_EQ(events.seen, (std::vector<std::string>{"firmware ack"}));
}

TEST_F(ParserTest, AckWithABadChecksumIsDroppedWithoutALine) {
  Bytes bad = frameBytes(kConfigurationPageAck);
  bad[7] ^= 1;
  Bytes badFw = frameBytes(kFirmwarePageAck);
  badFw[7] ^= 1;
  feed(bad + badFw);
  EXPECT_TRUE(events.seen.empty());
  feed(frameBytes(kConfigurationPageAck));
  EXPECT_EQ(events.seen, (std::vector<std::string>{"configuration ack"}));
}

TEST_F(ParserTest, OnePageHeaderChecksumErrorPerRejectedStartByte) {
  // A rejected header drops only its start byte: the ack that starts inside it is still found.
  Bytes bad = {0xFF, kPageDataHeader,      0xFF, kConfigurationPageAck, 0, 0, 0, 0,
               0,    kConfigurationPageAck};
  Bytes alsoBad = frameBytes(kPageDataHeader, 2, 0x1234);
  alsoBad[7] ^= 0x80;
  feed(bad + alsoBad + frameBytes(kFirmwarePageAck));
  EXPECT_EQ(events.seen,
            (std::vector<std::string>{"Eeprom frame checksum error.", "configuration ack",
                                      "Eeprom frame checksum error.", "firmware ack"}));
  EXPECT_EQ(parser.mode(), FrameParser::Mode::FrameHunt);
}

TEST_F(ParserTest, PageDataIsTakenWhateverItHoldsEvenStartBytes) {
  Page ff;
  ff.fill(0xFF);
  Page frames{};  // a page that looks like acks throughout
  for (std::size_t i = 0; i < frames.size(); i += 8) {
    const Bytes ack = frameBytes(kConfigurationPageAck);
    std::copy(ack.begin(), ack.end(), frames.begin() + i);
  }
  feed(pageAnswer(0, ff) + pageAnswer(15, frames), 1);  // one byte a read
  EXPECT_EQ(events.seen, (std::vector<std::string>{"page 0", "page 15"}));
  EXPECT_TRUE(std::all_of(image.begin(), image.begin() + 128, [](auto b) { return b == 0xFF; }));
  EXPECT_TRUE(std::equal(frames.begin(), frames.end(), image.begin() + 15 * 128));
}

TEST_F(ParserTest, APageWithAWrongSumIsNotStoredAndHuntingGoesOn) {
  Bytes answer = pageAnswer(3, patterned(9));
  answer[8 + 100] ^= 0x10;
  feed(answer + frameBytes(kFirmwarePageAck));
  EXPECT_EQ(events.seen, (std::vector<std::string>{"Eeprom page data checksum error.",
                                                   "refused: sum", "firmware ack"}));
  EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](auto b) { return b == 0; }));
}

TEST_F(ParserTest, PageNumbersPastTheImageAreDroppedNeverStored) {
  feed(pageAnswer(16, patterned(1)) + pageAnswer(0xFFFF, patterned(2)) +
       pageAnswer(0x0100, patterned(3)) + frameBytes(kConfigurationPageAck));
  EXPECT_EQ(events.seen,
            (std::vector<std::string>{"Eeprom page number error [16].", "refused: number",
                                      "Eeprom page number error [65535].", "refused: number",
                                      "Eeprom page number error [256].", "refused: number",
                                      "configuration ack"}));
  EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](auto b) { return b == 0; }));
}

TEST_F(ParserTest, APageCollectionSurvivesEmptyingTheRing) {
  // Emptying the ring at the start of a page send drops unparsed bytes but not the mode.
  const Bytes answer = pageAnswer(1, patterned(5));
  feed(Bytes(answer.begin(), answer.begin() + 8 + 60));
  EXPECT_EQ(parser.mode(), FrameParser::Mode::PageData);
  ring.clear();
  feed(Bytes(answer.begin() + 8, answer.end()));
  EXPECT_EQ(events.seen, (std::vector<std::string>{"page 1"}));
}

// The worker's limit on lines about rejected frames, on a clock of its own.
TEST(RejectedFrameLimitTest, TwentyLinesThenOneCountASecondThenTheRestOnStopping) {
  using namespace std::chrono_literals;
  RejectedFrameLimit limit;
  const RejectedFrameLimit::Clock::time_point t0{};
  for (int i = 0; i < 20; ++i) EXPECT_TRUE(limit.admit(t0)) << i;
  for (int i = 0; i < 1000; ++i) EXPECT_FALSE(limit.admit(t0 + 1ms * i));
  EXPECT_EQ(limit.summaryDue(t0 + 999ms), "");
  EXPECT_EQ(limit.summaryDue(t0 + 1000ms), "1000 more frames rejected.");
  EXPECT_FALSE(limit.admit(t0 + 1100ms));
  EXPECT_EQ(limit.summaryDue(t0 + 1999ms), "") << "one count a second";
  EXPECT_EQ(limit.summaryDue(t0 + 2000ms), "1 more frame rejected.");
  EXPECT_EQ(limit.summaryDue(t0 + 5000ms), "") << "nothing counted, nothing said";
  EXPECT_FALSE(limit.admit(t0 + 5000ms));
  EXPECT_EQ(limit.summary(), "1 more frame rejected.") << "the worker stops: the rest is said";
  limit.restart();
  EXPECT_TRUE(limit.admit(t0 + 5001ms)) << "a new transfer shows its own in full";
}

}  // namespace
}  // namespace zorbel::link
