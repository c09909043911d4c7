#include "splash_screen.h"

#include <QFile>
#include <QPainter>
#include <QScreen>

#include "jpeg_image.h"

namespace zorbel::app {

SplashWindow::SplashWindow(const QString& resource, const char* name)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(name);
  QFile file(resource);
  if (file.open(QIODevice::ReadOnly)) picture_ = decodeJpeg(file.readAll());
  setFixedSize(254, 254);
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void SplashWindow::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!picture_.isNull()) {
    painter.drawImage(rect(), picture_);
    return;
  }
  // Without its picture the window still says what is starting.
  painter.fillRect(rect(), QColor(11, 37, 69));
  painter.setPen(Qt::white);
  painter.drawText(rect(), Qt::AlignCenter, "ZORBEL");
}

}  // namespace zorbel::app
