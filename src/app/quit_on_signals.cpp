#include "quit_on_signals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <cerrno>
#include <map>
#include <stdexcept>

#include "common/stop_signals.h"
#include "main_window.h"

namespace zorbel::app {

namespace {

// The socket pair's ends: the handler writes, the notifier reads. Made once
// and never closed, so that a handler running late on another thread never
// writes into a descriptor that has been given to a file meanwhile.
int signalWriteEnd = -1;
int signalReadEnd = -1;
std::map<int, struct sigaction> previousActions;

// Async-signal-safe: one byte into a socket that never blocks the writer.
void onStopSignal(int sig) {
  const int savedErrno = errno;
  const auto byte = static_cast<unsigned char>(sig);
  (void)::write(signalWriteEnd, &byte, 1);
  errno = savedErrno;
}

void makeSocketPair() {
  if (signalReadEnd >= 0) return;
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, ends) != 0)
    throw std::runtime_error("cannot make a socket pair for the stop signals");
  signalWriteEnd = ends[0];
  signalReadEnd = ends[1];
}

}  // namespace

QuitOnStopSignals::QuitOnStopSignals(MainWindow& window, QObject* parent)
    : QObject(parent), window_(window) {
  makeSocketPair();
  notifier_ = new QSocketNotifier(signalReadEnd, QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &QuitOnStopSignals::stop);

  for (const int sig : stopSignalsNotIgnored()) {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // the GUI thread's own calls go on undisturbed
    struct sigaction previous {};
    if (::sigaction(sig, &action, &previous) == 0) previousActions[sig] = previous;
  }
}

QuitOnStopSignals::~QuitOnStopSignals() {
  for (const auto& [sig, previous] : previousActions) ::sigaction(sig, &previous, nullptr);
  previousActions.clear();
  delete notifier_;
}

void QuitOnStopSignals::stop() {
  unsigned char byte = 0;
  if (::read(signalReadEnd, &byte, 1) != 1) return;
  window_.stopBySignal();
  QCoreApplication::exit(128 + byte);
}

}  // namespace zorbel::app
