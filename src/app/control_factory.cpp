#include "control_factory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "latin1.h"

namespace zorbel::app {

namespace {

// Short boxes are sized to their longest text; long ones show at least
// kLongEditShows characters and take the room their row gives them.
constexpr int kLongestFixedEdit = 16;
constexpr int kLongEditShows = 40;

// A character as wide as the text the box usually holds: digits, upper-case
// callsigns, or mixed text.
QLatin1Char widthSample(settings::Encoding encoding) {
  using E = settings::Encoding;
  switch (encoding) {
    case E::ByteNumber:
    case E::WordNumber:
    case E::UnsignedWord:
    case E::SsidCharacter:
    case E::StationSsid:
    case E::Latitude:
    case E::Longitude:
      return QLatin1Char('0');
    case E::PaddedCallsign:
    case E::StationCallsign:
    case E::UpperText:
      return QLatin1Char('N');
    case E::None:
    case E::ItemIndex:
    case E::FlagByte:
    case E::Text:
      return QLatin1Char('n');
  }
  return QLatin1Char('n');
}

QLineEdit* makeEdit(const settings::Setting& s) {
  auto* edit = new QLineEdit;
  if (s.maxLength > 0) edit->setMaxLength(s.maxLength);
  if (s.maxLength > 0 && s.maxLength <= kLongestFixedEdit) {
    const int text =
        edit->fontMetrics().horizontalAdvance(QString(s.maxLength, widthSample(s.encoding)));
    edit->setFixedWidth(text + 12);
  } else {
    const int shown = s.maxLength > 0 ? std::min(s.maxLength, kLongEditShows) : kLongEditShows;
    edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(QString(shown, QLatin1Char('n'))) +
                          12);
  }
  return edit;
}

QComboBox* makeCombo(const settings::Setting& s) {
  auto* combo = new QComboBox;
  for (const std::string& item : s.items) combo->addItem(fromBytes(item));
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return combo;
}

}  // namespace

QWidget* makeControl(const settings::Setting& s) {
  QWidget* w = nullptr;
  switch (s.kind) {
    case settings::ControlKind::Edit:
      w = makeEdit(s);
      break;
    case settings::ControlKind::Combo:
      w = makeCombo(s);
      break;
    case settings::ControlKind::Check:
      w = new QCheckBox(fromBytes(s.caption));
      break;
  }
  w->setObjectName(QString::fromStdString(s.name));
  if (!s.hint.empty()) {
    w->setToolTip(fromBytes(s.hint));
    // F1 shows it too: the tooltip becomes a range message while the text is refused.
    w->setWhatsThis(fromBytes(s.hint));
  }
  return w;
}

QLabel* makeCaption(const settings::Setting& s, QWidget* control) {
  auto* label = new QLabel(fromBytes(s.caption));
  label->setBuddy(control);
  return label;
}

}  // namespace zorbel::app
