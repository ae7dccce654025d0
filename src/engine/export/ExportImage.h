#pragma once

#include "engine/image/QVRect.h"

class QVDIB;

// Pixel operations that compose the exported pictures. Rectangles are in image
// coordinates (storage rows, row 0 at the bottom) and half-open. A destination
// is replaced only through Create or CopyFrom.

// Bilinear resampling to width x height with no half-pixel offset: the left
// column and bottom row of both pictures coincide. Equal sizes copy exactly.
[[nodiscard]] bool ResizeImage(QVDIB* destination, const QVDIB* source, int width, int height);

// Cuts rect out of source, clipped to the source; an empty result is refused
// with the destination untouched.
[[nodiscard]] bool CropImage(const QVDIB* source, QVDIB* destination, const QVRect& rect);

// Joins two pictures of equal size: first on the left (leftRight) or on top.
[[nodiscard]] bool CombineImages(QVDIB* destination, const QVDIB* first, const QVDIB* second,
                                 bool leftRight);

// Stamps label with its bottom-left corner 10 pixels in from the picture's
// left and bottom edges, blended with alpha in (0, 1], cut off at the right and
// top edges of a small picture.
[[nodiscard]] bool DrawLabel(QVDIB* picture, const QVDIB* label, double alpha);
