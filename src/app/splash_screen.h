#pragma once
// The splash shown at start-up: borderless, on top, centred, 254 x 254,
// filled by a JPEG picture of our own that libjpeg decodes.
#include <QImage>
#include <QWidget>

namespace zorbel::app {

class SplashScreen : public QWidget {
 public:
  SplashScreen();
  QSize sizeHint() const override { return QSize(254, 254); }
  const QImage& picture() const { return picture_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

}  // namespace zorbel::app
