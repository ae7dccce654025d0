#pragma once

#include "engine/image/QVDIB.h"

// The benchmarks' test picture: smooth per-channel shading, a bright ellipse
// where a face would be, fine texture and sensor noise, from a fixed seed, so
// codecs and caches see something close to a real portrait. False when the
// picture cannot be allocated.
bool MakePhoto(QVDIB& picture, int width, int height);
