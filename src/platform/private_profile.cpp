#include "platform/private_profile.h"

#include "platform/cp932.h"
#include "platform/file_services.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

namespace tess {

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v';
}

// Blanks around names and values in the file: space, tab, vertical tab.
QString trimBlanks(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Names passed by the caller lose only their spaces, not tabs.
QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString stripQuotes(const QString &value)
{
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') && value.back() == value.front())
        return value.mid(1, value.size() - 2);
    return value;
}

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString decodeMarked(const QString &stored)
{
    const QString body = stored.mid(PrivateProfile::kUtf8Marker.size());
    return QString::fromUtf8(QByteArray::fromPercentEncoding(body.toUtf8()));
}

} // namespace

QByteArray PrivateProfile::encode(const QString &text) const
{
    if (encoding_ != Encoding::Cp932)
        return text.toUtf8();
    return encodeCp932(text);
}

QString PrivateProfile::decode(const QByteArray &bytes) const
{
    if (encoding_ != Encoding::Cp932)
        return QString::fromUtf8(bytes);
    return decodeCp932(bytes);
}

void PrivateProfile::classify(Line &line, bool inSection)
{
    line.kind = Line::Kind::Other;
    line.name.clear();
    line.valueStart = -1;
    const QString text = trimBlanks(line.text);
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u']');
        if (close > 0) {
            line.kind = Line::Kind::Section;
            line.name = trimBlanks(text.mid(1, close - 1));
        }
        return;
    }
    if (!inSection || text.startsWith(u';'))
        return;
    const qsizetype equals = line.text.indexOf(u'=');
    if (equals < 0)
        return;
    line.kind = Line::Kind::Key;
    line.name = trimBlanks(line.text.left(equals));
    line.valueStart = equals + 1;
}

PrivateProfile PrivateProfile::parse(const QByteArray &bytes)
{
    PrivateProfile doc;
    QByteArray body = bytes;
    static const QByteArray utf8Bom("\xEF\xBB\xBF");
    static const QByteArray utf16Bom("\xFF\xFE");
    if (bytes.startsWith(utf8Bom)) {
        doc.encoding_ = Encoding::Utf8;
        doc.bom_ = utf8Bom;
        body = bytes.mid(utf8Bom.size());
    } else if (bytes.startsWith(utf16Bom)) {
        // Windows reads such a file as Unicode. It is held as UTF-8 here and
        // turned back into UTF-16 when written, so nothing of it is lost.
        doc.encoding_ = Encoding::Utf16;
        doc.bom_ = utf16Bom;
        QStringDecoder fromUtf16(QStringConverter::Utf16LE);
        body = QString(fromUtf16.decode(bytes.mid(utf16Bom.size()))).toUtf8();
    }

    // CR and LF bytes never occur inside a CP932 or UTF-8 character (CP932
    // trail bytes start at 0x40), so the bytes can be cut into lines before
    // decoding. Each line is then decoded whole; '=' and '\' are only looked
    // for in the decoded text.
    bool inSection = false;
    const qsizetype n = body.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype j = i;
        while (j < n && body[j] != '\r' && body[j] != '\n')
            ++j;
        Line line;
        line.raw = body.mid(i, j - i);
        if (j < n) {
            const qsizetype endLength = (body[j] == '\r' && j + 1 < n && body[j + 1] == '\n') ? 2 : 1;
            line.end = body.mid(j, endLength);
            j += endLength;
        }
        line.text = doc.decode(line.raw);
        classify(line, inSection);
        if (line.kind == Line::Kind::Section)
            inSection = true;
        doc.lines_.push_back(std::move(line));
        i = j;
    }
    return doc;
}

QByteArray PrivateProfile::serialise() const
{
    QByteArray out;
    for (const Line &line : lines_) {
        out += line.raw;
        out += line.end;
    }
    if (encoding_ == Encoding::Utf16) {
        QStringEncoder toUtf16(QStringConverter::Utf16LE);
        return bom_ + QByteArray(toUtf16.encode(QString::fromUtf8(out)));
    }
    return bom_ + out;
}

QByteArray PrivateProfile::newLineEnd() const
{
    for (const Line &line : lines_) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return QByteArrayLiteral("\r\n");
}

qsizetype PrivateProfile::findSection(const QString &section) const
{
    for (qsizetype i = 0; i < qsizetype(lines_.size()); ++i) {
        if (lines_[i].kind == Line::Kind::Section && sameName(lines_[i].name, section))
            return i;
    }
    return -1;
}

qsizetype PrivateProfile::findKey(qsizetype sectionLine, const QString &key, qsizetype *lastKeyLine) const
{
    qsizetype found = -1;
    qsizetype last = sectionLine;
    for (qsizetype i = sectionLine + 1; i < qsizetype(lines_.size()); ++i) {
        const Line &line = lines_[i];
        if (line.kind == Line::Kind::Section)
            break;
        if (line.kind != Line::Kind::Key)
            continue;
        last = i;
        if (found < 0 && sameName(line.name, key))
            found = i;
    }
    if (lastKeyLine)
        *lastKeyLine = last;
    return found;
}

std::optional<QString> PrivateProfile::value(const QString &section, const QString &key) const
{
    const qsizetype sectionLine = findSection(trimSpaces(section));
    if (sectionLine < 0)
        return std::nullopt;
    const qsizetype keyLine = findKey(sectionLine, trimSpaces(key), nullptr);
    if (keyLine < 0)
        return std::nullopt;
    const Line &line = lines_[keyLine];
    QString stored = stripQuotes(trimBlanks(line.text.mid(line.valueStart)));
    if (stored.startsWith(kUtf8Marker))
        return decodeMarked(stored);
    // The caller's buffer ends at the first NUL: the text before it is the value.
    if (const qsizetype nul = stored.indexOf(QChar(0)); nul >= 0)
        stored.truncate(nul);
    return stored;
}

QString PrivateProfile::readString(const QString &section, const QString &key, const QString &defaultValue,
                                   int bufferSize) const
{
    QString text;
    if (const auto found = value(section, key)) {
        text = *found;
    } else {
        text = defaultValue;
        while (text.endsWith(u' '))
            text.chop(1);
    }

    const qsizetype limit = bufferSize - 1;
    if (limit <= 0)
        return {};
    qsizetype bytes = 0;
    qsizetype cut = 0;
    while (cut < text.size()) {
        const qsizetype width = (text[cut].isHighSurrogate() && cut + 1 < text.size()) ? 2 : 1;
        const QString character = text.mid(cut, width);
        // Counted in CP932 whatever the file's encoding, as the ANSI call hands
        // the value over. A character CP932 lacks counts as its UTF-8 bytes in
        // a CP932 file (where it is stored so) and as the one "?" the call would
        // make of it in a Unicode file.
        qsizetype size = 1;
        if (character[0].unicode() >= 0x80) {
            if (fitsCp932(character))
                size = encodeCp932(character).size();
            else if (encoding_ == Encoding::Cp932)
                size = character.toUtf8().size();
        }
        if (bytes + size > limit)
            break;
        bytes += size;
        cut += width;
    }
    return text.left(cut);
}

QString PrivateProfile::storedForm(const QString &value) const
{
    // A value that would read as marked once its blanks and quotes are dropped
    // must be marked itself, or it would be decoded on the way back.
    const bool unstorable = stripQuotes(trimBlanks(value)).startsWith(kUtf8Marker) || value.contains(u'\r')
                            || value.contains(u'\n')
                            || value.contains(QChar(0)) || (encoding_ == Encoding::Cp932 && !fitsCp932(value));
    if (!unstorable)
        return value;
    return kUtf8Marker + QString::fromLatin1(value.toUtf8().toPercentEncoding("/:"));
}

QString PrivateProfile::quotedForReading(const QString &text)
{
    // Reading drops the blanks around a value and one pair of outer quotes;
    // inside a pair of quotes both survive, as the reader takes off the pair.
    if (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back()) || stripQuotes(text) != text))
        return u'"' + text + u'"';
    return text;
}

PrivateProfile::Line PrivateProfile::makeLine(const QString &text) const
{
    Line line;
    line.text = text;
    line.raw = encode(text);
    line.end = newLineEnd();
    classify(line, true);
    return line;
}

void PrivateProfile::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionName = trimSpaces(section);
    const QString keyName = trimSpaces(key);
    const QString stored = storedForm(value);

    const qsizetype sectionLine = findSection(sectionName);
    if (sectionLine < 0) {
        const QByteArray end = newLineEnd();
        if (!lines_.empty() && lines_.back().end.isEmpty())
            lines_.back().end = end;
        lines_.push_back(makeLine(u'[' + sectionName + u']'));
        lines_.push_back(makeLine(keyName + u'=' + stored));
        return;
    }

    qsizetype lastKeyLine = sectionLine;
    const qsizetype keyLine = findKey(sectionLine, keyName, &lastKeyLine);
    if (keyLine >= 0) {
        // The key keeps its own spelling and the blanks around it.
        Line &line = lines_[keyLine];
        line.text = line.text.left(line.valueStart) + stored;
        line.raw = encode(line.text);
        return;
    }

    Line line = makeLine(keyName + u'=' + stored);
    Line &after = lines_[lastKeyLine];
    if (after.end.isEmpty())
        after.end = line.end;
    lines_.insert(lines_.begin() + lastKeyLine + 1, std::move(line));
}

std::optional<PrivateProfile> PrivateProfile::load(const QString &path)
{
    if (!QFileInfo::exists(path))
        return PrivateProfile();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return parse(bytes);
}

bool PrivateProfile::save(const QString &path) const
{
    return !rewriteFile(path, serialise()).has_value();
}

QString getPrivateProfileString(const QString &section, const QString &key, const QString &defaultValue,
                                int bufferSize, const QString &path)
{
    const PrivateProfile doc = PrivateProfile::load(path).value_or(PrivateProfile());
    return doc.readString(section, key, defaultValue, bufferSize);
}

bool writePrivateProfileString(const QString &section, const QString &key, const QString &value,
                               const QString &path)
{
    auto doc = PrivateProfile::load(path);
    if (!doc)
        return false;
    doc->setValue(section, key, value);
    return doc->save(path);
}

} // namespace tess
