#pragma once
#include "platform/cp932.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace tess {

// A Windows private profile (INI) file held in memory, read and edited the way
// GetPrivateProfileStringA / WritePrivateProfileStringA do it:
//  - text in the ANSI code page (CP932); a file opening with a UTF-8 byte-order
//    mark is read and written as UTF-8 instead, mark kept, and so is an
//    unmarked one the caller recognises (see parse), written back unmarked;
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
    // The same, but an unmarked file is read as UTF-8 when its bytes are valid
    // UTF-8 and one of utf8KeyNames stands in it as a key name spelt in UTF-8.
    // Valid UTF-8 alone proves nothing: Japanese text in CP932 often is, and
    // the reverse too; the caller's own key names decide.
    static PrivateProfile parse(const QByteArray &bytes, const QStringList &utf8KeyNames);
    // The file's bytes: untouched lines exactly as parsed, changed and added
    // lines encoded in the document's encoding.
    QByteArray serialise() const;

    Encoding encoding() const { return encoding_; }

    // The value of the first matching key of the first matching section,
    // trimmed, quotes stripped, marker decoded, cut at a NUL; nothing when the
    // section or key is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;
    // The same for several keys of one section, found in one pass over the file.
    std::vector<std::optional<QString>> values(const QString &section, const QStringList &keys) const;

    // Calls visit(section, key) for every key line's section and key name, in
    // file order, trimmed as lookups trim them; a key before any section has an
    // empty section name. Nothing is gathered: a file of millions of keys costs
    // no more memory than one of them.
    void forEachKeyName(const std::function<void(const QString &section, const QString &key)> &visit) const;

    // GetPrivateProfileStringA: the value, or the default with trailing spaces
    // removed when missing, cut to bufferSize - 1 bytes. Bytes are counted in
    // CP932 whatever the file's encoding (so 127 kanji fit 255 bytes in a UTF-8
    // or UTF-16 file too); a character CP932 lacks counts as its UTF-8 bytes in
    // a CP932 file and as one byte in a Unicode one. A character is never
    // split: one that does not fit whole is dropped.
    QString readString(const QString &section, const QString &key, const QString &defaultValue,
                       int bufferSize) const;
    // The same for several keys of one section, in one pass.
    QStringList readStrings(const QString &section, const QStringList &keys, const QString &defaultValue,
                            int bufferSize) const;

    // WritePrivateProfileStringA with a value: sets the key, creating the key and
    // the section when missing. Blanks around the section and key names are
    // dropped; the value is stored verbatim (see the class comment for values
    // that cannot be).
    void setValue(const QString &section, const QString &key, const QString &value);
    // The same for several keys of one section, in one pass: as many setValue
    // calls in this order.
    void setValues(const QString &section, const std::vector<std::pair<QString, QString>> &keysAndValues);

    // A text as setValue should be given it to read back exactly: one stored
    // plainly that has blanks at either end, or is enclosed in a pair of
    // quotes, goes inside double quotes (which reading takes off); any other
    // (a marked one included) is itself. Numbers written with their leading
    // blank must not go through this.
    QString quotedForReading(const QString &text) const;

    // The document of a file: an empty one when the file does not exist,
    // nothing when it exists but cannot be read.
    static std::optional<PrivateProfile> load(const QString &path, const QStringList &utf8KeyNames = {});
    // Writes the whole document with rewriteFile: the old file is replaced in
    // one step where it can be, keeping its mode, owner and links, and written
    // in place where the folder takes no new file. Refuses a file the user may
    // not write by its permission bits. False on any failure; nothing is
    // thrown or shown.
    bool save(const QString &path) const;

private:
    // The file is held as its bytes and searched afresh for each lookup, so
    // that a huge file costs its size once and nothing per line. Positions are
    // byte offsets into body_; a UTF-16 file is searched in two-byte units.
    struct LineSpan {
        qsizetype begin = 0;      // first byte of the line
        qsizetype contentEnd = 0; // just before its line end
        qsizetype end = 0;        // just past its line end
    };
    enum class LineKind { Other, Section, Key };
    struct NameSpan {
        qsizetype begin = 0;
        qsizetype end = 0;
    };
    struct Sought;
    struct Located;

    qsizetype unitSize() const { return encoding_ == Encoding::Utf16 ? 2 : 1; }
    unsigned unitAt(qsizetype pos) const;
    bool nextLine(qsizetype &pos, LineSpan &line) const;
    LineKind classify(const LineSpan &line, NameSpan &name, qsizetype &valueStart) const;
    NameSpan trimmed(qsizetype begin, qsizetype end) const;
    Sought prepare(const QString &name) const;
    Located locate(const QString &section, const std::vector<Sought> &keys) const;

    QByteArray encode(const QString &text) const;
    QString decode(qsizetype begin, qsizetype end) const;
    QByteArray newLineEnd() const;
    QString storedForm(const QString &value) const;
    QString cutToBuffer(const QString &text, int bufferSize) const;
    bool hasKeyNamed(const QList<QByteArray> &names) const;

    Encoding encoding_ = Encoding::Cp932;
    QByteArray bom_;
    QByteArray body_; // the bytes between the byte-order mark and tail_
    QByteArray tail_; // the odd last byte of a UTF-16 file, kept as it was
};

// One-shot stand-ins for the Win32 calls, reading or rewriting the file each
// time. A write returns false when the file could not be written.
QString getPrivateProfileString(const QString &section, const QString &key, const QString &defaultValue,
                                int bufferSize, const QString &path);
bool writePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &path);

} // namespace tess
