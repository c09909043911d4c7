// zorbelctl write, read and upload: the real program against the simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "link/link_test_support.h"
#include "simulator.h"
#include "support/program_run.h"
#include "support/simulator_fixture.h"

namespace zorbel::link {
namespace {

using test::TempDir;

struct CtlRun {
  int status = -1;
  std::string out;
  std::string err;
};

// The transfers as they are without backups (zorbelctl_backup_test.cpp shows those).
CtlRun zorbelctl(const TempDir&, const std::string& args) {
  const zorbel::test::ProgramRun run =
      zorbel::test::runZorbelctl(zorbel::test::words("--no-backup " + args));
  return {run.status, run.out, run.err};
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\n";
  return text;
}

using ZorbelctlTest = zorbel::test::SimulatorTest;

TEST_F(ZorbelctlTest, WriteReadAndUploadPrintTheLogAndSucceed) {
  startSim();
  const std::string port = sim->slavePath();
  CtlRun run =
      zorbelctl(dir, "--set Callsign=OK2ABC --trace " + dir.path("trace") + " write " + port);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, joined(test::writeSequence()));
  EXPECT_NE(run.err.find("warning: telnet_password: The telnet password is the factory default; "
                         "anyone on the network can log in.\n"),
            std::string::npos)
      << run.err;
  const std::string trace = dir.read("trace");
  EXPECT_NE(trace.find(" > FF 80 00 00 "), std::string::npos) << trace.substr(0, 200);
  EXPECT_NE(trace.find(" < FF 81 "), std::string::npos);

  run = zorbelctl(dir, "read " + port);
  EXPECT_EQ(run.status, 0) << run.err;
  auto expected = joined(test::readSequence());
  EXPECT_EQ(run.out.substr(0, expected.size()), expected);
  EXPECT_NE(run.out.find("\nCallsign=OK2ABC\n"), std::string::npos);

  const std::string firmware = dir.file("fw.hash", test::patternBytes(300, 4));
  run = zorbelctl(dir, "upload " + port + " " + firmware);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, joined(test::firmwareSequence(3)));

  run = zorbelctl(dir,
                  "upload " + port + " " + dir.file("big.hash", std::vector<std::uint8_t>(237569)));
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(run.err.rfind("Firmware file too long.", 0), 0u);
}

TEST_F(ZorbelctlTest, ReadChecksumErrorsExitSixWithoutSettings) {
  startSim();
  settings::Image image = test::encoded();
  image[1000] ^= 1;
  sim->setEeprom(image);
  CtlRun run = zorbelctl(dir, "read " + sim->slavePath());
  EXPECT_EQ(run.status, 6);
  EXPECT_NE(run.out.find("Eeprom read checksum error. Please upload new eeprom data to device.\n"),
            std::string::npos);
  EXPECT_EQ(run.out.find("Callsign="), std::string::npos);

  sim::SimOptions options;
  options.corruptPage = 1;
  startSim(options);
  run = zorbelctl(dir, "read " + sim->slavePath());
  EXPECT_EQ(run.status, 6);
  EXPECT_EQ(run.out, "Eeprom read request, page [0].\nEeprom page data checksum error.\n");
}

TEST_F(ZorbelctlTest, AnotherConfigurationVersionExitsThree) {
  startSim();
  settings::Image image = test::encoded();
  image[10] = '1';  // "v1.31"
  test::restoreSum(image);
  sim->setEeprom(image);
  const CtlRun run = zorbelctl(dir, "read " + sim->slavePath());
  EXPECT_EQ(run.status, 3);
  EXPECT_NE(run.err.find("v1.31"), std::string::npos) << run.err;
  EXPECT_EQ(run.out.find("Callsign="), std::string::npos);
}

TEST_F(ZorbelctlTest, SilenceFromTheDeviceEndsWithNoAnswer) {
  sim::SimOptions options;
  options.dropAnswerTo = 3;
  startSim(options);
  const CtlRun run = zorbelctl(dir, "--timeout 0.2 write " + sim->slavePath());
  EXPECT_EQ(run.status, 5);
  EXPECT_EQ(zorbel::test::withoutWarnings(run.err), "No answer from the device.\n");
  const auto lines = test::writeSequence();
  EXPECT_EQ(run.out, joined({lines.begin(), lines.begin() + 5}));
}

TEST_F(ZorbelctlTest, PortErrorsExitFour) {
  CtlRun run = zorbelctl(dir, "write /dev/zorbel-no-such-port");
  EXPECT_EQ(run.status, 4);
  EXPECT_EQ(zorbel::test::withoutWarnings(run.err).rfind(
                "Serial port open error. Try to reconnect the device and reset application.\n"
                "/dev/zorbel-no-such-port: No such file or directory\n",
                0),
            0u)
      << run.err;

  sim::SimOptions options;
  options.hangUpAfter = 2;
  startSim(options);
  run = zorbelctl(
      dir, "upload " + sim->slavePath() + " " + dir.file("fw.hash", test::patternBytes(1000, 1)));
  EXPECT_EQ(run.status, 4);
  EXPECT_NE(run.out.find("Serial port lost: "), std::string::npos) << run.out;
}

// --- read-back verify and compare

TEST_F(ZorbelctlTest, VerifyReadsBackWhatWasWrittenAndNamesTheFirstDifference) {
  const std::string settings = "--set Uploadpctime=0 --set Callsign=OK2VFY ";
  startSim();
  CtlRun run = zorbelctl(dir, "--verify " + settings + "write " + sim->slavePath());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, joined(test::writeSequence()) + joined(test::readSequence()) + "Verify OK.\n");

  // A device that keeps one byte the image sum does not cover wrong: only verify sees it.
  sim::SimOptions misstore;
  misstore.misstoreOffset = 2040;
  startSim(misstore);
  run = zorbelctl(dir, "--verify " + settings + "write " + sim->slavePath());
  EXPECT_EQ(run.status, 7) << run.err;
  EXPECT_EQ(run.out.substr(run.out.rfind("Send finished.")),
            "Send finished.\n" + joined(test::readSequence()) +
                "Verify failed: 1 bytes differ, the first at offset 2040.\n");
}

TEST_F(ZorbelctlTest, CompareListsExactlyTheSettingsChangedSinceTheWrite) {
  startSim();
  const std::string written = "--set Uploadpctime=0 --set Callsign=DL1AB --set Txdelay=300 ";
  CtlRun run = zorbelctl(dir, written + "write " + sim->slavePath());
  ASSERT_EQ(run.status, 0) << run.err;
  // The callsign comes back padded, and the clock is not compared.
  run = zorbelctl(dir, written + "--set Rtcyear=2031 compare " + sim->slavePath());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  run = zorbelctl(dir,
                  written + "--set Txdelay=450 --set Callsign=DL2XY compare " + sim->slavePath());
  EXPECT_EQ(run.status, 7) << run.err;
  std::istringstream lines(run.out);
  std::vector<std::string> differences;
  for (std::string line; std::getline(lines, line);) differences.push_back(line);
  ASSERT_EQ(differences.size(), 2u) << run.out;
  EXPECT_EQ(differences[0].rfind("Callsign\tDL2XY\tDL1AB", 0), 0u) << differences[0];
  EXPECT_EQ(differences[1], "Txdelay\t450\t300");
}

// Whatever a device holds reaches the terminal escaped, the same way in read,
// both columns of compare and the version message (read and --image): C0 and
// C1 control bytes as \xHH and the backslash doubled, so no escape sequence
// runs and no compare row is forged.
TEST_F(ZorbelctlTest, DeviceTextIsEscapedWhereverItIsPrinted) {
  startSim();
  settings::Image image = test::encoded();
  const std::string hostile = "A\tB\x1B[2J\xC2\x9B\\x\nC\tD\x7F";
  const std::string shown = "A\\x09B\\x1B[2J\xC2\\x9B\\\\x\\x0AC\\x09D\\x7F";
  std::fill_n(image.begin() + 72, 34, 0);  // Weather_comment
  std::copy(hostile.begin(), hostile.end(), image.begin() + 72);
  test::restoreSum(image);
  sim->setEeprom(image);
  const std::string port = sim->slavePath();
  CtlRun run = zorbelctl(dir, "read " + port);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\nWeather_comment=" + shown + "\n"), std::string::npos) << run.out;
  run = zorbelctl(
      dir,
      "--set Callsign=DL1ABC --set Aprsis_user=NOCALL --set Weather_comment=a\\b compare " + port);
  EXPECT_EQ(run.status, 7) << run.err;
  EXPECT_EQ(run.out, "Weather_comment\ta\\\\b\t" + shown + "\n");

  image = test::encoded();
  const std::string version = "v\x1B]0;\x9B\\";  // seven bytes where "v1.32" stands
  std::copy(version.begin(), version.end(), image.begin() + settings::kVersionOffset);
  test::restoreSum(image);
  sim->setEeprom(image);
  const std::string message =
      "Uncompatible configuration version:\nDevice: v\\x1B]0;\\x9B\\\\\nConfigurator: v1.32\n";
  run = zorbelctl(dir, "read " + port);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, message);
  run = zorbelctl(dir, "--image " + dir.file("old.img", {image.begin(), image.end()}) + " show");
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, message);
}

TEST_F(ZorbelctlTest, TimeOutsOutsideTenMillisecondsToAnHourAreUsageErrors) {
  for (const char* timeout : {"nan", "inf", "0", "1e-12", "0.0099", "-1", "1e99", "3600.5", "5s"}) {
    SCOPED_TRACE(timeout);
    const CtlRun run = zorbelctl(dir, std::string("--timeout ") + timeout + " read /dev/null");
    EXPECT_EQ(run.status, 64) << run.err;
  }
}

}  // namespace
}  // namespace zorbel::link
