// What only the window shows: the progress bar and status line of each
// transfer, keyboard access, the port list, the dialogs' safeguards, the live
// checks and the comparison with the device.
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <set>

#include "compare_dialog.h"
#include "link/simulator_link.h"
#include "link_adapter.h"
#include "log_view.h"
#include "settings/catalog.h"
#include "settings/codec.h"
#include "settings/page_names.h"
#include "simulator.h"
#include "support/env_guard.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class Usability : public WindowTest {
 protected:
  // "Verify after write" is kept on disk for the whole test program: a test that
  // turns it on and fails half-way must not leave it on for the next.
  ~Usability() override {
    if (windows) verifyAfterWrite()->setChecked(false);
  }
  QString writeFile(const QString& name, int size) {
    QFile f(dir.filePath(name));
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, '\x5a'));
    return f.fileName();
  }

  // A good image of the window's configuration version but stamped "v1.31".
  static settings::Image otherVersionImage() {
    settings::Image image{};
    EXPECT_TRUE(settings::encodeSettings(settings::SettingsModel(), image).ok());
    image[settings::kVersionOffset + 4] = '1';
    const std::uint32_t sum = settings::imageSum(image);
    for (int i = 0; i < 4; ++i)
      image[settings::kImageSumOffset + i] = static_cast<std::uint8_t>(sum >> (8 * i));
    return image;
  }
  QAction* verifyAfterWrite() { return control<QAction>(names::kVerifyAfterWriteAction); }

  QTemporaryDir dir;
};

// A user's Return: to the widget that has the focus.
void pressReturn() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); }

// ---- Layout ------------------------------------------------------------------------

// After the screenshots, each page laid out as shown: one caption per address
// row, the weather report in one row, the channel boxes aligned in columns.
TEST_F(Usability, ScreenshotsShowTheLayoutOfAddressesWeatherAndChannels) {
  const Result<void> written = writeScreenshots(*windows, dir.path(), [](const QString&) {});
  ASSERT_TRUE(written) << written.error().message;
  auto captions = [&](const char* page, const QString& text) {
    int n = 0;
    for (QLabel* l : control<QWidget>(page)->findChildren<QLabel*>())
      n += l->text().remove('&') == text;
    return n;
  };
  for (const char* caption : {"IP Address:", "IP Mask:", "Gateway:", "DNS:"}) {
    EXPECT_EQ(captions(settings::pages::kNetwork, caption), 1) << caption;
  }
  EXPECT_EQ(captions(settings::pages::kWeather, "Weather report:"), 1);
  settingsTabs()->setCurrentWidget(control<QWidget>(settings::pages::kWeather));
  QApplication::processEvents();
  int left = -1;
  const int middle = edit("Weather_dest_string")->geometry().center().y();
  for (const char* name :
       {"Weather_dest_string", "Weather_dest_ssid", "Weather_path_string", "Weather_path_ssid",
        "Weather_txrate_rf", "Weather_txrate_aprsis", "Weather_comment"}) {
    const QRect r(edit(name)->mapTo(&mainWindow(), QPoint(0, 0)), edit(name)->size());
    EXPECT_EQ(edit(name)->geometry().center().y(), middle) << name;
    EXPECT_GT(r.left(), left) << name;
    left = r.right();
  }
  for (const char* column : {"_name", "_units"}) {
    std::set<int> analog, digital1to4, digital5to8;
    for (int k = 1; k <= 5; ++k)
      analog.insert(edit(QString("Teleanalog%1%2").arg(k).arg(column))->width());
    for (int k = 1; k <= 4; ++k) {
      digital1to4.insert(edit(QString("Teledigital%1%2").arg(k).arg(column))->width());
      digital5to8.insert(edit(QString("Teledigital%1%2").arg(k + 4).arg(column))->width());
    }
    EXPECT_EQ(analog.size(), 1U) << column;
    EXPECT_EQ(digital1to4.size(), 1U) << column;
    EXPECT_EQ(digital5to8.size(), 1U) << column;
  }
}

// ---- Progress and status ------------------------------------------------------

// "Close port" during an upload asks first; stopping it says where it stopped.
TEST_F(Usability, FirmwareBarRunsToThePageCountAndClosePortAsksBeforeItStopsAnUpload) {
  sim::SimOptions paced;
  paced.baud = 115200;
  startSim(paced);
  openPort(*sim_);
  expectUpload(writeFile("fw.hash", 40000));  // 313 pages
  click(names::kUploadFirmwareButton);
  ASSERT_TRUE(waitForLog("Firmware page sent [3]."));
  ASSERT_TRUE(waitFor([&] { return status().startsWith("Uploading firmware, page"); }, 10000));
  EXPECT_TRUE(status().endsWith(" of 314")) << status().toStdString();
  EXPECT_EQ(progressBar()->maximum(), 313);
  EXPECT_LT(progressBar()->value(), 313);

  // The question quotes the page the status line shows; nothing moves while it is open.
  QString page = status().section(", ", 1);
  dialogs.expectChoice(uploadStopQuestion(page.section(' ', 1, 1).toInt(), 314), "Keep uploading");
  click(names::kClosePortButton);
  EXPECT_EQ(dialogs.choices.back().buttons.at(dialogs.choices.back().defaultButton).caption,
            "&Keep uploading");
  EXPECT_TRUE(mainWindow().link().device().workerRunning());
  ASSERT_TRUE(waitForLog("Firmware page sent [6]."));
  page = status().section(", ", 1);
  dialogs.expectChoice(uploadStopQuestion(page.section(' ', 1, 1).toInt(), 314), "Stop uploading");
  click(names::kClosePortButton);
  EXPECT_TRUE(log().last().startsWith(
      QString("Upload cut short after page %1 of 314: ").arg(page.section(' ', 1, 1).toInt() - 1)))
      << log().last().toStdString();
  EXPECT_EQ(progressBar()->value(), 0);
  QApplication::processEvents();
  EXPECT_EQ(progressBar()->value(), 0) << "reports still queued do not move the bar again";
}

TEST_F(Usability, StatusLineSaysHowAReadEndedAndWhenTheDeviceIsSilent) {
  sim::SimOptions options;
  options.dropAnswerTo = 7;  // no answer to the request for page 6
  sim::Simulator& sim = startSim(options);
  sim.setEeprom(otherVersionImage());
  openPort(*sim_);
  click(names::kReadConfigButton);
  ASSERT_TRUE(
      waitFor([&] { return status() == "Waiting for the device (no answer for 2 s)"; }, 10000))
      << status().toStdString();

  // Cancelled and pressed again, the read completes, and the image is refused for its version.
  click(names::kCancelTransferButton);
  ASSERT_TRUE(waitForLog("Read cut short after page 6 of 16."));
  dialogs.expectMessage("Uncompatible configuration version:\nDevice: v1.31\nConfigurator: v1.32");
  click(names::kReadConfigButton);
  ASSERT_TRUE(
      waitFor([&] { return status() == "Reading configuration: refused, version v1.31"; }, 10000))
      << status().toStdString();
  EXPECT_EQ(progressBar()->value(), 16);
}

// The device's version text reaches the status line as it is: "<b>" is no markup there.
TEST_F(Usability, TheStatusLineShowsTheDevicesVersionAsPlainText) {
  sim::Simulator& sim = startSim();
  settings::SettingsModel older;
  settings::Image image{};
  ASSERT_TRUE(settings::encodeSettings(older, image).ok());
  const std::string version = "v<b>1</";  // seven bytes where "v1.32" stands
  std::copy(version.begin(), version.end(), image.begin() + settings::kVersionOffset);
  const std::uint32_t sum = settings::imageSum(image);
  for (int i = 0; i < 4; ++i)
    image[settings::kImageSumOffset + i] = static_cast<std::uint8_t>(sum >> (8 * i));
  sim.setEeprom(image);
  openPort(*sim_);
  dialogs.expectMessage(
      "Uncompatible configuration version:\nDevice: v<b>1</\nConfigurator: v1.32");
  click(names::kReadConfigButton);
  ASSERT_TRUE(
      waitFor([&] { return status() == "Reading configuration: refused, version v<b>1</"; }, 10000))
      << status().toStdString();
  EXPECT_EQ(statusLine()->textFormat(), Qt::PlainText);
}

// ---- Keyboard access ------------------------------------------------------------

// The next control after `w` that Tab reaches.
QWidget* nextByTab(QWidget* w) {
  for (QWidget* n = w->nextInFocusChain(); n != w; n = n->nextInFocusChain()) {
    if ((n->focusPolicy() & Qt::TabFocus) && n->isVisibleTo(n->window()) && n->isEnabled())
      return n;
  }
  return nullptr;
}

TEST_F(Usability, AltLetterOpensItsMenuAndNeverTypesText) {
  mainWindow().show();
  mainWindow().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
  QLineEdit* callsign = edit("Callsign");
  callsign->setFocus();
  const QString before = callsign->text();
  QTest::keyClick(callsign, Qt::Key_Z, Qt::AltModifier);  // no mnemonic
  EXPECT_EQ(callsign->text(), before);
  QTest::keyClick(callsign, Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(callsign->text(), before);
  QMenu* files = mainWindow().menuBar()->actions().front()->menu();
  EXPECT_TRUE(waitFor([&] { return files->isVisible(); }));
  files->hide();

  EXPECT_EQ(control<QAction>(names::kSaveToFileAction)->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_EQ(control<QAction>(names::kReadFromFileAction)->shortcut(), QKeySequence("Ctrl+O"));
}

// A port name typed into the port box, where the focus is, and Return open the
// port; the real box that says why it failed shows the name as typed, markup and all.
TEST_F(Usability, ReturnInThePortBoxOpensThePortAndItsErrorShowsTheNameAsTyped) {
  mainWindow().show();
  mainWindow().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
  portBox()->setFocus();
  // Typed the way the window gets the keys: into the box, which hands them to its edit.
  ASSERT_EQ(QApplication::focusWidget(), portBox());
  const QString port = dir.filePath("<b>no-such-port</b>");
  QTest::keyClick(portBox(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(portBox(), port);
  ASSERT_EQ(portBox()->currentText(), port);
  QString details;
  dialogs.expectRealBox(
      "Serial port open error. Try to reconnect the device and reset application.",
      [&](QMessageBox& box) {
        if (const auto* label = box.findChild<QLabel*>("qt_msgbox_informativelabel"))
          details = shownText(*label);
        pressReturn();
      });
  QTest::keyClick(portBox(), Qt::Key_Return);
  EXPECT_TRUE(dialogs.done()) << "Return opened no port";
  EXPECT_TRUE(details.startsWith(port + ": No such file or directory")) << details.toStdString();
}

TEST_F(Usability, TabFollowsTheRowsAndEveryControlHasANameAndItsOwnMnemonic) {
  mainWindow().show();
  EXPECT_EQ(nextByTab(edit("Callsign")), edit("Ssid"));
  EXPECT_EQ(nextByTab(edit("Ssid")), edit("Txdelay")) << "the row goes on in the right-hand column";
  settingsTabs()->setCurrentWidget(control<QWidget>(settings::pages::kNetwork));
  EXPECT_EQ(nextByTab(edit("Ipaddr3")), edit("Ipmask0"));

  QWidgetList pages;
  for (int i = 0; i < settingsTabs()->count(); ++i) pages << settingsTabs()->widget(i);
  auto* inner = control<QTabWidget>("telemetryTabs");
  for (int i = 0; i < inner->count(); ++i) pages << inner->widget(i);
  pages.removeOne(control<QWidget>(settings::pages::kTelemetry));
  int named = 0;
  int mnemonics = 0;
  for (QWidget* page : pages) {
    QString letters;
    for (QWidget* w : page->findChildren<QWidget*>()) {
      if (w->isHidden() || w->window() != &mainWindow() || w->parentWidget()->inherits("QComboBox"))
        continue;
      if (auto* label = qobject_cast<QLabel*>(w); label != nullptr && label->buddy() != nullptr) {
        // A caption whose letters are all taken has none.
        const qsizetype amp = label->text().indexOf('&');
        if (amp < 0) continue;
        ++mnemonics;
        EXPECT_FALSE(letters.contains(label->text()[amp + 1].toUpper()))
            << label->text().toStdString();
        letters += label->text()[amp + 1].toUpper();
      }
      if (!(w->focusPolicy() & Qt::TabFocus)) continue;
      QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
      const bool fromContent =
          qobject_cast<QLineEdit*>(w) != nullptr || qobject_cast<QComboBox*>(w) != nullptr;
      const QString name = fromContent ? w->accessibleName() : a->text(QAccessible::Name);
      EXPECT_FALSE(name.isEmpty())
          << page->objectName().toStdString() << ": " << w->objectName().toStdString();
      ++named;
    }
  }
  EXPECT_GT(named, 300);
  // The tabs take their letters first; the captions share what the window and the tabs leave.
  EXPECT_GT(mnemonics, 10);
  EXPECT_EQ(edit("Beacon3_dest_string")->accessibleName(), "3 Dest");
  EXPECT_EQ(edit("Ssid")->accessibleName(), "Callsign SSID");
  EXPECT_EQ(portBox()->accessibleName(), "COM Port");
}

// ---- Ports ---------------------------------------------------------------------------

TEST_F(Usability, PortListSaysWhatEachNameMeansAndFindsANewDeviceWhenItOpens) {
  EXPECT_EQ(portBox()->toolTip(), "COM1 means /dev/ttyS0");

  // The simulator's link appears after start-up; the list, opened, offers it.
  QTemporaryDir runtime;
  const zorbel::test::EnvGuard runtimeDir("XDG_RUNTIME_DIR", runtime.path().toStdString());
  startSim();
  const QString link = runtime.filePath("zorbel-sim");
  const auto published = link::SimulatorLink::publish(link.toStdString(), sim_->slavePath());
  ASSERT_TRUE(published) << published.error().message;
  mainWindow().show();
  EXPECT_EQ(portBox()->findData(link), -1);
  portBox()->showPopup();
  const int item = portBox()->findData(link);
  ASSERT_GE(item, 0);
  EXPECT_EQ(portBox()->itemText(item), link + " (simulator)");
  EXPECT_EQ(portBox()->itemData(item, Qt::ToolTipRole).toString(),
            "The device simulator zorbel-sim\n" + link + QString::fromUtf8(" \u2192 ") +
                QString::fromStdString(sim_->slavePath()) + "\npseudo-terminal\nready");
  EXPECT_GE(portBox()->view()->minimumWidth(),
            portBox()->view()->fontMetrics().horizontalAdvance(link + " (simulator)"));
  portBox()->hidePopup();
  portBox()->setCurrentIndex(item);
  EXPECT_EQ(mainWindow().portName(), link);
  dialogs.expectMessage("Serial port opened successfully.");
  click(names::kOpenPortButton);
}

// ---- Dialogs that cannot lose work --------------------------------------------

// The real file dialog and the real question, answered as a user would.
TEST_F(Usability, SaveAddsTheSuffixAndAsksBeforeReplacingAFile) {
  dialogs.expectRealFileDialog(names::kConfigSaveDialog, [&](QFileDialog& dialog) {
    EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptSave);
    QWidget* name = QApplication::focusWidget();
    ASSERT_NE(qobject_cast<QLineEdit*>(name), nullptr) << "the focus is in the name box";
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(name, dir.filePath("mine"));
    pressReturn();
  });
  trigger(names::kSaveToFileAction);
  ASSERT_TRUE(QFile::exists(dir.filePath("mine.cfg")));
  EXPECT_FALSE(QFile::exists(dir.filePath("mine")));
  QFile file(dir.filePath("mine.cfg"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("keep me");
  file.close();

  type("Callsign", "SP1ABC");
  const QString replace = "mine.cfg already exists.\nDo you want to replace it?";
  dialogs.expectFile(names::kConfigSaveDialog, dir.filePath("mine.cfg"));
  dialogs.expectRealBox(replace, [&](QMessageBox& box) {
    EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::No));
    pressReturn();  // one Return keeps the file
  });
  trigger(names::kSaveToFileAction);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "keep me");
  file.close();

  dialogs.expectFile(names::kConfigSaveDialog, dir.filePath("mine"));
  dialogs.expectRealBox(replace, [&](QMessageBox& box) {
    QTest::mouseClick(box.button(QMessageBox::Yes), Qt::LeftButton);
  });
  trigger(names::kSaveToFileAction);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("SP1ABC"));
}

// The range message, unchanged, and then its page in front with the focus in its box.
TEST_F(Usability, RangeErrorShowsItsPageAndFocusesItsBox) {
  openPort(startSim());  // Write config needs a port
  mainWindow().show();
  control<QTabWidget>("telemetryTabs")->setCurrentIndex(1);
  type("Tele_holdoff", "251");
  dialogs.expectMessage("First telemetry data packet delay range error (0 - 250).", "Information");
  click(names::kWriteConfigButton);
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kTelemetry);
  EXPECT_EQ(control<QTabWidget>("telemetryTabs")->currentWidget()->objectName(),
            settings::pages::kTelemetryReport);
  EXPECT_EQ(mainWindow().focusWidget(), edit("Tele_holdoff"));

  type("Tele_holdoff", "60");
  type("Ipmask2", "256");
  type("Ipgate1", "256");  // the gateway comes after the mask
  dialogs.expectMessage("IP Mask - range error (0 - 255).", "Information");
  click(names::kWriteConfigButton);
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kNetwork);
  EXPECT_EQ(mainWindow().focusWidget(), edit("Ipmask2"));
}

TEST_F(Usability, OpenDialogsTakeOnlyExistingFilesAndShowTheirColumnsWhole) {
  QtDialogs real;
  FileDialogRequest request;
  request.name = names::kConfigOpenDialog;
  request.folder = dir.path();
  request.filter = "Zorbel config files (*.cfg)|*.cfg";
  request.mustExist = true;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  QSize size;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    mode = dialog->fileMode();
    size = dialog->size();
    dialog->reject();
  });
  EXPECT_FALSE(real.chooseFile(request, &mainWindow()));
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  EXPECT_GE(size.width(), 820);

  openPort(startSim());
  dialogs.expectFile(names::kFirmwareDialog, std::nullopt);
  click(names::kUploadFirmwareButton);
  EXPECT_TRUE(dialogs.fileRequests.back().mustExist);
}

TEST_F(Usability, LogContextMenuSavesAndClearsTheLog) {
  logView()->appendPlainText("Eeprom page sent [0].");
  logView()->appendPlainText("Page receive ack.");
  QStringList captions;
  for (QAction* a : logView()->actions()) captions << a->text().remove('&');
  EXPECT_EQ(captions, QStringList({"Copy", "Select all", QString::fromUtf8("Save log\u2026"),
                                   "Clear", "", "Show time stamps"}));
  EXPECT_EQ(logView()->contextMenuPolicy(), Qt::ActionsContextMenu);

  dialogs.expectFile(names::kLogSaveDialog, dir.filePath("session"));
  trigger(names::kSaveLogAction);
  QFile saved(dir.filePath("session.log"));
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), "Eeprom page sent [0].\nPage receive ack.\n");
  trigger(names::kClearLogAction);
  EXPECT_TRUE(logView()->toPlainText().isEmpty());
}

// The log keeps its last 10 000 lines, each with the time it came in a margin
// of its own: the lines' texts are what the link reported.
TEST_F(Usability, LogKeepsItsLastLinesEachWithItsTime) {
  auto* log = qobject_cast<LogView*>(logView());
  ASSERT_NE(log, nullptr);
  for (int i = 1; i <= kLogLines + 5; ++i)
    log->appendLine(QString("Eeprom page sent [%1].").arg(i));
  const QStringList lines = log->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), kLogLines);
  EXPECT_EQ(lines.front(), "Eeprom page sent [6].");
  EXPECT_EQ(lines.back(), QString("Eeprom page sent [%1].").arg(kLogLines + 5));

  const QRegularExpression stamped(R"(^\d\d:\d\d:\d\d Eeprom page sent \[6\]\.\n)");
  EXPECT_TRUE(stamped.match(log->savedText()).hasMatch())
      << log->savedText().left(40).toStdString();
  trigger(kLogTimesAction);  // off, and so for the next run too
  EXPECT_TRUE(log->savedText().startsWith("Eeprom page sent [6].\n"));
  windows = std::make_unique<ProgramWindows>(dialogs);
  EXPECT_FALSE(qobject_cast<LogView*>(logView())->showsTimes());
}

// ---- Live checks -------------------------------------------------------------------

TEST_F(Usability, BoxesTheirRulesRefuseAreMarkedAsTyped) {
  openPort(startSim());  // Write config needs a port
  auto refused = [&](const char* name) { return edit(name)->property("refused").toBool(); };
  for (const settings::Setting& s : settings::allSettings()) {
    auto* box =
        qobject_cast<QLineEdit*>(mainWindow().findChild<QWidget*>(QString::fromStdString(s.name)));
    if (box == nullptr)
      box = windows->filterWindow->findChild<QLineEdit*>(QString::fromStdString(s.name));
    if (box != nullptr) {
      EXPECT_FALSE(box->property("refused").toBool()) << s.name << " at start-up";
    }
  }
  type("Txdelay", "1001");
  EXPECT_TRUE(refused("Txdelay"));
  EXPECT_EQ(edit("Txdelay")->toolTip(), "TX delay - range error (200 - 1000).");
  type("Quiettime", "x");
  EXPECT_EQ(edit("Quiettime")->toolTip(), "'x' is not a valid integer value");
  type("Txdelay", "300");
  EXPECT_FALSE(refused("Txdelay"));
  const settings::Setting& txdelay = settings::allSettings()[*settings::findSetting("Txdelay")];
  EXPECT_EQ(edit("Txdelay")->toolTip(), QString::fromStdString(txdelay.hint));

  // An SSID whose to-call is emptied is no longer read, so no longer refused.
  type("Weather_path_ssid", "99");
  EXPECT_TRUE(refused("Weather_path_ssid"));
  type("Weather_path_string", "");
  EXPECT_FALSE(refused("Weather_path_ssid"));

  // A command that gives a marked box a good value clears its mark: "Write
  // config" with Uploadpctime checked fills the clock from the PC's.
  check("Uploadpctime")->click();  // the clock edits can be typed into
  type("Rtcyear", "x");
  EXPECT_TRUE(refused("Rtcyear"));
  check("Uploadpctime")->click();

  // Values set by a command are checked too; the encoder's order still decides the box.
  auto* filterSsid = windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_ssid02");
  filterSsid->setText("16");
  EXPECT_TRUE(filterSsid->property("refused").toBool());
  type("Weather_path_string", "WIDE2");
  dialogs.expectMessage("TX delay - range error (200 - 1000).");
  type("Txdelay", "1001");
  click(names::kWriteConfigButton);
  EXPECT_FALSE(refused("Rtcyear"));
  EXPECT_EQ(text("Rtcyear").toInt(), QDateTime::currentDateTimeUtc().date().year());
}

// ---- Reading the device back ----------------------------------------------------------

// On disk: the tests' XDG_CONFIG_HOME is a folder of their own (app_test_main.cpp).
TEST_F(Usability, VerifyAfterWriteIsRememberedOnDiskBetweenRuns) {
  ASSERT_TRUE(verifyAfterWrite()->isCheckable());
  const bool chosen = !verifyAfterWrite()->isChecked();
  verifyAfterWrite()->trigger();
  windows.reset();  // the first run ends

  QFile file(qEnvironmentVariable("XDG_CONFIG_HOME") + "/zorbel/zorbel-configurator.conf");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains(chosen ? "verifyAfterWrite=true" : "verifyAfterWrite=false"));
  windows = std::make_unique<ProgramWindows>(dialogs);
  EXPECT_EQ(verifyAfterWrite()->isChecked(), chosen);
  verifyAfterWrite()->trigger();
}

TEST_F(Usability, CompareDialogListsCaptionWindowAndDeviceValues) {
  CompareDialog dialog({{0, "Callsign", "SP1ABC", "NOCALL"}, {1, "3 Dest", "APRS", "BEACON"}},
                       &mainWindow());
  EXPECT_EQ(dialog.windowTitle(), "Compare with device");
  auto* table = dialog.findChild<QTableWidget*>(names::kComparedSettings);
  ASSERT_EQ(table->rowCount(), 2);
  QStringList cells;
  for (int c = 0; c < 3; ++c)
    cells << table->horizontalHeaderItem(c)->text() << table->item(1, c)->text();
  EXPECT_EQ(cells, QStringList({"Setting", "3 Dest", "Window", "APRS", "Device", "BEACON"}));

  // A double-click on a row goes to its setting: a press and release, then the double-click.
  dialog.show();
  const QPoint row = table->visualItemRect(table->item(1, 2)).center();
  QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row);
  EXPECT_FALSE(dialog.chosen()) << "a single click only selects";
  QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row);
  EXPECT_EQ(dialog.chosen(), std::optional<std::size_t>(1));
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(Usability, CompareListsWhatTheDeviceHoldsOtherwiseAndVerifyChecksTheWrite) {
  sim::Simulator& sim = startSim();
  settings::SettingsModel other;
  ASSERT_TRUE(other.setText("Callsign", "SP1ABC"));
  ASSERT_TRUE(other.setText("Beacon3_path_string", "RELAY"));
  settings::Image image{};
  ASSERT_TRUE(settings::encodeSettings(other, image).ok());
  sim.setEeprom(image);
  openPort(*sim_);
  QStringList rows;
  dialogs.expectWindow(names::kCompareDialog, [&](QDialog& shown) {
    auto* table = shown.findChild<QTableWidget*>(names::kComparedSettings);
    for (int r = 0; r < table->rowCount(); ++r) {
      rows << table->item(r, 0)->text() + "|" + table->item(r, 1)->text() + "|" +
                  table->item(r, 2)->text();
    }
    // Going to a setting: a double-click, or Return on its row.
    table->setFocus();
    table->setCurrentCell(1, 0);
    QTest::keyClick(table, Qt::Key_Return);
  });
  trigger(names::kCompareWithDeviceAction);
  ASSERT_TRUE(waitFor([&] { return dialogs.done(); }, 10000));
  ASSERT_EQ(rows.size(), 2);
  EXPECT_EQ(rows[0], "Radio \u203a Callsign|NOCALL|SP1ABC");
  EXPECT_TRUE(rows[1].startsWith("Beacons \u203a 3 Path|")) << rows[1].toStdString();
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kBeacons);
  EXPECT_EQ(mainWindow().focusWidget(), edit("Beacon3_path_string"));
  EXPECT_EQ(text("Callsign"), "NOCALL") << "a comparison changes no control";

  verifyAfterWrite()->setChecked(true);
  click(names::kWriteConfigButton);
  ASSERT_TRUE(waitForLog("Verify: the device holds exactly what was sent."));
  EXPECT_TRUE(waitFor([&] { return status() == "Writing configuration: verified"; }))
      << status().toStdString();
  verifyAfterWrite()->setChecked(false);
}

// The device answers every page as stored but keeps one byte changed, past the
// image sum's reach, so that the read back is good and only the verify sees it.
TEST_F(Usability, AWriteTheDeviceStoresWronglyFailsItsVerifyInAWarningBox) {
  sim::SimOptions options;
  options.misstoreOffset = 2010;
  startSim(options);
  openPort(*sim_);
  verifyAfterWrite()->setChecked(true);
  dialogs.expectMessage(
      "Verify failed: 1 bytes differ from what was sent, the first at offset 2010.",
      "Verify after write");
  click(names::kWriteConfigButton);
  EXPECT_TRUE(
      waitForLog("Verify failed: 1 bytes differ from what was sent, the first at offset 2010."))
      << log().join('\n').toStdString();
  EXPECT_TRUE(waitFor([&] { return status() == "Writing configuration: verify failed"; }))
      << status().toStdString();
  EXPECT_EQ(logCount("Verify: the device holds exactly what was sent."), 0);
  ASSERT_TRUE(waitFor([&] { return dialogs.done(); }));
  EXPECT_EQ(dialogs.messages.back().icon, UserDialogs::Icon::Warning);
  verifyAfterWrite()->setChecked(false);
}

TEST_F(Usability, ACompareWithNoDifferenceSaysSoInItsOwnBox) {
  sim::Simulator& sim = startSim();
  settings::Image image{};
  ASSERT_TRUE(settings::encodeSettings(settings::SettingsModel(), image).ok());
  sim.setEeprom(image);
  openPort(sim);
  QString title;
  dialogs.expectRealBox("The device holds exactly the window's settings.", [&](QMessageBox& box) {
    title = box.windowTitle();
    pressReturn();
  });
  trigger(names::kCompareWithDeviceAction);
  ASSERT_TRUE(waitFor([&] { return dialogs.done(); }, 10000)) << status().toStdString();
  EXPECT_EQ(title, "Compare with device");
  EXPECT_EQ(status(), "Compare with device: the device holds the window's settings");
}

TEST_F(Usability, ACompareWithADeviceOfAnotherVersionSaysWhichVersion) {
  sim::Simulator& sim = startSim();
  sim.setEeprom(otherVersionImage());
  openPort(sim);
  dialogs.expectMessage("Uncompatible configuration version:\nDevice: v1.31\nConfigurator: v1.32");
  trigger(names::kCompareWithDeviceAction);
  ASSERT_TRUE(waitFor([&] { return dialogs.done(); }, 10000)) << status().toStdString();
  EXPECT_TRUE(waitFor([&] { return status() == "Compare with device: refused, version v1.31"; }))
      << status().toStdString();
  EXPECT_EQ(text("Callsign"), "NOCALL") << "a comparison changes no control";
}

// A comparison cut short by "Close port" never comes back: a later "Read
// config" is an ordinary read, not taken for it.
TEST_F(Usability, AComparisonCutShortIsNotTakenForTheNextRead) {
  sim::SimOptions options;
  options.dropAnswerTo = 1;
  sim::Simulator& sim = startSim(options);
  settings::Image image{};
  ASSERT_TRUE(settings::encodeSettings(settings::SettingsModel(), image).ok());
  sim.setEeprom(image);
  openPort(sim);
  trigger(names::kCompareWithDeviceAction);
  ASSERT_TRUE(waitFor([&] { return sim.frameCount() >= 1; }));
  dialogs.expectChoice("A configuration read is running (page 1 of 16). Stop it?", "Stop reading");
  click(names::kClosePortButton);
  EXPECT_EQ(log().last(), "Read cut short after page 0 of 16.");
  openPort(sim);
  type("Callsign", "SP1ABC");
  discardEdits();
  click(names::kReadConfigButton);
  ASSERT_TRUE(waitFor([&] { return status() == "Reading configuration: finished"; }, 10000))
      << status().toStdString();
  EXPECT_EQ(text("Callsign"), "NOCALL");
  EXPECT_TRUE(dialogs.done());
}

}  // namespace
}  // namespace zorbel::app::test_support
