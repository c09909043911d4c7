// zorbelctl's settings commands, run as the real program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "settings/image_map.h"
#include "support/program_run.h"

namespace fs = std::filesystem;

namespace {

struct CtlRun {
  int status;
  std::string out;
  std::string err;
};

CtlRun zorbelctl(const std::vector<std::string>& args) {
  const zorbel::test::ProgramRun run = zorbel::test::runZorbelctl(args);
  return {run.status, run.out, run.err};
}

CtlRun zorbelctl(const std::string& args) { return zorbelctl(zorbel::test::words(args)); }

std::string readFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

struct Zorbelctl : ::testing::Test {
  fs::path dir = fs::temp_directory_path() / ("zorbelctl-test-" + std::to_string(::getpid()));
  void SetUp() override { fs::create_directories(dir); }
  void TearDown() override { fs::remove_all(dir); }
};

}  // namespace

TEST_F(Zorbelctl, ShowListsEveryControlInEncoderOrder) {
  const CtlRun r = zorbelctl("show");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Callsign=NOCALL\nSsid=0\nTxdelay=250\n", 0), 0u);
  EXPECT_NE(r.out.find("\nUploadpctime=1\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nPacket2rf_filter_type12=0\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nWU_rapidfirerate=5\n"), std::string::npos);
}

// The one way docs/IMAGE_MAP.md is made; a script reads the plain lines.
TEST_F(Zorbelctl, MapPrintsTheImageMap) {
  CtlRun r = zorbelctl("map --markdown");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, zorbel::settings::imageMapMarkdown());
  r = zorbelctl("map");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, zorbel::settings::imageMapText());
  EXPECT_EQ(zorbelctl("map --html").status, 64);
}

TEST_F(Zorbelctl, EncodeThenImageShowRoundTrips) {
  const fs::path image = dir / "a.img";
  CtlRun r = zorbelctl({"--set", "Callsign=sp1abc", "--set", "Quiettime_randomize=9", "--set",
                        "Uploadpctime=0", "--set", "Rtcyear=2020", "--set",
                        "Beacon2_msg=hello world", "encode", image.string()});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string bytes = readFile(image);
  ASSERT_EQ(bytes.size(), 2048u);
  EXPECT_EQ(bytes.substr(14, 6), "SP1ABC");
  EXPECT_EQ(static_cast<unsigned char>(bytes[26]), 0xFF);
  EXPECT_EQ(bytes.substr(550, 2), "\xe4\x07");

  r = zorbelctl("--image " + image.string() + " show");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Callsign=SP1ABC\n", 0), 0u);
  EXPECT_NE(r.out.find("\nQuiettime_randomize=-1\n"), std::string::npos);
  EXPECT_NE(r.out.find("\nBeacon2_msg=hello world\n"), std::string::npos);

  const fs::path again = dir / "b.img";
  ASSERT_EQ(zorbelctl("--image " + image.string() +
                      " --set Uploadpctime=0 --set Rtcyear=2020 encode " + again.string())
                .status,
            0);
  EXPECT_EQ(readFile(again).substr(6), bytes.substr(6)) << "only the stamp and sum may differ";
}

TEST_F(Zorbelctl, ExitStatusesAndMessages) {
  const fs::path out = dir / "x.img";
  CtlRun r = zorbelctl("--set Txdelay=1 encode " + out.string());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "TX delay - range error (200 - 1000).\n");
  EXPECT_FALSE(fs::exists(out));

  r = zorbelctl("--set Txdelay=abc encode " + out.string());
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "'abc' is not a valid integer value\n");

  std::ofstream(dir / "blank.img", std::ios::binary) << std::string(2048, '\xff');
  r = zorbelctl("--image " + (dir / "blank.img").string() + " show");
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(
      r.err,
      "Uncompatible configuration version:\nDevice: unknown, config version control started in "
      "v1.21b\nConfigurator: v1.32\n");

  EXPECT_EQ(zorbelctl("--image " + (dir / "missing.img").string() + " show").status, 4);
  EXPECT_EQ(zorbelctl("encode " + (dir / "no" / "such" / "x.img").string()).status, 4);
  EXPECT_EQ(zorbelctl("--set NoSuch=1 show").status, 64);
  EXPECT_EQ(zorbelctl("--set Ptt=first show").status, 64);
  EXPECT_EQ(zorbelctl("--set Ntp_enable=2 show").status, 64);
  EXPECT_EQ(zorbelctl("frobnicate").status, 64);
  EXPECT_EQ(zorbelctl("encode").status, 64);
  r = zorbelctl("--bogus show");
  EXPECT_EQ(r.status, 64);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "zorbelctl: unknown option --bogus");
  r = zorbelctl("--set");
  EXPECT_EQ(r.status, 64);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n')), "zorbelctl: option --set needs a value");
}

TEST_F(Zorbelctl, FailedEncodeLeavesAnExistingFileUntouched) {
  const fs::path out = dir / "keep.img";
  std::ofstream(out) << "precious";
  EXPECT_EQ(zorbelctl("--set Callsign= encode " + out.string()).status, 1);
  EXPECT_EQ(readFile(out), "precious");
}

TEST_F(Zorbelctl, RefusesWhatItCannotDoExactly) {
  // A text its field would cut is refused by encoding, never cut; show keeps it whole.
  const fs::path out = dir / "out.img";
  CtlRun r = zorbelctl("--set telnet_password=thirteenchars encode " + out.string());
  EXPECT_EQ(r.status, 64);
  EXPECT_EQ(r.err, "zorbelctl: telnet_password: at most 12 characters\n");
  EXPECT_FALSE(fs::exists(out));
  r = zorbelctl("--set telnet_password=thirteenchars show");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\ntelnet_password=thirteenchars\n"), std::string::npos);
  // A number's whole text goes to the conversion and the range check, whatever its length.
  r = zorbelctl("--set Txdelay=2147483647 encode " + out.string());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "TX delay - range error (200 - 1000).\n");
  EXPECT_EQ(zorbelctl("--set Teledata_txrate_aprsis=1440 encode " + out.string()).status, 0);

  // A control character in a value cannot start a line of its own or reach the terminal.
  r = zorbelctl({"--set", "Beacon2_msg=a\nCallsign=EVIL\x1b[2J\x7f", "show"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nBeacon2_msg=a\\x0ACallsign=EVIL\\x1B[2J\\x7F\n"), std::string::npos);
  EXPECT_EQ(r.out.find("\nCallsign=EVIL"), std::string::npos);

  // Output that cannot be written is an error with its reason.
  const auto full = zorbel::test::runProgram(
      {"/bin/sh", "-c", std::string("exec '") + ZORBELCTL_PATH + "' show >/dev/full"});
  EXPECT_EQ(full.status, 4);
  EXPECT_EQ(full.err, "zorbelctl: cannot write to standard output: No space left on device\n");
}
