#pragma once

#include "base/Progress.h"
#include "imaging/Bitmap.h"

#include <QByteArray>
#include <QSize>

namespace vivrelo {

// The size of a SW × SH picture fitted into a BW × BH box. A picture that fits keeps its
// size; a larger one keeps its aspect ratio and fills the box along its limiting side.
// Products are computed in extended precision and truncated toward zero; neither side
// of the result is ever below one pixel.
QSize FittedSize(int boxWidth, int boxHeight, int sourceWidth, int sourceHeight);

// Resamples the bitmap to W × H at 24 bits per pixel, in place. Each target pixel maps
// to the source position (SW·x/W − ½, SH·y/H − ½), clamped into the picture; a position
// on a whole pixel copies it, any other is the inverse-distance weighted mean of its two
// or four neighbours, each channel truncated (a whole mean stays whole despite the
// rounding of the weights). A pass at the same size therefore moves
// the picture by half a pixel. An Error when W × H is not a valid bitmap size.
void ResampleBitmap(Bitmap &bitmap, int width, int height);

// Loads the bytes of a BMP picture (as a picture column holds them) and returns it
// resampled to its FittedSize in the box, at 24 bits per pixel. The progress sink is
// pumped once, as the routine runs in long loops over a table. An Error when the bytes
// are not a readable BMP picture.
Bitmap ResizePictureToBox(
    const QByteArray &picture, int boxWidth, int boxHeight, ProgressSink &progress = noProgress());

// A white 24-bit canvas of W × H with the picture drawn at trunc((W − w) / 2),
// trunc((H − h) / 2); parts falling outside the canvas are clipped.
Bitmap PlaceOnWhiteCanvas(const Bitmap &picture, int width, int height);

} // namespace vivrelo
