// "Save to file", "Read from file", the firmware load of "Upload firmware" and
// "Build remote update file", with real files in a temporary folder.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QTemporaryDir>
#include <string_view>

#include "settings/page_names.h"
#include "support/env_guard.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class FileCommands : public WindowTest {
 protected:
  QTemporaryDir dir;

  QString path(const QString& name) const { return dir.filePath(name); }
  void writeFile(const QString& name, qsizetype size) {
    QFile f(path(name));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, '\x5A'));
  }
};

TEST_F(FileCommands, SaveThenReadRestoresAChangedWindow) {
  type("Callsign", "sp1abc");
  combo("Quiettime_randomize")->setCurrentIndex(2);
  check("Pathn3_active")->click();
  edit("Beacon2_msg")
      ->setText(QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"));  // Latin-1 letters survive the file
  windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_callsign05")->setText("DL*");
  check("Ntp_enable")->click();
  dialogs.expectFile(names::kConfigSaveDialog, path("mine.cfg"));
  trigger(names::kSaveToFileAction);
  ASSERT_TRUE(QFile::exists(path("mine.cfg")));
  const FileDialogRequest& save = dialogs.fileRequests.at(0);
  EXPECT_TRUE(save.save);
  EXPECT_EQ(save.filter, "Zorbel config files (*.cfg)|*.cfg");
  EXPECT_EQ(save.fileName, "zorbel.cfg");

  type("Callsign", "OTHER");
  combo("Quiettime_randomize")->setCurrentIndex(0);
  check("Pathn3_active")->click();
  type("Beacon2_msg", "x");
  windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_callsign05")->setText("");
  check("Ntp_enable")->click();

  discardEdits();
  dialogs.expectFile(names::kConfigOpenDialog, path("mine.cfg"));
  trigger(names::kReadFromFileAction);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(text("Callsign"), "sp1abc");
  EXPECT_EQ(combo("Quiettime_randomize")->currentIndex(), 2);
  EXPECT_TRUE(check("Pathn3_active")->isChecked());
  EXPECT_EQ(text("Beacon2_msg"), QString::fromUtf8("Gr\xC3\xBC\xC3\x9F"));
  EXPECT_EQ(windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_callsign05")->text(),
            "DL*");
  EXPECT_FALSE(check("Ntp_enable")->isChecked());

  // The dialog offers the name chosen last.
  dialogs.expectFile(names::kConfigSaveDialog, std::nullopt);
  trigger(names::kSaveToFileAction);
  EXPECT_EQ(dialogs.fileRequests.back().fileName, "mine.cfg");
}

TEST_F(FileCommands, ReadingAMissingFileChangesNothingAndALongTextIsShownWhole) {
  type("Txdelay", "999");
  check("Uploadpctime")->click();  // clock edits enabled
  discardEdits();
  dialogs.expectFile(names::kConfigOpenDialog, path("none.cfg"));
  dialogs.expectMessage("Unable to read from " + path("none.cfg"), "Zorbel Configurator");
  trigger(names::kReadFromFileAction);
  EXPECT_TRUE(dialogs.fileRequests.back().mustExist);
  EXPECT_EQ(text("Txdelay"), "999");
  // A text longer than its box's limit is shown whole.
  QFile f(path("long.cfg"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(
      "[!WARNING]\r\nVersion=v1.32\r\n[Radio]\r\nCallsign=ABCDEFGHIJ\r\n[RTC]\r\nUploadpctime="
      "1\r\n");
  f.close();
  discardEdits();
  dialogs.expectFile(names::kConfigOpenDialog, path("long.cfg"));
  trigger(names::kReadFromFileAction);
  EXPECT_EQ(text("Callsign"), "ABCDEFGHIJ");
  EXPECT_FALSE(edit("Rtcyear")->isEnabled()) << "importing Uploadpctime clicks it";
}

// A text from a file that its field would cut is marked as it is read, and
// every command that would send or compare it refuses it as a range error.
TEST_F(FileCommands, ATextItsFieldWouldCutIsMarkedAndRefused) {
  mainWindow().show();
  QFile f(path("long.cfg"));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[!WARNING]\r\nVersion=v1.32\r\n[Telnet]\r\nTelnet_pass=thirteenchars\r\n");
  f.close();
  dialogs.expectFile(names::kConfigOpenDialog, path("long.cfg"));
  trigger(names::kReadFromFileAction);
  EXPECT_TRUE(dialogs.messages.empty());
  EXPECT_EQ(text("telnet_password"), "thirteenchars");
  EXPECT_TRUE(edit("telnet_password")->property("refused").toBool());
  EXPECT_EQ(edit("telnet_password")->toolTip(), "telnet_password: at most 12 characters");

  openPort(startSim());  // Write config and Compare with device need a port
  for (const char* command : {names::kWriteConfigButton, names::kBuildRemoteUpdateFileAction,
                              names::kCompareWithDeviceAction}) {
    SCOPED_TRACE(command);
    settingsTabs()->setCurrentIndex(0);
    dialogs.expectMessage("telnet_password: at most 12 characters", "Information");
    if (command == std::string_view(names::kWriteConfigButton))
      click(command);
    else
      trigger(command);  // no file dialog, no read follows
    EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kTelnet);
    EXPECT_EQ(mainWindow().focusWidget(), edit("telnet_password"));
  }
  EXPECT_NE(status(), "Write config starts when a port is open");
  EXPECT_NE(status(), "Compare with device starts when a port is open");
}

TEST_F(FileCommands, SaveStopsAtATextThatIsNotAnIntegerAndWritesNothing) {
  type("Quiettime", "");
  dialogs.expectFile(names::kConfigSaveDialog, path("bad.cfg"));
  dialogs.expectMessage("'' is not a valid integer value", "Zorbel Configurator");
  trigger(names::kSaveToFileAction);
  EXPECT_FALSE(QFile::exists(path("bad.cfg")));

  type("Quiettime", "400");
  const QString missing = path("no-folder/z.cfg");
  dialogs.expectFile(names::kConfigSaveDialog, missing);
  dialogs.expectMessage("Unable to write to " + missing, "Zorbel Configurator");
  trigger(names::kSaveToFileAction);
  EXPECT_EQ(dialogs.messages.back().icon, UserDialogs::Icon::Error);
}

TEST_F(FileCommands, UploadFirmwareRefusesWhatItCannotSendAndSetsTheBarForWhatItCan) {
  openPort(startSim());
  dialogs.expectFile(names::kFirmwareDialog, std::nullopt);
  click(names::kUploadFirmwareButton);
  EXPECT_EQ(dialogs.fileRequests.at(0).filter, "Zorbel firmware hash files (*.hash)|*.hash");
  EXPECT_TRUE(dialogs.fileRequests.at(0).fileName.isEmpty());

  writeFile("big.hash", 237569);
  dialogs.expectFile(names::kFirmwareDialog, path("big.hash"));
  dialogs.expectMessage("Firmware file too long.", "File open error");
  click(names::kUploadFirmwareButton);
  EXPECT_EQ(dialogs.messages.back().details,
            "The file has 237,569 bytes; the device takes at most 237,568.");
  dialogs.expectFile(names::kFirmwareDialog, path("missing.hash"));
  dialogs.expectMessage("File open error.", "File open error");
  click(names::kUploadFirmwareButton);
  EXPECT_EQ(progressBar()->maximum(), 100);

  // The upload says what it will do before it starts.
  writeFile("fw.hash", 300);
  dialogs.expectFile(names::kFirmwareDialog, path("fw.hash"));
  dialogs.expectChoice("Upload fw.hash to the device?", "Upload");
  click(names::kUploadFirmwareButton);
  EXPECT_EQ(dialogs.choices.back().details,
            "300 bytes in 3 pages: about 0.1 s at 115200 baud.\n"
            "The device must not lose power until the upload has finished: an upload cut short "
            "leaves it without complete firmware.");
  EXPECT_EQ(progressBar()->minimum(), 0);
  EXPECT_EQ(progressBar()->maximum(), 3);
  EXPECT_EQ(progressBar()->value(), 0);
}

TEST_F(FileCommands, RemoteUpdateFileIsBuiltOnlyFromAValidConfiguration) {
  type("WU_rapidfirerate", "61");
  dialogs.expectMessage("WeatherUnderground \"Rapid fire\" send rate range error (5 - 60).",
                        "Information");
  trigger(names::kBuildRemoteUpdateFileAction);  // no dialog follows a refused encode
  type("WU_rapidfirerate", "60");

  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, path("missing.hash"));
  dialogs.expectMessage("Could not open firmware file", "File open error");
  trigger(names::kBuildRemoteUpdateFileAction);  // and no save dialog after that

  writeFile("fw.hash", 300);
  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, path("fw.hash"));
  dialogs.expectFile(names::kRemoteSaveDialog, path("out.ruf"));
  trigger(names::kBuildRemoteUpdateFileAction);
  EXPECT_EQ(QFileInfo(path("out.ruf")).size(), 2560 + 300);
  EXPECT_EQ(dialogs.fileRequests.back().filter, "Zorbel remote update files (*.ruf)|*.ruf");
  EXPECT_TRUE(dialogs.fileRequests.back().save);
}

// Dialogs start in the program's own folder + "config", "firmware" or
// "remote", made on first use.
TEST_F(FileCommands, DialogsStartInTheProgramsSubfolderMadeOnFirstUse) {
  const QDir program(QCoreApplication::applicationDirPath());
  for (const char* sub : {"config", "firmware", "remote"}) program.rmdir(sub);
  openPort(startSim());
  dialogs.expectFile(names::kConfigOpenDialog, std::nullopt);
  trigger(names::kReadFromFileAction);
  dialogs.expectFile(names::kFirmwareDialog, std::nullopt);
  click(names::kUploadFirmwareButton);
  EXPECT_EQ(dialogs.fileRequests.at(0).folder, program.filePath("config"));
  EXPECT_EQ(dialogs.fileRequests.at(1).folder, program.filePath("firmware"));
  EXPECT_TRUE(QFileInfo(program.filePath("firmware")).isDir());

  dialogs.expectFile(names::kConfigSaveDialog, std::nullopt);
  trigger(names::kSaveToFileAction);
  dialogs.expectFile(names::kFirmwareDialog, std::nullopt);
  click(names::kUploadFirmwareButton);
  acceptDevelopmentKey();
  dialogs.expectFile(names::kRemoteFirmwareDialog, std::nullopt);
  trigger(names::kBuildRemoteUpdateFileAction);
  const auto& r = dialogs.fileRequests;
  ASSERT_EQ(r.size(), 5U);
  EXPECT_EQ(r[2].folder, program.filePath("config"));
  EXPECT_EQ(r[3].folder, program.filePath("firmware"));
  EXPECT_EQ(r[4].folder, program.filePath("remote"));
  for (const char* sub : {"config", "firmware", "remote"}) program.rmdir(sub);

  // Installed, the program's folder is not the user's: the user's data folder stands in,
  // made on first use.
  QTemporaryDir data;
  const zorbel::test::EnvGuard dataHome("XDG_DATA_HOME", data.path().toStdString());
  EXPECT_TRUE(runsFromBuildTree(QCoreApplication::applicationDirPath()));
  EXPECT_FALSE(runsFromBuildTree("/usr/bin"));
  EXPECT_EQ(dialogFolder("firmware", "/usr/bin"), data.filePath("zorbel-configurator/firmware"));
  EXPECT_TRUE(QFileInfo(data.filePath("zorbel-configurator/firmware")).isDir());
  EXPECT_EQ(dialogFolder("remote", "/usr/bin"), data.filePath("zorbel-configurator/remote"));
}

}  // namespace
}  // namespace zorbel::app::test_support
