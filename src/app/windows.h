#pragma once
// The program's four windows, created in start-up order: Form1 (the main
// window), then Form2, Form3 and Form4, which belong to it and stay hidden
// until a command shows them. All live until the program ends.
#include <QString>
#include <memory>

#include "aux_windows.h"
#include "form1.h"

namespace zorbel::app {

class Windows {
 public:
  explicit Windows(UserDialogs& dialogs);
  ~Windows();

  TForm1* Form1 = nullptr;
  TForm2* Form2 = nullptr;
  TForm3* Form3 = nullptr;
  TForm4* Form4 = nullptr;

 private:
  std::unique_ptr<TForm1> main_;
};

// Test aid (--screenshots): a PNG of every page of the main window, nested
// pages included, of each auxiliary window and of the splash, written to
// `folder`. Returns the files written; `error` tells what failed.
QStringList writeScreenshots(Windows& windows, const QString& folder, QString* error);

}  // namespace zorbel::app
