// Faults on the line, through the device link's own interface: the real link
// on a real pseudo-terminal, the simulator misbehaving on the other side.
// After every fault the link must still be in hand: nothing crashed or hung,
// the log says what happened, and a clean transfer that follows puts the
// right bytes on the device.
#include <thread>

#include "support/link_fault_fixture.h"
#include "update/firmware.h"

namespace zorbel::faults {
namespace {

using link::PortState;
using link::TransferEnd;
using link::TransferKind;
using namespace std::chrono_literals;

using LinkFaults = LinkFaultTest;

// --- noise

TEST_F(LinkFaults, NoiseBurstsBetweenFramesAreSkippedSilently) {
  sim::SimOptions options;
  options.noiseBytes = 60;   // before every answer
  options.splitAnswers = 7;  // and the answers cut across reads
  startSim(options);
  // Page data that holds frames of its own: taken as data, never as frames.
  settings::Image stored = encoded("NO1SE");
  const Bytes fakeAck{0xFF, 0x81, 0, 0, 0, 0, 0, 0x81};
  std::copy(fakeAck.begin(), fakeAck.end(), stored.begin() + 2010);
  const std::uint32_t sum = settings::imageSum(stored);
  for (int i = 0; i < 4; ++i) stored[i] = static_cast<std::uint8_t>(sum >> (8 * i));
  sim->setEeprom(stored);
  openLink();

  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnds(1));
  EXPECT_EQ(rec.lines(), readSequence());
  ASSERT_EQ(rec.images().size(), 1u);
  EXPECT_EQ(rec.images().front(), stored);
  outcome("noise bursts (60 bytes before every answer, answers split)",
          "read, write and upload complete; no log line for noise");
  cleanTransfersComplete("noise");
  closeReleasesThePort("close after the noise");
}

// --- answers nobody awaits

// A device that acks what nobody sent (or a line that echoes acks): a read
// runs through the flood, and no ack is logged, ends anything or moves a
// transfer that is not running.
TEST_F(LinkFaults, AcksNobodyAwaitsAreDroppedWithoutALine) {
  sim::SimOptions options;
  options.flood = sim::SimOptions::Flood::Acks;
  startSim(options);
  const settings::Image stored = encoded("OK0ACK");
  sim->setEeprom(stored);
  openLink();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnds(1));
  EXPECT_EQ(rec.lines(), readSequence());
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationRead, TransferEnd::Finished));
  ASSERT_EQ(rec.images().size(), 1u);
  EXPECT_EQ(rec.images().front(), stored);
  EXPECT_EQ(sim->frameCount(), 16u);  // no page was written
  outcome("ack flood during a read",
          "read completes with its 33 lines; no ack logged, nothing written");
}

// --- lost answers

TEST_F(LinkFaults, ADroppedWriteAckMakesTheWriteWaitAndWritingAgainCompletesIt) {
  sim::SimOptions options;
  options.dropAnswerTo = 6;  // the ack of page 5
  startSim(options);
  openLink();
  const settings::Image first = encoded("DL1DRP");
  link->writeConfiguration(first);
  ASSERT_TRUE(rec.waitForLines(11));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  // The write waits at page 5: nothing more is logged, nothing ends, the port stays open.
  const auto waiting = rec.lines();
  const auto full = writeSequence();
  EXPECT_EQ(waiting, std::vector<std::string>(full.begin(), full.begin() + 11));
  EXPECT_EQ(waiting.back(), "Eeprom page sent [5].");
  EXPECT_TRUE(rec.ends().empty());
  EXPECT_TRUE(link->workerRunning());

  // "Write config" again: the write starts over from page 0 and completes.
  rec.clear();
  const settings::Image second = encoded("DL2DRP");
  link->writeConfiguration(second);
  ASSERT_TRUE(rec.waitForCount("Send finished.", 1));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  EXPECT_EQ(rec.lines(), writeSequence());
  EXPECT_EQ(sim->eeprom(), second);
  outcome("dropped write acknowledgement",
          "write waits after \"Eeprom page sent [5].\"; Write config again restarts at page 0 and "
          "completes");
  cleanTransfersComplete("dropped write ack");
}

TEST_F(LinkFaults, ADroppedFirmwareAckMakesTheUploadWaitAndUploadingAgainCompletesIt) {
  sim::SimOptions options;
  options.dropAnswerTo = 3;
  startSim(options);
  openLink();
  const Bytes firmware = pattern(1000, 5);  // 8 pages and the extra one
  ASSERT_TRUE(link->uploadFirmware(firmware));
  ASSERT_TRUE(rec.waitForLines(5));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  EXPECT_EQ(rec.lines().back(), "Firmware page sent [2].");
  EXPECT_TRUE(rec.ends().empty());

  rec.clear();
  ASSERT_TRUE(link->uploadFirmware(firmware));
  ASSERT_TRUE(rec.waitForCount("Send finished.", 1));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  EXPECT_EQ(rec.lines(), firmwareSequence(8));
  EXPECT_EQ(sim->firmware(), uploaded(firmware));
  outcome("dropped firmware acknowledgement",
          "upload waits; Upload firmware again restarts at page 0 and completes");
  cleanTransfersComplete("dropped firmware ack");
}

TEST_F(LinkFaults, ADroppedPageAnswerMakesTheReadWaitAndReadingAgainCompletesIt) {
  sim::SimOptions options;
  options.dropAnswerTo = 4;  // the answer to the request for page 3
  startSim(options);
  const settings::Image stored = encoded("OK1RD");
  sim->setEeprom(stored);
  openLink();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForLines(7));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  EXPECT_EQ(rec.lines().back(), "Eeprom read request, page [3].");
  EXPECT_TRUE(rec.images().empty());

  rec.clear();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnds(1));
  EXPECT_EQ(rec.lines(), readSequence());
  ASSERT_EQ(rec.images().size(), 1u);
  EXPECT_EQ(rec.images().front(), stored);
  outcome("dropped page answer on read",
          "read waits; Read config again completes with the device's image");
  cleanTransfersComplete("dropped page answer");
}

// --- damaged answers

TEST_F(LinkFaults, ACorruptedPageStopsTheReadWithItsLineAndNothingIsDecoded) {
  sim::SimOptions options;
  options.corruptPage = 5;
  startSim(options);
  sim->setEeprom(encoded("OK2CRP"));
  openLink();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnds(1));
  const auto lines = rec.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Eeprom page data checksum error.");
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationRead, TransferEnd::PageChecksumError));
  EXPECT_TRUE(rec.images().empty());
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  EXPECT_EQ(rec.lines(), lines);  // no retry, no further request
  outcome("corrupted page on read",
          "\"Eeprom page data checksum error.\", read stops, decoder not run");
  cleanTransfersComplete("corrupted page");
}

TEST_F(LinkFaults, ABadPageHeaderIsLoggedAndTheReadWaits) {
  sim::SimOptions options;
  options.badHeaderPage = 2;
  startSim(options);
  sim->setEeprom(encoded("OK3HDR"));
  openLink();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForCount("Eeprom frame checksum error.", 1));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  EXPECT_EQ(rec.lines().back(), "Eeprom frame checksum error.");
  EXPECT_TRUE(rec.images().empty());
  outcome("page header with a bad frame checksum", "\"Eeprom frame checksum error.\", read waits");
  // "Close port" while the read waits, then "Open port" again.
  closeReleasesThePort("close while a read waits for its page");
  openLink();
  cleanTransfersComplete("bad page header");
}

TEST_F(LinkFaults, WrongPageNumbersNeverReachTheDecoder) {
  // A page answered under another number within the image: the image sum catches it.
  sim::SimOptions options;
  options.wrongPageAnswer = 4;
  options.wrongPageNumber = 9;
  startSim(options);
  settings::Image stored = encoded("OK4WPN");
  sim->setEeprom(stored);
  openLink();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnds(1));
  EXPECT_EQ(rec.lines().back(),
            "Eeprom read checksum error. Please upload new eeprom data to device.");
  EXPECT_EQ(rec.ends().front(),
            std::make_pair(TransferKind::ConfigurationRead, TransferEnd::ImageChecksumError));
  EXPECT_TRUE(rec.images().empty());
  outcome("page answered under another page number (3 -> 9)",
          "\"Eeprom read checksum error. ...\", decoder not run");
  cleanTransfersComplete("wrong page number in the image");
}

TEST_F(LinkFaults, PageNumbersPastTheImageAreDroppedWithTheirLine) {
  for (const std::uint16_t number : {std::uint16_t{16}, std::uint16_t{0xFFFF}}) {
    SCOPED_TRACE(number);
    link.reset();
    rec.clear();
    sim::SimOptions options;
    options.wrongPageAnswer = 2;
    options.wrongPageNumber = number;
    startSim(options);
    sim->setEeprom(encoded("OK5BIG"));
    openLink();
    link->readConfiguration();
    ASSERT_TRUE(rec.waitForEnds(1));
    EXPECT_EQ(rec.lines().back(), bracket("Eeprom page number error [", number));
    EXPECT_EQ(rec.ends().front(),
              std::make_pair(TransferKind::ConfigurationRead, TransferEnd::PageNumberError));
    cleanTransfersComplete("page number " + std::to_string(number));
  }
  outcome("page numbered 16 or 65535",
          "\"Eeprom page number error [n].\", page dropped, read stops");
}

// --- the line goes away

TEST_F(LinkFaults, AHangUpMidUploadIsReportedOnceAndANewPortWorks) {
  sim::SimOptions options;
  options.hangUpAfter = 7;
  startSim(options);
  openLink();
  ASSERT_TRUE(link->uploadFirmware(pattern(3000, 8)));
  ASSERT_TRUE(rec.waitForState(PortState::Lost)) << "the hang-up went unnoticed";
  const auto lines = rec.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("Serial port lost: " + sim->slavePath(), 0), 0u) << lines.back();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Send finished."), 0);
  EXPECT_TRUE(rec.ends().empty());
  EXPECT_FALSE(link->workerRunning());
  // Closing now, or again, does nothing more.
  link->close();
  link->stopAndJoin();
  EXPECT_EQ(rec.lines().size(), lines.size());
  outcome("hang-up mid-upload (7th frame)",
          "\"" + lines.back() + "\"; worker ends, no \"Send finished.\"");

  startSim();
  openLink();
  cleanTransfersComplete("after the hang-up");
}

// --- transfers started again while they run (at the line's real speed)

TEST_F(LinkFaults, WriteConfigAgainDuringItsOwnWriteStartsOverAndTheLastImageIsWritten) {
  sim::SimOptions options;
  options.baud = 115200;
  startSim(options);
  openLink();
  const settings::Image first = encoded("AA1AAA");
  const settings::Image second = encoded("BB2BBB");
  link->writeConfiguration(first);
  ASSERT_TRUE(rec.waitForCount("Page receive ack.", 6));
  link->writeConfiguration(second);
  ASSERT_TRUE(rec.waitForCount("Send finished.", 1));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  EXPECT_EQ(sim->eeprom(), second);
  const auto lines = rec.lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Send finished."), 1) << joined(lines);
  // The restart is the last 33 lines: the second write whole.
  ASSERT_GE(lines.size(), writeSequence().size());
  EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(writeSequence().size()),
                                     lines.end()),
            writeSequence())
      << joined(lines);
  ASSERT_EQ(rec.ends().size(), 1u);
  outcome("Write config again during its own write",
          "starts over at page 0; one \"Send finished.\"; the second image on the device");
  cleanTransfersComplete("write restarted");
}

TEST_F(LinkFaults, UploadFirmwareAgainDuringItsOwnUploadStartsOverWithTheNewFile) {
  sim::SimOptions options;
  options.baud = 115200;
  startSim(options);
  openLink();
  const Bytes first = pattern(30 * 128, 1);
  const Bytes second = pattern(20 * 128 + 5, 2);
  ASSERT_TRUE(link->uploadFirmware(first));
  ASSERT_TRUE(rec.waitForCount("Page receive ack.", 8));
  ASSERT_TRUE(link->uploadFirmware(second));
  ASSERT_TRUE(rec.waitForCount("Send finished.", 1));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  const auto lines = rec.lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Send finished."), 1) << joined(lines);
  const auto restart = firmwareSequence(21);
  ASSERT_GE(lines.size(), restart.size());
  EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(restart.size()), lines.end()),
            restart)
      << joined(lines);
  // Pages 0..21 are the second file's; pages past it still hold the first upload's.
  Bytes expected = uploaded(second);
  const Bytes firstPages = uploaded(first);
  expected.insert(
      expected.end(), firstPages.begin() + static_cast<long>(expected.size()),
      firstPages.begin() + static_cast<long>(std::min(firstPages.size(), sim->firmware().size())));
  EXPECT_EQ(sim->firmware(), expected);
  outcome("Upload firmware again during its own upload",
          "starts over at page 0 with the new file; one \"Send finished.\"");
  cleanTransfersComplete("upload restarted");
}

TEST_F(LinkFaults, ReadConfigAgainDuringItsOwnReadStartsOverAndHandsOverOneImage) {
  sim::SimOptions options;
  options.baud = 115200;
  startSim(options);
  const settings::Image stored = encoded("OK7AGN");
  sim->setEeprom(stored);
  openLink();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForCount("Eeprom page received.", 5));
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForCount("Eeprom read finished.", 1));
  ASSERT_TRUE(rec.waitForSettled(*link, *sim));
  const auto lines = rec.lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Eeprom read finished."), 1) << joined(lines);
  const auto restart = readSequence();
  ASSERT_GE(lines.size(), restart.size());
  EXPECT_EQ(std::vector<std::string>(lines.end() - static_cast<long>(restart.size()), lines.end()),
            restart)
      << joined(lines);
  ASSERT_EQ(rec.images().size(), 1u);
  EXPECT_EQ(rec.images().front(), stored);
  outcome("Read config again during its own read",
          "starts over at page 0; one \"Eeprom read finished.\", one image handed over");
  cleanTransfersComplete("read restarted");
}

// A write started while a read waits for its page shares the line with it:
// the device answers both, and neither may lose the other's bytes.
TEST_F(LinkFaults, AConfigurationWriteDuringAReadEndsBothCleanly) {
  sim::SimOptions options;
  options.baud = 115200;
  startSim(options);
  const settings::Image old = encoded("OLD1");
  openLink();
  std::string outcomes;
  // The write goes out at the start of a page's answer, or some bytes into it
  // (a page's answer is 136 bytes, 12.5 ms on the line).
  const std::vector<std::pair<std::size_t, std::uint64_t>> starts{
      {1, 0}, {4, 23}, {9, 69}, {14, 115}};
  for (const auto& [after, into] : starts) {
    SCOPED_TRACE(after);
    const settings::Image fresh = encoded("NEW" + std::to_string(after));
    sim->setEeprom(old);
    rec.clear();
    const std::uint64_t before = sim->bytesSent();
    link->readConfiguration();
    ASSERT_TRUE(rec.waitForCount("Eeprom page received.", after));
    ASSERT_TRUE(eventually([&] { return sim->bytesSent() >= before + after * 136 + into; }));
    link->writeConfiguration(fresh);
    // Both end: the write with its image on the device, the read completed or
    // stopped with its line. Neither waits silently, and the read never hands
    // over an image that fails its sum.
    const auto isRead = [](auto& e) { return e.first == TransferKind::ConfigurationRead; };
    ASSERT_TRUE(rec.waitFor([&] {
      const auto ends = rec.ends();
      return ends.size() == 2 && std::any_of(ends.begin(), ends.end(), isRead);
    })) << joined(rec.lines());
    EXPECT_EQ(sim->eeprom(), fresh);
    const auto ends = rec.ends();
    const auto read = std::find_if(ends.begin(), ends.end(), isRead);
    for (const auto& image : rec.images()) EXPECT_TRUE(link::checkReceivedImage(image));
    outcomes +=
        (outcomes.empty() ? "" : ", ") + std::string("after page ") + std::to_string(after) + ": " +
        (read->second == TransferEnd::Finished ? "read completed" : "read stopped with its line");
  }
  outcome("configuration write during a read (4 start points)",
          "every write completes with its image; " + outcomes);

  rec.clear();
  link->readConfiguration();
  ASSERT_TRUE(rec.waitForEnds(1));
  ASSERT_EQ(rec.images().size(), 1u);
  EXPECT_EQ(rec.images().front(), sim->eeprom());
  cleanTransfersComplete("write during a read");
}

}  // namespace
}  // namespace zorbel::faults
