// zorbelctl save and --config, run as the real program.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "cfgfile/test_support.h"
#include "support/program_run.h"

namespace zorbel::cfgfile {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

struct CtlRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs zorbelctl with `args` (split at blanks) from inside `dir`.
CtlRun zorbelctl(const TempDir& dir, const std::string& args) {
  zorbel::test::RunOptions options;
  options.workDir = dir.path();
  const zorbel::test::ProgramRun run =
      zorbel::test::runZorbelctl(zorbel::test::words(args), options);
  return {run.status, run.out, run.err};
}

TEST(ZorbelctlConfig, SaveWritesTheFileOrFailsWithItsMessageAndStatus) {
  TempDir dir;
  CtlRun r = zorbelctl(dir, "save zorbel.cfg");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(readFile(dir.file("zorbel.cfg")), test::goldenStartupFile());

  r = zorbelctl(dir, "--set Txdelay=abc save zorbel.cfg");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "'abc' is not a valid integer value\n");
  EXPECT_EQ(readFile(dir.file("zorbel.cfg")), test::goldenStartupFile());

  r = zorbelctl(dir, "save missing/zorbel.cfg");
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err.rfind("zorbelctl: Unable to write to missing/zorbel.cfg: ", 0), 0u) << r.err;
}

TEST(ZorbelctlConfig, ConfigImportsInCommandLineOrderAndGoesOnAfterTheVersionMessage) {
  TempDir dir;
  writeFile(dir.file("old.cfg"),
            "[!WARNING]\r\nVersion=v1.31\r\n[Radio]\r\nCallsign=SP9OLD\r\nPTT=1\r\n");

  CtlRun r = zorbelctl(dir, "--set Callsign=FIRST --config old.cfg --set Ssid=7 show");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(
      r.err,
      "Imported configuration file version is different than your current application version. \n"
      "Please double-check configuration fields after import. \n"
      "Some configuration fields my change between firmware versions.\n");
  EXPECT_EQ(r.out.rfind("Callsign=SP9OLD\nSsid=7\n", 0), 0u);
  EXPECT_NE(r.out.find("\nPtt=1\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nQuiettime_randomize=3\n"), std::string::npos);  // its load default

  // What save writes, --config reads back to the same file.
  ASSERT_EQ(zorbelctl(dir, "--set Callsign=SP1ABC --set Debug_rf=0 save a.cfg").status, 0);
  r = zorbelctl(dir, "--config a.cfg save b.cfg");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(readFile(dir.file("a.cfg")), readFile(dir.file("b.cfg")));

  // A missing file is a mistake on the command line, never the load defaults.
  r = zorbelctl(dir, "--set Ptt=1 --config none.cfg show");
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err, "zorbelctl: Unable to read from none.cfg: No such file or directory\n");
  EXPECT_EQ(r.out, "");

  fs::create_directory(dir.file("folder.cfg"));
  r = zorbelctl(dir, "--config folder.cfg show");
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err.rfind("zorbelctl: Unable to read from folder.cfg: ", 0), 0u) << r.err;
  EXPECT_EQ(r.out, "");

  // A text its field would cut would reach the device cut: encoding and
  // writing refuse it before a port is opened, while a save keeps it whole.
  const std::string longFile =
      "[!WARNING]\r\nVersion=v1.32\r\n[Telnet]\r\nTelnet_pass=thirteenchars\r\n";
  writeFile(dir.file("long.cfg"), longFile);
  for (const char* command : {"encode image.bin", "write /nonexistent/port"}) {
    r = zorbelctl(dir, std::string("--config long.cfg ") + command);
    EXPECT_EQ(r.status, 64) << command;
    EXPECT_EQ(r.err, "zorbelctl: telnet_password: at most 12 characters\n") << command;
  }
  EXPECT_FALSE(fs::exists(dir.file("image.bin")));
  EXPECT_EQ(zorbelctl(dir, "--config long.cfg save long.cfg").status, 0);
  EXPECT_NE(readFile(dir.file("long.cfg")).find("Telnet_pass=thirteenchars\r\n"),
            std::string::npos);
}

TEST(ZorbelctlConfig, AValueThatDoesNotConvertIsReportedEscaped) {
  TempDir dir;
  writeFile(dir.file("bad.cfg"), "[!WARNING]\r\nVersion=v1.32\r\n[Radio]\r\nTXdelay=\x1b[2J\r\n");
  const CtlRun r = zorbelctl(dir, "--config bad.cfg show");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "zorbelctl: TXdelay=\\x1B[2J in the file is not a number; 250 was used.\n");
  EXPECT_NE(r.out.find("Txdelay=250\n"), std::string::npos);
}

}  // namespace
}  // namespace zorbel::cfgfile
