#pragma once
// A fresh set of the four windows per test, with scripted boxes and dialogs.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <memory>

#include "scripted_dialogs.h"
#include "windows.h"

namespace zorbel::app::test_support {

class WindowTest : public ::testing::Test {
 protected:
  // Declared first, so it outlives the windows and then reports unmet expectations.
  ScriptedDialogs dialogs;
  std::unique_ptr<Windows> windows = std::make_unique<Windows>(dialogs);

  TForm1& form() { return *windows->Form1; }

  template <class W>
  W* control(const char* name) {
    auto* w = form().findChild<W*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
  QComboBox* combo(const char* name) { return control<QComboBox>(name); }
  QCheckBox* check(const char* name) { return control<QCheckBox>(name); }
  QString text(const char* name) { return edit(name)->text(); }

  // What a user does: replace an edit's text by typing, press a button, pick a menu item.
  void type(const char* name, const QString& value);
  void click(const char* button) { control<QPushButton>(button)->click(); }
  void trigger(const char* action) { control<QAction>(action)->trigger(); }

  // Runs queued calls (the link's reports) until `done` holds or `ms` pass.
  static bool waitFor(const std::function<bool()>& done, int ms = 5000);
};

}  // namespace zorbel::app::test_support
