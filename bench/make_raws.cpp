// Turns every bitmap of a folder (make_photos' pictures) into a camera raw of
// the same photo: a 14-bit RGGB mosaic with a black level, every second one
// with a full-size JPEG preview as cameras store it.
//   make_raws SOURCE_FOLDER FOLDER
#include "codecs/picture_codecs.h"
#include "support/dng_writer.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.size() != 3) {
        std::fputs("usage: make_raws SOURCE_FOLDER FOLDER\n", stderr);
        return 2;
    }
    QDir().mkpath(a[2]);
    const QStringList names = QDir(a[1]).entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
    for (int i = 0; i < names.size(); ++i) {
        const tess::DecodedPicture photo = tess::decodePictureFile(QDir(a[1]).filePath(names[i]));
        if (!photo.ok()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(names[i]));
            return 1;
        }
        tess::testing::DngOptions options;
        options.black = 512;
        if (i % 2 == 0)
            options.preview = photo.picture;
        const QString name = QDir(a[2]).filePath(QFileInfo(names[i]).completeBaseName() + QStringLiteral(".dng"));
        const QByteArray bytes = tess::testing::writeDng(photo.picture, options).bytes;
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
