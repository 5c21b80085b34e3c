#include "support/thumb_settings_printing.h"
#include "settings/thumb_settings.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

TEST(ThumbSettings, FreshRecordIsAllZeroAndEmpty)
{
    const ThumbSettings zero{0, 0, 0, 0, 0, 0, 0, QString(), QString(), 0};
    EXPECT_EQ(ThumbSettings(), zero);
}

// The one place the default values are spelt out; other tests compare with
// defaultSettings().
TEST(ThumbSettings, Defaults)
{
    const ThumbSettings expected{128, 128, 3, 0, 100, 0, 3, u"Thumb_"_qs, u"program-folder"_qs, 0};
    EXPECT_EQ(defaultSettings(QStringLiteral("program-folder")), expected);
}

TEST(ThumbSettings, OutOfRangeValuesAreHeldAsGiven)
{
    ThumbSettings s;
    s.RatioMode = 9;
    s.Quality = -4;
    s.MarginColour = -1;
    const ThumbSettings copy = s;
    EXPECT_EQ(copy.RatioMode, 9);
    EXPECT_EQ(copy.Quality, -4);
    EXPECT_EQ(copy.MarginColour, -1);
    EXPECT_TRUE(copy == s);
}

struct CaptionCase {
    QString (*caption)(int);
    int value;
    const char16_t *text; // empty: no caption
};

class Captions : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(Captions, ByValue)
{
    const CaptionCase &c = GetParam();
    EXPECT_EQ(c.caption(c.value), QString::fromUtf16(c.text)) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    All, Captions,
    ::testing::Values(CaptionCase{ratioModeCaption, KeepRatioByWidth, u"幅のｻｲｽﾞで縦横比を保持"},
                      CaptionCase{ratioModeCaption, KeepRatioByHeight, u"高さのｻｲｽﾞで縦横比を保持"},
                      CaptionCase{ratioModeCaption, KeepRatioWithinBoth, u"幅と高さのｻｲｽﾞで縦横比を保持"},
                      CaptionCase{ratioModeCaption, StretchToBoth, u"幅と高さのｻｲｽﾞでｽﾄﾚｯﾁ"},
                      CaptionCase{ratioModeCaption, NoStretchByWidth, u"幅のｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ"},
                      CaptionCase{ratioModeCaption, NoStretchByHeight, u"高さのｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ"},
                      CaptionCase{ratioModeCaption, CropToFill, u"幅と高さのｻｲｽﾞでﾄﾘﾐﾝｸﾞ"},
                      CaptionCase{ratioModeCaption, 7, u""},
                      CaptionCase{ratioModeCaption, -1, u""},
                      CaptionCase{qualityCaption, QualityLow, u"低画質"},
                      CaptionCase{qualityCaption, QualityMediumLow, u"中低画質"},
                      CaptionCase{qualityCaption, QualityMediumHigh, u"中高画質"},
                      CaptionCase{qualityCaption, QualityHigh, u"高画質"},
                      CaptionCase{qualityCaption, 4, u""},
                      CaptionCase{fileTypeCaption, FileTypeJpeg, u"JPG"},
                      CaptionCase{fileTypeCaption, FileTypeBitmap, u"BMP"},
                      CaptionCase{fileTypeCaption, FileTypePng, u"PNG"},
                      CaptionCase{fileTypeCaption, FileTypeWebp, u"WebP"},
                      CaptionCase{fileTypeCaption, FileTypeAvif, u"AVIF"},
                      CaptionCase{fileTypeCaption, FileTypeJpegXl, u"JXL"},
                      CaptionCase{fileTypeCaption, 6, u""},
                      CaptionCase{duplicateModeCaption, DuplicateOverwrite, u"上書き"},
                      CaptionCase{duplicateModeCaption, DuplicateSkip, u"ｽｷｯﾌﾟ"},
                      CaptionCase{duplicateModeCaption, -1, u""}));

} // namespace
