// The backup store where zorbelctl's tests cannot show it: the limit and
// what an image may put into a file name.
#include "backup/backup_store.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "settings/codec.h"
#include "settings/model.h"
#include "support/temp_dir.h"

namespace zorbel::backup {
namespace {

constexpr std::time_t kNow = 1700000000;

settings::Image imageWith(const std::string& callsign, const std::string& ssid = "0") {
  settings::SettingsModel model(kNow);
  EXPECT_TRUE(model.setText("Callsign", callsign));
  EXPECT_TRUE(model.setText("Ssid", ssid));
  settings::Image image{};
  EXPECT_TRUE(settings::encodeSettings(model, image, kNow).ok());
  return image;
}

TEST(BackupStoreTest, TheOldestGoFirstAndOtherFilesStay) {
  test::TempDir dir;
  BackupStore store(dir.path("b"), 3);
  for (int i = 0; i < 5; ++i)
    ASSERT_TRUE(store.keep(imageWith("DL" + std::to_string(i) + "AA"), kNow + i).ok());
  test::writeFile(dir.path("b/notes.txt"), "mine");

  ASSERT_TRUE(store.keep(imageWith("DL5AA"), kNow + 5).ok());
  const auto listed = store.list();
  ASSERT_TRUE(listed.ok());
  ASSERT_EQ(listed.value().size(), 3u);
  EXPECT_EQ(listed.value()[0].station, "DL5AA");
  EXPECT_EQ(listed.value()[2].station, "DL3AA");
  EXPECT_TRUE(std::filesystem::exists(dir.path("b/notes.txt")));
}

TEST(BackupStoreTest, BackupsOfOneSecondKeepTheirOrder) {
  test::TempDir dir;
  BackupStore store(dir.path("b"));
  ASSERT_TRUE(store.keep(imageWith("DL1AA"), kNow).ok());
  const auto second = store.keep(imageWith("DL1BB"), kNow);
  ASSERT_TRUE(second.ok());
  EXPECT_EQ(second.value().file, "20231114-221320_DL1BB.1.img");
  EXPECT_EQ(store.list().value()[0].file, second.value().file);
}

TEST(BackupStoreTest, AnImageMakesNoPathOfItsName) {
  settings::Image image = imageWith("DL1AA", "10");
  EXPECT_EQ(stationName(image), "DL1AA-10");
  // Whatever bytes stand where the callsign is.
  std::memcpy(image.data() + 14, "../\n\xE9/", 6);
  const std::string station = stationName(image);
  EXPECT_EQ(
      station.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"),
      std::string::npos)
      << station;
  EXPECT_EQ(station.substr(0, 6), "______");

  Backup parsed;
  EXPECT_FALSE(parseBackupName("20231114-221320_../x.img", parsed));
  EXPECT_FALSE(parseBackupName("20231114-221320_.img", parsed));
}

}  // namespace
}  // namespace zorbel::backup
