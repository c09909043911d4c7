#pragma once
// The splash windows: borderless, on top, centred, 254 x 254, filled by a
// JPEG picture of our own that libjpeg decodes.
#include <QImage>
#include <QWidget>

namespace zorbel::app {

class SplashWindow : public QWidget {
 public:
  QSize sizeHint() const override { return QSize(254, 254); }
  const QImage& picture() const { return picture_; }

 protected:
  explicit SplashWindow(const QString& resource, const char* name);
  void paintEvent(QPaintEvent* event) override;

 private:
  QImage picture_;
};

// The splash shown at start-up.
class TSplashScreen_notplus : public SplashWindow {
 public:
  TSplashScreen_notplus() : SplashWindow(":/splash/splash.jpg", "TSplashScreen_notplus") {}
};

// The network variant's splash; defined beside the first and never shown.
class TSplashScreen_plus : public SplashWindow {
 public:
  TSplashScreen_plus() : SplashWindow(":/splash/splash_plus.jpg", "TSplashScreen_plus") {}
};

}  // namespace zorbel::app
