#include "window_fixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

namespace zorbel::app::test_support {

void WindowTest::type(const QString& name, const QString& value) {
  QLineEdit* e = edit(name);
  e->selectAll();
  QTest::keyClick(e, Qt::Key_Delete);
  QTest::keyClicks(e, value);
}

bool WindowTest::waitFor(const std::function<bool()>& done, int ms) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    QTest::qSleep(5);
  }
  return true;
}

}  // namespace zorbel::app::test_support
