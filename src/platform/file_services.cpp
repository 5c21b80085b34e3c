#include "platform/file_services.h"
#include "platform/writes_in_flight.h"

#include "platform/file_names.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <QCoreApplication>

namespace tess {

namespace {

bool userInGroup(gid_t gid)
{
    if (gid == getegid())
        return true;
    const int count = getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(std::size_t(count), 0);
    const int got = getgroups(count, groups.data());
    for (int i = 0; i < got; ++i) {
        if (groups[std::size_t(i)] == gid)
            return true;
    }
    return false;
}

bool writableByPermissionBits(const struct stat &st)
{
    if (st.st_uid == geteuid())
        return (st.st_mode & S_IWUSR) != 0;
    if (userInGroup(st.st_gid))
        return (st.st_mode & S_IWGRP) != 0;
    return (st.st_mode & S_IWOTH) != 0;
}

QString lastComponent(const QString &path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
}

QString folderOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    if (slash < 0)
        return QStringLiteral(".");
    return slash == 0 ? QStringLiteral("/") : path.left(slash);
}

Failure writeFailure(const QString &path, int errorNumber)
{
    return {path, QCoreApplication::translate("FileServices", "ファイルを書き込めません。") + systemErrorText(errorNumber)};
}

bool writeAll(int fd, const char *data, qsizetype size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, std::size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

} // namespace

std::optional<int> fileAttributes(const QString &path)
{
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0)
        return std::nullopt;
    int attributes = lastComponent(path).startsWith(QLatin1Char('.')) ? AttributeHidden : 0;
    if (S_ISDIR(st.st_mode))
        attributes |= AttributeDirectory;
    else if (!S_ISREG(st.st_mode))
        attributes |= AttributeSystem;
    else
        attributes |= writableByPermissionBits(st) ? AttributeArchive : AttributeReadOnly;
    return attributes;
}

bool FileExists(const QString &path)
{
    QString name = path;
    if (name.endsWith(QLatin1Char('/')))
        name.chop(1);
    if (name.isEmpty())
        return false;
    // Non-blocking, so that a named pipe can't hold us.
    const int fd = ::open(nativePath(name).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    struct stat st {};
    const bool isFile = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    ::close(fd);
    return isFile;
}

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(nativePath(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

bool makeFolderPath(const QString &path)
{
    const QByteArray bytes = nativePath(path);
    for (qsizetype end = 1; end <= bytes.size(); ++end) {
        if (end < bytes.size() && bytes[end] != '/')
            continue;
        const QByteArray part = bytes.left(end);
        struct stat st {};
        if (::stat(part.constData(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                return false;
        } else if (::mkdir(part.constData(), 0777) != 0 && errno != EEXIST) {
            return false;
        }
    }
    return !bytes.isEmpty();
}

QString systemErrorText(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT: return QCoreApplication::translate("FileServices", "ファイルまたはフォルダが見つかりません。");
    case ENOTDIR: return QCoreApplication::translate("FileServices", "パスの途中がフォルダではありません。");
    case EISDIR: return QCoreApplication::translate("FileServices", "同じ名前のフォルダがあります。");
    case EACCES:
    case EPERM: return QCoreApplication::translate("FileServices", "アクセスが拒否されました。");
    case EROFS: return QCoreApplication::translate("FileServices", "読み取り専用の場所です。");
    case ENOSPC: return QCoreApplication::translate("FileServices", "ディスクの空き容量が足りません。");
    case EDQUOT: return QCoreApplication::translate("FileServices", "ディスクの割り当て量を超えました。");
    case EFBIG: return QCoreApplication::translate("FileServices", "ファイルが大きすぎます。");
    case ENAMETOOLONG: return QCoreApplication::translate("FileServices", "名前が長すぎます。");
    case ELOOP: return QCoreApplication::translate("FileServices", "シンボリックリンクが循環しています。");
    case EMFILE:
    case ENFILE: return QCoreApplication::translate("FileServices", "開いているファイルが多すぎます。");
    case ENOMEM: return QCoreApplication::translate("FileServices", "メモリが足りません。");
    case EIO: return QCoreApplication::translate("FileServices", "入出力エラーが発生しました。");
    case EBUSY: return QCoreApplication::translate("FileServices", "ファイルが使用中です。");
    case EINVAL: return QCoreApplication::translate("FileServices", "名前が正しくありません。");
    case EXDEV: return QCoreApplication::translate("FileServices", "別のドライブへは移動できません。");
    default:
        return QCoreApplication::translate("FileServices", "エラーが発生しました（%1: %2）。")
            .arg(errorNumber)
            .arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

namespace {

// A new file beside path, for data that is to replace it. -1 and errno set
// when the folder takes no new file.
int openTemporaryBeside(const QString &path, QByteArray &temporary)
{
    const QString folder = folderOf(path);
    for (int attempt = 0; attempt < 64; ++attempt) {
        temporary = nativePath(
            folder + QStringLiteral("/.tess-%1.tmp").arg(QRandomGenerator::global()->generate64(), 16, 16,
                                                          QLatin1Char('0')));
        // 0666 as an ordinary new file would get, narrowed by the umask.
        const int fd = openTemporaryFile(temporary, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Writes, flushes and closes the temporary file and renames it over target;
// on failure the temporary file is gone and the error is returned.
int commitTemporary(int fd, const QByteArray &temporary, const QByteArray &target, const QByteArray &data,
                    int error)
{
    if (error == 0 && !writeAll(fd, data.constData(), data.size()))
        error = errno;
    if (error == 0 && ::fdatasync(fd) != 0 && errno != EINVAL)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && !commitTemporaryFile(temporary, target))
        error = errno;
    if (error != 0)
        discardTemporaryFile(temporary);
    return error;
}

// The file itself takes the new bytes: its inode, links, mode and owner stay.
// Not atomic, so only for files that can't be replaced.
int writeInPlace(const QByteArray &target, const QByteArray &data)
{
    const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno;
    int error = 0;
    // Written before it is cut, so a failure leaves no shorter file than needed.
    if (!writeAll(fd, data.constData(), data.size()))
        error = errno;
    if (error == 0 && ::ftruncate(fd, off_t(data.size())) != 0)
        error = errno;
    if (error == 0 && ::fdatasync(fd) != 0 && errno != EINVAL)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    return error;
}

} // namespace

std::optional<Failure> writeFileAtomically(const QString &path, const QByteArray &data)
{
    const QByteArray target = nativePath(path);
    QByteArray temporary;
    const int fd = openTemporaryBeside(path, temporary);
    if (fd < 0)
        return writeFailure(path, errno);

    int error = 0;
    struct stat old {};
    if (::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    if (const int failed = commitTemporary(fd, temporary, target, data, error))
        return writeFailure(path, failed);
    return std::nullopt;
}

std::optional<Failure> rewriteFile(const QString &path, const QByteArray &data)
{
    const QByteArray target = nativePath(path);
    struct stat old {};
    if (::lstat(target.constData(), &old) != 0) {
        if (errno != ENOENT)
            return writeFailure(path, errno);
        QByteArray temporary;
        const int fd = openTemporaryBeside(path, temporary);
        if (fd < 0)
            return writeFailure(path, errno);
        if (const int failed = commitTemporary(fd, temporary, target, data, 0))
            return writeFailure(path, failed);
        return std::nullopt;
    }

    // Through a link, the file it leads to is the one to keep.
    const bool isLink = S_ISLNK(old.st_mode);
    if (isLink && ::stat(target.constData(), &old) != 0)
        return writeFailure(path, errno);
    if (S_ISDIR(old.st_mode))
        return writeFailure(path, EISDIR);
    if (!S_ISREG(old.st_mode))
        return writeFailure(path, EINVAL);
    if (!writableByPermissionBits(old))
        return writeFailure(path, EACCES);

    const auto inPlace = [&]() -> std::optional<Failure> {
        if (const int failed = writeInPlace(target, data))
            return writeFailure(path, failed);
        return std::nullopt;
    };
    // A replacement would leave the other names of the file, or the link, on
    // the old content.
    if (isLink || old.st_nlink > 1)
        return inPlace();

    QByteArray temporary;
    const int fd = openTemporaryBeside(path, temporary);
    if (fd < 0)
        return inPlace(); // a folder that refuses new files may still let its files change
    int error = 0;
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        error = errno;
    // Only the superuser may give a file away; anyone else keeps another
    // user's file by writing into it.
    if (error == 0 && (old.st_uid != geteuid() || old.st_gid != getegid())
        && ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        ::close(fd);
        discardTemporaryFile(temporary);
        return inPlace();
    }
    if (const int failed = commitTemporary(fd, temporary, target, data, error))
        return writeFailure(path, failed);
    return std::nullopt;
}

} // namespace tess
