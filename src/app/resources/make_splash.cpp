// Draws the splash picture (a radio mast sending APRS waves under a night
// sky, with the product name) and writes it as a JPEG file with libjpeg.
// Run once by hand: zorbel-make-splash <folder>; the picture is committed.
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

void drawSkyAndGround(QPainter& p) {
  QLinearGradient sky(0, 0, 0, 254);
  sky.setColorAt(0, QColor(8, 24, 48));
  sky.setColorAt(1, QColor(24, 62, 104));
  p.fillRect(QRect(0, 0, 254, 254), sky);

  // A few stars.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(220, 230, 245));
  const QPoint stars[] = {{22, 20},  {64, 42}, {200, 18}, {232, 60},
                          {160, 34}, {30, 86}, {214, 100}};
  for (const QPoint& s : stars) p.drawEllipse(s, 1, 1);

  // Ground.
  p.setBrush(QColor(16, 40, 30));
  p.drawRect(0, 196, 254, 58);
}

// The lattice mast, its lamp at `top`, and waves leaving it on both sides.
void drawMastAndWaves(QPainter& p, const QPointF& top) {
  const QPointF left(103, 196), right(151, 196);
  QPen steel(QColor(240, 140, 40), 3);
  p.setPen(steel);
  p.drawLine(top, left);
  p.drawLine(top, right);
  steel.setWidthF(1.6);
  p.setPen(steel);
  for (int i = 1; i < 7; ++i) {
    const double t0 = (i - 1) / 6.0, t1 = i / 6.0;
    const QPointF a0 = top + (left - top) * t0, b0 = top + (right - top) * t0;
    const QPointF a1 = top + (left - top) * t1, b1 = top + (right - top) * t1;
    p.drawLine(a1, b1);
    p.drawLine(a0, b1);
    p.drawLine(b0, a1);
  }
  p.setBrush(QColor(230, 60, 50));
  p.setPen(Qt::NoPen);
  p.drawEllipse(top, 5, 5);

  p.setBrush(Qt::NoBrush);
  for (int i = 1; i <= 3; ++i) {
    const double r = 14.0 * i + 4;
    QPen wave(QColor(120, 210, 240, 255 - 50 * i), 3, Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    const QRectF box(top.x() - r, top.y() - r, 2 * r, 2 * r);
    p.drawArc(box, -40 * 16, 80 * 16);
    p.drawArc(box, 140 * 16, 80 * 16);
  }
}

QImage draw(const QString& name) {
  QImage image(254, 254, QImage::Format_RGB888);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  drawSkyAndGround(p);
  drawMastAndWaves(p, QPointF(127, 52));

  // The name.
  QFont font("DejaVu Sans", 26, QFont::Bold);
  font.setLetterSpacing(QFont::AbsoluteSpacing, 3);
  p.setFont(font);
  p.setPen(QColor(250, 250, 250));
  p.drawText(QRect(0, 200, 254, 36), Qt::AlignCenter, name);
  QFont small("DejaVu Sans", 8);
  p.setFont(small);
  p.setPen(QColor(150, 200, 170));
  p.drawText(QRect(0, 234, 254, 16), Qt::AlignCenter, "APRS digipeater - I-Gate - weather");
  return image;
}

bool writeJpeg(const QImage& image, const char* path) {
  FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  jpeg_compress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, out);
  info.image_width = static_cast<JDIMENSION>(image.width());
  info.image_height = static_cast<JDIMENSION>(image.height());
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 92, TRUE);
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    auto* row = const_cast<JSAMPROW>(image.constScanLine(static_cast<int>(info.next_scanline)));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return std::fclose(out) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString(".");
  const bool ok = writeJpeg(draw("ZORBEL"), qPrintable(folder + "/splash.jpg"));
  if (!ok) std::fprintf(stderr, "cannot write the picture into %s\n", qPrintable(folder));
  return ok ? 0 : 1;
}
