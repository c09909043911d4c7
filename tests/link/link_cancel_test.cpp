// Cancelling a transfer: the real link on a pseudo-terminal, the simulator
// playing the device. A cancel lets the page in flight be answered and sends
// nothing after it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/device_link.h"
#include "link_test_support.h"
#include "simulator.h"
#include "support/simulator_fixture.h"

namespace zorbel::link {
namespace {

using test::Recorder;

class LinkCancel : public zorbel::test::SimulatorTest {
 protected:
  void openLink() {
    link = std::make_unique<DeviceLink>(rec.callbacks(Recorder::HandOverMode::DoneAtOnce));
    const auto opened = link->open(sim->slavePath());
    ASSERT_TRUE(opened.ok()) << opened.error().reason;
  }
  // Cancels once `pages` pages of the transfer have been answered.
  void cancelAfter(TransferKind kind, std::uint32_t pages) {
    ASSERT_TRUE(rec.waitFor([&](Recorder& r) {
      const auto p = r.progress();
      return !p.empty() && std::get<0>(p.back()) == kind && std::get<1>(p.back()) >= pages;
    }));
    link->cancel();
  }
  // The number N of the line "... cut short after page N of ..." the transfer ended with.
  static std::uint32_t pagesDone(const std::string& line) {
    const auto at = line.find("after page ");
    return at == std::string::npos ? 0
                                   : static_cast<std::uint32_t>(std::stoul(line.substr(at + 11)));
  }

  Recorder rec;
  std::unique_ptr<DeviceLink> link;
};

TEST_F(LinkCancel, WriteEndsOnceThePageInFlightIsAnswered) {
  sim::SimOptions slow;
  slow.baud = 9600;  // a page takes 0.14 s on the line: the cancel comes while one is in flight
  startSim(slow);
  const settings::Image before = test::encoded("OLD1");
  sim->setEeprom(before);
  openLink();
  const settings::Image image = test::encoded("NEW1");
  link->writeConfiguration(image);
  cancelAfter(TransferKind::ConfigurationWrite, 3);

  ASSERT_TRUE(rec.waitForEnd());
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationWrite, TransferEnd::Cancelled));
  const std::vector<std::string> lines = rec.lines();
  const std::uint32_t done = pagesDone(lines.back());
  ASSERT_GE(done, 4u);  // the page in flight when the cancel came was answered
  ASSERT_LT(done, 16u);
  EXPECT_EQ(lines.back(), "Write cut short after page " + std::to_string(done) + " of 16.");
  EXPECT_EQ(lines[lines.size() - 2], "Page receive ack.");
  EXPECT_EQ(lines[lines.size() - 3], test::bracket("Eeprom page sent [", done - 1));
  // Nothing went out after the boundary: the device holds the first pages new, the rest old.
  EXPECT_EQ(sim->frames().size(), done);
  const settings::Image held = sim->eeprom();
  const std::size_t boundary = std::size_t{done} * 128;
  EXPECT_TRUE(std::equal(held.begin(), held.begin() + boundary, image.begin()));
  EXPECT_TRUE(std::equal(held.begin() + boundary, held.end(), before.begin() + boundary));
}

// A device that stops answering does not hold the cancel up; a request posted
// after the cancel goes out as usual.
TEST_F(LinkCancel, UploadEndsWithoutTheAnswerThatNeverComesAndTheNextWriteGoesOut) {
  sim::SimOptions silent;
  silent.dropAnswerTo = 4;  // page 3 is never acknowledged
  startSim(silent);
  openLink();
  (void)link->uploadFirmware(test::patternBytes(10 * 128, 3));
  cancelAfter(TransferKind::Firmware, 3);

  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.ends().front(), std::make_pair(TransferKind::Firmware, TransferEnd::Cancelled));
  EXPECT_EQ(rec.lines().back(),
            "Upload cut short after page 3 of 11: the device needs a complete upload before it "
            "runs again.");
  EXPECT_EQ(sim->frames().size(), 4u);

  rec.clear();
  const settings::Image image = test::encoded();
  link->writeConfiguration(image);
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationWrite, TransferEnd::Finished));
  EXPECT_EQ(rec.lines(), test::writeSequence());
  EXPECT_EQ(sim->eeprom(), image);
}

}  // namespace
}  // namespace zorbel::link
