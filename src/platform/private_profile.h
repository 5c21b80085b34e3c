#pragma once
#include "platform/cp932.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace tess {

// A Windows private profile (INI) file held in memory, read and edited the way
// GetPrivateProfileStringA / WritePrivateProfileStringA do it:
//  - text in the ANSI code page (CP932); a file opening with a UTF-8 byte-order
//    mark is read and written as UTF-8 instead, mark kept;
//  - CRLF, LF and CR line ends are all read; lines we add end like the file's
//    first line (CRLF in a new file);
//  - section and key names match case-insensitively, blanks (space, tab,
//    vertical tab) around names and values are dropped, one pair of matching
//    outer quotes is stripped from a value, ';' starts a comment line, text
//    before the first section and after ']' is ignored, the first of repeated
//    keys or sections wins;
//  - a write replaces the value of the key in place, appends a new key after the
//    section's last key line and a new section at the end of the file, and keeps
//    every other byte of the file as it was.
//
// Values that the file's code page cannot hold (say "😀" or "€" in a CP932 file),
// or that hold a line break or NUL, or that begin with the marker itself (also
// behind blanks or inside quotes, which reading drops), are
// stored as kUtf8Marker followed by their UTF-8 bytes percent-encoded
// ("{utf-8}%E2%82%AC"), and read back decoded. The marker cannot come from a
// plain write, so such a value always reads back as written, while a file whose
// values all fit CP932 stays byte for byte what Windows would have written.
class PrivateProfile
{
public:
    enum class Encoding { Cp932, Utf8, Utf16 };

    static constexpr QLatin1StringView kUtf8Marker{"{utf-8}"};

    // An empty CP932 document: what a missing file reads as.
    PrivateProfile() = default;

    // Splits and decodes the bytes of a file. Never fails: lines that are
    // neither sections nor keys are kept as they are.
    static PrivateProfile parse(const QByteArray &bytes);
    // The file's bytes: untouched lines exactly as parsed, changed and added
    // lines encoded in the document's encoding.
    QByteArray serialise() const;

    Encoding encoding() const { return encoding_; }

    // The value of the first matching key of the first matching section,
    // trimmed, quotes stripped, marker decoded, cut at a NUL; nothing when the
    // section or key is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;

    // GetPrivateProfileStringA: the value, or the default with trailing spaces
    // removed when missing, cut to bufferSize - 1 bytes. Bytes are counted in
    // CP932 whatever the file's encoding (so 127 kanji fit 255 bytes in a UTF-8
    // or UTF-16 file too); a character CP932 lacks counts as its UTF-8 bytes in
    // a CP932 file and as one byte in a Unicode one. A character is never
    // split: one that does not fit whole is dropped.
    QString readString(const QString &section, const QString &key, const QString &defaultValue,
                       int bufferSize) const;

    // WritePrivateProfileStringA with a value: sets the key, creating the key and
    // the section when missing. Blanks around the section and key names are
    // dropped; the value is stored verbatim (see the class comment for values
    // that cannot be).
    void setValue(const QString &section, const QString &key, const QString &value);

    // A text as setValue should be given it to read back exactly: one with
    // blanks at either end, or enclosed in a pair of quotes, goes inside
    // double quotes (which reading takes off); any other is itself. Numbers
    // written with their leading blank must not go through this.
    static QString quotedForReading(const QString &text);

    // The document of a file: an empty one when the file does not exist,
    // nothing when it exists but cannot be read.
    static std::optional<PrivateProfile> load(const QString &path);
    // Writes the whole document with rewriteFile: the old file is replaced in
    // one step where it can be, keeping its mode, owner and links, and written
    // in place where the folder takes no new file. Refuses a file the user may
    // not write by its permission bits. False on any failure; nothing is
    // thrown or shown.
    bool save(const QString &path) const;

private:
    struct Line {
        enum class Kind { Other, Section, Key };
        QByteArray raw; // the line's bytes without its line end
        QByteArray end; // "\r\n", "\n", "\r", or empty for an unterminated last line
        QString text;   // raw decoded
        Kind kind = Kind::Other;
        QString name;              // section or key name, trimmed
        qsizetype valueStart = -1; // for keys: index in text just past the '='
    };

    QByteArray encode(const QString &text) const;
    QString decode(const QByteArray &bytes) const;
    QByteArray newLineEnd() const;
    // Index of the section's header line, or -1.
    qsizetype findSection(const QString &section) const;
    // Index of the key's line within the section starting at sectionLine, or -1;
    // lastKeyLine receives the section's last key line (or its header).
    qsizetype findKey(qsizetype sectionLine, const QString &key, qsizetype *lastKeyLine) const;
    QString storedForm(const QString &value) const;
    Line makeLine(const QString &text) const;
    static void classify(Line &line, bool inSection);

    Encoding encoding_ = Encoding::Cp932;
    QByteArray bom_;
    std::vector<Line> lines_;
};


// One-shot stand-ins for the Win32 calls, reading or rewriting the file each
// time. A write returns false when the file could not be written.
QString getPrivateProfileString(const QString &section, const QString &key, const QString &defaultValue,
                                int bufferSize, const QString &path);
bool writePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &path);

} // namespace tess
