#pragma once

#include <cstdint>
#include <functional>

// Told the number of bytes written so far as a save goes on; answering false
// cancels the save, which then changes nothing on disk.
using QVSaveProgress = std::function<bool(int64_t bytesWritten)>;
