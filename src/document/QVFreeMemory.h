#pragma once

#include <cstdint>
#include <functional>
#include <optional>

// Bytes of memory the machine can give a program now without swapping: the
// kernel's MemAvailable (/proc/meminfo). nullopt where it is not known.
std::optional<int64_t> QVFreeMemory();

// Replaces where the figure comes from (tests tell a machine of their own);
// an empty function restores the kernel's.
using QVFreeMemorySource = std::function<std::optional<int64_t>()>;
void QVSetFreeMemorySource(QVFreeMemorySource source);
