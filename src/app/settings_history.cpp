#include "settings_history.h"

#include <QUndoCommand>
#include <utility>

#include "settings/catalog.h"

namespace zorbel::app {

namespace {

// Steps of typing in one box merge; every other step stands alone.
constexpr int kTypingId = 1;

class SettingsStep : public QUndoCommand {
 public:
  SettingsStep(const QString& text, settings::SettingsModel before, settings::SettingsModel after,
               SettingsHistory::Show show, std::optional<std::size_t> typingIn)
      : QUndoCommand(text),
        before_(std::move(before)),
        after_(std::move(after)),
        show_(std::move(show)),
        typingIn_(typingIn) {}

  void undo() override { show_(before_); }
  void redo() override {
    // Pushed after its change was made: the first redo has nothing to do.
    if (std::exchange(pushed_, false)) return;
    show_(after_);
  }
  int id() const override { return typingIn_ ? kTypingId : -1; }
  bool mergeWith(const QUndoCommand* other) override {
    const auto* next = static_cast<const SettingsStep*>(other);
    if (next->typingIn_ != typingIn_) return false;
    after_ = next->after_;
    setObsolete(before_ == after_);
    return true;
  }
  void amend(const settings::SettingsModel& after) { after_ = after; }

 private:
  settings::SettingsModel before_;
  settings::SettingsModel after_;
  SettingsHistory::Show show_;
  std::optional<std::size_t> typingIn_;
  bool pushed_ = true;
};

}  // namespace

SettingsHistory::SettingsHistory(const settings::SettingsModel& model, Show show, QObject* parent)
    : QObject(parent), model_(model), show_(std::move(show)), recorded_(model), stack_(this) {}

void SettingsHistory::record(const QString& text) { push(text, std::nullopt); }

void SettingsHistory::edited(std::size_t settingIndex, const QString& text) {
  const bool typing = settings::allSettings()[settingIndex].kind == settings::ControlKind::Edit;
  push(text, typing ? std::optional(settingIndex) : std::nullopt);
}

void SettingsHistory::push(const QString& text, std::optional<std::size_t> typingIn) {
  if (model_ == recorded_) return;
  // Undo and redo put back a whole state; what they show becomes the state recorded.
  auto show = [this](const settings::SettingsModel& state) {
    recorded_ = state;
    show_(state);
  };
  stack_.push(
      new SettingsStep(text, std::exchange(recorded_, model_), model_, std::move(show), typingIn));
}

void SettingsHistory::amendLast() {
  if (model_ == recorded_) return;
  const int top = stack_.index() - 1;
  if (top < 0 || top != stack_.count() - 1) {
    record(QString());
    return;
  }
  // The step is the stack's; it stays the top one while it is amended.
  auto* step = const_cast<QUndoCommand*>(stack_.command(top));
  static_cast<SettingsStep*>(step)->amend(model_);
  recorded_ = model_;
}

}  // namespace zorbel::app
