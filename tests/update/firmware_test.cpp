// Loading a firmware hash file into the firmware page buffer for an upload.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "update/firmware.h"
#include "update_test_support.h"

namespace zorbel::update {
namespace {

using test::pattern;
using test::writeBytes;

class FirmwareLoad : public ::testing::Test {
 protected:
  test::TempDir dir;
  FirmwarePages pages;

  std::string fileOf(std::size_t size, std::uint8_t salt = 0) {
    const std::string path =
        dir.file("fw-" + std::to_string(size) + "-" + std::to_string(salt) + ".hash");
    writeBytes(path, pattern(size, salt));
    return path;
  }
};

TEST_F(FirmwareLoad, PageCountRoundsUp) {
  for (auto [size, expected] :
       {std::pair<std::size_t, std::uint32_t>{0, 0}, {1, 1}, {128, 1}, {129, 2}, {300, 3}}) {
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
  EXPECT_EQ(pages.pages().size(), kFirmwareBufferSize);
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
  EXPECT_TRUE(std::all_of(pages.data() + 130, pages.data() + kFirmwareBufferSize,
                          [](std::uint8_t b) { return b == 0; }));
  // An upload sends two whole pages: the file's 130 bytes, then zeros.
  EXPECT_EQ(pages.pages().size(), 256u);
}

}  // namespace
}  // namespace zorbel::update
