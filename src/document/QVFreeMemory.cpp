#include "QVFreeMemory.h"

#include <QByteArray>
#include <QFile>

namespace {

QVFreeMemorySource& Source()
{
    static QVFreeMemorySource source;
    return source;
}

std::optional<int64_t> KernelMemAvailable()
{
    // A file of the kernel's own making: its size reads as 0 and QFile takes
    // it for empty at once, so it is read whole, to the end of the data.
    QFile meminfo(QStringLiteral("/proc/meminfo"));
    if (!meminfo.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    static constexpr char kEntry[] = "MemAvailable:";
    for (const QByteArray& line : meminfo.readAll().split('\n')) {
        if (!line.startsWith(kEntry))
            continue;
        // "MemAvailable:   12345678 kB"
        const QList<QByteArray> fields = line.mid(sizeof(kEntry) - 1).simplified().split(' ');
        bool ok = false;
        const qint64 kilobytes = fields.value(0).toLongLong(&ok);
        if (!ok || kilobytes < 0 || fields.value(1) != "kB")
            return std::nullopt;
        return int64_t(kilobytes) * 1024;
    }
    return std::nullopt;
}

} // namespace

std::optional<int64_t> QVFreeMemory()
{
    return Source() ? Source()() : KernelMemAvailable();
}

void QVSetFreeMemorySource(QVFreeMemorySource source)
{
    Source() = std::move(source);
}
