// Turns every bitmap of a folder (make_photos' pictures) into a camera raw of
// the same photo: a 14-bit RGGB mosaic with a black level. Every second one
// has a full-size JPEG preview, as cameras store it, and goes to FOLDER/preview;
// the others go to FOLDER/plain.
//   make_raws SOURCE_FOLDER FOLDER
#include "codecs/picture_codecs.h"
#include "support/decoded_picture.h"
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
    const QDir out(a[2]);
    if (!out.mkpath(QStringLiteral("preview")) || !out.mkpath(QStringLiteral("plain"))) {
        std::fprintf(stderr, "cannot make the folders of %s\n", qPrintable(a[2]));
        return 1;
    }
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
        const QString name = out.filePath((options.preview ? QStringLiteral("preview/") : QStringLiteral("plain/"))
                                          + QFileInfo(names[i]).completeBaseName() + QStringLiteral(".dng"));
        const QByteArray bytes = tess::testing::writeDng(photo.picture, options).bytes;
        QFile f(name);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
