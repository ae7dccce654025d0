// A save run in a process of its own whose files may not grow past a limit,
// the way a disk that fills up mid-save cuts the writes short.
//   save_under_file_limit <picture to load> <path to save to> <largest file size in bytes> [--die]
// Exit status: 0 when SaveToFile reported success, 1 when it reported failure,
// 2 when the picture could not be loaded or the limit could not be set. With
// --die the process is killed by the first write past the limit, as a save
// killed midway would be.

#include "engine/image/QVDIB.h"

#include <QCoreApplication>
#include <QString>

#include <sys/resource.h>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    // Qt's image plugins are found through the application.
    QCoreApplication app(argc, argv);
    const bool die = argc == 5 && std::strcmp(argv[4], "--die") == 0;
    if (argc != 4 && !die) {
        std::fprintf(stderr, "usage: %s picture target limit [--die]\n", argv[0]);
        return 2;
    }
    QVDIB picture;
    if (!picture.LoadFromFile(QString::fromLocal8Bit(argv[1])))
        return 2;

    // A write past the limit then fails with EFBIG instead of killing the process.
    if (!die)
        std::signal(SIGXFSZ, SIG_IGN);
    const rlim_t limit = std::strtoull(argv[3], nullptr, 10);
    const rlimit fileLimit{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &fileLimit) != 0)
        return 2;

#if defined(__SANITIZE_ADDRESS__)
    // Qt's PNG writer leaks its row pointers when a write fails; the leak
    // checker would turn this process's answer into an abort.
    __lsan_disable();
#endif
    return QVDIB::SaveToFile(&picture, QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
