#pragma once
// TForm1, the main window: the connection group, the settings pages, the log,
// the progress bar and the menus. It owns the settings, the encoded
// configuration image, the loaded firmware and the device link.
//
// Construction is in form1.cpp, the command handlers in form1_commands.cpp.
#include <QMainWindow>
#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "settings/image.h"
#include "settings/model.h"
#include "settings_binder.h"
#include "user_dialogs.h"

class QComboBox;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;

namespace zorbel::link {
class ImageHandOver;
enum class TransferKind;
enum class TransferEnd;
enum class PortState;
}  // namespace zorbel::link
namespace zorbel::settings {
struct EncodeResult;
}
namespace zorbel::update {
class FirmwarePages;
}

namespace zorbel::app {

class LinkAdapter;

// The program version string, also written into every configuration image.
inline constexpr const char* kProgramVersion = "v1.32";
inline constexpr const char* kApplicationTitle = "Zorbel Configurator";

class TForm1 : public QMainWindow {
  Q_OBJECT

 public:
  explicit TForm1(UserDialogs& dialogs, QWidget* parent = nullptr);
  ~TForm1() override;

  // The auxiliary windows, created after this one; the commands show them.
  void setAuxiliaryWindows(QDialog* form2, QDialog* form3, QDialog* form4);

  SettingsBinder& binder() { return binder_; }
  const settings::Image& image() const { return image_; }
  LinkAdapter& link() { return *link_; }
  // The port "Open port" opens: the selected item, or with none the typed text.
  QString portName() const;

  // The commands, one handler per control, each run on the GUI thread.
  void Button1Click();   // "Open port"
  void Button2Click();   // "Close port"
  void Button3Click();   // "Upload firmware"
  void Button4Click();   // "Read config"
  void Button5Click();   // "Write config"
  void Button11Click();  // "Special strings"
  void Button20Click();  // "Filter setup"
  void UploadpctimeClick();
  void Button6Click();   // "Default parameters", analog channels 1 .. 5
  void Button7Click();
  void Button8Click();
  void Button9Click();
  void Button10Click();
  void Button13Click();  // "Default parameters", digital channel 1
  void Button12Click();  // digital channel 2
  void Button14Click();  // digital channels 3 .. 8
  void Button15Click();
  void Button16Click();
  void Button17Click();
  void Button18Click();
  void Button19Click();
  void Savetofile1Click();
  void Readfromfile1Click();
  void README1Click();
  void BuildRemoteUpdateFile1Click();
  void FillRtcFromPcClock();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  using Handler = void (TForm1::*)();

  // form1.cpp: construction
  QWidget* buildConnectionGroup();
  void buildMenus();
  void connectCommands();
  void runCommand(Handler handler);

  // form1_commands.cpp: the link's reports, on the GUI thread
  void appendLog(const std::string& line);
  void showProgress(link::TransferKind kind, std::uint32_t done, std::uint32_t total);
  void showPortState(link::PortState state, const std::string& text);
  void decodeReceivedImage(std::shared_ptr<link::ImageHandOver> hand);
  void showTransferEnd(link::TransferKind kind, link::TransferEnd end);

  // form1_commands.cpp: helpers of the commands
  bool encodeForDevice();
  void showEncodeFailure(const settings::EncodeResult& result);
  void channelDefaults(bool analog, int channel);
  std::optional<QString> chooseFile(const QString& dialog, bool save, const QString& subfolder,
                                    const QString& filter, const QString& preset = {});
  void information(const QString& title, const QString& text, const QString& details = {});
  void showError(const QString& text, const QString& details = {});
  void setStatus(const QString& text);

  UserDialogs& dialogs_;
  settings::SettingsModel model_;
  SettingsBinder binder_;
  settings::Image image_{};  // the last encoded configuration image
  std::unique_ptr<update::FirmwarePages> firmware_;
  LinkAdapter* link_ = nullptr;
  std::map<QString, QString> lastFileName_;  // per dialog: the name chosen last, offered next time

  QDialog* form2_ = nullptr;
  QDialog* form3_ = nullptr;
  QDialog* form4_ = nullptr;

 public:
  // Controls the commands use directly; the settings controls are reached by name.
  QComboBox* ComboBox2 = nullptr;
  QTabWidget* PageControl1 = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QProgressBar* ProgressBar1 = nullptr;
  QMenu* Remoteupdate1 = nullptr;
  QLabel* StatusLine = nullptr;
};

// The folder a file dialog starts in. Run from its build tree, the program's
// own folder followed by `subfolder`, or the user's home folder when that does
// not exist. Installed, ${XDG_DATA_HOME:-~/.local/share}/zorbel-configurator/
// followed by `subfolder`, made on first use.
QString dialogFolder(const QString& subfolder);
QString dialogFolder(const QString& subfolder, const QString& programFolder);
bool runsFromBuildTree(const QString& programFolder);

}  // namespace zorbel::app
