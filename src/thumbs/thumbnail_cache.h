#pragma once
#include "codecs/picture_codecs.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tess {

// The thumbnail cache the desktop shares (the freedesktop Thumbnail Managing
// Standard): one PNG per picture and flavour, named after the picture's URI,
// carrying what the picture was when it was made.

// A flavour: its folder and the longer side of its thumbnails.
struct CacheFlavour {
    const char *name;
    int side;
    friend bool operator==(const CacheFlavour &a, const CacheFlavour &b) { return a.side == b.side; }
};

// normal, large, x-large, xx-large.
const std::vector<CacheFlavour> &cacheFlavours();
// The flavours of a comma-separated list, largest last, each once; nothing
// when a name is not one. An empty list is normal and large.
std::optional<std::vector<CacheFlavour>> flavoursOf(const QString &list);

// file:// and the absolute path with every byte but the unreserved ones and
// "/&=:@+$,!'()*" percent-encoded in upper case: byte for byte the URI the
// desktop's GLib makes of a file name, so that the names match.
QByteArray fileUri(const QByteArray &absolutePath);

// The lower-case hexadecimal MD5 of the URI, and ".png".
QByteArray cacheFileName(const QByteArray &uri);

// $XDG_CACHE_HOME/thumbnails, or ~/.cache/thumbnails; empty when neither
// can be told.
QByteArray cacheRoot();

// What a picture file was when its entry was made.
struct SourceStamp {
    QByteArray uri;
    long long mtime = 0; // whole seconds
    long long size = 0;  // bytes
};

// The stamp of the file at that absolute path, or nothing when it can't be
// looked at.
std::optional<SourceStamp> stampOf(const QByteArray &absolutePath);

// The text chunks an entry carries.
std::vector<PngText> entryTexts(const SourceStamp &stamp, const QByteArray &mimeType, int width, int height,
                                const QByteArray &software);

// Whether the PNG at that path is an entry for the file as the stamp says it
// is now: its URI and MTime the same, and its Size too when it has one.
bool entryIsValid(const QByteArray &entryPath, const SourceStamp &stamp);

// Writes the bytes whole as `folder/name`, mode 0600, through a temporary
// name in the same folder, creating missing folders 0700. The cause when it
// can't.
std::optional<QString> writeEntry(const QByteArray &folder, const QByteArray &name, const QByteArray &bytes);

// The MIME type the desktop gives a picture by its name's ending, for
// Thumb::Mimetype; empty for an ending it names no type for here.
QByteArray mimeTypeOfName(const QByteArray &name);

} // namespace tess
