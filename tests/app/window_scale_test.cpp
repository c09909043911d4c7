// The main window at 150 % scale (this program starts with QT_SCALE_FACTOR=1.5).
#include <QApplication>
#include <QMainWindow>
#include <QScrollArea>
#include <QScrollBar>

#include "settings/page_names.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

using ScaledWindow = WindowTest;

// A 1366 x 768 screen at 150 % is 910 x 512 window pixels. A 48-pixel panel
// (32) and the window manager's title bar and borders (about 32 high and 4 on
// each side) leave 902 x 448 for the window: its smallest size must fit.
TEST_F(ScaledWindow, SmallestSizeFitsA1366By768ScreenAt150Percent) {
  MainWindow& window = mainWindow();
  window.show();
  ASSERT_DOUBLE_EQ(window.devicePixelRatioF(), 1.5);
  const QSize least = window.minimumSizeHint().expandedTo(window.minimumSize());
  EXPECT_LE(least.width(), 902);
  EXPECT_LE(least.height(), 448);

  // Made that small, every button of the connection group still shows whole,
  // and the tallest page scrolls.
  window.resize(least);
  settingsTabs()->setCurrentWidget(control<QWidget>(settings::pages::kBeacons));
  QApplication::processEvents();
  ASSERT_EQ(window.size(), least);
  for (const char* name :
       {names::kOpenPortButton, names::kClosePortButton, names::kReadConfigButton,
        names::kWriteConfigButton, names::kUploadFirmwareButton}) {
    const QWidget* button = control<QWidget>(name);
    const QRect placed(button->mapTo(&window, QPoint(0, 0)), button->size());
    EXPECT_TRUE(window.rect().contains(placed)) << name;
    EXPECT_GE(button->width(), button->minimumSizeHint().width()) << name;
  }
  auto* page = control<QWidget>(settings::pages::kBeacons)->findChild<QScrollArea*>();
  EXPECT_GT(page->verticalScrollBar()->maximum(), 0);
  EXPECT_GE(logView()->height(), logView()->fontMetrics().lineSpacing() * 2);
}

}  // namespace
}  // namespace zorbel::app::test_support
