#pragma once
// The main window: the connection group, the settings pages, the log, the
// progress bar and the menus. It owns the settings, the encoded configuration
// image, the loaded firmware and the device link.
//
// Construction is in main_window.cpp, the commands in main_window_commands.cpp,
// the link's reports in main_window_progress.cpp, reading the device back in
// main_window_readback.cpp, the APRS aids in main_window_aprs.cpp and the
// search and keyboard aids in main_window_find.cpp, what it keeps between runs
// in main_window_memory.cpp.
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dialog_folder.h"
#include "settings/image.h"
#include "settings/model.h"
#include "settings_binder.h"
#include "transfer_guard.h"
#include "user_dialogs.h"

class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;
class QTimer;

namespace zorbel::link {
class ImageHandOver;
enum class TransferKind;
enum class TransferEnd;
enum class PortState;
}  // namespace zorbel::link
namespace zorbel::cfgfile {
struct ImportReport;
}
namespace zorbel::update {
class FirmwarePages;
}

namespace zorbel::app {

struct ComparedSetting;
class KeptSettings;
class LinkAdapter;
class LogView;
class RecentFiles;
class SettingsHistory;
class PortComboBox;

inline constexpr const char* kApplicationTitle = "Zorbel Configurator";
// The title of the window's information boxes.
inline constexpr const char* kInformationTitle = "Information";

// A transfer the device has not answered for this long ends, as a zorbelctl
// command does: a device answers a page within milliseconds, and one that
// floods the line with frames nobody accepts answers nothing.
inline constexpr int kAnswerTimeoutSeconds = 10;
// The log keeps its last lines only, so that a chatty device cannot fill memory.
inline constexpr int kLogLines = 10000;

class MainWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit MainWindow(UserDialogs& dialogs, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The auxiliary windows, created after this one; the commands show them.
  void setAuxiliaryWindows(QDialog* specialStrings, QDialog* remoteUpdateHelp, QDialog* filter);

  SettingsBinder& binder() { return binder_; }
  const settings::Image& image() const { return image_; }
  LinkAdapter& link() { return *link_; }
  // The port "Open port" opens: the selected item, or with none the typed text.
  QString portName() const;
  // Shows `port` in the port box: its item when the list has one, else as typed text.
  void selectPort(const QString& port);
  // Keeps the open port for the next start: an adapter by its /dev/serial/by-id name.
  void rememberPort();

  // The commands, each run on the GUI thread.
  void openPort();
  void closePort();
  // Device > Find device: tries every ready port and selects the one that answers.
  void findDevice();
  void uploadFirmware();
  void readConfiguration();
  void writeConfiguration();
  void showSpecialStrings();
  void showFilterSetup();
  void uploadPcTimeClicked();  // Uploadpctime or Ntp_enable clicked
  // "Default parameters" of analog channel 1 .. 5 and digital channel 1 .. 8.
  void restoreAnalogDefaults(int channel);
  void restoreDigitalDefaults(int channel);
  void saveToFile();
  void readFromFile();
  void showRemoteUpdateHelp();
  void buildRemoteUpdateFile();
  void saveLog();
  void clearLog();
  void compareWithDevice();
  // A stop signal (SIGINT, SIGTERM, SIGHUP): a running transfer is cut short
  // and said so in the log, and the port is closed, its settings restored.
  // The program ends after it; nothing is asked.
  void stopBySignal();
  void setPosition();  // "Set position…" beside the position boxes
  // Device > History…: the backups, to compare with the window or load into it.
  void showHistory();
  // Device > Revert to device values: the settings last read or written.
  void revertToDeviceValues();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  // main_window.cpp: construction
  void setUpLink();
  QWidget* buildCentralWidget();
  QWidget* buildConnectionGroup();
  QHBoxLayout* buildStatusRow();
  void hideRetiredModules();
  void buildMenus();
  void connectCommands();
  void setUpKeyboardAccess();
  void watchEdits();
  void checkAsTyped();
  void runCommand(const std::function<void()>& command);

  // main_window_progress.cpp: the link's reports, on the GUI thread
  void appendLog(const std::string& line);
  void showProgress(link::TransferKind kind, std::uint32_t done, std::uint32_t total);
  void showPortState(link::PortState state, const std::string& text);
  void decodeReceivedImage(const std::shared_ptr<link::ImageHandOver>& hand);
  void showTransferEnd(link::TransferKind kind, link::TransferEnd end);

  // main_window_commands.cpp: helpers of the commands
  bool encodeAndConfirm();
  void showEncodeFailure(const Error& error);
  void showControl(QWidget* control);
  std::optional<QString> chooseFile(const QString& dialog, bool save, const QString& subfolder,
                                    const QString& filter, const QString& preset = {});
  void information(const QString& title, const QString& text, const QString& details = {});
  void showError(const QString& text, const QString& details = {});
  void setStatus(const QString& text);
  // main_window_progress.cpp: the bar shows one transfer at a time, in its
  // own range: the one the status line names.
  void showTransferOnBar(link::TransferKind kind);
  void resetProgress();
  void noticeSilence();
  // main_window_readback.cpp: the verify after a write and the comparison
  void startVerify();
  void forgetReadBack();
  void useReadBack(const settings::Image& image);
  QString settingCaption(std::size_t settingIndex) const;
  QString shownValue(std::size_t settingIndex, const std::string& value) const;
  // main_window_find.cpp: the search field, going to a setting, the keyboard aids
  void setUpFinding();
  // Brings the setting's page (or window) to the front, focuses it and flashes it.
  void goToSetting(std::size_t settingIndex);
  // "Beacons › 3 Path": the tabs in front of it and its caption.
  QString placedSettingCaption(std::size_t settingIndex) const;
  // main_window_help.cpp: the Help and View menus, the network variant's features
  void setUpHelp();
  bool mayBuildWithDevelopmentKey();
  // main_window_aprs.cpp: the warnings before a write, the position and beacon aids
  void addCheckBeforeWriteAction(QMenu* device);
  bool confirmPreWrite();
  void showAprsAids(const settings::SettingsModel& shown);
  // main_window_edits.cpp: where the settings are kept, the title, the
  // question before edits are lost, undo and redo
  void setUpEdits();
  void updateTitle();
  bool mayDiscardEdits(const QString& command, const QString& consequence);
  bool mayClose();
  void recordStep(const QString& text);
  QString stepName(std::size_t setting) const;
  void amendStep();
  void keptInFile(const QString& path);
  void keptOnDevice(const settings::SettingsModel& state);
  void writeFinished();
  void reportFileRead(const QString& path, const cfgfile::ImportReport& report);
  void readConfigFile(const QString& path);
  // main_window_memory.cpp: what the window keeps between runs
  void setUpMemory(QSize defaultSize);
  void rememberLayout();
  void openRecentFile(const QString& path);
  // main_window_backups.cpp: backups before a write and of every read
  void addBackupActions(QMenu* device);
  void startWrite();
  QString keepBackup(const settings::Image& image);
  void keepReadBackup(const settings::Image& image);
  void backedUp(const settings::Image& image);
  void backupReadFailed(link::TransferEnd end);
  void askWriteWithoutBackup(const QString& reason, const settings::Image& toWrite);
  std::vector<ComparedSetting> comparedRows(const settings::SettingsModel& other) const;
  // main_window_transfers.cpp: one transfer at a time, Cancel, the questions
  // before a transfer is cut short and before an upload
  void setUpTransfers();
  bool portIsOpen() const;
  void updateCommandStates();
  bool mayStartTransfer();
  void beginTransfer(TransferGuard::Job job, link::TransferKind stage, std::uint32_t total);
  void endTransfer();
  void cancelTransfer();
  bool mayStopTransfer(const QString& title);
  void cutTransferShort();
  bool confirmUpload(const QString& path);
  static QString firmwareSizes(const QString& path);
  void warnLater(const QString& title, const QString& text);

  UserDialogs& dialogs_;
  settings::SettingsModel model_;
  SettingsBinder binder_;
  settings::Image image_{};  // the last encoded configuration image
  std::unique_ptr<update::FirmwarePages> firmware_;
  LinkAdapter* link_ = nullptr;
  std::map<QString, QString> lastFileName_;  // per dialog: the name chosen last, offered next time

  QDialog* specialStringsWindow_ = nullptr;
  QDialog* remoteUpdateHelpWindow_ = nullptr;
  QDialog* filterWindow_ = nullptr;

  // Widgets the commands use directly; the settings controls are reached by name.
  PortComboBox* portBox_ = nullptr;
  QTabWidget* settingsTabs_ = nullptr;
  LogView* logView_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
  QMenu* remoteUpdateMenu_ = nullptr;
  QLabel* statusLine_ = nullptr;

  // Each transfer's progress in its own range. `running` from its start (its
  // first report) to its end; `lastAnswer` is when it last moved on.
  struct TransferProgress {
    int done = 0;
    int maximum = 1;
    bool running = false;
    qint64 lastAnswer = 0;
    int total = 0;  // the pages it sends, as its last report said
  };
  std::map<link::TransferKind, TransferProgress> transfers_;
  std::optional<link::TransferKind> shownTransfer_;
  QElapsedTimer clock_;
  QTimer* silenceTimer_ = nullptr;
  // The device's version when the last read's image was refused; empty otherwise.
  QString refusedVersion_;
  // From "Close port" or a failed "Open port" to the next good open.
  bool portClosedByUser_ = false;
  std::set<QWidget*> watchedEdits_;

  // Reading the device back: the image "Write config" sent last, and which
  // uses wait for the next image read.
  settings::Image lastWritten_{};
  bool verifyPending_ = false;
  bool comparePending_ = false;
  // What the status line says once the comparison's read has ended.
  QString comparisonStatus_;

  // The edits: where the settings are kept, the steps of undo, the caption
  // the title starts with.
  std::unique_ptr<KeptSettings> kept_;
  SettingsHistory* history_ = nullptr;
  QString caption_;
  // The settings the write in progress sends; the image waiting for the
  // backup read that goes before it.
  std::optional<settings::SettingsModel> writing_;
  std::optional<settings::Image> writeAfterBackup_;
  // The transfer command that runs, from its start to its last link transfer's end.
  TransferGuard guard_;
  RecentFiles* recentFiles_ = nullptr;
};

}  // namespace zorbel::app
