#include "platform/list_collation.h"

#include <QList>
#include <QStringDecoder>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace tess {

namespace {

// Character classes in list order; never 0, so a weight's first byte is never 0
// and the 0 byte after the first level ends a shorter string before a longer one.
enum Class : std::uint32_t {
    ClassSymbol = 1,
    ClassDigit = 2,
    ClassLatin = 3,
    ClassOtherScript = 4,
    ClassKana = 5,
    ClassKanji = 6,
};

// Third-level flags; the higher bit decides first.
enum Variant : std::uint8_t {
    VariantUpper = 0x01,
    VariantSmallKana = 0x02,
    VariantKatakana = 0x04,
    VariantWidth = 0x08,   // a full-width Latin form or a half-width kana
    VariantCompat = 0x10,  // any other compatibility form (circled digits, ligatures)
};

// ASCII symbols in the order the Windows word sort gives them. "-" and "'" are
// not here: they weigh nothing at the first level.
constexpr char kSymbolOrder[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

std::uint32_t asciiSymbolRank(char32_t c)
{
    for (std::uint32_t i = 0; kSymbolOrder[i] != '\0'; ++i) {
        if (char32_t(static_cast<unsigned char>(kSymbolOrder[i])) == c)
            return 0x40 + i;
    }
    return c; // control characters, before every printable symbol
}

// Kanji follow their CP932 code, which puts the first JIS level in reading
// order as the Japanese sort of Windows does. Built once from Qt's CP932 codec.
const std::vector<std::uint16_t> &cp932Codes()
{
    static const std::vector<std::uint16_t> table = [] {
        std::vector<std::uint16_t> codes(0x10000, 0);
        QStringDecoder decoder("CP932");
        if (!decoder.isValid())
            return codes;
        QByteArray all;
        std::vector<std::uint16_t> order;
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (lead > 0x9F && lead < 0xE0)
                continue;
            for (int trail = 0x40; trail <= 0xFC; ++trail) {
                if (trail == 0x7F)
                    continue;
                all.append(char(lead)).append(char(trail)).append('\n');
                order.push_back(std::uint16_t(lead << 8 | trail));
            }
        }
        const QString text = decoder.decode(all);
        const QStringList pieces = text.split(QLatin1Char('\n'));
        for (std::size_t i = 0; i < order.size() && i < std::size_t(pieces.size()); ++i) {
            const QString &piece = pieces[qsizetype(i)];
            if (piece.size() != 1)
                continue;
            const char16_t u = piece[0].unicode();
            if (u == 0x1A || u == 0xFFFD || codes[u] != 0)
                continue; // invalid, or a duplicate of an earlier code (IBM and NEC extensions)
            codes[u] = order[i];
        }
        return codes;
    }();
    return table;
}

bool isKana(char32_t c)
{
    return (c >= 0x3041 && c <= 0x3096) || (c >= 0x309D && c <= 0x309F) || (c >= 0x30A1 && c <= 0x30FA)
        || (c >= 0x30FC && c <= 0x30FF) || (c >= 0x31F0 && c <= 0x31FF);
}

bool isMark(char32_t c)
{
    const auto category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining
        || category == QChar::Mark_Enclosing;
}

// Small katakana weigh as their full-size letters.
char32_t fullSizeKana(char32_t c, bool *small)
{
    *small = true;
    switch (c) {
    case 0x30A1: case 0x30A3: case 0x30A5: case 0x30A7: case 0x30A9:
    case 0x30C3: case 0x30E3: case 0x30E5: case 0x30E7: case 0x30EE:
        return c + 1;
    case 0x30F5: return 0x30AB;
    case 0x30F6: return 0x30B1;
    default:
        break;
    }
    if (c >= 0x31F0 && c <= 0x31FF) { // small katakana for Ainu: ㇰ ㇱ ... as ク シ ...
        static constexpr char16_t big[16] = {0x30AF, 0x30B7, 0x30B9, 0x30C8, 0x30CC, 0x30CF, 0x30D2, 0x30D5,
                                             0x30D8, 0x30DB, 0x30E0, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED};
        return big[c - 0x31F0];
    }
    *small = false;
    return c;
}

struct Element {
    std::uint32_t primary = 0;
    std::uint16_t secondary = 0;
    std::uint8_t tertiary = 0;
};

struct Ignored {
    std::uint16_t position; // elements before it
    std::uint8_t rank;
};

void appendBigEndian(QByteArray &key, std::uint32_t value, int bytes)
{
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8)
        key.append(char((value >> shift) & 0xFF));
}

} // namespace

QByteArray listBoxSortKey(const QString &text)
{
    std::vector<Element> elements;
    std::vector<Ignored> ignored;
    elements.reserve(std::size_t(text.size()));

    for (const char32_t original : text.toUcs4()) {
        const QChar::Decomposition tag = QChar::decompositionTag(original);
        std::uint8_t variant = 0;
        if (tag == QChar::Wide || tag == QChar::Narrow)
            variant |= VariantWidth;
        else if (tag != QChar::NoDecomposition && tag != QChar::Canonical)
            variant |= VariantCompat;
        if (original >= 0x3041 && original <= 0x309F)
            ; // hiragana: the plain form
        else if (isKana(original) || (original >= 0xFF66 && original <= 0xFF9D))
            variant |= VariantKatakana;

        // Width forms, ligatures and accented letters come apart into a base
        // and its marks: the base weighs at the first level, a mark (accent,
        // dakuten) at the second.
        const QString decomposed =
            QString::fromUcs4(&original, 1).normalized(QString::NormalizationForm_KD);
        for (const char32_t c : decomposed.toUcs4()) {
            if (isMark(c)) {
                if (!elements.empty()) {
                    if (elements.back().secondary == 0)
                        elements.back().secondary = std::uint16_t(c);
                    continue;
                }
                elements.push_back({(ClassSymbol << 24) | (0x100 + c), 0, variant});
                continue;
            }
            if (c == U'\'' || c == U'-') {
                ignored.push_back({std::uint16_t(qMin<std::size_t>(elements.size(), 0xFFFF)),
                                   std::uint8_t(c == U'\'' ? 1 : 2)});
                continue;
            }
            Element e;
            e.tertiary = variant;
            if (QChar::isUpper(c) || QChar::isTitleCase(c))
                e.tertiary |= VariantUpper;
            if (isKana(c)) {
                char32_t k = (c >= 0x3041 && c <= 0x309F) ? c + 0x60 : c; // hiragana as katakana
                bool small = false;
                k = fullSizeKana(k, &small);
                if (small)
                    e.tertiary |= VariantSmallKana;
                e.primary = (ClassKana << 24) | k;
            } else if (QChar::script(c) == QChar::Script_Han) {
                const std::uint16_t code = c < 0x10000 ? cp932Codes()[c] : 0;
                e.primary = (ClassKanji << 24) | (code != 0 ? code : 0x10000 + c);
            } else if (QChar::category(c) == QChar::Number_DecimalDigit) {
                e.primary = (ClassDigit << 24) | std::uint32_t(QChar::digitValue(c));
            } else if (QChar::isLetter(c)) {
                const std::uint32_t folded = QChar::toCaseFolded(c);
                e.primary = ((QChar::script(c) == QChar::Script_Latin ? ClassLatin : ClassOtherScript) << 24)
                    | folded;
            } else {
                e.primary = (ClassSymbol << 24) | (c < 0x80 ? asciiSymbolRank(c) : 0x100 + c);
            }
            elements.push_back(e);
        }
    }

    QByteArray key;
    key.reserve(qsizetype(elements.size() * 7 + ignored.size() * 3 + std::size_t(text.size()) * 2 + 8));
    for (const Element &e : elements)
        appendBigEndian(key, e.primary, 4);
    key.append('\0');
    for (const Element &e : elements)
        appendBigEndian(key, e.secondary, 2);
    key.append('\0');
    for (const Element &e : elements)
        key.append(char(e.tertiary));
    key.append('\0');
    // A name with fewer skipped "-" and "'" goes first; then where they stand.
    appendBigEndian(key, std::uint32_t(qMin<std::size_t>(ignored.size(), 0xFFFF)), 2);
    for (const Ignored &i : ignored) {
        appendBigEndian(key, i.position, 2);
        key.append(char(i.rank));
    }
    key.append('\0');
    // Strings equal at every level still differ somewhere: the code units decide.
    for (const QChar ch : text)
        appendBigEndian(key, ch.unicode(), 2);
    return key;
}

bool listBoxLess(const QString &a, const QString &b)
{
    return listBoxSortKey(a) < listBoxSortKey(b);
}

} // namespace tess
