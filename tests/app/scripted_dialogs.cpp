#include "scripted_dialogs.h"

#include <gtest/gtest.h>

namespace zorbel::app::test_support {

namespace {
const char* kindName(int kind) {
  static const char* names[] = {"message box", "file dialog", "window", "question"};
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
                              const QString& details, QWidget*) {
  messages.push_back({icon, title, text, details});
  const auto step = next(Step::Kind::Message, title + ": " + text);
  if (!step) return;
  EXPECT_EQ(step->name.toStdString(), text.toStdString());
  if (!step->title.isEmpty()) {
    EXPECT_EQ(step->title.toStdString(), title.toStdString());
  }
}

bool ScriptedDialogs::question(const QString& title, const QString& text, QWidget*) {
  questions.push_back(text);
  const auto step = next(Step::Kind::Question, title + ": " + text);
  if (!step) return false;
  EXPECT_EQ(step->name.toStdString(), text.toStdString());
  return step->yes;
}

std::optional<QString> ScriptedDialogs::chooseFile(const FileDialogRequest& request, QWidget*) {
  fileRequests.push_back(request);
  const auto step = next(Step::Kind::File, request.name);
  if (!step) return std::nullopt;
  EXPECT_EQ(step->name.toStdString(), request.name.toStdString());
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

}  // namespace zorbel::app::test_support
