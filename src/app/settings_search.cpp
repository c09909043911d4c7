#include "settings_search.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <algorithm>

#include "latin1.h"
#include "object_names.h"
#include "settings/catalog.h"
#include "settings/search.h"

namespace zorbel::app {
namespace {

// A list longer than this is no help; the user types another word.
constexpr std::size_t kMostListed = 40;
constexpr int kSettingRole = Qt::UserRole + 1;

}  // namespace

SettingsSearchField::SettingsSearchField(Hooks hooks, QWidget* parent)
    : QLineEdit(parent),
      hooks_(std::move(hooks)),
      completer_(new QCompleter(this)),
      list_(new QStandardItemModel(this)) {
  setObjectName(names::kSettingsSearch);
  setAccessibleName("Search settings");
  setPlaceholderText("Search settings (Ctrl+F)");
  setClearButtonEnabled(true);
  setMinimumWidth(fontMetrics().horizontalAdvance(placeholderText()) + 40);
  // The field keeps what is typed: the list is shown beside it, never
  // written into it.
  completer_->setModel(list_);
  completer_->setWidget(this);
  completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
  completer_->setMaxVisibleItems(12);
  connect(completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
          [this](const QModelIndex& index) { choose(index.data(kSettingRole).toULongLong()); });
  connect(this, &QLineEdit::textEdited, this, &SettingsSearchField::listMatches);
  connect(this, &QLineEdit::returnPressed, this, &SettingsSearchField::goToFirst);
}

void SettingsSearchField::listMatches(const QString& text) {
  matches_.clear();
  list_->clear();
  for (const settings::SettingMatch& m : settings::searchSettings(toBytes(text))) {
    if (matches_.size() == kMostListed) break;
    if (hooks_.reachable && !hooks_.reachable(m.setting)) continue;
    matches_.push_back(m.setting);
    const settings::Setting& s = settings::allSettings()[m.setting];
    QString shown = hooks_.name(m.setting);
    // Found by its key: the key is what the user typed, so it is shown.
    if (m.by == settings::MatchedBy::Key && s.file) shown += "  (" + fromBytes(s.file->key) + ")";
    auto* item = new QStandardItem(shown);
    item->setData(QVariant::fromValue<qulonglong>(m.setting), kSettingRole);
    if (!s.hint.empty()) item->setToolTip(fromBytes(s.hint));
    list_->appendRow(item);
  }
  if (matches_.empty()) {
    completer_->popup()->hide();
    return;
  }
  QAbstractItemView* popup = completer_->popup();
  QRect under = rect();
  under.setWidth(std::max(
      width(), popup->sizeHintForColumn(0) + popup->verticalScrollBar()->sizeHint().width() + 8));
  completer_->complete(under);
}

// Return: the highlighted match is the completer's to go to; else the first.
void SettingsSearchField::goToFirst() {
  if (completer_->popup()->isVisible() && completer_->popup()->currentIndex().isValid()) return;
  if (matches_.empty()) listMatches(text());
  if (!matches_.empty()) choose(matches_.front());
}

void SettingsSearchField::choose(std::size_t setting) {
  completer_->popup()->hide();
  hooks_.goTo(setting);
}

}  // namespace zorbel::app
