#pragma once
// Every message box and file dialog of the program goes through this one
// interface, so tests can answer them by script.
#include <QString>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

namespace zorbel::app {

struct FileDialogRequest {
  QString name;  // the dialog's name, one of the names::k...Dialog constants
  bool save = false;
  QString folder;          // initial folder, set on every use
  QString filter;          // "Zorbel config files (*.cfg)|*.cfg"
  QString fileName;        // preset name ("" for none)
  bool mustExist = false;  // open dialogs: only an existing file can be chosen
};

// A question whose buttons say what each does ("Save", "Discard", "Cancel").
struct Choice {
  enum class Role { Accept, Destructive, Reject };
  struct Button {
    QString caption;  // with its mnemonic: "&Save"
    Role role = Role::Accept;
  };
  QString title;
  QString text;
  QString details;  // a second, smaller paragraph; empty for none
  std::vector<Button> buttons;
  int defaultButton = 0;  // the one Return presses
  bool warning = false;   // the warning icon instead of the question mark
};

class UserDialogs {
 public:
  enum class Icon { Information, Warning, Error };

  virtual ~UserDialogs() = default;
  // A modal box with one OK button. `details`, when not empty, is a second,
  // smaller paragraph under the text (the operating system's reason).
  virtual void message(Icon icon, const QString& title, const QString& text, const QString& details,
                       QWidget* parent) = 0;
  // A Yes/No question; true for Yes.
  virtual bool question(const QString& title, const QString& text, QWidget* parent) = 0;
  // The index of the button pressed. Escape and the close box press the
  // button of the Reject role.
  virtual int choose(const Choice& choice, QWidget* parent) = 0;
  // The chosen path, or nothing when the user cancels.
  virtual std::optional<QString> chooseFile(const FileDialogRequest& request, QWidget* parent) = 0;
  // Shows an auxiliary window modally and returns when it closes.
  virtual void showModal(QDialog& window) = 0;
};

// The real boxes and dialogs.
class QtDialogs : public UserDialogs {
 public:
  void message(Icon icon, const QString& title, const QString& text, const QString& details,
               QWidget* parent) override;
  bool question(const QString& title, const QString& text, QWidget* parent) override;
  int choose(const Choice& choice, QWidget* parent) override;
  std::optional<QString> chooseFile(const FileDialogRequest& request, QWidget* parent) override;
  void showModal(QDialog& window) override;
};

// "Zorbel config files (*.cfg)|*.cfg" in the form a Qt file dialog takes.
QString qtNameFilter(const QString& filter);

}  // namespace zorbel::app
