#include "cli/batch_settings_check.h"

#include <gtest/gtest.h>

using namespace tess;

namespace {

struct WarningCase {
    const char *name;
    SettingsFileKeys keys;
    std::optional<QString> warning;
};

class SettingsKeysWarning : public testing::TestWithParam<WarningCase> {};

TEST_P(SettingsKeysWarning, OnlyForAFileWithNoKnownKey)
{
    EXPECT_EQ(settingsKeysWarning("dir/my.ini", GetParam().keys), GetParam().warning);
}

const QString kNoKnownKey = u"--settings dir/my.ini: 知っている設定がないため、既定の設定で続けます。"_qs;

INSTANTIATE_TEST_SUITE_P(
    Keys, SettingsKeysWarning,
    testing::Values(WarningCase{"OneKnown", {1, {"Width"}}, std::nullopt},
                    WarningCase{"NoKeys", {0, {}}, kNoKnownKey},
                    WarningCase{"OneUnknown", {0, {"Width"}}, kNoKnownKey + u"不明なキー: Width"_qs},
                    WarningCase{"Several", {0, {"Width", u"[Other]幅"_qs}}, kNoKnownKey + u"不明なキー: Width、[Other]幅"_qs}),
    [](const auto &info) { return std::string(info.param.name); });

struct LosslessCase {
    int fileType;
    bool lossless;
    const char *refusedKind; // null: the run may go on
};

// Only JPEG and AVIF (and values written as JPEG) have no lossless form.
TEST(LosslessProblem, RefusedForTheKindsWithoutALosslessForm)
{
    const LosslessCase cases[] = {
        {FileTypeJpeg, true, "JPEG"}, {FileTypeAvif, true, "AVIF"},  {9, true, "JPEG"},
        {-1, true, "JPEG"},           {FileTypeBitmap, true, nullptr}, {FileTypePng, true, nullptr},
        {FileTypeWebp, true, nullptr}, {FileTypeJpegXl, true, nullptr}, {FileTypeJpeg, false, nullptr},
        {FileTypeAvif, false, nullptr},
    };
    for (const LosslessCase &c : cases) {
        ThumbSettings settings;
        settings.FileType = std::int16_t(c.fileType);
        const std::optional<QString> problem = losslessProblem(settings, c.lossless);
        ASSERT_EQ(problem.has_value(), c.refusedKind != nullptr) << c.fileType << " " << c.lossless;
        if (problem) {
            EXPECT_TRUE(problem->startsWith(QStringLiteral("--lossless: ") + QLatin1String(c.refusedKind)))
                << problem->toStdString();
        }
    }
}

} // namespace
