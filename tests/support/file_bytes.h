#pragma once
// Reading and writing whole files in tests.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace test_files {

// The file's bytes, or nothing when it cannot be read.
inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
