// zorbelctl ruf, run as the real program: the clock and the encoder first,
// then the builder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/codec.h"
#include "settings/model.h"
#include "support/program_run.h"
#include "update/remote_update.h"
#include "update/update_test_support.h"
#include "update/xtea.h"
#include "update/xtea_decipher.h"

namespace zorbel::update {
namespace {

using test::pattern;
using test::readBytes;
using test::writeBytes;

struct CtlRun {
  int status;
  std::string err;
};

class ZorbelctlRuf : public ::testing::Test {
 protected:
  CtlRun ctl(const std::string& args) {
    const zorbel::test::ProgramRun run = zorbel::test::runZorbelctl(zorbel::test::words(args));
    return {run.status, run.err};
  }
  std::string firmwareOf(std::size_t size) {
    const std::string path = dir.file("fw-" + std::to_string(size) + ".hash");
    writeBytes(path, pattern(size));
    return path;
  }
  // A destination that already holds something the user may want to keep.
  std::vector<std::uint8_t> previous() {
    const std::vector<std::uint8_t> old{'k', 'e', 'e', 'p', ' ', 'm', 'e'};
    writeBytes(out, old);
    return old;
  }
  static settings::Image decipheredImage(const std::vector<std::uint8_t>& file) {
    settings::Image image{};
    std::copy_n(file.begin() + kRemoteImageOffset, image.size(), image.begin());
    test::decipherBuffer(image, updateKey());
    return image;
  }

  test::TempDir dir;
  std::string out = dir.file("out.ruf");
};

TEST_F(ZorbelctlRuf, WritesTheFileFromTheSettings) {
  const std::string firmware = firmwareOf(300);
  const CtlRun r = ctl("--set Txdelay=300 ruf " + firmware + " " + out);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto file = readBytes(out);
  ASSERT_EQ(file.size(), 2860u);
  settings::SettingsModel model;
  ASSERT_TRUE(settings::decodeSettings(decipheredImage(file), model).ok());
  EXPECT_EQ(model.text("Txdelay"), "300");
  EXPECT_TRUE(std::equal(file.begin() + 2560, file.end(), pattern(300).begin()));
  // Built, but with a key no device has: said on a line of its own, still a success.
  if (usesDevelopmentKey()) {
    EXPECT_EQ(r.err.rfind("warning: " + out + " is enciphered with the development update key", 0),
              0u)
        << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
  } else {
    EXPECT_EQ(r.err, "");
  }
}

TEST_F(ZorbelctlRuf, EncoderErrorsWriteNothing) {
  const std::string firmware = firmwareOf(300);
  CtlRun r = ctl("--set Txdelay=5 ruf " + firmware + " " + out);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("TX delay - range error (200 - 1000)."), std::string::npos) << r.err;
  r = ctl("--set Txdelay=abc ruf " + firmware + " " + out);
  EXPECT_EQ(r.status, 2);
  EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(ZorbelctlRuf, FileErrorsExitWithFour) {
  const auto old = previous();
  CtlRun r = ctl("ruf " + dir.file("absent.hash") + " " + out);
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err.rfind("Could not open firmware file", 0), 0u) << r.err;
  r = ctl("ruf " + firmwareOf(kRemoteFirmwareLimit + 1) + " " + out);
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err, "Firmware file too long\n");
  EXPECT_EQ(readBytes(out), old);
}

}  // namespace
}  // namespace zorbel::update
