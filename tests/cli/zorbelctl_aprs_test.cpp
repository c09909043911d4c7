// zorbelctl check, --position and beacons, run as the real program.
#include <gtest/gtest.h>

#include <string>

#include "support/program_run.h"

namespace {

using zorbel::test::runZorbelctl;

TEST(ZorbelctlAprs, CheckListsWarningsAndExitsEightUntilNoneHolds) {
  auto r = runZorbelctl({"--set", "Callsign=nocall", "--set", "Beacon1_txrate_rf=0", "--set",
                         "Beacon1_txrate_aprsis=0", "--set", "Aprsis1_servername=", "--set",
                         "telnet_password=\x1b[2J", "check"});
  EXPECT_EQ(r.status, 8) << r.err;
  EXPECT_EQ(r.out,
            "Callsign\tThe station has no callsign of its own (NOCALL).\n"
            "www_password\tThe web password is the factory default; anyone on the network can "
            "log in.\n");
  r = runZorbelctl({"--set", "Callsign=SP1ABC", "--set", "Beacon1_txrate_rf=0", "--set",
                    "Beacon1_txrate_aprsis=0", "--set", "Aprsis1_servername=", "--set",
                    "www_password=a", "--set", "telnet_password=b", "check"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

TEST(ZorbelctlAprs, PositionAppliesInOrderAndRefusesWhatItCannotRead) {
  auto r = runZorbelctl({"--set", "Latitude=0000.00N", "--position", "JO82lj", "show"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nLatitude=5223.75N\nLongitude=01657.50E\n"), std::string::npos);
  r = runZorbelctl({"--position", "52.36,16.91", "--set", "Longitude=01653.63E", "show"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\nLatitude=5221.60N\nLongitude=01653.63E\n"), std::string::npos);
  r = runZorbelctl({"--position", "52 60\x07 16", "show"});
  EXPECT_EQ(r.status, 64);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "zorbelctl: --position 52 60\\x07 16: '\\x07' is not understood\n");
}

TEST(ZorbelctlAprs, BeaconsPrintsEachSentBeaconEscaped) {
  const auto r =
      runZorbelctl({"--set", "Callsign=sp1abc", "--set", "Ssid=7", "--set", "Beacon1_txrate_rf=0",
                    "--set", "Beacon2_txrate_rf=30", "--set", "Beacon2_txrate_aprsis=0", "--set",
                    "Beacon2_path_string=", "--set", "Beacon2_msg=>Hi\x1b]0;x\x07\\", "beacons"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Beacon 1 still goes to APRS-IS; the escape sequence and the backslash come out escaped.
  const std::string first = r.out.substr(0, r.out.find('\n') + 1);
  EXPECT_EQ(first.rfind("1\t0\t5\tSP1ABC-7>APZR01,WIDE2-2:@", 0), 0u) << first;
  EXPECT_EQ(r.out.substr(first.size()), "2\t30\t0\tSP1ABC-7>APZR01:>Hi\\x1B]0;x\\x07\\\\\n");
}

}  // namespace
