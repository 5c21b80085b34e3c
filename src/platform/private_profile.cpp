#include "platform/private_profile.h"

#include "platform/cp932.h"
#include "platform/file_names.h"
#include "platform/file_services.h"

#include <QFile>
#include <QHash>

#include <algorithm>
#include <cstring>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

QString decodeMarked(const QString &stored)
{
    const QString body = stored.mid(PrivateProfile::kUtf8Marker.size());
    // As a file name's bytes: a save folder whose name is not UTF-8 comes back whole.
    return nameFromNative(QByteArray::fromPercentEncoding(body.toUtf8()));
}

} // namespace

namespace {

bool isBlankUnit(unsigned u)
{
    return u == ' ' || u == '\t' || u == '\v';
}

bool isCp932Lead(unsigned b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isAsciiLatin1(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

qsizetype codePoints(QStringView text)
{
    qsizetype n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
    }
    return n;
}

} // namespace

// A name asked for, prepared once for the many lines it is compared with.
struct PrivateProfile::Sought {
    QString name;        // spaces trimmed, as the caller's argument is
    QByteArray encoded;  // in the file's encoding, when it has one
    QByteArray folded;   // ASCII case-folded form, when that is all ASCII
    qsizetype points = 0;
};

struct PrivateProfile::Located {
    qsizetype header = -1;        // start of the section's header line, or -1
    LineSpan lastKeyLine;         // the section's last key line, or its header
    std::vector<LineSpan> lines;  // per key: its line (begin < 0: missing)
    std::vector<qsizetype> valueStarts;
};

PrivateProfile::Sought PrivateProfile::prepare(const QString &name) const
{
    Sought s;
    s.name = name;
    if (encoding_ != Encoding::Cp932 || fitsCp932(name))
        s.encoded = encode(name);
    const QString folded = name.toCaseFolded();
    if (isAsciiLatin1(folded))
        s.folded = folded.toLatin1();
    s.points = codePoints(name);
    return s;
}

unsigned PrivateProfile::unitAt(qsizetype pos) const
{
    const auto *b = reinterpret_cast<const unsigned char *>(body_.constData());
    if (encoding_ == Encoding::Utf16)
        return unsigned(b[pos]) | (unsigned(b[pos + 1]) << 8);
    return b[pos];
}

bool PrivateProfile::nextLine(qsizetype &pos, LineSpan &line) const
{
    const qsizetype n = body_.size();
    if (pos >= n)
        return false;
    const qsizetype step = unitSize();
    line.begin = pos;
    qsizetype p = pos;
    if (step == 1) {
        const char *b = body_.constData();
        while (p < n && b[p] != '\r' && b[p] != '\n')
            ++p;
    } else {
        while (p < n) {
            const unsigned u = unitAt(p);
            if (u == '\r' || u == '\n')
                break;
            p += step;
        }
    }
    line.contentEnd = p;
    if (p < n) {
        const bool crlf = unitAt(p) == '\r' && p + step < n && unitAt(p + step) == '\n';
        p += crlf ? 2 * step : step;
    }
    line.end = p;
    pos = p;
    return true;
}

PrivateProfile::NameSpan PrivateProfile::trimmed(qsizetype begin, qsizetype end) const
{
    const qsizetype step = unitSize();
    while (begin < end && isBlankUnit(unitAt(begin)))
        begin += step;
    while (end > begin && isBlankUnit(unitAt(end - step)))
        end -= step;
    return {begin, end};
}

PrivateProfile::LineKind PrivateProfile::classify(const LineSpan &line, NameSpan &name, qsizetype &valueStart) const
{
    // The ASCII marks looked for here never occur inside a CP932 character,
    // except ']' (a possible trail byte), which is therefore looked for
    // character by character.
    const qsizetype step = unitSize();
    const NameSpan text = trimmed(line.begin, line.contentEnd);
    if (text.begin < text.end && unitAt(text.begin) == '[') {
        qsizetype p = text.begin + step;
        while (p < text.end && unitAt(p) != ']')
            p += (encoding_ == Encoding::Cp932 && isCp932Lead(unitAt(p))) ? 2 : step;
        if (p >= text.end)
            return LineKind::Other;
        name = trimmed(text.begin + step, p);
        return LineKind::Section;
    }
    if (text.begin < text.end && unitAt(text.begin) == ';')
        return LineKind::Other;
    for (qsizetype p = line.begin; p < line.contentEnd; p += step) {
        if (unitAt(p) == '=') {
            name = trimmed(line.begin, p);
            valueStart = p + step;
            return LineKind::Key;
        }
    }
    return LineKind::Other;
}

QByteArray PrivateProfile::encode(const QString &text) const
{
    switch (encoding_) {
    case Encoding::Cp932: return encodeCp932(text);
    case Encoding::Utf8: return text.toUtf8();
    case Encoding::Utf16: {
        // Code unit for code unit: a lone surrogate stays what it was.
        QByteArray out(text.size() * 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const char16_t u = text[i].unicode();
            out[2 * i] = char(u & 0xFF);
            out[2 * i + 1] = char(u >> 8);
        }
        return out;
    }
    }
    return {};
}

QString PrivateProfile::decode(qsizetype begin, qsizetype end) const
{
    switch (encoding_) {
    case Encoding::Cp932: {
        // Code page 932 reads every byte below 0x80 as that character, and a
        // file of junk keys is mostly such names: they skip the converter,
        // which is costly to set up for each short name.
        const QByteArrayView bytes(body_.constData() + begin, end - begin);
        if (std::all_of(bytes.begin(), bytes.end(), [](char b) { return (unsigned char)b < 0x80; }))
            return QString::fromLatin1(bytes);
        return decodeCp932(bytes.toByteArray());
    }
    case Encoding::Utf8: return QString::fromUtf8(body_.constData() + begin, end - begin);
    case Encoding::Utf16: {
        QString out((end - begin) / 2, Qt::Uninitialized);
        for (qsizetype i = 0; i < out.size(); ++i)
            out[i] = QChar(char16_t(unitAt(begin + 2 * i)));
        return out;
    }
    }
    return {};
}

PrivateProfile PrivateProfile::parse(const QByteArray &bytes)
{
    PrivateProfile doc;
    static const QByteArray utf8Bom("\xEF\xBB\xBF");
    static const QByteArray utf16Bom("\xFF\xFE");
    if (bytes.startsWith(utf8Bom)) {
        doc.encoding_ = Encoding::Utf8;
        doc.bom_ = utf8Bom;
        doc.body_ = bytes.mid(utf8Bom.size());
    } else if (bytes.startsWith(utf16Bom)) {
        // Windows reads such a file as Unicode; it is searched and edited in
        // its own code units, so nothing of it is lost, an odd last byte
        // included.
        doc.encoding_ = Encoding::Utf16;
        doc.bom_ = utf16Bom;
        const qsizetype length = bytes.size() - utf16Bom.size();
        doc.body_ = bytes.mid(utf16Bom.size(), length & ~qsizetype(1));
        if (length & 1)
            doc.tail_ = bytes.right(1);
    } else {
        doc.body_ = bytes;
    }
    return doc;
}

PrivateProfile PrivateProfile::parse(const QByteArray &bytes, const QStringList &utf8KeyNames)
{
    PrivateProfile doc = parse(bytes);
    if (doc.encoding_ != Encoding::Cp932 || utf8KeyNames.isEmpty() || !bytes.isValidUtf8())
        return doc;
    QList<QByteArray> names;
    for (const QString &name : utf8KeyNames)
        names.append(trimSpaces(name).toUtf8());
    doc.encoding_ = Encoding::Utf8;
    if (!doc.hasKeyNamed(names))
        doc.encoding_ = Encoding::Cp932;
    return doc;
}

bool PrivateProfile::hasKeyNamed(const QList<QByteArray> &names) const
{
    qsizetype pos = 0;
    LineSpan line;
    NameSpan name;
    qsizetype valueStart = 0;
    while (nextLine(pos, line)) {
        if (classify(line, name, valueStart) != LineKind::Key)
            continue;
        const QByteArrayView spelt(body_.constData() + name.begin, name.end - name.begin);
        if (std::any_of(names.begin(), names.end(), [&](const QByteArray &n) { return spelt == n; }))
            return true;
    }
    return false;
}

void PrivateProfile::forEachKeyName(const std::function<void(const QString &, const QString &)> &visit) const
{
    // Junk repeats itself, and setting up the code page's converter for each
    // name costs more than the rest of its line: a name's text is remembered
    // by its bytes, up to a point.
    constexpr qsizetype kRemembered = 4096;
    QHash<QByteArray, QString> remembered;
    const auto nameText = [&](const NameSpan &span) {
        const QByteArray bytes = QByteArray::fromRawData(body_.constData() + span.begin, span.end - span.begin);
        if (const auto seen = remembered.constFind(bytes); seen != remembered.cend())
            return seen.value();
        const QString text = decode(span.begin, span.end);
        if (remembered.size() < kRemembered)
            remembered.insert(QByteArray(bytes.constData(), bytes.size()), text);
        return text;
    };
    QString section;
    qsizetype pos = 0;
    LineSpan line;
    NameSpan name;
    qsizetype valueStart = 0;
    while (nextLine(pos, line)) {
        switch (classify(line, name, valueStart)) {
        case LineKind::Section: section = nameText(name); break;
        case LineKind::Key: visit(section, nameText(name)); break;
        case LineKind::Other: break;
        }
    }
}

QByteArray PrivateProfile::serialise() const
{
    return bom_ + body_ + tail_;
}

QByteArray PrivateProfile::newLineEnd() const
{
    qsizetype pos = 0;
    LineSpan line;
    if (nextLine(pos, line) && line.end > line.contentEnd)
        return body_.mid(line.contentEnd, line.end - line.contentEnd);
    return encode(QStringLiteral("\r\n"));
}

PrivateProfile::Located PrivateProfile::locate(const QString &section, const std::vector<Sought> &keys) const
{
    Located found;
    found.lines.assign(keys.size(), LineSpan{-1, -1, -1});
    found.valueStarts.assign(keys.size(), -1);

    const QString sectionName = trimSpaces(section);
    // Whether a name is the one sought, decided from its bytes where that is
    // safe; otherwise (a name with non-ASCII characters that may fold) from
    // its text, decoded once per line, not once per key.
    enum class Verdict { Yes, No, Decode };
    const auto quick = [&](const NameSpan &name, const Sought &sought) {
        const qsizetype length = name.end - name.begin;
        if (!sought.encoded.isNull() && length == sought.encoded.size()
            && std::memcmp(body_.constData() + name.begin, sought.encoded.constData(), std::size_t(length)) == 0)
            return Verdict::Yes;
        const qsizetype step = unitSize();
        bool ascii = true;
        for (qsizetype p = name.begin; p < name.end && ascii; p += step)
            ascii = unitAt(p) < 0x80;
        if (ascii) {
            if (sought.folded.isNull() || length / step != sought.folded.size())
                return Verdict::No;
            for (qsizetype i = 0; i < sought.folded.size(); ++i) {
                const unsigned u = unitAt(name.begin + i * step);
                const char lower = char(u >= 'A' && u <= 'Z' ? u + 32 : u);
                if (lower != sought.folded[i])
                    return Verdict::No;
            }
            return Verdict::Yes;
        }
        // A character takes one to four bytes (one or two units in UTF-16),
        // and folding keeps the number of characters.
        if (length < sought.points * step || length > sought.points * 4)
            return Verdict::No;
        return Verdict::Decode;
    };
    std::optional<QString> decoded;
    const auto matches = [&](const NameSpan &name, const Sought &sought) {
        switch (quick(name, sought)) {
        case Verdict::Yes: return true;
        case Verdict::No: return false;
        case Verdict::Decode: break;
        }
        if (!decoded)
            decoded = decode(name.begin, name.end);
        return decoded->compare(sought.name, Qt::CaseInsensitive) == 0;
    };
    // Junk repeats itself: what a name's bytes matched is remembered, up to a point.
    constexpr qsizetype kRemembered = 4096;
    QHash<QByteArray, int> remembered;
    const Sought wanted = prepare(sectionName);

    qsizetype pos = 0;
    LineSpan line;
    NameSpan name;
    qsizetype valueStart = -1;
    while (nextLine(pos, line)) {
        decoded.reset();
        if (classify(line, name, valueStart) == LineKind::Section && matches(name, wanted)) {
            found.header = line.begin;
            found.lastKeyLine = line;
            break;
        }
    }
    if (found.header < 0)
        return found;

    std::size_t missing = keys.size();
    while (nextLine(pos, line)) {
        const LineKind kind = classify(line, name, valueStart);
        if (kind == LineKind::Section)
            break;
        if (kind != LineKind::Key)
            continue;
        found.lastKeyLine = line;
        if (missing == 0)
            continue;
        decoded.reset();
        const QByteArray bytes = QByteArray::fromRawData(body_.constData() + name.begin, name.end - name.begin);
        const auto seen = remembered.constFind(bytes);
        int hit = -1;
        if (seen != remembered.cend()) {
            hit = seen.value();
        } else {
            for (std::size_t k = 0; k < keys.size() && hit < 0; ++k) {
                if (matches(name, keys[k]))
                    hit = int(k);
            }
            if (remembered.size() < kRemembered)
                remembered.insert(QByteArray(bytes.constData(), bytes.size()), hit);
        }
        // Names that match one key match no other (keys differ), so the first
        // is all there is; a key already found keeps its first line.
        if (hit >= 0 && found.lines[std::size_t(hit)].begin < 0) {
            found.lines[std::size_t(hit)] = line;
            found.valueStarts[std::size_t(hit)] = valueStart;
            --missing;
        }
    }
    return found;
}

std::vector<std::optional<QString>> PrivateProfile::values(const QString &section, const QStringList &keys) const
{
    // A key asked for twice (in any case) is looked up once.
    std::vector<Sought> sought;
    std::vector<std::size_t> lookup;
    for (const QString &key : keys) {
        const QString name = trimSpaces(key);
        const auto same = std::find_if(sought.begin(), sought.end(), [&](const Sought &s) {
            return s.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        lookup.push_back(std::size_t(same - sought.begin()));
        if (same == sought.end())
            sought.push_back(prepare(name));
    }
    const Located found = locate(section, sought);
    std::vector<std::optional<QString>> out(lookup.size());
    for (std::size_t i = 0; i < lookup.size(); ++i) {
        const std::size_t k = lookup[i];
        if (found.lines[k].begin < 0)
            continue;
        QString stored = stripQuotes(trimBlanks(decode(found.valueStarts[k], found.lines[k].contentEnd)));
        if (stored.startsWith(kUtf8Marker)) {
            out[i] = decodeMarked(stored);
            continue;
        }
        // The caller's buffer ends at the first NUL: the text before it is the value.
        if (const qsizetype nul = stored.indexOf(QChar(0)); nul >= 0)
            stored.truncate(nul);
        out[i] = stored;
    }
    return out;
}

std::optional<QString> PrivateProfile::value(const QString &section, const QString &key) const
{
    return values(section, QStringList{key}).front();
}

QString PrivateProfile::cutToBuffer(const QString &text, int bufferSize) const
{
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

QStringList PrivateProfile::readStrings(const QString &section, const QStringList &keys, const QString &defaultValue,
                                        int bufferSize) const
{
    QString fallback = defaultValue;
    while (fallback.endsWith(u' '))
        fallback.chop(1);
    QStringList out;
    for (const auto &found : values(section, keys))
        out.append(cutToBuffer(found.value_or(fallback), bufferSize));
    return out;
}

QString PrivateProfile::readString(const QString &section, const QString &key, const QString &defaultValue,
                                   int bufferSize) const
{
    return readStrings(section, QStringList{key}, defaultValue, bufferSize).front();
}

QString PrivateProfile::storedForm(const QString &value) const
{
    // A value that would read as marked once its blanks and quotes are dropped
    // must be marked itself, or it would be decoded on the way back.
    const bool unstorable = stripQuotes(trimBlanks(value)).startsWith(kUtf8Marker) || value.contains(u'\r')
                            || value.contains(u'\n') || value.contains(QChar(0)) || hasRawBytes(value)
                            || (encoding_ == Encoding::Cp932 && !fitsCp932(value));
    if (!unstorable)
        return value;
    return kUtf8Marker + QString::fromLatin1(nativePath(value).toPercentEncoding("/:"));
}

QString PrivateProfile::quotedForReading(const QString &text) const
{
    // A text that is marked keeps everything as it is.
    if (storedForm(text) != text)
        return text;
    // Reading drops the blanks around a value and one pair of outer quotes;
    // inside a pair of quotes both survive, as the reader takes off the pair.
    if (!text.isEmpty() && (isBlank(text.front()) || isBlank(text.back()) || stripQuotes(text) != text))
        return u'"' + text + u'"';
    return text;
}

void PrivateProfile::setValue(const QString &section, const QString &key, const QString &value)
{
    setValues(section, {{key, value}});
}

void PrivateProfile::setValues(const QString &section, const std::vector<std::pair<QString, QString>> &keysAndValues)
{
    const QString sectionName = trimSpaces(section);
    // A key named twice takes its last value, as two calls would leave it.
    std::vector<Sought> sought;
    std::vector<QString> stored;
    for (const auto &[key, value] : keysAndValues) {
        const QString name = trimSpaces(key);
        auto same = std::find_if(sought.begin(), sought.end(), [&](const Sought &s) {
            return s.name.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (same != sought.end()) {
            stored[std::size_t(same - sought.begin())] = storedForm(value);
            continue;
        }
        sought.push_back(prepare(name));
        stored.push_back(storedForm(value));
    }

    const QByteArray end = newLineEnd();
    const Located found = locate(sectionName, sought);
    QByteArray added;
    for (std::size_t k = 0; k < sought.size(); ++k) {
        if (found.header < 0 || found.lines[k].begin < 0)
            added += encode(sought[k].name + u'=' + stored[k]) + end;
    }

    if (found.header < 0) {
        if (!body_.isEmpty()) {
            qsizetype pos = 0;
            LineSpan line;
            LineSpan last;
            // Only the last line matters; the scan is the price of not indexing.
            while (nextLine(pos, line))
                last = line;
            if (last.end == last.contentEnd)
                body_ += end;
        }
        body_ += encode(u'[' + sectionName + u']') + end + added;
        return;
    }

    // From the back, so that the offsets found stay right.
    if (!added.isEmpty()) {
        const LineSpan &after = found.lastKeyLine;
        if (after.end == after.contentEnd)
            added.prepend(end);
        body_.insert(after.end, added);
    }
    std::vector<std::size_t> order;
    for (std::size_t k = 0; k < sought.size(); ++k) {
        if (found.lines[k].begin >= 0)
            order.push_back(k);
    }
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return found.valueStarts[a] > found.valueStarts[b]; });
    for (std::size_t k : order) {
        // The key keeps its own spelling and the blanks around it.
        const qsizetype from = found.valueStarts[k];
        body_.replace(from, found.lines[k].contentEnd - from, encode(stored[k]));
    }
}

std::optional<PrivateProfile> PrivateProfile::load(const QString &path, const QStringList &utf8KeyNames)
{
    // By its bytes, so that a program folder whose name is not UTF-8 still
    // finds its settings.
    const int fd = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? std::optional<PrivateProfile>(PrivateProfile()) : std::nullopt;
    struct stat st {};
    QFile file;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)
        || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return parse(bytes, utf8KeyNames);
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
