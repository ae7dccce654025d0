#pragma once

#include "engine/image/QVCpu.h"
#include "engine/warp/QVWarpControl.h"

#include <cstddef>
#include <cstdint>

class QVRegionMask;

// Everything one rendering of a deformation stroke needs. The control record
// is a copy, so the compiler knows that stores through the byte pointers
// cannot change it.
struct QVWarpJob
{
    QVWarpControl warp;
    const QVRegionMask* cover = nullptr;   // set when only content inside it moves
    const QVRegionMask* becover = nullptr; // set when only pixels inside it change
    const uint8_t* source = nullptr;
    uint8_t* target = nullptr;
    int width = 0;
    int height = 0;
    size_t stride = 0;
    int bytes = 0;
    // The square being repainted.
    int columnFrom = 0;
    int columnTo = 0;
};

// Renders rows [rowFrom, rowTo) of the job's square into the target. Rows are
// independent of each other, so any split of the square's rows between
// threads gives the same picture.
using QVWarpRowsFunction = void (*)(const QVWarpJob& job, int rowFrom, int rowTo);

// The row renderer of the current vector path (QVCpu.h), or the plain loop
// where the vector code does not apply; every one writes the same bytes.
QVWarpRowsFunction QVChooseWarpRows(const QVWarpJob& job);
