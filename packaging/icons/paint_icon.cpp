// Paints the application icon at the hicolor sizes. Run once by hand when the
// icon changes (see packaging/README.md); the PNGs it writes are committed.
#include <QtGui/QGuiApplication>
#include <QtGui/QImage>
#include <QtGui/QPainter>
#include <QtGui/QPainterPath>

static QImage paint(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 64.0, size / 64.0);

  // Rounded dark-blue tile.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0x1d, 0x3a, 0x5f));
  p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

  // Radio waves on both sides of the mast top.
  QPen wave(QColor(0xf2, 0xa9, 0x00), 3.2, Qt::SolidLine, Qt::RoundCap);
  p.setPen(wave);
  p.setBrush(Qt::NoBrush);
  for (int r : {9, 16}) {
    p.drawArc(QRectF(32 - r, 20 - r, 2 * r, 2 * r), 135 * 16, 90 * 16);
    p.drawArc(QRectF(32 - r, 20 - r, 2 * r, 2 * r), -45 * 16, 90 * 16);
  }

  // The mast: a lattice tower on a base.
  QPen mast(QColor(0xee, 0xf2, 0xf6), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  p.setPen(mast);
  QPainterPath tower;
  tower.moveTo(22, 56);
  tower.lineTo(32, 20);
  tower.lineTo(42, 56);
  tower.moveTo(25, 45);
  tower.lineTo(39, 45);
  tower.moveTo(28, 34);
  tower.lineTo(36, 34);
  p.drawPath(tower);
  p.setBrush(QColor(0xf2, 0xa9, 0x00));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(32, 20), 3.6, 3.6);
  return image;
}

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  for (int size : {16, 24, 32, 48, 64, 128, 256})
    if (!paint(size).save(QStringLiteral("%1/zorbel-configurator-%2.png").arg(dir).arg(size)))
      return 1;
  return 0;
}
