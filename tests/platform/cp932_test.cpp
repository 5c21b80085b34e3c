#include "platform/cp932.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

struct Cp932Case {
    const char *what;
    QByteArray bytes;
    QString text;
    bool roundTrips; // the text encodes back to the same bytes
};

void PrintTo(const Cp932Case &c, std::ostream *os)
{
    *os << c.what;
}

class Cp932AsWindows : public testing::TestWithParam<Cp932Case> {};

TEST_P(Cp932AsWindows, DecodesAndEncodesTheByteAsWindowsDoes)
{
    const Cp932Case &c = GetParam();
    EXPECT_EQ(decodeCp932(c.bytes), c.text);
    if (c.roundTrips) {
        bool ok = false;
        EXPECT_EQ(encodeCp932(c.text, &ok), c.bytes);
        EXPECT_TRUE(ok);
        EXPECT_TRUE(fitsCp932(c.text));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bytes, Cp932AsWindows,
    testing::Values(Cp932Case{"0x1A", QByteArray("a\x1A" "b"), u"a\u001Ab"_qs, true},
                    Cp932Case{"0x1C", QByteArray("a\x1C" "b"), u"a\u001Cb"_qs, true},
                    Cp932Case{"0x7F", QByteArray("a\x7F" "b"), u"a\u007Fb"_qs, true},
                    Cp932Case{"0x80", QByteArray("a\x80" "b"), u"a\u0080b"_qs, true},
                    Cp932Case{"0xA0", QByteArray("\xA0"), u"\uF8F0"_qs, true},
                    Cp932Case{"0xFD to 0xFF", QByteArray("\xFD\xFE\xFF"), u"\uF8F1\uF8F2\uF8F3"_qs, true},
                    Cp932Case{"among kanji", QByteArray("\x95\x9D\x80\x8D\x82"), u"幅\u0080高"_qs, true},
                    Cp932Case{"a 0x80 trail byte is part of its kanji", QByteArray("\x81\x80"), u"÷"_qs, true},
                    Cp932Case{"lead byte at the end", QByteArray("ab\x81"), u"ab\u30FB"_qs, false},
                    Cp932Case{"lead byte alone", QByteArray("\xE0"), u"\u30FB"_qs, false},
                    Cp932Case{"0x5C stays a backslash", QByteArray("C:\\pics"), u"C:\\pics"_qs, true},
                    Cp932Case{"kanji with a 0x5C trail byte", QByteArray("\x8D\x5C"), u"構"_qs, true},
                    Cp932Case{"half-width katakana", QByteArray("\xBB\xD1"), u"ｻﾑ"_qs, true},
                    Cp932Case{"empty", QByteArray(), QString(), true}));

TEST(Cp932, CharactersItLacksAreNotFits)
{
    for (const QString &text : {u"€"_qs, u"😀"_qs, u"a\u0081"_qs, u"〜"_qs}) {
        bool ok = true;
        encodeCp932(text, &ok);
        EXPECT_FALSE(ok) << text.toStdString();
        EXPECT_FALSE(fitsCp932(text)) << text.toStdString();
    }
}

} // namespace
