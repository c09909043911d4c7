// Loading a firmware hash file into the firmware page buffer for an upload.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "temp_dir.h"
#include "update/firmware.h"

namespace zorbel::update {
namespace {

using test::pattern;
using test::writeBytes;

bool allZero(const std::array<std::uint8_t, kFirmwarePageSize>& page) {
  return std::all_of(page.begin(), page.end(), [](std::uint8_t b) { return b == 0; });
}

class FirmwareLoad : public ::testing::Test {
 protected:
  test::TempDir dir;
  FirmwarePages pages;

  std::string fileOf(std::size_t size, std::uint8_t salt = 0) {
    const std::string path = dir.file("fw-" + std::to_string(size) + "-" + std::to_string(salt) + ".hash");
    writeBytes(path, pattern(size, salt));
    return path;
  }
};

TEST_F(FirmwareLoad, PageCountRoundsUp) {
  for (auto [size, expected] : {std::pair<std::size_t, std::uint32_t>{0, 0}, {1, 1}, {128, 1}, {129, 2}, {300, 3}}) {
    const auto result = pages.load(fileOf(size));
    ASSERT_TRUE(result.ok()) << result.error().message;
    EXPECT_EQ(pages.pageCount(), expected) << size << " bytes";
    EXPECT_EQ(pages.length(), size);
  }
}

TEST_F(FirmwareLoad, FullSizeFileAndItsExtraPage) {
  const auto bytes = pattern(kFirmwareBufferSize);
  ASSERT_TRUE(pages.load(fileOf(kFirmwareBufferSize)).ok());
  EXPECT_EQ(pages.pageCount(), 1856u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), pages.data()));
  const auto last = pages.page(1855);
  EXPECT_TRUE(std::equal(last.begin(), last.end(), bytes.end() - 128));
  // The link sends pages 0..N: page 1856 lies past the buffer and is zeros.
  EXPECT_TRUE(allZero(pages.page(1856)));
  EXPECT_TRUE(allZero(pages.page(0xFFFFFFFFu)));
}

TEST_F(FirmwareLoad, TooLongIsRefusedAndChangesNothing) {
  ASSERT_TRUE(pages.load(fileOf(1000, 4)).ok());
  const std::vector<std::uint8_t> before(pages.data(), pages.data() + kFirmwareBufferSize);

  const auto result = pages.load(fileOf(kFirmwareBufferSize + 1));
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error().kind, ErrorKind::TooLong);
  EXPECT_EQ(result.error().message, "Firmware file too long.");
  EXPECT_EQ(pages.pageCount(), 8u);
  EXPECT_EQ(pages.length(), 1000u);
  EXPECT_TRUE(std::equal(before.begin(), before.end(), pages.data()));
}

TEST_F(FirmwareLoad, MissingFileOrFolderIsAnOpenError) {
  ASSERT_TRUE(pages.load(fileOf(200, 2)).ok());
  for (const std::string& path : {dir.file("absent.hash"), dir.path()}) {
    const auto result = pages.load(path);
    ASSERT_FALSE(result.ok()) << path;
    EXPECT_EQ(result.error().kind, ErrorKind::CannotRead) << path;
    EXPECT_EQ(result.error().message, "File open error.");
    EXPECT_EQ(pages.pageCount(), 2u);
  }
}

TEST_F(FirmwareLoad, ShorterFileAfterLongerLeavesZerosBehindItsEnd) {
  ASSERT_TRUE(pages.load(fileOf(5000, 1)).ok());
  ASSERT_TRUE(pages.load(fileOf(130, 2)).ok());
  const auto bytes = pattern(130, 2);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), pages.data()));
  EXPECT_TRUE(std::all_of(pages.data() + 130, pages.data() + kFirmwareBufferSize, [](std::uint8_t b) { return b == 0; }));
  // Page 1 carries two file bytes then zeros; the extra page 2 is all zeros.
  const auto tail = pages.page(1);
  EXPECT_EQ(tail[0], bytes[128]);
  EXPECT_EQ(tail[1], bytes[129]);
  EXPECT_TRUE(std::all_of(tail.begin() + 2, tail.end(), [](std::uint8_t b) { return b == 0; }));
  EXPECT_TRUE(allZero(pages.page(2)));
}

}  // namespace
}  // namespace zorbel::update
