#include "tab_mnemonics.h"

#include <QTabWidget>
#include <map>
#include <set>
#include <vector>

namespace zorbel::app {
namespace {

// Tabs matched to letters, each tab to one of its candidates. Taking the
// first free letter per tab leaves tabs without one whose letters an earlier
// tab could have done without ("RTC/NTP time" behind "Network" and "I-Gate"),
// so a tab whose letters are all held asks their holders to move on.
class LetterMatching {
 public:
  explicit LetterMatching(std::vector<std::vector<QChar>> candidates)
      : candidates_(std::move(candidates)) {}

  // Tries to give `tab` a letter, moving earlier tabs to other letters of theirs.
  bool place(int tab, std::set<QChar>& tried) {
    for (const QChar c : candidates_[static_cast<std::size_t>(tab)]) {
      if (!tried.insert(c).second) continue;
      const auto holder = owner_.find(c);
      if (holder == owner_.end() || place(holder->second, tried)) {
        owner_[c] = tab;
        return true;
      }
    }
    return false;
  }
  const std::map<QChar, int>& owners() const { return owner_; }

 private:
  std::vector<std::vector<QChar>> candidates_;
  std::map<QChar, int> owner_;  // letter -> tab
};

}  // namespace

QString assignTabMnemonics(QTabWidget* tabs, const QString& taken) {
  QString used = taken.toUpper();
  for (int i = 0; i < tabs->count(); ++i) {  // letters a caption already carries stay its own
    const QString caption = tabs->tabText(i);
    const qsizetype amp = caption.indexOf('&');
    if (amp >= 0 && amp + 1 < caption.size()) used += caption[amp + 1].toUpper();
  }
  std::vector<std::vector<QChar>> candidates(static_cast<std::size_t>(tabs->count()));
  for (int i = 0; i < tabs->count(); ++i) {
    const QString caption = tabs->tabText(i);
    if (caption.contains('&')) continue;
    for (const QChar letter : caption) {
      const QChar c = letter.toUpper();
      if (c.isLetter() && c.unicode() < 128 && !used.contains(c))
        candidates[static_cast<std::size_t>(i)].push_back(c);
    }
  }
  LetterMatching matching(candidates);
  for (int i = 0; i < tabs->count(); ++i) {
    std::set<QChar> tried;
    matching.place(i, tried);
  }
  QString given;
  for (const auto& [letter, tab] : matching.owners()) {
    const QString caption = tabs->tabText(tab);
    for (qsizetype at = 0; at < caption.size(); ++at) {
      if (caption[at].toUpper() != letter) continue;
      tabs->setTabText(tab, caption.left(at) + '&' + caption.mid(at));
      break;
    }
    given += letter;
  }
  return given;
}

}  // namespace zorbel::app
