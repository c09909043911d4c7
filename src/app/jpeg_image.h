#pragma once
// JPEG decoding with libjpeg (the splash pictures).
#include <QByteArray>
#include <QImage>

#include "common/result.h"

namespace zorbel::app {

// The decoded picture, or for data libjpeg refuses a CannotRead error with its message.
Result<QImage> decodeJpeg(const QByteArray& data);

}  // namespace zorbel::app
