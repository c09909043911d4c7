#include "scripted_dialogs.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTextDocument>
#include <QTimer>

namespace zorbel::app::test_support {

namespace {
const char* kindName(int kind) {
  static const char* names[] = {"message box", "file dialog", "window",
                                "question",    "real box",    "choice"};
  return names[kind];
}
}  // namespace

ScriptedDialogs::~ScriptedDialogs() {
  for (const Step& step : script_) {
    ADD_FAILURE() << "expected " << kindName(static_cast<int>(step.kind))
                  << " never came: " << step.name.toStdString();
  }
}

void ScriptedDialogs::expectMessage(const QString& text, const QString& title) {
  script_.push_back({Step::Kind::Message, text, title, std::nullopt, {}, {}});
}

void ScriptedDialogs::expectFile(const QString& name, std::optional<QString> path,
                                 std::function<void()> afterChoice) {
  script_.push_back({Step::Kind::File, name, {}, std::move(path), {}, std::move(afterChoice)});
}

void ScriptedDialogs::expectWindow(const QString& name, std::function<void(QDialog&)> whileShown) {
  script_.push_back({Step::Kind::Window, name, {}, std::nullopt, std::move(whileShown), {}});
}

void ScriptedDialogs::expectQuestion(const QString& text, bool yes) {
  Step step{Step::Kind::Question, text, {}, std::nullopt, {}, {}};
  step.yes = yes;
  script_.push_back(std::move(step));
}

void ScriptedDialogs::expectChoice(const QString& text, const QString& answer) {
  Step step{Step::Kind::Choice, text, {}, std::nullopt, {}, {}};
  step.answer = answer;
  script_.push_back(std::move(step));
}

void ScriptedDialogs::expectRealBox(const QString& text, std::function<void(QMessageBox&)> user) {
  Step step{Step::Kind::RealBox, text, {}, std::nullopt, {}, {}};
  step.real = [user = std::move(user)](QWidget& shown) {
    auto* box = qobject_cast<QMessageBox*>(&shown);
    if (box == nullptr) {
      ADD_FAILURE() << "the modal window is no message box";
      return;
    }
    user(*box);
  };
  script_.push_back(std::move(step));
}

void ScriptedDialogs::expectRealFileDialog(const QString& name,
                                           std::function<void(QFileDialog&)> user) {
  Step step{Step::Kind::File, name, {}, std::nullopt, {}, {}};
  step.real = [user = std::move(user)](QWidget& shown) {
    auto* dialog = qobject_cast<QFileDialog*>(&shown);
    if (dialog == nullptr) {
      ADD_FAILURE() << "the modal window is no file dialog";
      return;
    }
    user(*dialog);
  };
  script_.push_back(std::move(step));
}

std::optional<ScriptedDialogs::Step> ScriptedDialogs::next(Step::Kind kind, const QString& what) {
  if (script_.empty() || script_.front().kind != kind) {
    ADD_FAILURE() << "unexpected " << kindName(static_cast<int>(kind)) << ": "
                  << what.toStdString();
    return std::nullopt;
  }
  Step step = std::move(script_.front());
  script_.pop_front();
  return step;
}

void ScriptedDialogs::message(Icon icon, const QString& title, const QString& text,
                              const QString& details, QWidget* parent) {
  messages.push_back({icon, title, text, details});
  const auto step =
      next(realBoxNext() ? Step::Kind::RealBox : Step::Kind::Message, title + ": " + text);
  if (!step) return;
  if (step->real) {
    EXPECT_EQ(step->name.toStdString(), text.toStdString());
    whileModal(step->real, [&] { realDialogs_.message(icon, title, text, details, parent); });
    return;
  }
  EXPECT_EQ(step->name.toStdString(), text.toStdString());
  if (!step->title.isEmpty()) {
    EXPECT_EQ(step->title.toStdString(), title.toStdString());
  }
}

bool ScriptedDialogs::question(const QString& title, const QString& text, QWidget* parent) {
  questions.push_back(text);
  const auto step =
      next(realBoxNext() ? Step::Kind::RealBox : Step::Kind::Question, title + ": " + text);
  if (!step) return false;
  if (step->real) {
    EXPECT_EQ(step->name.toStdString(), text.toStdString());
    bool yes = false;
    whileModal(step->real, [&] { yes = realDialogs_.question(title, text, parent); });
    return yes;
  }
  EXPECT_EQ(step->name.toStdString(), text.toStdString());
  return step->yes;
}

int ScriptedDialogs::choose(const Choice& choice, QWidget* parent) {
  choices.push_back(choice);
  const auto step = next(realBoxNext() ? Step::Kind::RealBox : Step::Kind::Choice,
                         choice.title + ": " + choice.text);
  int cancel = static_cast<int>(choice.buttons.size()) - 1;
  for (std::size_t i = 0; i < choice.buttons.size(); ++i) {
    if (choice.buttons[i].role == Choice::Role::Reject) cancel = static_cast<int>(i);
  }
  if (!step) return cancel;
  EXPECT_EQ(step->name.toStdString(), choice.text.toStdString());
  if (step->real) {
    int pressed = cancel;
    whileModal(step->real, [&] { pressed = realDialogs_.choose(choice, parent); });
    return pressed;
  }
  for (std::size_t i = 0; i < choice.buttons.size(); ++i) {
    if (QString(choice.buttons[i].caption).remove('&') == step->answer) return static_cast<int>(i);
  }
  ADD_FAILURE() << "no button " << step->answer.toStdString()
                << " in: " << choice.text.toStdString();
  return cancel;
}

std::optional<QString> ScriptedDialogs::chooseFile(const FileDialogRequest& request,
                                                   QWidget* parent) {
  fileRequests.push_back(request);
  const auto step = next(Step::Kind::File, request.name);
  if (!step) return std::nullopt;
  EXPECT_EQ(step->name.toStdString(), request.name.toStdString());
  if (step->real) {
    std::optional<QString> chosen;
    whileModal(step->real, [&] { chosen = realDialogs_.chooseFile(request, parent); });
    return chosen;
  }
  if (step->afterChoice) step->afterChoice();
  return step->path;
}

void ScriptedDialogs::showModal(QDialog& window) {
  const auto step = next(Step::Kind::Window, window.objectName());
  if (!step) return;
  EXPECT_EQ(step->name.toStdString(), window.objectName().toStdString());
  window.show();
  if (step->whileShown) step->whileShown(window);
  window.close();
}

void whileModal(const std::function<void(QWidget&)>& user, const std::function<void()>& show) {
  bool acted = false;
  QTimer poll;
  poll.setInterval(10);
  int waited = 0;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (acted) {
      // Left open by the user's steps: closed, so that the test goes on to fail.
      if (modal != nullptr && (waited += 10) > 10000) {
        ADD_FAILURE() << "the box was left open";
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
      }
      return;
    }
    // A user acts once the box is in front with the focus in it.
    if (modal == nullptr || !modal->isActiveWindow()) return;
    acted = true;
    user(*modal);
  });
  poll.start();
  show();
  poll.stop();
  if (!acted) ADD_FAILURE() << "the box was not shown modally";
}

QString shownText(const QLabel& label) {
  const bool rich = label.textFormat() == Qt::RichText ||
                    (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(label.text()));
  if (!rich) return label.text();
  QTextDocument document;
  document.setHtml(label.text());
  return document.toPlainText();
}

}  // namespace zorbel::app::test_support
