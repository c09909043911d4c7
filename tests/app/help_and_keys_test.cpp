// The window's own help and keys: the Help menu, F1, the network variant's
// features on request, and an Alt+letter for each tab.
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenuBar>
#include <QTabBar>
#include <QTest>
#include <QTextBrowser>
#include <QWhatsThis>
#include <tuple>

#include "help_object_names.h"
#include "program_settings.h"
#include "settings/page_names.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class HelpAndKeys : public WindowTest {
 protected:
  // The choice is kept on disk for the whole test program.
  ~HelpAndKeys() override { programSettings().remove(kNetworkVariantKey); }
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
      if (tabs == inner)
        settingsTabs()->setCurrentWidget(control<QWidget>(settings::pages::kTelemetry));
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

QStringList menuItems(QMenu* menu) {
  QStringList items;
  for (QAction* a : menu->actions()) {
    if (!a->isSeparator()) items << a->text().remove('&') + (a->isVisible() ? "" : " (hidden)");
  }
  return items;
}

// F1 shows the focused control's hint, and the README away from any control.
// About names the versions; the report takes the log's last 200 lines.
TEST_F(HelpAndKeys, HelpMenuF1AboutAndTheProblemReport) {
  showWindow();
  EXPECT_EQ(
      menuItems(control<QMenu>(names::kHelpMenu)),
      QStringList({"Contents\tF1", "Special strings\u2026",
                   "Remote update procedure\u2026 (hidden)", "Report a problem\u2026", "About"}));

  edit("Txdelay")->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
  QWidget* hint = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w->inherits("QWhatsThat") && w->isVisible()) hint = w;
  }
  EXPECT_NE(hint, nullptr) << "F1 on TX delay showed no hint";
  QWhatsThis::hideText();
  EXPECT_FALSE(edit("Txdelay")->whatsThis().isEmpty());

  QString contents;
  dialogs.expectWindow(names::kHelpContentsWindow, [&](QDialog& shown) {
    contents = shown.findChild<QTextBrowser*>()->toPlainText();
  });
  settingsTabs()->tabBar()->setFocus();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_F1);
  EXPECT_TRUE(dialogs.done()) << "F1 opened no contents";
  EXPECT_TRUE(contents.startsWith("Zorbel Configurator for Linux"))
      << contents.left(80).toStdString();

  dialogs.expectMessage("Zorbel Configurator v1.32", "About Zorbel Configurator");
  trigger(names::kAboutAction);
  const QStringList about = dialogs.messages.back().details.split('\n');
  EXPECT_EQ(about.at(0), "Configuration version v1.32");
  EXPECT_EQ(about.at(1), "Licence: none stated. No licence file comes with this program.");

  for (int i = 1; i <= 250; ++i) logView()->appendPlainText(QString("line %1").arg(i));
  dialogs.expectMessage("A problem report is on the clipboard: paste it into your message.");
  trigger(names::kReportProblemAction);
  const QStringList report = QApplication::clipboard()->text().split('\n', Qt::SkipEmptyParts);
  ASSERT_GT(report.size(), 200);
  EXPECT_EQ(report.at(0), "Zorbel Configurator v1.32, configuration version v1.32");
  EXPECT_TRUE(report.at(1).startsWith("Platform: ")) << report.at(1).toStdString();
  EXPECT_EQ(report.at(2), "Port: COM1");
  EXPECT_TRUE(report.at(report.size() - 200).endsWith("line 51"));
  EXPECT_TRUE(report.back().endsWith("line 250"));
}

// Off at first, and the window is the plain device's. On, the WWW tab, the
// Remote update menu and its procedure show, and the next start keeps them;
// a build with the development key then says so before it asks for files.
TEST_F(HelpAndKeys, NetworkVariantShowsItsTabAndMenuAndTheBuildWarnsOfTheKey) {
  const auto shown = [&] {
    const int www = settingsTabs()->indexOf(control<QWidget>(settings::pages::kWebServer));
    return std::tuple(settingsTabs()->isTabVisible(www),
                      remoteUpdateMenu()->menuAction()->isVisible(),
                      control<QAction>(names::kHelpRemoteUpdateAction)->isVisible());
  };
  EXPECT_FALSE(control<QAction>(names::kNetworkVariantAction)->isChecked());
  EXPECT_EQ(shown(), std::tuple(false, false, false));
  mainWindow().show();
  trigger(names::kNetworkVariantAction);
  EXPECT_EQ(shown(), std::tuple(true, true, true));
  QApplication::processEvents();
  EXPECT_GE(settingsTabs()->width(), settingsTabs()->tabBar()->sizeHint().width())
      << "the tab captions fit";
  EXPECT_EQ(menuItems(remoteUpdateMenu()), QStringList({"README!", "Build remote update file"}));

  windows = std::make_unique<ProgramWindows>(dialogs);
  EXPECT_TRUE(control<QAction>(names::kNetworkVariantAction)->isChecked());
  EXPECT_EQ(shown(), std::tuple(true, true, true));
  if (update::usesDevelopmentKey()) {
    dialogs.expectChoice(kDevelopmentKeyQuestion, "Cancel");
    trigger(names::kBuildRemoteUpdateFileAction);
    EXPECT_TRUE(dialogs.fileRequests.empty()) << "cancelled: no firmware asked for";
    EXPECT_TRUE(dialogs.choices.back().warning);
    EXPECT_EQ(log().size(), 1);
    EXPECT_TRUE(log().value(0).contains(
        "Warning: this build enciphers remote update files with the development key, not the "
        "device's."));
  }

  trigger(names::kNetworkVariantAction);
  EXPECT_EQ(shown(), std::tuple(false, false, false));
}

}  // namespace
}  // namespace zorbel::app::test_support
