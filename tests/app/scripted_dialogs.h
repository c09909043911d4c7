#pragma once
// Answers the program's message boxes and file dialogs from a script. A box or
// dialog the script does not expect fails the test. Where the box itself is
// under test, the script lets the real one show and a user act on it.
#include <QDialog>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
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
  // The next box must be a choice with this text; it presses the button
  // captioned `answer` (its mnemonic left out: "Save" for "&Save").
  void expectChoice(const QString& text, const QString& answer);
  // The next file dialog must be `name`; it answers `path`, or cancels with nothing.
  // `afterChoice` runs once the user has chosen, before the command goes on
  // (a file that vanishes between the dialog and its use).
  void expectFile(const QString& name, std::optional<QString> path,
                  std::function<void()> afterChoice = {});
  // The next box must carry this text and be the real QMessageBox, shown
  // modally; `user` acts on it from inside its modal loop and closes it.
  void expectRealBox(const QString& text, std::function<void(QMessageBox&)> user);
  // The next file dialog must be `name` and the real QFileDialog; likewise.
  void expectRealFileDialog(const QString& name, std::function<void(QFileDialog&)> user);
  // The next modal window must be `name`; `whileShown` acts on it before it closes.
  void expectWindow(const QString& name, std::function<void(QDialog&)> whileShown = {});

  // Every expectation has been met.
  bool done() const { return script_.empty(); }

  std::vector<ShownMessage> messages;           // every box shown, in order
  std::vector<FileDialogRequest> fileRequests;  // every dialog shown, in order
  std::vector<QString> questions;               // every question asked, in order
  std::vector<Choice> choices;                  // every choice offered, in order

  void message(Icon icon, const QString& title, const QString& text, const QString& details,
               QWidget* parent) override;
  bool question(const QString& title, const QString& text, QWidget* parent) override;
  int choose(const Choice& choice, QWidget* parent) override;
  std::optional<QString> chooseFile(const FileDialogRequest& request, QWidget* parent) override;
  void showModal(QDialog& window) override;

 private:
  struct Step {
    enum class Kind { Message, File, Window, Question, RealBox, Choice } kind;
    QString name;  // message text, dialog or window name
    QString title;
    std::optional<QString> path;
    std::function<void(QDialog&)> whileShown;
    std::function<void()> afterChoice;
    std::function<void(QWidget&)> real = {};  // the real box or dialog, and the user on it
    bool yes = false;
    QString answer = {};  // Choice: the caption of the button pressed
  };
  std::optional<Step> next(Step::Kind kind, const QString& what);
  bool realBoxNext() const {
    return !script_.empty() && script_.front().kind == Step::Kind::RealBox;
  }
  std::deque<Step> script_;
  QtDialogs realDialogs_;
};

// Runs `show` (a real box's or dialog's exec()) and, once the box is the active
// modal window, `user` on it from inside its modal loop. A box that never becomes
// modal fails the test; one that `user` leaves open is closed after a while.
void whileModal(const std::function<void(QWidget&)>& user, const std::function<void()>& show);

// The text a label shows, whether it reads it as plain or as rich text.
QString shownText(const QLabel& label);

}  // namespace zorbel::app::test_support
