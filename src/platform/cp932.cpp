#include "platform/cp932.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace tess {

namespace {

constexpr char kCodePage[] = "CP932";
constexpr char16_t kDefaultCharacter = u'\u30FB';

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The Unicode character Windows gives a single byte where ICU's differs, or 0.
char16_t windowsSingle(unsigned char b)
{
    switch (b) {
    case 0x1A: return u'\u001A';
    case 0x1C: return u'\u001C';
    case 0x7F: return u'\u007F';
    case 0x80: return u'\u0080';
    case 0xA0: return u'\uF8F0';
    case 0xFD: return u'\uF8F1';
    case 0xFE: return u'\uF8F2';
    case 0xFF: return u'\uF8F3';
    default: return 0;
    }
}

// The byte Windows writes for a character where ICU's differs, or -1.
int windowsByte(char16_t c)
{
    switch (c) {
    case u'\u001A': return 0x1A;
    case u'\u001C': return 0x1C;
    case u'\u007F': return 0x7F;
    case u'\u0080': return 0x80;
    case u'\uF8F0': return 0xA0;
    case u'\uF8F1': return 0xFD;
    case u'\uF8F2': return 0xFE;
    case u'\uF8F3': return 0xFF;
    default: return -1;
    }
}

} // namespace

QString decodeCp932(const QByteArray &bytes)
{
    QStringDecoder decoder(kCodePage, QStringConverter::Flag::Stateless);
    QString out;
    out.reserve(bytes.size());
    const qsizetype n = bytes.size();
    qsizetype runStart = 0;
    qsizetype i = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart)
            out += decoder.decode(QByteArrayView(bytes.constData() + runStart, end - runStart));
    };
    while (i < n) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (isLeadByte(b)) {
            if (i + 1 < n) {
                i += 2;
                continue;
            }
            flush(i);
            out += QChar(kDefaultCharacter);
            runStart = ++i;
            continue;
        }
        if (const char16_t c = windowsSingle(b)) {
            flush(i);
            out += QChar(c);
            runStart = ++i;
            continue;
        }
        ++i;
    }
    flush(n);
    return out;
}

QByteArray encodeCp932(const QString &text, bool *ok)
{
    QStringEncoder encoder(kCodePage, QStringConverter::Flag::Stateless);
    QByteArray out;
    out.reserve(text.size() * 2);
    bool good = true;
    qsizetype runStart = 0;
    const auto flush = [&](qsizetype end) {
        if (end > runStart) {
            out += QByteArray(encoder.encode(QStringView(text).mid(runStart, end - runStart)));
            good = good && !encoder.hasError();
        }
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int byte = windowsByte(text[i].unicode());
        if (byte < 0)
            continue;
        flush(i);
        out += char(byte);
        runStart = i + 1;
    }
    flush(text.size());
    if (ok)
        *ok = good;
    return out;
}

bool fitsCp932(const QString &text)
{
    bool ok = false;
    const QByteArray bytes = encodeCp932(text, &ok);
    return ok && decodeCp932(bytes) == text;
}

} // namespace tess
