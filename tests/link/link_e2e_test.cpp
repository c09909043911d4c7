// The device link end to end: the real link on a real pseudo-terminal, the
// simulator playing the device on the other side.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "link/device_link.h"
#include "link/simulator_link.h"
#include "link_test_support.h"
#include "settings/codec.h"
#include "settings/model.h"
#include "simulator.h"
#include "support/env_guard.h"
#include "support/simulator_fixture.h"
#include "update/firmware.h"

namespace zorbel::link {
namespace {

using test::Recorder;
using Mode = Recorder::HandOverMode;
using Bytes = std::vector<std::uint8_t>;

using test::encoded;
using test::kNow;
using test::loadedPages;
using test::patternBytes;
using test::restoreSum;
using test::TempDir;

class LinkTest : public zorbel::test::SimulatorTest {
 protected:
  void makeLink(Mode mode = Mode::DoneAtOnce) {
    link = std::make_unique<DeviceLink>(rec.callbacks(mode));
  }
  void openSim() {
    const auto result = link->open(sim->slavePath());
    ASSERT_TRUE(result.ok()) << result.error().reason;
  }
  // Declared so that the link goes before the recorder it reports to, and both
  // before the simulator.
  Recorder rec;
  std::unique_ptr<DeviceLink> link;
};

// --- the three transfers when the device answers everything

TEST_F(LinkTest, WriteSendsSixteenPagesEachAfterTheAckOfTheOneBefore) {
  startSim();
  makeLink();
  openSim();
  const settings::Image image = encoded();
  link->writeConfiguration(image);
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.lines(), test::writeSequence());
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationWrite, TransferEnd::Finished));
  EXPECT_EQ(sim->eeprom(), image);
  const auto frames = sim->frames();
  ASSERT_EQ(frames.size(), 16u);
  for (std::size_t n = 0; n < 16; ++n) {
    EXPECT_EQ(frames[n].type, 0x80);
    EXPECT_EQ(frames[n].page, n);
    EXPECT_TRUE(frames[n].pageSumOk);
  }
  const auto progress = rec.progress();
  EXPECT_EQ(progress.front(), std::make_tuple(TransferKind::ConfigurationWrite, 0u, 16u));
  EXPECT_EQ(progress.back(), std::make_tuple(TransferKind::ConfigurationWrite, 16u, 16u));
}

TEST_F(LinkTest, ReadHandsTheImageOverAndWaitsForTheDecoder) {
  startSim();
  const settings::Image image = encoded("OK1XYZ");
  sim->setEeprom(image);
  makeLink(Mode::Keep);
  openSim();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitFor([](Recorder& r) { return !r.images().empty(); }));
  auto hand = rec.takeHand();
  ASSERT_TRUE(hand);
  EXPECT_EQ(hand->image(), image);
  EXPECT_EQ(rec.lines(), test::readSequence());
  // The worker waits in the hand-over: its read has not ended yet.
  EXPECT_TRUE(rec.ends().empty());

  settings::SettingsModel model(kNow);
  ASSERT_TRUE(settings::decodeSettings(hand->image(), model).ok());
  EXPECT_EQ(model.text("Callsign"), "OK1XYZ");
  hand->done();
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationRead, TransferEnd::Finished));
  EXPECT_EQ(rec.progress().back(), std::make_tuple(TransferKind::ConfigurationRead, 16u, 16u));
}

TEST_F(LinkTest, FirmwareOfThreeHundredBytesSendsPagesZeroToThree) {
  startSim();
  makeLink();
  openSim();
  const Bytes bytes = patternBytes(300, 7);
  update::FirmwarePages firmware;
  ASSERT_TRUE(firmware.load(dir.file("fw.hash", bytes)).ok());
  ASSERT_EQ(firmware.pageCount(), 3u);
  (void)link->uploadFirmware(loadedPages(firmware));
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.lines(), test::firmwareSequence(3));
  Bytes expected = bytes;
  expected.resize(4 * 128, 0);  // the tail of page 2 and the extra page 3 are zeros
  EXPECT_EQ(sim->firmware(), expected);
  EXPECT_EQ(rec.progress().front(), std::make_tuple(TransferKind::Firmware, 0u, 4u));
  EXPECT_EQ(rec.progress().back(), std::make_tuple(TransferKind::Firmware, 4u, 4u));
}

TEST_F(LinkTest, EmptyFirmwareStillSendsPageZero) {
  startSim();
  makeLink();
  openSim();
  ASSERT_TRUE(link->uploadFirmware(std::span<const std::uint8_t>{}));
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.lines(), test::firmwareSequence(0));
  EXPECT_EQ(sim->firmware(), Bytes(128, 0));
  EXPECT_FALSE(link->uploadFirmware(Bytes(update::kFirmwareBufferSize + 1)));
}

TEST_F(LinkTest, FullSizeFirmwareSendsAZeroExtraPagePastTheBuffer) {
  startSim();
  makeLink();
  openSim();
  const Bytes bytes = patternBytes(update::kFirmwareBufferSize, 1);
  ASSERT_TRUE(link->uploadFirmware(bytes));
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.lines().size(), test::firmwareSequence(1856).size());
  EXPECT_EQ(rec.lines()[rec.lines().size() - 3], "Firmware page sent [1856].");
  Bytes expected = bytes;
  expected.resize(bytes.size() + 128, 0);
  EXPECT_EQ(sim->firmware(), expected);
}

// --- a line that splits, delays and garbles the answers

TEST_F(LinkTest, AnswersSplitAcrossReadsAndTheRingsEndBehindNoise) {
  sim::SimOptions options;
  options.noiseBytes = 11;
  options.splitAnswers = 5;  // cuts every header and page across reads
  startSim(options);
  const settings::Image image = encoded();
  sim->setEeprom(image);
  makeLink();
  openSim();
  // Sixteen pages with their noise pass more than 2048 bytes through the ring.
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.lines(), test::readSequence());
  ASSERT_EQ(rec.images().size(), 1u);
  EXPECT_EQ(rec.images().front(), image);
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationRead, TransferEnd::Finished));
}

TEST_F(LinkTest, BadPageHeaderChecksumLogsOncePerRejectedStartByte) {
  sim::SimOptions options;
  options.badHeaderPage = 1;
  startSim(options);
  // Page 0 holds two more page data headers with bad checksums: once the real
  // header is rejected, the parser hunts through the page and rejects them too.
  settings::Image image{};
  const Bytes fake{0xFF, 0x91, 0, 0, 0, 0, 0, 0};
  std::copy(fake.begin(), fake.end(), image.begin() + 20);
  std::copy(fake.begin(), fake.end(), image.begin() + 90);
  sim->setEeprom(image);
  makeLink();
  openSim();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForLines(4));
  // Nothing else happened: the link's next transfer follows directly.
  link->writeConfiguration(encoded());
  ASSERT_TRUE(rec.waitForEnd());
  std::vector<std::string> expected{"Eeprom read request, page [0].",
                                    "Eeprom frame checksum error.", "Eeprom frame checksum error.",
                                    "Eeprom frame checksum error."};
  for (const auto& line : test::writeSequence()) expected.push_back(line);
  EXPECT_EQ(rec.lines(), expected);
  EXPECT_TRUE(rec.images().empty());
}

TEST_F(LinkTest, APageWithABadSumStopsTheRead) {
  sim::SimOptions options;
  options.corruptPage = 3;
  startSim(options);
  sim->setEeprom(encoded());
  makeLink();
  openSim();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationRead, TransferEnd::PageChecksumError));
  link->writeConfiguration(encoded());
  ASSERT_TRUE(rec.waitForEnd(2));
  auto expected = test::readSequence(3);  // pages 0 and 1 arrive; page 2 is the corrupt one
  expected.push_back("Eeprom page data checksum error.");
  for (const auto& line : test::writeSequence()) expected.push_back(line);
  EXPECT_EQ(rec.lines(), expected);
  EXPECT_TRUE(rec.images().empty());  // the decoder never ran
  // No page was requested after the bad one.
  const auto frames = sim->frames();
  EXPECT_EQ(std::count_if(frames.begin(), frames.end(), [](auto& f) { return f.type == 0x90; }), 3);
}

TEST_F(LinkTest, AWrongImageSumLogsTheReadChecksumErrorAndHandsNothingOver) {
  startSim();
  settings::Image image = encoded();
  image[500] ^= 0x40;  // damaged after the sum was taken
  sim->setEeprom(image);
  makeLink();
  openSim();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnd());
  auto expected = test::readSequence();
  expected.push_back("Eeprom read checksum error. Please upload new eeprom data to device.");
  EXPECT_EQ(rec.lines(), expected);
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationRead, TransferEnd::ImageChecksumError));
  EXPECT_TRUE(rec.images().empty());
}

TEST_F(LinkTest, APageAnsweredUnderAnotherNumberIsStoredThereAndTheImageSumCatchesIt) {
  sim::SimOptions options;
  options.wrongPageAnswer = 3;
  options.wrongPageNumber = 5;  // page 2 is asked for, page 5 comes
  startSim(options);
  settings::Image image = encoded();
  image[2 * 128 + 1] ^= 0x01;  // pages 2 and 5 differ
  restoreSum(image);
  sim->setEeprom(image);
  makeLink();
  openSim();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnd());
  auto expected = test::readSequence();
  expected.push_back("Eeprom read checksum error. Please upload new eeprom data to device.");
  EXPECT_EQ(rec.lines(), expected);
}

TEST_F(LinkTest, APageNumberedPastTheImageIsDroppedAndTheReadStops) {
  sim::SimOptions options;
  options.wrongPageAnswer = 2;
  options.wrongPageNumber = 16;
  startSim(options);
  const settings::Image image = encoded();
  sim->setEeprom(image);
  makeLink();
  openSim();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnd());
  auto expected = test::readSequence(2);
  expected.push_back("Eeprom page number error [16].");
  EXPECT_EQ(rec.lines(), expected);
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationRead, TransferEnd::PageNumberError));
  // A new read starts over and completes with the device's image.
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnd(2));
  ASSERT_EQ(rec.images().size(), 1u);
  EXPECT_EQ(rec.images().front(), image);
}

// --- requests, ports and workers

TEST_F(LinkTest, ReadConfigBeforeOpenPortGoesOutAfterTheOpen) {
  startSim();
  sim->setEeprom(encoded());
  makeLink();
  link->readConfiguration();
  EXPECT_FALSE(link->workerRunning());
  EXPECT_EQ(sim->frameCount(), 0u);
  openSim();
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(rec.lines(), test::readSequence());
}

TEST_F(LinkTest, RequestsOfEveryKindPostedTogetherAllGoOut) {
  startSim();
  makeLink();
  const settings::Image image = encoded();
  link->writeConfiguration(encoded("WRONG"));
  (void)link->uploadFirmware(patternBytes(200, 3));
  link->writeConfiguration(image);  // replaces the pending write
  openSim();
  ASSERT_TRUE(rec.waitFor([](Recorder& r) {
    const auto lines = r.lines();
    return std::count(lines.begin(), lines.end(), "Send finished.") == 2;
  }));
  EXPECT_EQ(sim->eeprom(), image);
  Bytes firmware = patternBytes(200, 3);
  firmware.resize(3 * 128, 0);
  EXPECT_EQ(sim->firmware(), firmware);
}

TEST_F(LinkTest, ClosePortFreesThePortForAnotherProgram) {
  startSim();
  makeLink();
  openSim();
  EXPECT_TRUE(link->workerRunning());
  // While the link holds it, nobody else gets the port.
  Recorder otherRec;
  DeviceLink other(otherRec.callbacks());
  const auto busy = other.open(sim->slavePath());
  EXPECT_FALSE(busy.ok());
  EXPECT_EQ(busy.error().message,
            "Serial port open error. Try to reconnect the device and reset application.");
  EXPECT_NE(busy.error().reason.find("busy"), std::string::npos) << busy.error().reason;
  EXPECT_NE(busy.error().hint.find("Another program"), std::string::npos);
  ASSERT_EQ(otherRec.lines().size(), 1u);
  EXPECT_EQ(otherRec.lines().front().rfind("Serial port open error: " + sim->slavePath(), 0), 0u);
  EXPECT_FALSE(other.workerRunning());

  link->close();
  ASSERT_TRUE(rec.waitForState(PortState::Closed));
  EXPECT_FALSE(link->workerRunning());
  const auto freed = other.open(sim->slavePath());
  EXPECT_TRUE(freed.ok()) << freed.error().reason;
  // And the port works for the new owner.
  other.writeConfiguration(encoded());
  ASSERT_TRUE(otherRec.waitForEnd());
  link->close();  // no worker: nothing happens
}

TEST_F(LinkTest, OpenPortWhileOpenSwitchesToTheNewPort) {
  startSim();
  sim::Simulator second;
  const auto started = second.start();
  ASSERT_TRUE(started) << started.error().message;
  makeLink();
  openSim();
  ASSERT_TRUE(link->open(second.slavePath()).ok());
  // The first worker ended and released its port before the second started.
  const auto states = rec.states();
  ASSERT_GE(states.size(), 2u);
  EXPECT_EQ(states[0], PortState::Open);
  EXPECT_EQ(states[1], PortState::Closed);
  const settings::Image image = encoded();
  link->writeConfiguration(image);
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(second.eeprom(), image);
  EXPECT_EQ(sim->frameCount(), 0u);
  DeviceLink again;
  EXPECT_TRUE(again.open(sim->slavePath()).ok());
}

TEST_F(LinkTest, AHangUpMidTransferIsReportedOnceAndTheWorkerEnds) {
  sim::SimOptions options;
  options.hangUpAfter = 5;
  startSim(options);
  makeLink();
  openSim();
  (void)link->uploadFirmware(patternBytes(2000, 9));
  ASSERT_TRUE(rec.waitForState(PortState::Lost));
  EXPECT_FALSE(link->workerRunning());
  auto lines = rec.lines();
  ASSERT_EQ(lines.size(), 10u);
  const std::vector<std::string> first(lines.begin(), lines.begin() + 9);
  const auto full = test::firmwareSequence(16);
  EXPECT_EQ(first, std::vector<std::string>(full.begin(),
                                            full.begin() + 9));  // pages 0..4 sent, 0..3 acked
  EXPECT_EQ(lines.back().rfind("Serial port lost: " + sim->slavePath(), 0), 0u) << lines.back();
  EXPECT_TRUE(rec.ends().empty());
  link->close();
  link->stopAndJoin();
  EXPECT_EQ(rec.lines().size(), 10u);
  // The link opens again when there is a device.
  sim::Simulator next;
  const auto started = next.start();
  ASSERT_TRUE(started) << started.error().message;
  EXPECT_TRUE(link->open(next.slavePath()).ok());
}

TEST_F(LinkTest, OpeningAMissingPortGivesTheMessageTheReasonAndALogLine) {
  makeLink();
  const auto result = link->open("/dev/zorbel-no-such-port");
  EXPECT_FALSE(result.ok());
  EXPECT_EQ(result.error().message,
            "Serial port open error. Try to reconnect the device and reset application.");
  EXPECT_EQ(result.error().reason.substr(0, result.error().reason.find('\n')),
            "/dev/zorbel-no-such-port: No such file or directory");
  EXPECT_FALSE(link->workerRunning());
  ASSERT_EQ(rec.lines().size(), 1u);
  EXPECT_EQ(rec.lines()[0].rfind(
                "Serial port open error: /dev/zorbel-no-such-port: No such file or directory. ", 0),
            0u);
  // Only terminals are ports.
  const auto notTty = link->open("/dev/null");
  EXPECT_FALSE(notTty.ok());
  EXPECT_EQ(notTty.error().reason.substr(0, notTty.error().reason.find('\n')),
            "/dev/null: Not a serial port");
}

// --- the hand-over can never hold the owner or the worker

TEST_F(LinkTest, StopAndJoinReleasesAWorkerWaitingInTheHandOver) {
  startSim();
  sim->setEeprom(encoded());
  makeLink(Mode::Keep);
  openSim();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitFor([](Recorder& r) { return !r.images().empty(); }));
  auto hand = rec.takeHand();  // the owner never runs the decoder
  link->stopAndJoin();         // the owner shuts down: must not deadlock
  EXPECT_FALSE(link->workerRunning());
  hand->done();  // too late, harmless
  EXPECT_TRUE(rec.ends().empty());
}

TEST_F(LinkTest, ADroppedHandOverReleasesTheWorker) {
  startSim();
  sim->setEeprom(encoded());
  makeLink(Mode::Drop);  // like a queued call to a window that has gone
  openSim();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnd());
  link->writeConfiguration(encoded());
  ASSERT_TRUE(rec.waitForEnd(2));
}

// --- a transfer sends from its own copy

TEST_F(LinkTest, ALoadDuringAnUploadNeverMixesPagesIntoIt) {
  startSim();
  makeLink();
  openSim();
  const Bytes first = patternBytes(40 * 128, 1);
  const Bytes second = patternBytes(40 * 128, 2);
  update::FirmwarePages firmware;
  ASSERT_TRUE(firmware.load(dir.file("a.hash", first)).ok());
  (void)link->uploadFirmware(loadedPages(firmware));
  ASSERT_TRUE(
      firmware.load(dir.file("b.hash", second)).ok());  // the owner's buffer changes at once
  ASSERT_TRUE(rec.waitForEnd());
  Bytes expected = first;
  expected.resize(41 * 128, 0);
  EXPECT_EQ(sim->firmware(), expected);

  // A second upload while one runs starts over with its own pages.
  (void)link->uploadFirmware(first);
  ASSERT_TRUE(rec.waitForLines(rec.lines().size() + 10));
  (void)link->uploadFirmware(loadedPages(firmware));
  // The upload of `first` may still finish before the new one reaches the
  // worker, so a second "Send finished." alone does not mean the new one ended.
  expected = second;
  expected.resize(41 * 128, 0);
  EXPECT_TRUE(rec.waitFor([&](Recorder& r) {
    const auto lines = r.lines();
    return std::count(lines.begin(), lines.end(), "Send finished.") >= 2 &&
           sim->firmware() == expected;
  }));
  EXPECT_EQ(sim->firmware(), expected);
}

TEST_F(LinkTest, AnEncodeDuringAWriteNeverMixesPagesIntoIt) {
  startSim();
  makeLink();
  openSim();
  settings::Image image = encoded("AA1AAA");
  const settings::Image sent = image;
  link->writeConfiguration(image);
  image = encoded("BB2BBB");  // the owner's image changes at once
  ASSERT_TRUE(rec.waitForEnd());
  EXPECT_EQ(sim->eeprom(), sent);
}

// --- port names

TEST(PortNames, ComItemsStandForTheSerialPorts) {
  EXPECT_EQ(DeviceLink::devicePath("COM1"), "/dev/ttyS0");
  EXPECT_EQ(DeviceLink::devicePath("COM9"), "/dev/ttyS8");
  EXPECT_EQ(DeviceLink::devicePath("COM10"), "COM10");
  EXPECT_EQ(DeviceLink::devicePath("/dev/ttyUSB0"), "/dev/ttyUSB0");
  // A COM name is offered only for a serial port that is there.
  for (const std::string& name : DeviceLink::portNames()) {
    if (name.rfind("COM", 0) == 0) {
      EXPECT_TRUE(std::filesystem::exists(DeviceLink::devicePath(name))) << name;
    }
  }
}

bool offered(const std::string& name) {
  const auto names = DeviceLink::portNames();
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(PortNames, TheSimulatorIsOfferedOnlyWhileALivingSimulatorHoldsItsLink) {
  TempDir dir;
  const zorbel::test::EnvGuard runtime("XDG_RUNTIME_DIR", dir.path());
  const std::string simLink = dir.path() + "/zorbel-sim";
  EXPECT_EQ(DeviceLink::simulatorLinkPath(), simLink);
  EXPECT_FALSE(offered(simLink));

  sim::Simulator sim;
  const auto started = sim.start();
  ASSERT_TRUE(started) << started.error().message;
  {
    auto published = SimulatorLink::publish(simLink, sim.slavePath());
    ASSERT_TRUE(published) << published.error().message;
    EXPECT_EQ(DeviceLink::portNames().back(), simLink);
    EXPECT_EQ(zorbel::test::readFile(SimulatorLink::lockPath(simLink)),
              std::to_string(::getpid()) + "\n");
    DeviceLink link;
    EXPECT_TRUE(link.open(simLink).ok());
    link.stopAndJoin();
    // A second simulator does not take over a link a living one holds.
    const auto second = SimulatorLink::publish(simLink, "/dev/null");
    ASSERT_FALSE(second);
    EXPECT_NE(second.error().message.find("held by another running simulator"), std::string::npos)
        << second.error().message;
  }
  EXPECT_FALSE(offered(simLink));

  // What a simulator that crashed leaves: the link and an unheld lock file. The
  // link is not offered even while its target is a living terminal (here still
  // the simulator's; after a crash, whoever opened a terminal of that number).
  ASSERT_EQ(::symlink(sim.slavePath().c_str(), simLink.c_str()), 0);
  zorbel::test::writeFile(SimulatorLink::lockPath(simLink), "12345\n");
  EXPECT_FALSE(offered(simLink));
}

}  // namespace
}  // namespace zorbel::link
