// The main window's construction: controls, pages, menus and start-up state.
#include "form1.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>

#include "link_adapter.h"
#include "settings_pages.h"
#include "update/firmware.h"

namespace zorbel::app {

namespace {

// The client area the window is laid out for; it grows only where the
// platform's font needs more room to show every control whole.
constexpr QSize kClientArea(735, 416);

// The port box re-reads the serial devices each time its list opens, so a
// device plugged in after start-up is offered; the typed text stays.
class PortComboBox : public QComboBox {
 public:
  PortComboBox() {
    setObjectName("ComboBox2");
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    refresh();
    // At start the box shows "COM1" with no item selected.
    setCurrentIndex(-1);
    setEditText("COM1");
  }

  void showPopup() override {
    refresh();
    QComboBox::showPopup();
  }

 private:
  void refresh() {
    const QString text = currentText();
    const int selected = currentIndex();
    const QString selectedText = selected >= 0 ? itemText(selected) : QString();
    QStringList names;
    for (const std::string& name : link::DeviceLink::portNames()) names << QString::fromLocal8Bit(name);
    if (names == items()) return;
    const QSignalBlocker quiet(this);
    clear();
    addItems(names);
    setCurrentIndex(selected >= 0 ? findText(selectedText) : -1);
    setEditText(text);
  }

  QStringList items() const {
    QStringList list;
    for (int i = 0; i < count(); ++i) list << itemText(i);
    return list;
  }
};

QPushButton* commandButton(const char* name, const QString& caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  return button;
}

}  // namespace

TForm1::TForm1(UserDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      dialogs_(dialogs),
      binder_(model_),
      firmware_(std::make_unique<update::FirmwarePages>()) {
  setObjectName("Form1");

  GuiLinkHandlers handlers;
  handlers.log = [this](const std::string& line) { appendLog(line); };
  handlers.progress = [this](auto kind, auto done, auto total) { showProgress(kind, done, total); };
  handlers.status = [this](auto state, const std::string& text) { showPortState(state, text); };
  handlers.imageReceived = [this](auto hand) { decodeReceivedImage(std::move(hand)); };
  handlers.transferEnded = [this](auto kind, auto end) { showTransferEnd(kind, end); };
  link_ = new LinkAdapter(std::move(handlers), this);

  auto* central = new QWidget;
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 4);
  layout->setSpacing(4);
  layout->addWidget(buildConnectionGroup());

  PageControl1 = new QTabWidget;
  PageControl1->setObjectName("PageControl1");
  // Every tab caption stays in view: the window is made wide enough for them.
  PageControl1->setUsesScrollButtons(false);
  // Every settings control but the filter window's is made from its declaration here.
  binder_.createControls([](std::string_view page) { return page != "Form4"; });
  buildSettingsPages(PageControl1, binder_);
  PageControl1->setCurrentIndex(0);
  layout->addWidget(PageControl1, 1);

  Memo1 = new QPlainTextEdit;
  Memo1->setObjectName("Memo1");
  Memo1->setReadOnly(true);
  Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo1->setFixedHeight(Memo1->fontMetrics().lineSpacing() * 4 + 2 * Memo1->frameWidth() + 8);
  layout->addWidget(Memo1);

  // The bottom edge: what the link is doing, and the transfer's progress.
  StatusLine = new QLabel;
  StatusLine->setObjectName("StatusLine");
  ProgressBar1 = new QProgressBar;
  ProgressBar1->setObjectName("ProgressBar1");
  ProgressBar1->setRange(0, 100);
  ProgressBar1->setValue(0);
  ProgressBar1->setTextVisible(false);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(StatusLine, 1);
  bottom->addWidget(ProgressBar1, 1);
  layout->addLayout(bottom);
  setCentralWidget(central);

  buildMenus();
  connectCommands();

  // The settings model already holds the start-up state: the clock edits
  // filled from the PC clock as UTC, every combo default, the analog and
  // digital channel defaults (their handlers run in the window's order) and
  // the clock edits disabled because Uploadpctime starts checked.
  binder_.toWidgets();

  // Hidden from start-up on; nothing shows them again. Their settings are
  // still encoded, and a read still sets the module selectors.
  for (const char* name : {"Label93", "Telemodule_enable", "Label94", "Bitsmodule_enable"}) {
    findChild<QWidget*>(name)->hide();
  }
  auto* pageControl2 = findChild<QTabWidget*>("PageControl2");
  pageControl2->setTabVisible(pageControl2->indexOf(findChild<QWidget*>("TabSheet16")), false);
  pageControl2->setCurrentIndex(0);
  setWindowTitle(QString("ZORBEL Configurator %1").arg(kProgramVersion));
  PageControl1->setTabVisible(PageControl1->indexOf(findChild<QWidget*>("TabSheet7")), false);
  Remoteupdate1->menuAction()->setVisible(false);

  // Fixed single border: the smallest size that shows every page whole, at
  // least the designed client area below the menu bar.
  const QSize designed(kClientArea.width(), kClientArea.height() + menuBar()->sizeHint().height());
  setFixedSize(minimumSizeHint().expandedTo(designed));
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
  setStatus("No port open");
}

// The worker reports into this window's members: it stops before they go.
TForm1::~TForm1() { link_->device().stopAndJoin(); }

void TForm1::setAuxiliaryWindows(QDialog* form2, QDialog* form3, QDialog* form4) {
  form2_ = form2;
  form3_ = form3;
  form4_ = form4;
}

QString TForm1::portName() const { return ComboBox2->currentText().trimmed(); }

QWidget* TForm1::buildConnectionGroup() {
  auto* box = new QGroupBox("Connection:");
  auto* row = new QHBoxLayout(box);
  row->setContentsMargins(6, 2, 6, 4);
  auto* label = new QLabel("COM Port:");
  ComboBox2 = new PortComboBox;
  ComboBox2->setMinimumContentsLength(12);
  label->setBuddy(ComboBox2);
  row->addWidget(label);
  row->addWidget(ComboBox2);
  row->addWidget(commandButton("Button1", "Open port"));
  row->addWidget(commandButton("Button2", "Close port"));
  row->addWidget(commandButton("Button4", "Read config"));
  row->addWidget(commandButton("Button5", "Write config"));
  row->addWidget(commandButton("Button3", "Upload firmware"));
  row->addStretch();
  return box;
}

void TForm1::buildMenus() {
  menuBar()->setObjectName("MainMenu1");
  auto addAction = [this](QMenu* menu, const char* name, const QString& caption) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    return action;
  };
  QMenu* files = menuBar()->addMenu("Configuration import/export");
  addAction(files, "Savetofile1", "Save to file");
  addAction(files, "Readfromfile1", "Read from file");
  Remoteupdate1 = menuBar()->addMenu("Remote update");
  Remoteupdate1->setObjectName("Remoteupdate1");
  addAction(Remoteupdate1, "README1", "README!");
  addAction(Remoteupdate1, "Buildremoteupdatefile1", "Build remote update file");
}

void TForm1::connectCommands() {
  const std::pair<const char*, Handler> buttons[] = {
      {"Button1", &TForm1::Button1Click},   {"Button2", &TForm1::Button2Click},
      {"Button3", &TForm1::Button3Click},   {"Button4", &TForm1::Button4Click},
      {"Button5", &TForm1::Button5Click},   {"Button11", &TForm1::Button11Click},
      {"Button20", &TForm1::Button20Click}, {"Button6", &TForm1::Button6Click},
      {"Button7", &TForm1::Button7Click},   {"Button8", &TForm1::Button8Click},
      {"Button9", &TForm1::Button9Click},   {"Button10", &TForm1::Button10Click},
      {"Button13", &TForm1::Button13Click}, {"Button12", &TForm1::Button12Click},
      {"Button14", &TForm1::Button14Click}, {"Button15", &TForm1::Button15Click},
      {"Button16", &TForm1::Button16Click}, {"Button17", &TForm1::Button17Click},
      {"Button18", &TForm1::Button18Click}, {"Button19", &TForm1::Button19Click},
  };
  for (const auto& [name, handler] : buttons) {
    connect(findChild<QPushButton*>(name), &QPushButton::clicked, this, [this, h = handler] { runCommand(h); });
  }
  // One handler serves both boxes; it looks only at Uploadpctime.
  for (const char* name : {"Uploadpctime", "Ntp_enable"}) {
    connect(binder_.control<QCheckBox>(name), &QCheckBox::clicked, this,
            [this] { runCommand(&TForm1::UploadpctimeClick); });
  }
  const std::pair<const char*, Handler> menus[] = {
      {"Savetofile1", &TForm1::Savetofile1Click},
      {"Readfromfile1", &TForm1::Readfromfile1Click},
      {"README1", &TForm1::README1Click},
      {"Buildremoteupdatefile1", &TForm1::BuildRemoteUpdateFile1Click},
  };
  for (const auto& [name, handler] : menus) {
    connect(findChild<QAction*>(name), &QAction::triggered, this, [this, h = handler] { runCommand(h); });
  }
}

// An exception escaping a command is shown and the window stays usable.
void TForm1::runCommand(Handler handler) {
  try {
    (this->*handler)();
  } catch (const std::exception& e) {
    showError(QString::fromLocal8Bit(e.what()));
  } catch (...) {
    showError(QString());
  }
}

}  // namespace zorbel::app
