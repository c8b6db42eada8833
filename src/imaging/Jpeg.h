#pragma once

#include "imaging/Bitmap.h"

#include <QByteArray>
#include <QString>

namespace vivrelo {

// The one message of a failed JPEG encoding or write.
inline constexpr char kJpegWriteError[] = "Error writing JPEG to file";

// Encodes a bitmap as a baseline JPEG file of the same size, three YCbCr components, at
// the given quality (clamped into 1..100), the picture upright. 24-bit bitmaps are taken
// as blue, green, red; 8-bit ones through their palette (an 8-bit bitmap without a
// palette as grey levels). Any other pixel format, or a failure of the encoder, raises
// the Error kJpegWriteError.
QByteArray EncodeJpeg(const Bitmap &bitmap, int quality);

// Writes EncodeJpeg's bytes to the file: to a work file beside it, renamed into place, so
// that the file is never left half-written and an older file of that name stays whole
// until the new one is complete. Returns true, or raises the Error kJpegWriteError.
bool SaveBitmapAsJpeg(const Bitmap &bitmap, const QString &fileName, int quality);

} // namespace vivrelo
