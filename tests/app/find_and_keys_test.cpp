// Finding a setting and reaching it by keyboard: the search field, the
// address boxes, the filter window's Cancel, the port box's Return and what a
// screen reader says for each combo box.
#include <QAccessible>
#include <QApplication>
#include <QTest>

#include "window_fixture.h"

namespace zorbel::app::test_support {
namespace {

class FindAndKeys : public WindowTest {};

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
