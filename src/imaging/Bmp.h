#pragma once

#include "imaging/Bitmap.h"

#include <QByteArray>
#include <QString>

namespace vivrelo {

// Reads the bytes of a Windows BMP file: the core (12-byte) header, BITMAPINFOHEADER and
// its V2 to V5 successors; 1, 4, 8, 16, 24 and 32 bits per pixel; uncompressed (BI_RGB),
// BI_BITFIELDS (and BI_ALPHABITFIELDS) and the run-length encodings RLE8 and RLE4; rows
// stored bottom-up or top-down. The bitmap keeps the pixel format it was stored with
// (To24Bit converts it). A file that is truncated or whose header contradicts itself or
// the file raises an Error naming the fault; no byte outside the file is ever read.
Bitmap LoadBmp(const QByteArray &bytes);
Bitmap LoadBmpFile(const QString &path);

// The bytes of a BMP file holding the bitmap, bottom-up, uncompressed, with a
// BITMAPINFOHEADER. 1-, 4-, 8- and 24-bit bitmaps are written as they are (indexed ones
// with their palette); 16- and 32-bit ones are written at 24 bits per pixel.
QByteArray SaveBmp(const Bitmap &bitmap);
// Writes SaveBmp's bytes to a file atomically; an Error when it cannot be written.
void SaveBmpFile(const Bitmap &bitmap, const QString &path);

} // namespace vivrelo
