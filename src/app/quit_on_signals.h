#pragma once
// SIGINT, SIGTERM and SIGHUP end the program the way its own quit would, and
// never leave the port raw and locked for the next program: a running
// transfer is cut short and said so in the log, the port is closed with its
// settings restored, and the event loop ends with 128+N. Nothing is asked.
//
// The handler only writes the signal's number into a socket pair; a
// QSocketNotifier reads it on the GUI thread, which does the rest. A signal
// that was ignored at start (nohup) stays ignored.
#include <QObject>

class QSocketNotifier;

namespace zorbel::app {

class MainWindow;

class QuitOnStopSignals : public QObject {
 public:
  // One at a time: the handlers are the process's.
  explicit QuitOnStopSignals(MainWindow& window, QObject* parent = nullptr);
  // Puts back the handlers that were there before.
  ~QuitOnStopSignals() override;
  QuitOnStopSignals(const QuitOnStopSignals&) = delete;
  QuitOnStopSignals& operator=(const QuitOnStopSignals&) = delete;

 private:
  void stop();

  MainWindow& window_;
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zorbel::app
