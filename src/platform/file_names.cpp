#include "platform/file_names.h"

#include <QStringDecoder>
#include <QStringView>

#include <climits>
#include <optional>
#include <unistd.h>

namespace tess {

namespace {

constexpr char16_t kRawByteBase = 0xDC00;

bool isRawByte(char16_t c)
{
    return c >= 0xDC80 && c <= 0xDCFF;
}

// The length of the valid UTF-8 character at p, or 0. Overlong forms, encoded
// surrogates and code points past U+10FFFF are not valid: each of their bytes
// is kept raw, so they come back exactly.
int utf8Length(const uchar *p, qsizetype available)
{
    const uchar lead = p[0];
    if (lead < 0x80)
        return 1;
    int length = 0;
    char32_t code = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2, code = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, code = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, code = lead & 0x07, smallest = 0x10000;
    } else {
        return 0;
    }
    if (available < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (p[k] & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// Calls raw(byte) for each escaped byte and text(view) for each run between.
template <typename Raw, typename Text>
void walk(QStringView name, Raw raw, Text text)
{
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && QChar::isLowSurrogate(name[i + 1].unicode())) {
            ++i; // a real character beyond U+FFFF, whatever its low half
            continue;
        }
        if (!isRawByte(c))
            continue;
        if (i > runStart)
            text(name.mid(runStart, i - runStart));
        raw(uchar(c - kRawByteBase));
        runStart = i + 1;
    }
    if (runStart < name.size())
        text(name.mid(runStart));
}

// The bytes as Shift-JIS, when every byte belongs to a character and none of
// them is a private-use one (those show as empty boxes, no better than the
// bytes themselves).
std::optional<QString> cleanCp932(const QByteArray &bytes)
{
    // Stateless: a lead byte at the end is an error, not held for more input.
    QStringDecoder decoder("CP932", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return std::nullopt;
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == 0xFFFD || c == 0x1A || (c >= 0xE000 && c <= 0xF8FF))
            return std::nullopt;
    }
    return text;
}

void appendHex(QString &out, const char *prefix, unsigned value, int digits)
{
    out += QLatin1String(prefix);
    out += QStringLiteral("%1").arg(value, digits, 16, QLatin1Char('0')).toUpper();
}

// Raw bytes as \xE9 and control characters escaped, so nothing breaks the line.
QString escaped(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += text[i];
            out += text[++i];
            continue;
        }
        if (isRawByte(c))
            appendHex(out, "\\x", c - kRawByteBase, 2);
        else if (c == u'\n')
            out += QLatin1String("\\n");
        else if (c == u'\t')
            out += QLatin1String("\\t");
        else if (c == u'\r')
            out += QLatin1String("\\r");
        else if (c < 0x20 || c == 0x7F)
            appendHex(out, "\\x", c, 2);
        else if ((c >= 0x80 && c <= 0x9F) || c == 0x2028 || c == 0x2029 || QChar::isSurrogate(c))
            appendHex(out, "\\u", c, 4);
        else
            out += text[i];
    }
    return out;
}

QString displayPart(QStringView part)
{
    if (hasRawBytes(part.toString())) {
        if (const auto sjis = cleanCp932(nativePath(part.toString())))
            return escaped(*sjis);
    }
    return escaped(part);
}

} // namespace

QByteArray nativePath(const QString &path)
{
    QByteArray bytes;
    bytes.reserve(path.size());
    walk(
        path, [&](uchar byte) { bytes.append(char(byte)); },
        [&](QStringView text) {
            // A lone surrogate has no UTF-8 form; say so plainly rather than
            // leave the choice to the converter.
            qsizetype start = 0;
            for (qsizetype i = 0; i < text.size(); ++i) {
                const char16_t c = text[i].unicode();
                if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
                    ++i;
                    continue;
                }
                if (!QChar::isSurrogate(c))
                    continue;
                bytes.append(text.mid(start, i - start).toUtf8());
                bytes.append("\xEF\xBF\xBD");
                start = i + 1;
            }
            bytes.append(text.mid(start).toUtf8());
        });
    return bytes;
}

QString nameFromNative(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const uchar *>(bytes.constData());
    const qsizetype size = bytes.size();
    QString name;
    name.reserve(size);
    qsizetype runStart = 0;
    qsizetype i = 0;
    while (i < size) {
        const int length = utf8Length(p + i, size - i);
        if (length > 0) {
            i += length;
            continue;
        }
        if (i > runStart)
            name += QString::fromUtf8(bytes.constData() + runStart, i - runStart);
        name += QChar(char16_t(kRawByteBase + p[i]));
        runStart = ++i;
    }
    if (runStart < size)
        name += QString::fromUtf8(bytes.constData() + runStart, size - runStart);
    return name;
}

QString currentFolder()
{
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return QString();
    return nameFromNative(QByteArray(buffer));
}

bool hasRawBytes(const QString &name)
{
    bool found = false;
    walk(name, [&](uchar) { found = true; }, [](QStringView) {});
    return found;
}

QString displayName(const QString &name)
{
    QString shown;
    shown.reserve(name.size());
    qsizetype start = 0;
    for (;;) {
        const qsizetype slash = name.indexOf(QLatin1Char('/'), start);
        const qsizetype end = slash < 0 ? name.size() : slash;
        shown += displayPart(QStringView(name).mid(start, end - start));
        if (slash < 0)
            return shown;
        shown += QLatin1Char('/');
        start = slash + 1;
    }
}

} // namespace tess
