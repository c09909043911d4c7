#include "tab_mnemonics.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTabWidget>

namespace zorbel::app {
namespace {

QString mnemonicOf(const QString& text) {
  const qsizetype amp = text.indexOf('&');
  return amp >= 0 && amp + 1 < text.size() ? QString(text[amp + 1].toUpper()) : QString();
}

}  // namespace

QString mnemonicLetters(const QWidget* scope) {
  QString letters;
  for (const QLabel* label : scope->findChildren<QLabel*>()) {
    if (label->buddy() != nullptr) letters += mnemonicOf(label->text());
  }
  for (const QAbstractButton* button : scope->findChildren<QAbstractButton*>())
    letters += mnemonicOf(button->text());
  return letters;
}

QString assignTabMnemonics(QTabWidget* tabs, const QString& taken) {
  const QString used = taken.toUpper();
  QString given;
  for (int i = 0; i < tabs->count(); ++i) {
    const QString caption = tabs->tabText(i);
    if (caption.contains('&')) continue;
    for (qsizetype at = 0; at < caption.size(); ++at) {
      const QChar c = caption[at].toUpper();
      if (!c.isLetter() || c.unicode() >= 128 || used.contains(c) || given.contains(c)) continue;
      given += c;
      tabs->setTabText(i, caption.left(at) + '&' + caption.mid(at));
      break;
    }
  }
  return given;
}

}  // namespace zorbel::app
