#include "platform/list_collation.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tess;

// Readable names in failure messages.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

QStringList sortedAsListBox(QStringList names)
{
    std::sort(names.begin(), names.end(), listBoxLess);
    return names;
}

struct OrderCase {
    const char *what;
    QStringList expected; // already in list-box order
};

class ListBoxOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(ListBoxOrder, SortsIntoTheGivenOrderFromAnyStart)
{
    const OrderCase &c = GetParam();
    QStringList shuffled = c.expected;
    std::mt19937 random(12345);
    for (int round = 0; round < 5; ++round) {
        std::shuffle(shuffled.begin(), shuffled.end(), random);
        EXPECT_EQ(sortedAsListBox(shuffled), c.expected) << c.what << " from " << shuffled.join(' ').toStdString();
    }
    std::reverse(shuffled.begin(), shuffled.end());
    EXPECT_EQ(sortedAsListBox(c.expected), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Collation, ListBoxOrder,
    ::testing::Values(
        OrderCase{"symbols, then digits character by character, then letters ignoring case",
                  {"_x.jpg", "10.jpg", "9.jpg", "A.bmp", "b.JPG", "c.jpg"}},
        OrderCase{"Latin, kana, half-width and full-width katakana together, kanji last",
                  {"Z.jpg", QString::fromUtf8("あ.jpg"), QString::fromUtf8("ｻﾑﾈｲﾙ.bmp"),
                   QString::fromUtf8("サムネイル.jpg"), QString::fromUtf8("写真.jpg")}},
        OrderCase{"'-' and ''' weigh nothing; '#' < '.' < '_'",
                  {"a#.jpg", "a.b.jpg", "a_b.jpg", "ab.jpg", "a-c.jpg", "a'd.jpg"}},
        OrderCase{"the verified order of single symbols, then digits, then letters lower before upper",
                  {"'", "-", "!", "\"", ".", ":", "\\", "_", "`", "{", "}", "+", "0", "9", "a", "A", "b", "B"}},
        OrderCase{"a hyphen is skipped when it stands first: '/m' before '-o'", {"/m", "-o"}},
        OrderCase{"a shorter name that is a prefix goes first", {"a", "a.jpg", "ab", "abc"}},
        OrderCase{"full-width letters and digits weigh as their ASCII forms",
                  {"1.jpg", QString::fromUtf8("１.jpg"), "2.jpg", "b.jpg", QString::fromUtf8("ｂ.jpg"), "c.jpg"}},
        OrderCase{"hiragana and katakana share the first level and keep gojuon order",
                  {QString::fromUtf8("あ"), QString::fromUtf8("ア"), QString::fromUtf8("い"), QString::fromUtf8("イ"),
                   QString::fromUtf8("か"), QString::fromUtf8("カ"), QString::fromUtf8("ガ"),
                   QString::fromUtf8("き")}},
        OrderCase{"dakuten only breaks ties: ガ before カ where the rest decides",
                  {QString::fromUtf8("カア"), QString::fromUtf8("ガア"), QString::fromUtf8("カイ")}},
        OrderCase{"half-width dakuten behaves as the full-width one",
                  {QString::fromUtf8("カ"), QString::fromUtf8("ガ"), QString::fromUtf8("ｶﾞ"), QString::fromUtf8("キ")}},
        OrderCase{"first-level kanji follow JIS order: a (亜 愛), san (山), sha (写), wa (和)",
                  {QString::fromUtf8("亜"), QString::fromUtf8("愛"), QString::fromUtf8("山"), QString::fromUtf8("写"),
                   QString::fromUtf8("和")}},
        OrderCase{"accents only break ties", {"e", QString::fromUtf8("é"), "f"}},
        OrderCase{"other scripts between Latin and kana",
                  {"z", QString::fromUtf8("α"), QString::fromUtf8("Ω"), QString::fromUtf8("ア")}}));

TEST(ListBoxCollation, DifferentNamesNeverCompareEqual)
{
    const QStringList names = {"a.jpg", "A.jpg", "a-.jpg", "-a.jpg", QString::fromUtf8("ａ.jpg"), "a'.jpg",
                               QString::fromUtf8("ア.jpg"), QString::fromUtf8("あ.jpg"), QString::fromUtf8("ｱ.jpg")};
    for (const QString &x : names) {
        EXPECT_FALSE(listBoxLess(x, x)) << x.toStdString();
        for (const QString &y : names) {
            if (x != y)
                EXPECT_NE(listBoxLess(x, y), listBoxLess(y, x)) << x.toStdString() << " / " << y.toStdString();
        }
    }
}

TEST(ListBoxCollation, CaseFoldingOnlyBreaksTiesAfterTheWholeFirstLevel)
{
    // "B" is upper case, but the first level ("b" < "c") decides before case does.
    EXPECT_TRUE(listBoxLess("aB", "ac"));
    EXPECT_TRUE(listBoxLess("ab", "aB"));
    EXPECT_TRUE(listBoxLess("Ab", "aC"));
}

TEST(ListBoxCollation, IsAStrictWeakOrderOverMixedNames)
{
    QStringList names = {"10.jpg", "9.jpg", "a-b.jpg", "ab.jpg", "AB.jpg", "_.jpg", QString::fromUtf8("写真(1).jpg"),
                         QString::fromUtf8("写真.jpg"), QString::fromUtf8("ｻﾑﾈｲﾙ.bmp"), "#1.jpg", "", " .jpg"};
    names = sortedAsListBox(names);
    for (qsizetype i = 0; i + 1 < names.size(); ++i) {
        EXPECT_TRUE(listBoxLess(names[i], names[i + 1])) << names[i].toStdString() << " < " << names[i + 1].toStdString();
        for (qsizetype j = i + 1; j < names.size(); ++j)
            EXPECT_FALSE(listBoxLess(names[j], names[i]));
    }
}

} // namespace
