#pragma once
// Screenshots the end-to-end tests keep for a person to look at.
#include <QDir>
#include <QImage>
#include <QString>

// Into TESS_SCREENSHOT_DIR when it is set, nowhere otherwise.
inline void keepScreenshot(const QImage &image, const QString &name)
{
    const QString folder = qEnvironmentVariable("TESS_SCREENSHOT_DIR");
    if (folder.isEmpty() || image.isNull())
        return;
    QDir().mkpath(folder);
    if (!image.save(QDir(folder).filePath(name + QStringLiteral(".png"))))
        qWarning("screenshot %s not saved", qPrintable(name));
}
