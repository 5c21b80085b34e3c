#pragma once
// Running tessarolith-thumbnailer as file managers do, and reading the PNGs
// desktop thumbnails are.
#include <QImage>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

namespace desktop_thumbs {

inline QString thumbnailerProgram()
{
    return QStringLiteral(TESS_BIN_DIR "/tessarolith-thumbnailer");
}

struct Ran {
    int exitCode = -1; // -1 when it crashed or did not end
    QString err;
};

inline Ran run(const QString &program, const QStringList &args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

// bubblewrap's arguments as GNOME gives them for a thumbnailer, and the
// program itself, not installed in /usr, bound where the sandbox sees it.
inline QStringList gnomeSandbox(const QString &input, const QString &folder, const QString &extension, int size)
{
    const QString inside = QStringLiteral("/tmp/gnome-desktop-file-to-thumbnail.") + extension;
    return {"--ro-bind", "/usr", "/usr", "--ro-bind", "/etc/ld.so.cache", "/etc/ld.so.cache",
            "--symlink", "usr/bin", "/bin", "--symlink", "usr/lib", "/lib", "--symlink", "usr/lib64", "/lib64",
            "--symlink", "usr/sbin", "/sbin", "--proc", "/proc", "--dev", "/dev", "--chdir", "/",
            "--setenv", "GIO_USE_VFS", "local", "--unshare-all", "--die-with-parent",
            "--bind", folder, "/tmp", "--ro-bind", input, inside,
            "--ro-bind", thumbnailerProgram(), "/run/tessarolith-thumbnailer",
            "/run/tessarolith-thumbnailer", "-s", QString::number(size), "file://" + inside,
            "/tmp/gnome-desktop-thumbnailer.png"};
}

// Whether bubblewrap can make a sandbox here at all: it needs user
// namespaces, which a container may withhold even from root.
inline bool sandboxesWork()
{
    return run("bwrap", {"--ro-bind", "/", "/", "--unshare-all", "true"}).exitCode == 0;
}

// Lowest and highest alpha, and the mean red, green and blue, of a picture.
struct PixelSummary {
    int lowAlpha = 255, highAlpha = 0;
    std::array<double, 3> mean{};
};

inline PixelSummary summaryOf(const QImage &image)
{
    PixelSummary s;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb p = argb.pixel(x, y);
            s.lowAlpha = std::min(s.lowAlpha, qAlpha(p));
            s.highAlpha = std::max(s.highAlpha, qAlpha(p));
            s.mean[0] += qRed(p);
            s.mean[1] += qGreen(p);
            s.mean[2] += qBlue(p);
        }
    }
    for (double &m : s.mean)
        m /= double(argb.width()) * argb.height();
    return s;
}

} // namespace desktop_thumbs

namespace desktop_thumbs {

struct PngChunk {
    QByteArray type;
    QByteArray data;
};

// A PNG's chunks in file order; empty when the bytes are no PNG.
inline std::vector<PngChunk> pngChunks(const QByteArray &png)
{
    std::vector<PngChunk> chunks;
    if (!png.startsWith("\x89PNG\r\n\x1a\n"))
        return chunks;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const auto byte = [&](qsizetype i) { return quint32(quint8(png[at + i])); };
        const quint32 length = byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
        if (at + 12 + qsizetype(length) > png.size())
            break;
        chunks.push_back({png.mid(at + 4, 4), png.mid(at + 8, qsizetype(length))});
        at += 12 + qsizetype(length);
    }
    return chunks;
}

// What `gio info` says of a file: its URI and the thumbnail GLib finds for it.
struct GioView {
    QString uri;
    QString thumbnailPath;
    QString valid; // "TRUE" or "FALSE", empty when GLib names no thumbnail
};

inline GioView gioInfo(const QByteArray &nativePath, const QStringList &environment)
{
    // A name that is not UTF-8 can't pass through a QString: the shell
    // rebuilds its bytes from octal escapes.
    QString escaped;
    for (const char c : nativePath) {
        const auto byte = quint8(c);
        if (byte >= 0x20 && byte < 0x7F && c != '\\' && c != '%')
            escaped.append(QLatin1Char(c));
        else
            escaped.append(QStringLiteral("\\0%1").arg(byte, 3, 8, QLatin1Char('0')));
    }
    QProcess p;
    p.setEnvironment(environment);
    p.start("sh", {"-c", "exec gio info -a standard::name,thumbnail::path,thumbnail::is-valid \"$(printf '%b' \"$1\")\"",
                   "sh", escaped});
    p.waitForFinished(30000);
    GioView view;
    for (const QByteArray &line : p.readAllStandardOutput().split('\n')) {
        const QString text = QString::fromUtf8(line.trimmed());
        if (text.startsWith("uri: "))
            view.uri = text.mid(5);
        else if (text.startsWith("thumbnail::path: "))
            view.thumbnailPath = text.mid(17);
        else if (text.startsWith("thumbnail::is-valid: "))
            view.valid = text.mid(21);
    }
    return view;
}

} // namespace desktop_thumbs
