// The main window's construction: controls, pages, menus and start-up state.
#include "main_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <chrono>
#include <exception>

#include "aprs_object_names.h"
#include "common/version.h"
#include "kept_settings.h"
#include "keyboard_access.h"
#include "latin1.h"
#include "link_adapter.h"
#include "log_view.h"
#include "object_names.h"
#include "page_scroll.h"
#include "port_combo_box.h"
#include "program_settings.h"
#include "settings/catalog.h"
#include "settings/page_names.h"
#include "settings/setting_check.h"
#include "settings/setting_name.h"
#include "settings_pages.h"
#include "tab_mnemonics.h"
#include "update/firmware.h"

namespace zorbel::app {

namespace {

// The client area the window is laid out for; it grows only where the
// platform's font needs more room to show every control whole.
constexpr QSize kClientArea(735, 416);

// Set on an edit box while its rule refuses its text.
constexpr const char* kRefusedProperty = "refused";

QPushButton* commandButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  return button;
}

}  // namespace

MainWindow::MainWindow(UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent),
      dialogs_(dialogs),
      binder_(model_),
      firmware_(std::make_unique<update::FirmwarePages>()) {
  setObjectName(names::kMainWindow);

  setUpLink();

  setCentralWidget(buildCentralWidget());
  clock_.start();
  silenceTimer_ = new QTimer(this);
  silenceTimer_->setInterval(250);
  connect(silenceTimer_, &QTimer::timeout, this, [this] { noticeSilence(); });
  silenceTimer_->start();

  buildMenus();
  connectCommands();
  setUpTransfers();
  setUpKeyboardAccess();
  setUpFinding();

  connect(&binder_, &SettingsBinder::modelShown, this, [this] { checkAsTyped(); });
  watchEdits();
  // The settings model already holds the start-up state: the clock edits
  // filled from the PC clock as UTC, every combo default, the analog and
  // digital channel defaults (their handlers run in the window's order) and
  // the clock edits disabled because Uploadpctime starts checked.
  binder_.toWidgets();

  hideRetiredModules();
  setWindowTitle(QString("ZORBEL Configurator %1").arg(kProgramVersion));
  setUpEdits();
  setUpHelp();

  // It starts at the smallest size that shows every page whole, at least the
  // designed client area below the menu bar; it may be made smaller, down to
  // a size that fits a small screen at a large scale (see page_scroll.h).
  const QSize designed(kClientArea.width(), kClientArea.height() + menuBar()->sizeHint().height());
  setUpMemory(measureAndLetShrink(*this, *logView_, designed));
  setStatus("No port open");
}

// The connection row, the settings tabs, the log and the status row, top to
// bottom.
QWidget* MainWindow::buildCentralWidget() {
  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addWidget(buildConnectionGroup());

  settingsTabs_ = new QTabWidget;
  settingsTabs_->setObjectName(names::kSettingsTabs);
  settingsTabs_->setAccessibleName("Settings");
  // Every tab caption stays in view: the window is made wide enough for them.
  settingsTabs_->setUsesScrollButtons(false);
  // Every settings control but the filter window's is made from its declaration here.
  binder_.createControls(
      [](std::string_view page) { return page != settings::pages::kFilterWindow; });
  buildSettingsPages(settingsTabs_, binder_);
  settingsTabs_->setCurrentIndex(0);
  // The pages keep their height; the log takes what the window has besides.
  settingsTabs_->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  layout->addWidget(settingsTabs_);

  logView_ = new LogView(kLogLines);
  logView_->setObjectName(names::kLogView);
  layout->addWidget(logView_, 1);

  layout->addLayout(buildStatusRow());
  return central;
}

void MainWindow::setUpLink() {
  GuiLinkHandlers handlers;
  handlers.log = [this](const std::string& line) { appendLog(line); };
  handlers.progress = [this](auto kind, auto done, auto total) { showProgress(kind, done, total); };
  handlers.status = [this](auto state, const std::string& text) { showPortState(state, text); };
  handlers.imageReceived = [this](const auto& hand) { decodeReceivedImage(hand); };
  handlers.transferEnded = [this](auto kind, auto end) { showTransferEnd(kind, end); };
  link_ = new LinkAdapter(std::move(handlers), this);
  link_->device().setAnswerTimeout(std::chrono::seconds(kAnswerTimeoutSeconds));
}

// The bottom edge: what the link is doing, and the transfer's progress.
QHBoxLayout* MainWindow::buildStatusRow() {
  statusLine_ = new QLabel;
  statusLine_->setObjectName(names::kStatusLine);
  // It quotes the device (its version text): never taken for markup.
  statusLine_->setTextFormat(Qt::PlainText);
  progressBar_ = new QProgressBar;
  progressBar_->setObjectName(names::kProgressBar);
  progressBar_->setRange(0, 100);
  progressBar_->setValue(0);
  progressBar_->setTextVisible(false);
  auto* row = new QHBoxLayout;
  row->addWidget(statusLine_, 1);
  row->addWidget(progressBar_, 1);
  return row;
}

// Hidden from start-up on; nothing shows them again. Their settings are
// still encoded, and a read still sets the module selectors.
void MainWindow::hideRetiredModules() {
  for (const char* caption : {names::kTelemoduleCaption, names::kBitsmoduleCaption})
    findChild<QWidget*>(caption)->hide();
  for (const settings::SettingName selector :
       {"Telemodule_enable"_setting, "Bitsmodule_enable"_setting})
    binder_.widget(selector)->hide();
  auto* telemetryTabs = findChild<QTabWidget*>(names::kTelemetryTabs);
  telemetryTabs->setTabVisible(
      telemetryTabs->indexOf(findChild<QWidget*>(settings::pages::kQuodraOutputs)), false);
  telemetryTabs->setCurrentIndex(0);
}

// The worker reports into this window's members: it stops before they go.
MainWindow::~MainWindow() { link_->device().stopAndJoin(); }

void MainWindow::setAuxiliaryWindows(QDialog* specialStrings, QDialog* remoteUpdateHelp,
                                     QDialog* filter) {
  specialStringsWindow_ = specialStrings;
  remoteUpdateHelpWindow_ = remoteUpdateHelp;
  filterWindow_ = filter;
  watchEdits();
  checkAsTyped();
}

// Every edit box is checked by its own rule as it changes.
void MainWindow::watchEdits() {
  for (const settings::Setting& s : settings::allSettings()) {
    auto* edit = binder_.control<QLineEdit>(s.name);
    if (edit == nullptr || watchedEdits_.count(edit) != 0) continue;
    watchedEdits_.insert(edit);
    connect(edit, &QLineEdit::textChanged, this, [this] { checkAsTyped(); });
  }
}

// A box whose text its rule refuses gets a red frame and the rule's message
// as its tooltip; the settings model keeps the text as typed.
void MainWindow::checkAsTyped() {
  const settings::SettingsModel& shown = model_;
  const auto all = settings::allSettings();
  for (std::size_t i = 0; i < all.size(); ++i) {
    auto* edit = binder_.control<QLineEdit>(all[i].name);
    if (edit == nullptr) continue;
    const Result<void> check = settings::checkSetting(shown, i);
    const bool refused = !check.ok();
    if (refused == edit->property(kRefusedProperty).toBool() &&
        (!refused || edit->toolTip() == fromBytes(check.error().message))) {
      continue;
    }
    edit->setProperty(kRefusedProperty, refused);
    edit->setStyleSheet(refused ? "QLineEdit { border: 2px solid #d40000; border-radius: 2px; }"
                                : QString());
    edit->setToolTip(fromBytes(refused ? check.error().message : all[i].hint));
  }
  showAprsAids(shown);
}

// A chosen item stands for its port (the simulator's item carries a mark).
QString MainWindow::portName() const {
  const int item = portBox_->currentIndex();
  if (item >= 0 && portBox_->currentText() == portBox_->itemText(item))
    return portBox_->itemData(item).toString();
  return portBox_->currentText().trimmed();
}

void MainWindow::rememberPort() {
  const link::PortInfo port = link::describePort(link::SystemView::current(),
                                                 link::DeviceLink::devicePath(toBytes(portName())));
  // An adapter by its by-id name, which stays when it is plugged in elsewhere.
  programSettings().setValue(kLastPortKey,
                             port.byId.empty() ? portName() : QString::fromLocal8Bit(port.byId));
}

void MainWindow::selectPort(const QString& port) {
  portBox_->refresh();  // a port just found is in the list
  const int item = portBox_->findData(port);
  if (item >= 0)
    portBox_->setCurrentIndex(item);
  else
    portBox_->setEditText(port);
}

QWidget* MainWindow::buildConnectionGroup() {
  auto* box = new QGroupBox("Connection:");
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(6, 2, 6, 4);
  auto* label = new QLabel("COM &Port:");
  portBox_ = new PortComboBox;
  portBox_->setMinimumContentsLength(12);
  // The box's tooltip says what its text stands for.
  const auto describe = [this](const QString& text) {
    portBox_->setToolTip(portDescription(text.trimmed()));
  };
  connect(portBox_, &QComboBox::currentTextChanged, this, describe);
  describe(portBox_->currentText());
  const QString lastPort = programSettings().value(kLastPortKey).toString();
  if (!lastPort.isEmpty() && portBox_->findData(lastPort) >= 0) selectPort(lastPort);
  label->setBuddy(portBox_);
  row->addWidget(label);
  row->addWidget(portBox_);
  row->addWidget(commandButton(names::kOpenPortButton, "&Open port"));
  row->addWidget(commandButton(names::kClosePortButton, "C&lose port"));
  row->addWidget(commandButton(names::kReadConfigButton, "&Read config"));
  row->addWidget(commandButton(names::kWriteConfigButton, "&Write config"));
  row->addWidget(commandButton(names::kUploadFirmwareButton, "&Upload firmware"));
  row->addWidget(commandButton(names::kCancelTransferButton, "Cancel"));
  row->addStretch();
  return box;
}

// Letters the menu bar and the connection group use; the tabs and the pages keep clear of them.
constexpr const char* kWindowMnemonics = "CEMDVHOLRWUP";

void MainWindow::setUpKeyboardAccess() {
  // A tab's Alt+letter works from every page, so the tabs take their letters
  // first and the pages' captions keep clear of them; the telemetry page's
  // own tabs only matter on that page.
  auto* telemetryTabs = findChild<QTabWidget*>(names::kTelemetryTabs);
  const QString taken = kWindowMnemonics + assignTabMnemonics(settingsTabs_, kWindowMnemonics);
  const QString telemetryTaken = taken + assignTabMnemonics(telemetryTabs, taken);
  for (int i = 0; i < settingsTabs_->count(); ++i) {
    QWidget* page = settingsTabs_->widget(i);
    auto* inner = page->findChild<QTabWidget*>();
    for (int j = 0; j < (inner != nullptr ? inner->count() : 1); ++j) {
      QWidget* leaf = inner != nullptr ? inner->widget(j) : page;
      leaf->resize(kClientArea.width(), kClientArea.height() / 2);
      for (auto* area : leaf->findChildren<PageScrollArea*>())
        area->widget()->resize(area->widget()->minimumSizeHint());
      assignMnemonics(leaf, inner == telemetryTabs ? telemetryTaken : taken);
      orderTabsByRows(leaf);
    }
  }
  nameControlsByCaptions(this);
  refuseAltText(this);
  // Return in the port box opens the port.
  portBox_->onReturn = [this] { runCommand([this] { openPort(); }); };
}

void MainWindow::buildMenus() {
  menuBar()->setObjectName(names::kMainMenu);
  auto addAction = [](QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
  };
  QMenu* files = menuBar()->addMenu("&Configuration import/export");
  addAction(files, names::kSaveToFileAction, "&Save to file")->setShortcut(QKeySequence("Ctrl+S"));
  addAction(files, names::kReadFromFileAction, "&Read from file")
      ->setShortcut(QKeySequence("Ctrl+O"));
  // Reading the device back: a comparison with the window, and the check after each write.
  QMenu* device = menuBar()->addMenu("&Device");
  device->setObjectName(names::kDeviceMenu);
  addAction(device, names::kCompareWithDeviceAction,
            QString::fromUtf8("&Compare with device\u2026"));
  QAction* find = addAction(device, names::kFindDeviceAction, "&Find device");
  const QString findHelp =
      "Sends a configuration read request to every ready serial port, also ports you did not "
      "choose, and selects the port where the device answers. A port another program has "
      "locked is left alone.";
  find->setToolTip(findHelp);
  find->setStatusTip(findHelp);
  find->setWhatsThis(findHelp);
  device->setToolTipsVisible(true);
  QAction* verify = addAction(device, names::kVerifyAfterWriteAction, "&Verify after write");
  verify->setCheckable(true);
  verify->setChecked(programSettings().value(kVerifyAfterWriteKey, false).toBool());
  connect(verify, &QAction::toggled, this, [](bool on) {
    programSettings().setValue(kVerifyAfterWriteKey, on);
    programSettings().sync();  // on disk now, whatever becomes of the program
  });
  addCheckBeforeWriteAction(device);
  addBackupActions(device);
  remoteUpdateMenu_ = menuBar()->addMenu("Re&mote update");
  remoteUpdateMenu_->setObjectName(names::kRemoteUpdateMenu);
  addAction(remoteUpdateMenu_, names::kRemoteUpdateHelpAction, "R&EADME!");
  addAction(remoteUpdateMenu_, names::kBuildRemoteUpdateFileAction, "&Build remote update file");
}

void MainWindow::connectCommands() {
  const auto onClick = [this](const QString& name, std::function<void()> command) {
    connect(findChild<QPushButton*>(name), &QPushButton::clicked, this,
            [this, command = std::move(command)] { runCommand(command); });
  };
  onClick(names::kOpenPortButton, [this] { openPort(); });
  onClick(names::kClosePortButton, [this] { closePort(); });
  onClick(names::kUploadFirmwareButton, [this] { uploadFirmware(); });
  onClick(names::kReadConfigButton, [this] { readConfiguration(); });
  onClick(names::kWriteConfigButton, [this] { writeConfiguration(); });
  onClick(names::kSpecialStringsButton, [this] { showSpecialStrings(); });
  onClick(names::kFilterSetupButton, [this] { showFilterSetup(); });
  onClick(names::kSetPositionButton, [this] { setPosition(); });
  for (int channel = 1; channel <= 5; ++channel) {
    onClick(names::analogDefaultsButton(channel),
            [this, channel] { restoreAnalogDefaults(channel); });
  }
  for (int channel = 1; channel <= 8; ++channel) {
    onClick(names::digitalDefaultsButton(channel),
            [this, channel] { restoreDigitalDefaults(channel); });
  }
  // One handler serves both boxes; it looks only at Uploadpctime.
  for (const settings::SettingName name : {"Uploadpctime"_setting, "Ntp_enable"_setting}) {
    connect(binder_.control<QCheckBox>(name), &QCheckBox::clicked, this,
            [this] { runCommand([this] { uploadPcTimeClicked(); }); });
  }
  const std::pair<const char*, void (MainWindow::*)()> menus[] = {
      {names::kCompareWithDeviceAction, &MainWindow::compareWithDevice},
      {names::kFindDeviceAction, &MainWindow::findDevice},
      {names::kSaveToFileAction, &MainWindow::saveToFile},
      {names::kReadFromFileAction, &MainWindow::readFromFile},
      {names::kRemoteUpdateHelpAction, &MainWindow::showRemoteUpdateHelp},
      {names::kBuildRemoteUpdateFileAction, &MainWindow::buildRemoteUpdateFile},
  };
  connect(findChild<QAction*>(names::kSaveLogAction), &QAction::triggered, this,
          [this] { runCommand([this] { saveLog(); }); });
  connect(findChild<QAction*>(names::kClearLogAction), &QAction::triggered, this,
          [this] { clearLog(); });
  for (const auto& [name, handler] : menus) {
    connect(findChild<QAction*>(name), &QAction::triggered, this,
            [this, h = handler] { runCommand([this, h] { (this->*h)(); }); });
  }
}

// An exception escaping a command is shown and the window stays usable.
void MainWindow::runCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& e) {
    showError(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    showError(QString());
  }
}

}  // namespace zorbel::app
