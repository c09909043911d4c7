#pragma once
// The device link on a simulator that misbehaves: a fault test opens the link,
// injects its fault, and then shows that clean transfers still complete.
#include <cstdio>
#include <memory>
#include <string>

#include "support/fault_support.h"

namespace zorbel::faults {

class LinkFaultTest : public SimulatorTest {
 protected:
  void openLink() {
    if (!link) link = std::make_unique<link::DeviceLink>(rec.callbacks());
    const auto result = link->open(sim->slavePath());
    ASSERT_TRUE(result.ok()) << result.error().reason;
  }

  // The clean transfers that must work after any fault: a write of a new
  // image, read back, and a firmware upload; all end up on the device.
  void cleanTransfersComplete(const std::string& fault) {
    rec.clear();
    const settings::Image image = encoded("DK9CLN");
    link->writeConfiguration(image);
    ASSERT_TRUE(rec.waitForCount("Send finished.", 1)) << fault << ": the clean write hung";
    EXPECT_EQ(rec.lines(), writeSequence()) << fault;
    EXPECT_EQ(sim->eeprom(), image) << fault;

    rec.clear();
    link->readConfiguration();
    ASSERT_TRUE(rec.waitFor([&] { return !rec.images().empty(); }))
        << fault << ": the clean read hung";
    EXPECT_EQ(rec.images().front(), image) << fault;

    rec.clear();
    const Bytes firmware = pattern(700, 3);
    ASSERT_TRUE(link->uploadFirmware(firmware));
    ASSERT_TRUE(rec.waitForCount("Send finished.", 1)) << fault << ": the clean upload hung";
    EXPECT_EQ(rec.lines(), firmwareSequence(6)) << fault;
    EXPECT_TRUE(holdsUpload(*sim, firmware)) << fault;
  }

  // Closing after a fault releases the port within about a read time-out.
  void closeReleasesThePort(const std::string& fault) {
    const auto start = Clock::now();
    link->close();
    ASSERT_TRUE(rec.waitForState(link::PortState::Closed)) << fault << ": close hung";
    char ms[32];
    std::snprintf(ms, sizeof ms, "%.1f", msSince(start));
    outcome(fault, std::string("port released ") + ms + " ms after close");
  }

  // Declared so that the link goes first, then the simulator, then the recorder.
  Recorder rec;
  std::unique_ptr<link::DeviceLink> link;  // stopped before the simulator goes
};

}  // namespace zorbel::faults
