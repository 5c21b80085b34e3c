#pragma once
// Reading and writing whole files in tests.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <unistd.h>

namespace test_files {

// The file's bytes, nothing when it cannot be opened or read (a folder
// included). By the path's bytes, so that a name that is not UTF-8 is read too.
inline std::optional<QByteArray> fileBytes(const QByteArray &nativePath)
{
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

inline std::optional<QByteArray> fileBytes(const QString &path)
{
    return fileBytes(QFile::encodeName(path));
}

// A marker for readBytes: a comparison of a file that cannot be read with the
// bytes expected then fails visibly, where an empty file and a missing one
// would both give nothing.
inline const QByteArray kUnreadable("<unreadable>");

// The file's bytes, or unreadable when it cannot be read.
inline QByteArray readBytes(const QString &path, const QByteArray &unreadable = QByteArray())
{
    return fileBytes(path).value_or(unreadable);
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Text as the settings file stores it.
inline QByteArray cp932(const QString &text)
{
    QStringEncoder encoder("CP932");
    QByteArray bytes = encoder.encode(text);
    EXPECT_FALSE(encoder.hasError()) << text.toStdString();
    return bytes;
}

} // namespace test_files
