#pragma once
// The program's four windows, created in start-up order: the main window, then
// the special strings, remote update help and filter windows, which belong to
// it and stay hidden until a command shows them. All live until the program ends.
#include <QString>
#include <functional>
#include <memory>

#include "auxiliary_windows.h"
#include "common/result.h"
#include "main_window.h"

namespace zorbel::app {

class ProgramWindows {
 public:
  explicit ProgramWindows(UserDialogs& dialogs);
  ~ProgramWindows();

  MainWindow* mainWindow = nullptr;
  SpecialStringsWindow* specialStringsWindow = nullptr;
  RemoteUpdateHelpWindow* remoteUpdateHelpWindow = nullptr;
  FilterWindow* filterWindow = nullptr;

 private:
  std::unique_ptr<MainWindow> main_;
};

// Test aid (--screenshots): a PNG of every page of the main window, nested
// pages included, of each auxiliary window and of the splash, written to
// `folder`; `written` hears of each file as soon as it is written. Stops at
// the first file that cannot be written, with an error naming it.
using ScreenshotWritten = std::function<void(const QString& path)>;
Result<void> writeScreenshots(ProgramWindows& windows, const QString& folder,
                              const ScreenshotWritten& written);

}  // namespace zorbel::app
