#pragma once
// Undo and redo of the window's settings. Each step holds the whole settings
// state before and after it, so undoing a "Read config" or a "Read from file"
// brings back every setting it changed. Consecutive edits of one box are one
// step; an edit typed back to where the step began leaves no step.
#include <QObject>
#include <QString>
#include <QUndoStack>
#include <cstddef>
#include <functional>
#include <optional>

#include "settings/model.h"

namespace zorbel::app {

class SettingsHistory : public QObject {
 public:
  // Puts a state into the settings model and shows it, without that counting as an edit.
  using Show = std::function<void(const settings::SettingsModel& state)>;

  // `model` is the window's settings, as they are now.
  SettingsHistory(const settings::SettingsModel& model, Show show, QObject* parent);

  QUndoStack& stack() { return stack_; }

  // A command has changed the settings: one step named `text` from the state
  // recorded last to the model now. Nothing when nothing changed.
  void record(const QString& text);
  // A user's change of one setting (typing, an item chosen, a box checked):
  // merged with the step before when that changed the same setting, under `text`.
  void edited(std::size_t settingIndex, const QString& text);
  // What a command does right after an edit (a check box's click behaviour)
  // belongs to that edit's step.
  void amendLast();

 private:
  void push(const QString& text, std::optional<std::size_t> typingIn);

  const settings::SettingsModel& model_;
  Show show_;
  settings::SettingsModel recorded_;  // the state the last step ended with
  QUndoStack stack_;
};

}  // namespace zorbel::app
