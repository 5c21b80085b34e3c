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

} // namespace
