#include "splash_screen.h"

#include <QFile>
#include <QPainter>
#include <QScreen>

#include "jpeg_image.h"
#include "object_names.h"

namespace zorbel::app {

SplashScreen::SplashScreen()
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName(names::kSplashScreen);
  QFile file(":/splash/splash.jpg");
  if (file.open(QIODevice::ReadOnly)) {
    if (Result<QImage> decoded = decodeJpeg(file.readAll())) picture_ = std::move(decoded.value());
  }
  setFixedSize(254, 254);
  if (const QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
}

void SplashScreen::paintEvent(QPaintEvent*) {
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
