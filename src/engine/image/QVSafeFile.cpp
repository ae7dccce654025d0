#include "QVSafeFile.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <sys/file.h>
#include <sys/stat.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kTemporaryInfix[] = ".unfinished-morvane-save-";
constexpr int kRandomCharacters = 6;
constexpr int kCreateAttempts = 100;
constexpr char kRandomAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kMaxFileNameBytes = NAME_MAX;
// A name too long to take the infix and the random part keeps its start and
// a hash of the whole, so that the left-overs of one long name are told apart
// from those of another that starts the same way.
constexpr int kHashCharacters = 8;

uint32_t Fnv1a(const QByteArray& bytes)
{
    uint32_t hash = 2166136261u;
    for (const char c : bytes) {
        hash ^= uint8_t(c);
        hash *= 16777619u;
    }
    return hash;
}

bool IsRandomPart(QStringView text)
{
    if (text.size() != kRandomCharacters)
        return false;
    for (const QChar c : text) {
        if (!(c >= QLatin1Char('A') && c <= QLatin1Char('Z')) &&
            !(c >= QLatin1Char('a') && c <= QLatin1Char('z')) &&
            !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
    }
    return true;
}

QByteArray Native(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

QVSafeFile::QVSafeFile(const QString& target, QVSaveProgress progress)
    : m_strTarget(target), m_progress(std::move(progress))
{
}

QVSafeFile::~QVSafeFile()
{
    Discard();
}

QString QVSafeFile::TemporaryPrefix(const QString& fileName)
{
    const QByteArray infix(kTemporaryInfix);
    QByteArray name = Native(fileName);
    const size_t room = kMaxFileNameBytes - size_t(infix.size()) - kRandomCharacters;
    if (size_t(name.size()) > room) {
        const QByteArray hash = QByteArray::number(Fnv1a(name), 16).rightJustified(kHashCharacters, '0');
        qsizetype keep = qsizetype(room) - 1 - kHashCharacters;
        // Cut on a character boundary: never inside a UTF-8 sequence.
        while (keep > 0 && (uint8_t(name.at(keep)) & 0xC0) == 0x80)
            --keep;
        name = name.left(keep) + '~' + hash;
    }
    return QFile::decodeName(name + infix);
}

bool QVSafeFile::Open()
{
    if (m_nFd >= 0 || isOpen())
        return false;

    // Saving through a link writes the file it names and keeps the link.
    QFileInfo target(m_strTarget);
    if (target.isSymLink()) {
        const QString resolved = target.canonicalFilePath();
        if (!resolved.isEmpty())
            target = QFileInfo(resolved);
    }
    m_strTarget = target.absoluteFilePath();

    struct stat old{};
    const bool replacing = ::stat(Native(m_strTarget).constData(), &old) == 0;
    if (replacing && !S_ISREG(old.st_mode))
        return false; // a folder or a device of that name is never replaced
    // Nor is a file marked read-only: the rename below would replace it
    // through its folder, which its marks do not stop (and root may write
    // any file).
    if (replacing && !(old.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        return false;

    const QString prefix = target.absolutePath() + QLatin1Char('/') + TemporaryPrefix(target.fileName());
    QRandomGenerator* random = QRandomGenerator::system();
    for (int attempt = 0; attempt < kCreateAttempts && m_nFd < 0; ++attempt) {
        QString name = prefix;
        for (int i = 0; i < kRandomCharacters; ++i)
            name += QLatin1Char(kRandomAlphabet[random->bounded(int(sizeof(kRandomAlphabet) - 1))]);
        m_nFd = ::open(Native(name).constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_nFd >= 0)
            m_strTemporary = name;
        else if (errno != EEXIST)
            return false;
    }
    if (m_nFd < 0)
        return false;

    // Held while the save runs: it tells a later save that this temporary is
    // not a left-over. Where locks are not supported the save goes on without.
    (void)::flock(m_nFd, LOCK_EX | LOCK_NB);
    if (replacing) {
        // The new file keeps the old one's permissions and, where allowed, its owner.
        (void)::fchmod(m_nFd, old.st_mode & 07777);
        if (::fchown(m_nFd, old.st_uid, old.st_gid) != 0)
            (void)::fchown(m_nFd, uid_t(-1), old.st_gid);
    }

    m_nSize = 0;
    m_nWritten = 0;
    m_bFailed = false;
    // Unbuffered: every write of the encoder reaches writeData at once, so
    // nothing is left in a buffer whose flush could fail unseen.
    if (!QIODevice::open(QIODevice::ReadWrite | QIODevice::Unbuffered)) {
        Discard();
        return false;
    }
    return true;
}

void QVSafeFile::Fail()
{
    m_bFailed = true;
}

qint64 QVSafeFile::writeData(const char* data, qint64 size)
{
    if (m_bFailed || m_nFd < 0 || size < 0)
        return -1;
    // The position is the one before this write: QIODevice moves it afterwards.
    const qint64 offset = pos();
    qint64 done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(m_nFd, data + done, size_t(size - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // A full disk, a file size limit, an I/O error: the file is not whole.
            Fail();
            return -1;
        }
        done += n;
    }
    m_nSize = std::max(m_nSize, offset + size);
    m_nWritten += size;
    if (m_progress && !m_progress(m_nWritten)) {
        Fail();
        return -1;
    }
    return size;
}

qint64 QVSafeFile::readData(char* data, qint64 maxSize)
{
    // Encoders that read back what they wrote (TIFF's directory) read the temporary.
    if (m_bFailed || m_nFd < 0)
        return -1;
    const qint64 offset = pos();
    const qint64 wanted = std::min(maxSize, std::max<qint64>(0, m_nSize - offset));
    qint64 done = 0;
    while (done < wanted) {
        const ssize_t n = ::pread(m_nFd, data + done, size_t(wanted - done), off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

bool QVSafeFile::Commit()
{
    if (m_nFd < 0)
        return false;
    QIODevice::close();
    bool whole = !m_bFailed;
    // The data must be on the disk before the name points at it, or a crash
    // right after the rename could leave an empty or partial file in its place.
    while (whole && ::fsync(m_nFd) != 0) {
        if (errno != EINTR)
            whole = false;
    }
    struct stat written{};
    if (whole && (::fstat(m_nFd, &written) != 0 || written.st_size != m_nSize))
        whole = false;
    // close reports write-back errors of some network file systems.
    const int fd = m_nFd;
    m_nFd = -1;
    if (::close(fd) != 0)
        whole = false;
    if (!whole || ::rename(Native(m_strTemporary).constData(), Native(m_strTarget).constData()) != 0) {
        ::unlink(Native(m_strTemporary).constData());
        m_strTemporary.clear();
        return false;
    }
    m_strTemporary.clear();

    // The rename itself is made durable by syncing the folder. The new file is
    // already in place and whole at this point, so a folder that cannot be
    // synced (some file systems refuse) does not make the save a failure.
    const int folder =
        ::open(Native(QFileInfo(m_strTarget).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        (void)::fsync(folder);
        ::close(folder);
    }
    RemoveStaleTemporaries();
    return true;
}

void QVSafeFile::Discard()
{
    if (isOpen())
        QIODevice::close();
    if (m_nFd >= 0) {
        ::close(m_nFd);
        m_nFd = -1;
    }
    if (!m_strTemporary.isEmpty()) {
        ::unlink(Native(m_strTemporary).constData());
        m_strTemporary.clear();
    }
}

void QVSafeFile::RemoveStaleTemporaries() const
{
    const QFileInfo target(m_strTarget);
    const QString prefix = TemporaryPrefix(target.fileName());
    const QDir folder = target.absoluteDir();
    // Every file is looked at: a name filter would read "[" or "*" in the
    // picture's own name as a pattern.
    const QStringList candidates = folder.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& name : candidates) {
        if (!name.startsWith(prefix) || !IsRandomPart(QStringView(name).mid(prefix.size())))
            continue;
        const QByteArray path = Native(folder.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat info{};
        // A save still running holds its lock: its temporary is not a left-over.
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
            !(::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK))
            ::unlink(path.constData());
        ::close(fd);
    }
}
