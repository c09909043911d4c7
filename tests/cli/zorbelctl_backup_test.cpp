// zorbelctl's backups against the simulator: what write, read and compare
// keep, what a failed backup read stops, history and restore.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "link/link_test_support.h"
#include "settings/codec.h"
#include "simulator.h"
#include "support/program_run.h"
#include "support/simulator_fixture.h"

namespace zorbel::link {
namespace {

using test::TempDir;
using zorbel::test::ProgramRun;

class ZorbelctlBackupTest : public zorbel::test::SimulatorTest {
 protected:
  // A simulator that holds `eeprom` before the command runs.
  void startSim(const settings::Image& eeprom, sim::SimOptions options = {}) {
    SimulatorTest::startSim(std::move(options));
    sim->setEeprom(eeprom);
  }
  ProgramRun zorbelctl(const std::string& args) {
    return zorbel::test::runZorbelctl(
        zorbel::test::words("--backup-dir " + backups + " --set Uploadpctime=0 " + args));
  }
  std::vector<std::string> files() const {
    std::vector<std::string> names;
    if (!std::filesystem::exists(backups)) return names;
    for (const auto& e : std::filesystem::directory_iterator(backups))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string callsignOnDevice() const {
    settings::SettingsModel model(test::kNow);
    EXPECT_TRUE(settings::decodeSettings(sim->eeprom(), model).ok());
    return model.text("Callsign");
  }
  static std::string bytesOf(const settings::Image& image) { return {image.begin(), image.end()}; }

  std::string backups = dir.path("backups");
};

TEST_F(ZorbelctlBackupTest, WriteKeepsWhatTheDeviceHeldBeforeSending) {
  const settings::Image old = test::encoded("DL1OLD");
  startSim(old);
  const ProgramRun run = zorbelctl("--set Callsign=DL2NEW write " + sim->slavePath());
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(files().size(), 1u);
  const std::string file = files()[0];
  EXPECT_TRUE(file.ends_with("_DL1OLD.img")) << file;
  EXPECT_EQ(dir.read("backups/" + file), bytesOf(old));

  struct stat st {};
  ASSERT_EQ(::stat(backups.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::stat((backups + "/" + file).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);

  // The read, its backup line, then the write's own lines, unchanged.
  std::string expected;
  for (const auto& line : test::readSequence()) expected += line + "\n";
  expected += "Backup: " + file + "\n";
  for (const auto& line : test::writeSequence()) expected += line + "\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(callsignOnDevice(), "DL2NEW");
}

TEST_F(ZorbelctlBackupTest, AFailedBackupReadSendsNothing) {
  sim::SimOptions silent;
  silent.dropAnswerTo = 3;
  startSim(test::encoded("DL1OLD"), silent);
  ProgramRun run = zorbelctl("--timeout 0.3 --set Callsign=DL2NEW write " + sim->slavePath());
  EXPECT_EQ(run.status, 5);
  EXPECT_TRUE(zorbel::test::withoutWarnings(run.err).ends_with(
      "The device's configuration could not be backed up (No answer from "
      "the device.); nothing was written. Write without a backup with "
      "--no-backup.\n"))
      << run.err;

  settings::Image damaged = test::encoded("DL1OLD");
  damaged[1000] ^= 1;
  sim.reset();
  startSim(damaged);
  run = zorbelctl("--set Callsign=DL2NEW write " + sim->slavePath());
  EXPECT_EQ(run.status, 6);
  EXPECT_NE(run.err.find("(Eeprom read checksum error.); nothing was written."), std::string::npos)
      << run.err;
  EXPECT_EQ(sim->eeprom(), damaged);
  EXPECT_TRUE(files().empty());
  for (const auto& frame : sim->frames()) EXPECT_NE(frame.type, 0x80) << "a page was written";
}

TEST_F(ZorbelctlBackupTest, AnImageOfAnotherVersionIsKeptAsItIsAndTheWriteGoesOn) {
  settings::Image other = test::encoded("DL1OLD");
  other[settings::kVersionOffset + 4] = '9';
  test::restoreSum(other);
  startSim(other);
  const ProgramRun run = zorbelctl("--set Callsign=DL2NEW write " + sim->slavePath());
  EXPECT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(files().size(), 1u);
  EXPECT_TRUE(files()[0].ends_with("_unknown.img"));
  EXPECT_EQ(dir.read("backups/" + files()[0]), bytesOf(other));
  EXPECT_EQ(callsignOnDevice(), "DL2NEW");
}

TEST_F(ZorbelctlBackupTest, NoBackupWritesAsBeforeAndReadsNothing) {
  startSim(test::encoded("DL1OLD"));
  const ProgramRun run = zorbelctl("--no-backup --set Callsign=DL2NEW write " + sim->slavePath());
  EXPECT_EQ(run.status, 0) << run.err;
  std::string expected;
  for (const auto& line : test::writeSequence()) expected += line + "\n";
  EXPECT_EQ(run.out, expected);
  EXPECT_EQ(sim->frameCount(), 16u);
  EXPECT_FALSE(std::filesystem::exists(backups));
}

TEST_F(ZorbelctlBackupTest, ReadsKeepANewFileOnlyWhenTheDeviceChanged) {
  startSim(test::encoded("DL1ONE"));
  const std::string port = sim->slavePath();
  ProgramRun run = zorbelctl("read " + port);
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_EQ(files().size(), 1u);
  EXPECT_NE(run.out.find("\nBackup: " + files()[0] + "\n"), std::string::npos) << run.out;

  run = zorbelctl("--set Callsign=DL1ONE compare " + port);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.err.find("\nBackup: " + files()[0] + "\n"), std::string::npos) << run.err;
  EXPECT_EQ(files().size(), 1u);

  sim->setEeprom(test::encoded("DL1TWO"));
  EXPECT_EQ(zorbelctl("read " + port).status, 0);
  EXPECT_EQ(files().size(), 2u);
}

TEST_F(ZorbelctlBackupTest, HistoryListsNewestFirstWithTheSettingsThatChanged) {
  startSim(test::encoded("DL1ONE"));
  const std::string port = sim->slavePath();
  ASSERT_EQ(zorbelctl("read " + port).status, 0);
  sim->setEeprom(test::encoded("DL1TWO"));
  ASSERT_EQ(zorbelctl("read " + port).status, 0);
  ASSERT_EQ(files().size(), 2u);

  const ProgramRun run = zorbelctl("history");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::vector<std::string> names = files();  // oldest first: the names sort by time
  const auto line = [](const std::string& file, const std::string& station,
                       const std::string& against) {
    const std::string t = file.substr(0, 15);
    return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2) + "T" + t.substr(9, 2) +
           ":" + t.substr(11, 2) + ":" + t.substr(13, 2) + "Z\t" + station + "\t" + file + "\t" +
           against + "\n";
  };
  EXPECT_EQ(run.out, line(names[1], "DL1TWO", "1 settings differ from the one before") +
                         line(names[0], "DL1ONE", "the first backup"));
}

TEST_F(ZorbelctlBackupTest, ABackupRestoresWithImageWrite) {
  startSim(test::encoded("DL1OLD"));
  const std::string port = sim->slavePath();
  ASSERT_EQ(zorbelctl("--set Callsign=DL2NEW write " + port).status, 0);
  ASSERT_EQ(files().size(), 1u);
  const std::string backup = backups + "/" + files()[0];

  ProgramRun run = zorbelctl("--image " + backup + " write " + port);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(callsignOnDevice(), "DL1OLD");
  run = zorbelctl("--image " + backup + " compare " + port);
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(run.out, "");
}

}  // namespace
}  // namespace zorbel::link
