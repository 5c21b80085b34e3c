// Camera raws are told from pictures by their content: the makers' own
// containers by their first bytes, raws that are TIFFs by what their
// directories hold, wherever in the chain or below it that is.
#include "codecs/raw_signature.h"

#include "support/picture_reading.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tess;
using namespace tess::testing;

namespace {

struct Entry {
    unsigned tag;
    unsigned type; // 3 SHORT, 4 LONG
    unsigned value;
};

// A classic TIFF whose directories follow its header one after another,
// each pointing at the next; `subAt` lets an entry's value be the offset of
// directory n (as a SubIFD names it).
class TiffBytes {
public:
    explicit TiffBytes(bool little) : m_little(little) {}
    TiffBytes &directory(std::vector<Entry> entries)
    {
        m_directories.push_back(std::move(entries));
        return *this;
    }
    static constexpr unsigned subAt(unsigned n) { return 0xFFFF0000u | n; }
    // Chained: each directory's next points at the following one, or loops
    // back to the first.
    QByteArray bytes(bool chained = true, bool loop = false) const
    {
        std::vector<unsigned> offsets;
        unsigned at = 8;
        for (const auto &d : m_directories) {
            offsets.push_back(at);
            at += 2 + 12 * unsigned(d.size()) + 4;
        }
        QByteArray out = m_little ? QByteArray("II*\0", 4) : QByteArray("MM\0*", 4);
        put32(out, offsets.empty() ? 0 : offsets[0]);
        for (std::size_t i = 0; i < m_directories.size(); ++i) {
            const auto &d = m_directories[i];
            put16(out, unsigned(d.size()));
            for (const Entry &e : d) {
                put16(out, e.tag);
                put16(out, e.type);
                put32(out, 1);
                const unsigned value = (e.value & 0xFFFF0000u) == 0xFFFF0000u ? offsets[e.value & 0xFFFF] : e.value;
                if (e.type == 3) {
                    put16(out, value);
                    put16(out, 0);
                } else {
                    put32(out, value);
                }
            }
            const bool last = i + 1 == m_directories.size();
            put32(out, !chained ? 0 : last ? (loop ? offsets[0] : 0) : offsets[i + 1]);
        }
        return out;
    }

private:
    void put16(QByteArray &out, unsigned v) const
    {
        const char b[2] = {char(m_little ? v : v >> 8), char(m_little ? v >> 8 : v)};
        out.append(b, 2);
    }
    void put32(QByteArray &out, unsigned v) const
    {
        put16(out, m_little ? v & 0xFFFF : v >> 16);
        put16(out, m_little ? v >> 16 : v & 0xFFFF);
    }
    bool m_little;
    std::vector<std::vector<Entry>> m_directories;
};

constexpr unsigned kCompression = 259, kPhotometric = 262, kSubIfds = 330, kDngVersion = 50706, kWidth = 256;
constexpr unsigned kShort = 3, kLong = 4;
const Entry kRgb = {kPhotometric, kShort, 2};
const Entry kLzw = {kCompression, kShort, 5};
const Entry kCfa = {kPhotometric, kShort, 32803};

QByteArray padded(QByteArray head) { return head + QByteArray(64, '\0'); }

struct SignatureCase {
    const char *name;
    QByteArray bytes;
    bool raw;
};

std::vector<SignatureCase> signatureCases()
{
    return {
        {"CanonCrw", padded(QByteArray("II\x1a\0\0\0HEAPCCDR", 14)), true},
        {"CanonCr3", padded(QByteArray("\0\0\0\x18" "ftypcrx ", 12)), true},
        {"FujifilmRaf", padded("FUJIFILMCCD-RAW 0201"), true},
        {"OlympusOrf", padded(QByteArray("IIRO\x08\0\0\0", 8)), true},
        {"PanasonicRw2", padded(QByteArray("IIU\0\x08\0\0\0", 8)), true},
        {"MinoltaMrw", padded(QByteArray("\0MRM\0\0\0\0", 8)), true},
        {"SigmaX3f", padded("FOVb"), true},
        {"PhaseOneIiq", padded("IIII"), true},
        {"CanonCr2", padded(QByteArray("II*\0\x10\0\0\0" "CR\x02\0", 12)), true},
        {"Heic", padded(QByteArray("\0\0\0\x18" "ftypheic", 12)), false},
        {"Jpeg", padded("\xFF\xD8\xFF\xE0"), false},
        {"DngLittle", TiffBytes(true).directory({{kWidth, kLong, 8}, {kDngVersion, kLong, 0x01040000}}).bytes(), true},
        {"DngBig", TiffBytes(false).directory({{kDngVersion, kLong, 0x01040000}}).bytes(), true},
        {"MosaicInFirst", TiffBytes(true).directory({kCfa}).bytes(), true},
        {"MosaicInSubIfd",
         TiffBytes(false).directory({kRgb, {kSubIfds, kLong, TiffBytes::subAt(1)}}).directory({kCfa}).bytes(false),
         true},
        {"LinearRawSecond", TiffBytes(true).directory({kRgb}).directory({{kPhotometric, kShort, 34892}}).bytes(),
         true},
        {"NikonCoding", TiffBytes(true).directory({{kCompression, kShort, 34713}}).bytes(), true},
        {"PentaxCoding", TiffBytes(false).directory({{kCompression, kShort, 65535}}).bytes(), true},
        // A DNG's version counts in its first directory only.
        {"VersionBelowFirst", TiffBytes(true).directory({kRgb}).directory({{kDngVersion, kLong, 1}}).bytes(), false},
        {"PlainLzw", TiffBytes(true).directory({kRgb, kLzw}).directory({kRgb, kLzw}).bytes(), false},
        {"PlainLooping", TiffBytes(false).directory({kRgb}).directory({kRgb}).bytes(true, true), false},
        {"DirectoryPastTheEnd", QByteArray("II*\0\xF0\xFF\0\0", 8) + QByteArray(64, '\0'), false},
        {"BigTiff", padded(QByteArray("II+\0\x08\0\0\0", 8)), false},
        {"Empty", QByteArray(), false},
    };
}

class RawSignature : public ::testing::TestWithParam<SignatureCase> {};

TEST_P(RawSignature, TellsRawsFromPictures)
{
    const SignatureCase &c = GetParam();
    EXPECT_EQ(isCameraRaw(pictureFileOf(c.bytes)), c.raw);
}

INSTANTIATE_TEST_SUITE_P(Files, RawSignature, ::testing::ValuesIn(signatureCases()),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
