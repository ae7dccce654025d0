#pragma once

#include <QFile>

#include <sys/resource.h>

// Peak resident memory of this test process in KB.
inline long PeakRssKb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Linux lets a process restart its peak at the current size, so the peak of one
// call can be seen on its own. Without /proc the peak only grows, which makes
// checks weaker but not wrong.
inline void RestartPeakRss()
{
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
}
