#pragma once
// Answers the program's message boxes and file dialogs from a script. A box or
// dialog the script does not expect fails the test.
#include <QDialog>
#include <deque>
#include <functional>
#include <optional>

#include "user_dialogs.h"

namespace zorbel::app::test_support {

struct ShownMessage {
  UserDialogs::Icon icon;
  QString title;
  QString text;
  QString details;
};

class ScriptedDialogs : public UserDialogs {
 public:
  ~ScriptedDialogs() override;

  // The next box must carry this text (and title, when given).
  void expectMessage(const QString& text, const QString& title = {});
  // The next box must be a question with this text; it answers `yes`.
  void expectQuestion(const QString& text, bool yes);
  // The next file dialog must be `name`; it answers `path`, or cancels with nothing.
  // `afterChoice` runs once the user has chosen, before the command goes on
  // (a file that vanishes between the dialog and its use).
  void expectFile(const QString& name, std::optional<QString> path,
                  std::function<void()> afterChoice = {});
  // The next modal window must be `name`; `whileShown` acts on it before it closes.
  void expectWindow(const QString& name, std::function<void(QDialog&)> whileShown = {});

  // Every expectation has been met.
  bool done() const { return script_.empty(); }

  std::vector<ShownMessage> messages;           // every box shown, in order
  std::vector<FileDialogRequest> fileRequests;  // every dialog shown, in order
  std::vector<QString> questions;               // every question asked, in order

  void message(Icon icon, const QString& title, const QString& text, const QString& details,
               QWidget* parent) override;
  bool question(const QString& title, const QString& text, QWidget* parent) override;
  std::optional<QString> chooseFile(const FileDialogRequest& request, QWidget* parent) override;
  void showModal(QDialog& window) override;

 private:
  struct Step {
    enum class Kind { Message, File, Window, Question } kind;
    QString name;  // message text, dialog or window name
    QString title;
    std::optional<QString> path;
    std::function<void(QDialog&)> whileShown;
    std::function<void()> afterChoice;
    bool yes = false;
  };
  std::optional<Step> next(Step::Kind kind, const QString& what);
  std::deque<Step> script_;
};

}  // namespace zorbel::app::test_support
