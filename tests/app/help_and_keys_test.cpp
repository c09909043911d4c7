// The window's own help and keys: the Help menu, F1, the network variant's
// features on request, and an Alt+letter for each tab.
#include <QApplication>
#include <QLineEdit>
#include <QMenuBar>
#include <QTest>

#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class HelpAndKeys : public WindowTest {
 protected:
  void showWindow() {
    mainWindow().show();
    mainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
  }
};

QChar mnemonicOf(const QString& text) {
  const qsizetype amp = text.indexOf('&');
  return amp >= 0 && amp + 1 < text.size() ? text[amp + 1].toUpper() : QChar();
}

// Each tab whose caption has a letter the menus, the connection group and the
// other tabs leave free has it as its Alt+letter, and the letter brings the tab
// forward from any page, also over the captions of the page in front.
TEST_F(HelpAndKeys, EachTabWithAFreeLetterHasItsAltLetter) {
  showWindow();
  QString window;
  for (QAction* menu : mainWindow().menuBar()->actions()) window += mnemonicOf(menu->text());
  for (QPushButton* b : portBox()->parentWidget()->findChildren<QPushButton*>())
    window += mnemonicOf(b->text());
  window += 'P';  // "COM &Port"
  auto* inner = control<QTabWidget>("telemetryTabs");
  int given = 0;
  for (QTabWidget* tabs : {settingsTabs(), inner}) {
    QString letters;
    for (int i = 0; i < tabs->count(); ++i) letters += mnemonicOf(tabs->tabText(i));
    for (int i = 0; i < tabs->count(); ++i) {
      const QString caption = tabs->tabText(i);
      const QChar letter = mnemonicOf(caption);
      if (letter.isNull()) {
        for (QChar c : caption) {
          EXPECT_TRUE(!c.isLetter() || (window + letters).contains(c.toUpper()))
              << caption.toStdString() << " could have " << QString(c).toStdString();
        }
        continue;
      }
      ++given;
      EXPECT_FALSE(window.contains(letter)) << caption.toStdString();
      EXPECT_EQ(letters.count(letter), 1) << caption.toStdString();
      if (!tabs->isTabVisible(i)) continue;
      // From another page, with the focus where a user left it.
      if (tabs == inner) settingsTabs()->setCurrentWidget(control<QWidget>("telemetryPage"));
      tabs->setCurrentIndex(i == 0 ? 1 : 0);
      QWidget* box = tabs->currentWidget()->findChild<QLineEdit*>();
      (box != nullptr ? box : tabs)->setFocus();
      QTest::keyClick(QApplication::focusWidget(), letter.toLatin1(), Qt::AltModifier);
      EXPECT_EQ(tabs->currentIndex(), i) << caption.toStdString();
    }
    window += letters;
  }
  EXPECT_GE(given, 10);
}

}  // namespace
}  // namespace zorbel::app::test_support
