#pragma once
// JPEG decoding with libjpeg (the splash pictures).
#include <QByteArray>
#include <QImage>
#include <QString>

namespace zorbel::app {

// The decoded picture, or a null image with `error` set for data libjpeg refuses.
QImage decodeJpeg(const QByteArray& data, QString* error = nullptr);

}  // namespace zorbel::app
