// What the window keeps between runs, and the recent files.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>

#include "recent_files.h"
#include "settings/page_names.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class Remembered : public WindowTest {
 protected:
  QTemporaryDir dir;

  QString path(const QString& name) const { return dir.filePath(name); }
  // The window as the next run of the program shows it.
  void restart() {
    ASSERT_TRUE(mainWindow().close());
    windows = std::make_unique<ProgramWindows>(dialogs);
  }
  QStringList recentCaptions() {
    QStringList captions;
    for (QAction* a : control<QMenu>(kRecentFilesMenu)->actions()) captions << a->text();
    return captions;
  }
};

TEST_F(Remembered, SizeTabChoicesAndFoldersComeBackNextRun) {
  mainWindow().show();
  EXPECT_GT(mainWindow().minimumSize().width(), 0);
  mainWindow().resize(mainWindow().minimumSize() + QSize(20, 30));
  const QSize chosen = mainWindow().size();
  settingsTabs()->setCurrentWidget(control<QWidget>(settings::pages::kTelnet));
  control<QAction>(names::kVerifyAfterWriteAction)->setChecked(true);
  dialogs.expectFile(names::kConfigSaveDialog, path("station.cfg"));
  trigger(names::kSaveToFileAction);

  restart();
  EXPECT_EQ(mainWindow().size(), chosen);
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kTelnet);
  EXPECT_TRUE(control<QAction>(names::kVerifyAfterWriteAction)->isChecked());
  dialogs.expectFile(names::kConfigOpenDialog, std::nullopt);
  trigger(names::kReadFromFileAction);
  dialogs.expectFile(names::kConfigSaveDialog, std::nullopt);
  trigger(names::kSaveToFileAction);
  // The save dialog starts where its file went; the open dialog, never used, in config/.
  EXPECT_EQ(dialogs.fileRequests.at(1).folder,
            QDir(QCoreApplication::applicationDirPath()).filePath("config"));
  EXPECT_EQ(dialogs.fileRequests.at(2).folder, dir.path());
}

// The files saved or read last, newest first; one that has gone is taken off
// the list with a message.
TEST_F(Remembered, RecentFilesOpenAndForgetAFileThatHasGone) {
  EXPECT_TRUE(recentCaptions().isEmpty());
  type("Callsign", "SP1AAA");
  dialogs.expectFile(names::kConfigSaveDialog, path("first.cfg"));
  trigger(names::kSaveToFileAction);
  type("Callsign", "SP2BBB");
  dialogs.expectFile(names::kConfigSaveDialog, path("second.cfg"));
  trigger(names::kSaveToFileAction);
  EXPECT_EQ(recentCaptions(), QStringList({"&1 " + path("second.cfg"), "&2 " + path("first.cfg")}));

  type("Callsign", "SP3CCC");
  discardEdits();
  trigger("recentFile2");
  EXPECT_EQ(text("Callsign"), "SP1AAA");
  EXPECT_EQ(log().back(), "Configuration read from first.cfg.");
  EXPECT_EQ(recentCaptions(), QStringList({"&1 " + path("first.cfg"), "&2 " + path("second.cfg")}));

  ASSERT_TRUE(QFile::remove(path("second.cfg")));
  restart();
  dialogs.expectMessage(
      path("second.cfg") + " is no longer there.\nIt has been removed from the recent files.",
      "Information");
  trigger("recentFile2");
  EXPECT_EQ(recentCaptions(), QStringList({"&1 " + path("first.cfg")}));
  EXPECT_NE(text("Callsign"), "SP2BBB");
}

}  // namespace
}  // namespace zorbel::app::test_support
