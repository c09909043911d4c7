// Building a remote update file, in memory and on disk.
#include <algorithm>
#include <array>
#include <cstdio>
#include <fstream>
#include <set>
#include <stdexcept>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include "settings/codec.h"
#include "settings/model.h"
#include "update/crc32.h"
#include "update/remote_update.h"
#include "update_test_support.h"
#include "xtea_decipher.h"

namespace zorbel::update {
namespace {

using test::pattern;
using test::readBytes;
using test::writeBytes;

constexpr std::time_t kNow = 1700000000;  // 2023-11-14 22:13:20 UTC

settings::Image encodedAt(std::time_t now) {
  settings::SettingsModel model(now);
  settings::Image image{};
  const auto result = settings::encodeSettings(model, image, now);
  if (!result.ok()) throw std::runtime_error(result.error().message);
  return image;
}

std::uint32_t le32(const std::vector<std::uint8_t>& f, std::size_t at) {
  return std::uint32_t{f[at]} | std::uint32_t{f[at + 1]} << 8 | std::uint32_t{f[at + 2]} << 16 |
         std::uint32_t{f[at + 3]} << 24;
}

settings::Image decipheredImage(const std::vector<std::uint8_t>& file) {
  settings::Image image{};
  std::copy_n(file.begin() + kRemoteImageOffset, image.size(), image.begin());
  test::decipherBuffer(image, updateKey());
  return image;
}

// Every structural promise of the layout, for a file built from `image` and `firmware`.
void expectLayout(const std::vector<std::uint8_t>& file, const settings::Image& image,
                  const std::vector<std::uint8_t>& firmware) {
  ASSERT_EQ(file.size(), 2560u + firmware.size());
  EXPECT_EQ(le32(file, 0), firmware.size());
  const std::span<const std::uint8_t> covered(file.data() + 512, file.size() - 512);
  EXPECT_EQ(le32(file, 4), crcRegister(covered));
  EXPECT_EQ(le32(file, 4), ~static_cast<std::uint32_t>(
                               ::crc32(0L, covered.data(), static_cast<uInt>(covered.size()))));
  EXPECT_TRUE(std::equal(firmware.begin(), firmware.end(), file.begin() + 2560));
  EXPECT_EQ(decipheredImage(file), image);
  EXPECT_FALSE(std::equal(image.begin(), image.end(), file.begin() + 512))
      << "the image went in plain";
  EXPECT_EQ(std::count(file.begin() + 8, file.begin() + 512, std::uint8_t{255}), 0);
}

std::vector<std::uint8_t> assembled(const settings::Image& image,
                                    std::span<const std::uint8_t> firmware, std::time_t now) {
  auto file = assembleRemoteUpdate(image, firmware, now);
  if (!file) throw std::runtime_error(file.error().message);
  return file.value();
}

TEST(AssembleRemoteUpdate, LayoutForSeveralLengths) {
  const auto image = encodedAt(kNow);
  for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{129},
                             kFirmwareBufferSize + 1, kRemoteFirmwareLimit}) {
    SCOPED_TRACE(length);
    const auto firmware = pattern(length, 7);
    expectLayout(assembled(image, firmware, kNow), image, firmware);
  }
}

TEST(AssembleRemoteUpdate, RefusesFirmwarePastTheLimit) {
  const std::vector<std::uint8_t> firmware(kRemoteFirmwareLimit + 1);
  const auto result = assembleRemoteUpdate(encodedAt(kNow), firmware, kNow);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().kind, ErrorKind::TooLong);
  EXPECT_EQ(result.error().message, "Firmware file too long");
}

TEST(AssembleRemoteUpdate, FillerIsNever255AndSpansTheRest) {
  const settings::Image image{};
  std::set<int> seen;
  for (std::time_t t = kNow; t < kNow + 200; ++t) {
    const auto file = assembled(image, {}, t);
    seen.insert(file.begin() + 8, file.begin() + 512);
  }
  EXPECT_EQ(seen.count(255), 0u);
  EXPECT_EQ(seen.size(), 255u);  // every value 0..254 turns up
}

TEST(AssembleRemoteUpdate, BuildsASecondApartDiffer) {
  const auto firmware = pattern(3000);
  // Same second, same settings: the same file.
  EXPECT_EQ(assembled(encodedAt(kNow), firmware, kNow), assembled(encodedAt(kNow), firmware, kNow));

  // A second later the filler, the write stamp in the image and so the cipher text and CRC all
  // change.
  const auto a = assembled(encodedAt(kNow), firmware, kNow);
  const auto b = assembled(encodedAt(kNow + 1), firmware, kNow + 1);
  EXPECT_FALSE(std::equal(a.begin() + 8, a.begin() + 512, b.begin() + 8)) << "filler";
  EXPECT_FALSE(std::equal(a.begin() + 512, a.begin() + 2560, b.begin() + 512))
      << "enciphered image";
  EXPECT_NE(le32(a, 4), le32(b, 4));
  EXPECT_TRUE(std::equal(a.begin() + 2560, a.end(), b.begin() + 2560));
}

class RemoteUpdateFile : public ::testing::Test {
 protected:
  test::TempDir dir;
  settings::Image image = encodedAt(kNow);
  std::string out = dir.file("out.ruf");

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
};

TEST_F(RemoteUpdateFile, EmptyFirmwareGivesTheImageOnly) {
  const auto result = buildRemoteUpdateFile(image, firmwareOf(0), out, kNow);
  ASSERT_TRUE(result.ok()) << result.error().message << " " << result.error().reason;
  const auto file = readBytes(out);
  EXPECT_EQ(file.size(), 2560u);
  expectLayout(file, image, {});
}

TEST_F(RemoteUpdateFile, FullSizeFirmwareIsAcceptedAndReplacesTheDestination) {
  previous();
  const auto result = buildRemoteUpdateFile(image, firmwareOf(kRemoteFirmwareLimit), out, kNow);
  ASSERT_TRUE(result.ok()) << result.error().message << " " << result.error().reason;
  const auto file = readBytes(out);
  EXPECT_EQ(file.size(), 248320u);
  expectLayout(file, image, pattern(kRemoteFirmwareLimit));
  EXPECT_EQ(file, assembled(image, pattern(kRemoteFirmwareLimit), kNow));
  // Nothing but the destination is left in the folder.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

TEST_F(RemoteUpdateFile, TooLongFirmwareLeavesTheDestinationAsItWas) {
  const auto old = previous();
  const auto result = buildRemoteUpdateFile(image, firmwareOf(kRemoteFirmwareLimit + 1), out, kNow);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().kind, ErrorKind::TooLong);
  EXPECT_EQ(result.error().message, "Firmware file too long");
  EXPECT_EQ(readBytes(out), old);

  const std::string fresh = dir.file("never.ruf");
  EXPECT_FALSE(
      buildRemoteUpdateFile(image, firmwareOf(kRemoteFirmwareLimit + 1), fresh, kNow).ok());
  EXPECT_FALSE(std::filesystem::exists(fresh));
}

TEST_F(RemoteUpdateFile, MissingFirmwareLeavesTheDestinationAsItWas) {
  const auto old = previous();
  const auto result = buildRemoteUpdateFile(image, dir.file("absent.hash"), out, kNow);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().kind, ErrorKind::CannotRead);
  EXPECT_EQ(result.error().message, "Could not open firmware file");
  EXPECT_FALSE(result.error().reason.empty());
  EXPECT_EQ(readBytes(out), old);
}

TEST_F(RemoteUpdateFile, DestinationThatCannotBeOpened) {
  const std::string firmware = firmwareOf(100);
  for (const std::string& path : {dir.file("no-such-folder/out.ruf"), dir.path()}) {
    const auto result = buildRemoteUpdateFile(image, firmware, path, kNow);
    ASSERT_FALSE(result.ok()) << path;
    EXPECT_EQ(result.error().kind, ErrorKind::CannotWrite) << path;
    EXPECT_EQ(result.error().message, "Could not open destination file.");
  }
}

TEST_F(RemoteUpdateFile, ReadOnlyDestinationIsRefusedButNotAWritableOneInAReadOnlyFolder) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write anything";
  const std::string firmware = firmwareOf(100);
  const auto old = previous();
  ::chmod(out.c_str(), 0444);
  auto result = buildRemoteUpdateFile(image, firmware, out, kNow);
  EXPECT_EQ(result.error().message, "Could not open destination file.");
  EXPECT_EQ(readBytes(out), old);

  // The file itself may be written, so it is, in place.
  ::chmod(out.c_str(), 0644);
  ::chmod(dir.path().c_str(), 0555);
  result = buildRemoteUpdateFile(image, firmware, out, kNow);
  ::chmod(dir.path().c_str(), 0755);
  EXPECT_TRUE(result.ok());
  EXPECT_NE(readBytes(out), old);
}

}  // namespace
}  // namespace zorbel::update
