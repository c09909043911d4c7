// The windows as start-up leaves them, and how every control is made and placed.
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QWindow>
#include <ctime>

#include "latin1.h"
#include "link/device_link.h"
#include "settings/catalog.h"
#include "settings/page_names.h"
#include "splash_screen.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

using settings::ControlKind;

QStringList tabCaptions(QTabWidget* tabs, bool visibleOnly) {
  QStringList captions;
  for (int i = 0; i < tabs->count(); ++i) {
    if (!visibleOnly || tabs->isTabVisible(i))
      captions << tabs->widget(i)->objectName() + "=" + tabs->tabText(i).remove('&');  // Alt+letter
  }
  return captions;
}

bool hasAncestor(const QWidget* w, const QString& name) {
  for (; w != nullptr; w = w->parentWidget()) {
    if (w->objectName() == name) return true;
  }
  return false;
}

using StartUp = WindowTest;

TEST_F(StartUp, CaptionTitleAndHiddenParts) {
  mainWindow().show();
  EXPECT_EQ(mainWindow().windowHandle()->title(), "ZORBEL Configurator v1.32");
  EXPECT_EQ(QApplication::applicationName(), "Zorbel Configurator");
  EXPECT_TRUE(mainWindow().windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(mainWindow().windowFlags() & Qt::WindowMinimizeButtonHint);

  QTabWidget* pages = settingsTabs();
  EXPECT_EQ(pages->currentWidget()->objectName(), settings::pages::kRadio);
  EXPECT_EQ(tabCaptions(pages, false),
            QStringList({"radioPage=Radio", "digipeaterPage=Digipeater", "beaconsPage=Beacons",
                         "networkPage=Network", "aprsIsPage=APRS-IS", "igatePage=I-Gate",
                         "weatherPage=Weather", "clockPage=RTC/NTP time", "webServerPage=WWW",
                         "telnetPage=Telnet", "telemetryPage=Telemetry reports",
                         "wundergroundPage=WUnderground"}));
  EXPECT_FALSE(pages->isTabVisible(
      pages->indexOf(mainWindow().findChild<QWidget*>(settings::pages::kWebServer))));
  auto* inner = control<QTabWidget>("telemetryTabs");
  EXPECT_EQ(
      tabCaptions(inner, true),
      QStringList({"telemetryReportPage=Report settings", "analogChannelsPage=Analog channels",
                   "digitalChannels1to4Page=Digital channels 1-4",
                   "digitalChannels5to8Page=Digital channels 5-8"}));
  EXPECT_EQ(inner
                ->tabText(inner->indexOf(
                    mainWindow().findChild<QWidget*>(settings::pages::kQuodraOutputs)))
                .remove('&'),
            "Quodra outputs");

  // The module selectors stay hidden even on their own page.
  pages->setCurrentWidget(mainWindow().findChild<QWidget*>(settings::pages::kTelemetry));
  for (const char* name :
       {"telemoduleCaption", "Telemodule_enable", "bitsmoduleCaption", "Bitsmodule_enable"}) {
    EXPECT_FALSE(control<QWidget>(name)->isVisible()) << name;
  }
  EXPECT_EQ(control<QLabel>("telemoduleCaption")->text().remove('&'), "Vondrake module (analog):");

  QStringList menus;
  for (QAction* a : mainWindow().menuBar()->actions()) {
    menus << a->text().remove('&') + (a->isVisible() ? "" : " (hidden)");
  }
  EXPECT_EQ(menus, QStringList({"Configuration import/export", "Edit", "Device", "View",
                                "Remote update (hidden)", "Help"}));
  EXPECT_EQ(remoteUpdateMenu()->objectName(), names::kRemoteUpdateMenu);
  for (const char* action : {names::kSaveToFileAction, names::kReadFromFileAction,
                             names::kRemoteUpdateHelpAction, names::kBuildRemoteUpdateFileAction}) {
    EXPECT_NE(mainWindow().findChild<QAction*>(action), nullptr) << action;
  }
}

TEST_F(StartUp, ConnectionGroupLogAndProgress) {
  QComboBox* port = portBox();
  EXPECT_TRUE(port->isEditable());
  EXPECT_EQ(port->currentText(), "COM1");
  EXPECT_EQ(port->currentIndex(), -1);
  // The ports present, and no COM name without its device.
  const auto names = link::DeviceLink::portNames();
  ASSERT_EQ(port->count(), static_cast<int>(names.size()));
  for (int i = 0; i < port->count(); ++i)
    EXPECT_EQ(port->itemData(i).toString(), QString::fromStdString(names[i]));
  EXPECT_EQ(mainWindow().portName(), "COM1");

  QStringList buttons;
  for (QPushButton* b : port->parentWidget()->findChildren<QPushButton*>())
    buttons << b->objectName() + "=" + b->text().remove('&');
  EXPECT_EQ(buttons,
            QStringList({"openPortButton=Open port", "closePortButton=Close port",
                         "readConfigButton=Read config", "writeConfigButton=Write config",
                         "uploadFirmwareButton=Upload firmware", "cancelTransferButton=Cancel"}));
  EXPECT_TRUE(logView()->isReadOnly());
  EXPECT_TRUE(logView()->toPlainText().isEmpty());
  EXPECT_EQ(progressBar()->minimum(), 0);
  EXPECT_EQ(progressBar()->maximum(), 100);
  EXPECT_EQ(progressBar()->value(), 0);
}

TEST_F(StartUp, ClockEditsShowUtcAndAreDisabled) {
  const std::time_t before = std::time(nullptr);
  ProgramWindows fresh(dialogs);
  const std::time_t after = std::time(nullptr);
  auto shown = [&](std::time_t t) {
    std::tm utc{};
    gmtime_r(&t, &utc);
    return QStringList({QString::number(utc.tm_year + 1900), QString::number(utc.tm_mon + 1),
                        QString::number(utc.tm_mday), QString::number(utc.tm_hour),
                        QString::number(utc.tm_min)});
  };
  QStringList texts;
  for (const char* name : {"Rtcyear", "Rtcmonth", "Rtcday", "Rtchour", "Rtcmin"}) {
    auto* e = fresh.mainWindow->findChild<QLineEdit*>(name);
    texts << e->text();
    EXPECT_FALSE(e->isEnabled()) << name;
  }
  EXPECT_TRUE(texts == shown(before) || texts == shown(after)) << texts.join(' ').toStdString();
  EXPECT_TRUE(fresh.mainWindow->findChild<QCheckBox*>("Uploadpctime")->isChecked());
}

// Every setting has its control, made from its declaration and placed on its page, once.
TEST_F(StartUp, EveryControlFollowsItsDeclaration) {
  for (const settings::Setting& s : settings::allSettings()) {
    const QString name = QString::fromStdString(s.name);
    const auto found = mainWindow().findChildren<QWidget*>(name);
    ASSERT_EQ(found.size(), 1) << s.name;
    QWidget* w = found.front();
    EXPECT_TRUE(hasAncestor(w, QString::fromStdString(s.page))) << s.name << " not on " << s.page;
    // The position boxes add the position in degrees and as a locator after their hints.
    EXPECT_EQ(w->toolTip().section('\n', 0, 0), fromBytes(s.hint)) << s.name;
    switch (s.kind) {
      case ControlKind::Edit:
        ASSERT_NE(qobject_cast<QLineEdit*>(w), nullptr) << s.name;
        EXPECT_EQ(qobject_cast<QLineEdit*>(w)->maxLength(), s.maxLength) << s.name;
        break;
      case ControlKind::Combo: {
        auto* c = qobject_cast<QComboBox*>(w);
        ASSERT_NE(c, nullptr) << s.name;
        ASSERT_EQ(c->count(), static_cast<int>(s.items.size())) << s.name;
        for (int i = 0; i < c->count(); ++i)
          EXPECT_EQ(c->itemText(i), fromBytes(s.items[i])) << s.name;
        break;
      }
      case ControlKind::Check:
        ASSERT_NE(qobject_cast<QCheckBox*>(w), nullptr) << s.name;
        break;
    }
  }
  EXPECT_EQ(check("Uploadpctime")->text().remove('&'), "Upload PC system time on config write");
  EXPECT_EQ(combo("Weather_stationtype")->currentText(), "WS-2300");
  EXPECT_EQ(text("Teleanalog3_name"), "Eff1h");
  EXPECT_EQ(text("Teledigital7_units"), "Non");
  EXPECT_EQ(combo("WU_sendmethod")->currentIndex(), 0);
}

// On every page each control, label and button lies whole inside the window and
// overlaps no other.
TEST_F(StartUp, EveryPageShowsItsControlsWholeWithoutOverlap) {
  mainWindow().show();
  auto checkPage = [&](QWidget* page) {
    QApplication::processEvents();
    std::vector<std::pair<QWidget*, QRect>> leaves;
    for (QWidget* w : page->findChildren<QWidget*>()) {
      if (!w->isVisible() || qobject_cast<QGroupBox*>(w) != nullptr ||
          qobject_cast<QTabWidget*>(w) != nullptr || w->parentWidget()->inherits("QComboBox") ||
          w->parentWidget()->inherits("QTabWidget") || w->inherits("QStackedWidget") ||
          w->inherits("QTabBar") || w->parentWidget()->inherits("QTabBar")) {
        continue;
      }
      if (!w->objectName().endsWith("Page") && w->findChildren<QLabel*>().isEmpty()) {
        leaves.push_back({w, QRect(w->mapTo(&mainWindow(), QPoint(0, 0)), w->size())});
      }
    }
    const QRect inside(page->mapTo(&mainWindow(), QPoint(0, 0)), page->size());
    for (std::size_t i = 0; i < leaves.size(); ++i) {
      EXPECT_TRUE(inside.contains(leaves[i].second)) << page->objectName().toStdString() << ": "
                                                     << leaves[i].first->objectName().toStdString();
      for (std::size_t j = i + 1; j < leaves.size(); ++j) {
        EXPECT_FALSE(leaves[i].second.intersects(leaves[j].second))
            << page->objectName().toStdString() << ": "
            << leaves[i].first->metaObject()->className() << " "
            << leaves[i].first->objectName().toStdString() << " overlaps "
            << leaves[j].first->metaObject()->className() << " "
            << leaves[j].first->objectName().toStdString();
      }
    }
    return leaves.size();
  };
  QTabWidget* pages = settingsTabs();
  auto* inner = control<QTabWidget>("telemetryTabs");
  std::size_t placed = 0;
  for (int i = 0; i < pages->count(); ++i) {
    if (!pages->isTabVisible(i)) continue;
    pages->setCurrentIndex(i);
    if (pages->widget(i)->objectName() != settings::pages::kTelemetry) {
      placed += checkPage(pages->widget(i));
      continue;
    }
    for (int j = 0; j < inner->count(); ++j) {
      if (!inner->isTabVisible(j)) continue;
      inner->setCurrentIndex(j);
      placed += checkPage(inner->widget(j));
    }
  }
  EXPECT_GT(placed, 300U);
  // The tab captions fit without scrolling.
  EXPECT_GE(pages->width(), pages->tabBar()->sizeHint().width());
}

TEST_F(StartUp, AuxiliaryWindowsStartHiddenWithTheirContent) {
  EXPECT_FALSE(windows->specialStringsWindow->isVisible());
  EXPECT_FALSE(windows->remoteUpdateHelpWindow->isVisible());
  EXPECT_FALSE(windows->filterWindow->isVisible());
  EXPECT_EQ(windows->specialStringsWindow->windowTitle(), "Beacon special strings");
  EXPECT_EQ(windows->remoteUpdateHelpWindow->windowTitle(),
            "Zorbel+ remote firmware upload procedure");
  EXPECT_TRUE(windows->filterWindow->windowTitle().startsWith("APRS-IS packets to RF filter ("));
  EXPECT_TRUE(windows->filterWindow->windowTitle().endsWith("):"));
  QStringList lines;
  for (QLabel* l : windows->specialStringsWindow->findChildren<QLabel*>()) lines << l->text();
  EXPECT_EQ(lines, QStringList({"<date> - inserts current time in format: DDHHMM. ",
                                "<lat> - inserts latitude defined on  \"Radio\" Tab.",
                                "<long> - inserts longitude defined on  \"Radio\" Tab.",
                                "Example:", "@<date>z<lat>/<long>-ZORBEL Test."}));
  for (int k = 1; k <= 12; ++k) {
    const QString id = QString("%1").arg(k, 2, 10, QLatin1Char('0'));
    EXPECT_EQ(
        windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_callsign" + id)->text(), "");
    EXPECT_EQ(windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_ssid" + id)->text(),
              "*");
    EXPECT_EQ(
        windows->filterWindow->findChild<QComboBox*>("Packet2rf_filter_type" + id)->currentText(),
        "Not used");
  }
  EXPECT_EQ(windows->filterWindow->findChild<QPushButton*>(names::kFilterOkButton)->text(), "&OK");
}

TEST_F(StartUp, ScreenshotOptionWritesEveryPageAndWindow) {
  QTemporaryDir dir;
  QStringList files;
  const Result<void> written =
      writeScreenshots(*windows, dir.path(), [&](const QString& file) { files << file; });
  EXPECT_TRUE(written) << written.error().message;
  // Eleven visible main pages (the telemetry tab by its four visible pages), three windows, the
  // splash.
  EXPECT_EQ(files.size(), 10 + 4 + 3 + 1);
  EXPECT_TRUE(files.contains(dir.filePath("mainWindow_telemetryPage_analogChannelsPage.png")));
  EXPECT_FALSE(files.contains(dir.filePath("mainWindow_webServerPage.png")));
  EXPECT_EQ(QImage(dir.filePath("mainWindow_radioPage.png")).size(),
            mainWindow().size() * mainWindow().devicePixelRatio());
  EXPECT_EQ(QImage(dir.filePath("filterWindow.png")).size(),
            windows->filterWindow->size() * windows->filterWindow->devicePixelRatio());
}

TEST(Splash, PictureIsDecodedByLibjpegAndFillsABorderlessWindow) {
  SplashScreen splash;
  EXPECT_EQ(splash.picture().size(), QSize(254, 254));
  EXPECT_EQ(splash.size(), QSize(254, 254));
  EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
  // Not a blank picture: the sky at the top is darker than the name's letters.
  const QImage& p = splash.picture();
  EXPECT_LT(qGray(p.pixel(5, 5)), 80);
}

TEST(Latin1, TextsAreEightBitAndUnmappableCharactersAreRefusedNotReplaced) {
  EXPECT_EQ(toBytes(QString::fromUtf8("Zorbel \xC3\xA9")), std::string("Zorbel \xE9"));
  EXPECT_EQ(toBytes(QString::fromUtf8("\xE2\x82\xAC")), std::string(1, '\x7F'));  // the euro sign
  EXPECT_EQ(fromBytes("\xE9"), QString::fromUtf8("\xC3\xA9"));
}

}  // namespace
}  // namespace zorbel::app::test_support
