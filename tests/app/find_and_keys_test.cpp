// Finding a setting and reaching it by keyboard: the search field, the
// address boxes, the filter window's Cancel, the port box's Return and what a
// screen reader says for each combo box.
#include <QAccessible>
#include <QApplication>
#include <QTest>

#include "keyboard_access.h"
#include "settings/catalog.h"
#include "settings/page_names.h"
#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class FindAndKeys : public WindowTest {
 protected:
  void showWindow() {
    mainWindow().show();
    mainWindow().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&mainWindow()));
  }
};

// Where a user's key goes: to an open list, else to the focused widget.
QWidget* keyTarget() {
  QWidget* popup = QApplication::activePopupWidget();
  return popup != nullptr ? popup : QApplication::focusWidget();
}
void typeKeys(const QString& text) {
  for (QChar c : text) QTest::keyClick(keyTarget(), c.toLatin1());
}
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QTest::keyClick(keyTarget(), key, modifiers);
}

TEST_F(FindAndKeys, SearchFindsASettingByCaptionWordOrKeyAndGoesToIt) {
  showWindow();
  const auto search = [&](const QString& words) {
    press(Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget()->accessibleName(), "Search settings");
    typeKeys(words);
  };
  settingsTabs()->setCurrentWidget(control<QWidget>(settings::pages::kBeacons));
  search("delay");
  press(Qt::Key_Return);  // the first match
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kRadio);
  EXPECT_EQ(QApplication::focusWidget(), edit("Txdelay"));
  EXPECT_NE(edit("Txdelay")->parentWidget()->findChild<QFrame*>("searchHighlight"), nullptr);

  search("passcode");
  press(Qt::Key_Return);
  EXPECT_EQ(QApplication::focusWidget(), edit("Aprsis_pass"));

  // Chosen from the list: the second password (the hidden WWW tab's is not offered).
  search("password");
  press(Qt::Key_Down);
  press(Qt::Key_Down);
  press(Qt::Key_Return);
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kTelnet);
  EXPECT_EQ(QApplication::focusWidget(), edit("telnet_password"));

  // A filter entry by its key: its page, then its window with the focus on it.
  QWidget* focused = nullptr;
  dialogs.expectWindow(names::kFilterWindow, [&](QDialog& w) { focused = w.focusWidget(); });
  search("packet2rf_filter_callsign05");
  press(Qt::Key_Return);
  EXPECT_TRUE(dialogs.done());
  EXPECT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kIgate);
  EXPECT_EQ(focused, windows->filterWindow->findChild<QLineEdit*>("Packet2rf_filter_callsign05"));
}

// "10.0.0.5" typed into the first box fills the four; so does a fourth digit;
// Backspace in an empty box goes back.
TEST_F(FindAndKeys, AnAddressIsTypedAcrossItsFourBoxes) {
  showWindow();
  press(Qt::Key_K, Qt::AltModifier);  // the one tab letter no page or menu uses
  ASSERT_EQ(settingsTabs()->currentWidget()->objectName(), settings::pages::kNetwork);
  edit("Ipaddr0")->setFocus();
  press(Qt::Key_A, Qt::ControlModifier);
  typeKeys("10.0.0.5");
  QStringList parts;
  for (int i = 0; i < 4; ++i) parts << text(QString("Ipaddr%1").arg(i));
  EXPECT_EQ(parts, QStringList({"10", "0", "0", "5"}));

  edit("Ipgate0")->setFocus();
  press(Qt::Key_A, Qt::ControlModifier);
  typeKeys("1921681.1");
  parts.clear();
  for (int i = 0; i < 4; ++i) parts << text(QString("Ipgate%1").arg(i));
  EXPECT_EQ(parts, QStringList({"192", "168", "1", "1"}));
  press(Qt::Key_Backspace);
  press(Qt::Key_Backspace);  // the box is empty: back to the one before
  press(Qt::Key_Backspace);
  EXPECT_EQ(QApplication::focusWidget(), edit("Ipgate2"));
  EXPECT_EQ(text("Ipgate2"), "");
  EXPECT_EQ(text("Ipgate3"), "");
}

// Qt on Linux names a combo box to a screen reader only through the labels
// it is labelled by: each one has a label that says what it is.
TEST_F(FindAndKeys, EveryComboBoxIsLabelledByItsName) {
  const QList<QComboBox*> combos = mainWindow().findChildren<QComboBox*>();
  ASSERT_GT(combos.size(), 70) << "the filter window's included";
  for (QComboBox* combo : combos) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(combo);
    const auto labels = a->relations(QAccessible::Label);
    ASSERT_FALSE(labels.isEmpty()) << combo->objectName().toStdString();
    const QString said = spokenCaption(labels.front().first->text(QAccessible::Name));
    EXPECT_FALSE(said.isEmpty()) << combo->objectName().toStdString();
    EXPECT_EQ(said, combo->accessibleName()) << combo->objectName().toStdString();
  }
  EXPECT_EQ(combo("Pathn3_traceable")->accessibleName(), "3 traceable");
  EXPECT_EQ(combo("Teleanalog2_source")->accessibleName(), "Analog 2 Source");
  EXPECT_EQ(combo("Packet2rf_filter_type07")->accessibleName(), "7 Type");
}

// Escape, like Cancel, puts back what the entries held when the window
// opened, edits kept with OK before included.
TEST_F(FindAndKeys, FilterWindowCancelPutsBackTheEntriesAsOpened) {
  const auto edit = [](QDialog& w, const char* entry, const char* typed) {
    auto* call = w.findChild<QLineEdit*>(entry);
    call->setFocus();
    QTest::keyClicks(call, typed);
    auto* type = w.findChild<QComboBox*>("Packet2rf_filter_type01");
    type->setFocus();
    QTest::keyClick(type, Qt::Key_Down);
  };
  dialogs.expectWindow(names::kFilterWindow, [&](QDialog& w) {
    edit(w, "Packet2rf_filter_callsign01", "sq*");
    QTest::keyClick(w.focusWidget(), Qt::Key_Return);  // OK is the default button
  });
  click(names::kFilterSetupButton);
  dialogs.expectWindow(names::kFilterWindow, [&](QDialog& w) {
    edit(w, "Packet2rf_filter_callsign02", "dl*");
    QTest::keyClick(w.focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
  });
  click(names::kFilterSetupButton);
  dialogs.expectWindow(names::kFilterWindow, [&](QDialog& w) {
    edit(w, "Packet2rf_filter_callsign03", "ok*");
    w.findChild<QPushButton*>(names::kFilterCancelButton)->click();
  });
  click(names::kFilterSetupButton);
  auto* filter = windows->filterWindow;
  EXPECT_EQ(filter->findChild<QLineEdit*>("Packet2rf_filter_callsign01")->text(), "sq*");
  EXPECT_EQ(filter->findChild<QComboBox*>("Packet2rf_filter_type01")->currentIndex(), 1);
  EXPECT_EQ(filter->findChild<QLineEdit*>("Packet2rf_filter_callsign02")->text(), "");
  EXPECT_EQ(filter->findChild<QLineEdit*>("Packet2rf_filter_callsign03")->text(), "");
}

}  // namespace
}  // namespace zorbel::app::test_support
