// tessarolith-batch speaks the desktop's language in its messages, and keeps
// its help English whatever that language is.
#include "support/batch_cli_support.h"
#include "support/japanese_text.h"

#include <QTemporaryDir>

using namespace batch_cli;

namespace {

struct LocaleCase {
    const char *name;
    QStringList localeVariables;
    const char *missingFolder; // what a folder that is not there is told as
};

class BatchLanguage : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(BatchLanguage, MessagesFollowTheLocale)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString missing = home.filePath(QStringLiteral("missing"));
    const Outcome o = runBatchInLocale({missing}, GetParam().localeVariables);
    EXPECT_EQ(o.exitCode, 2);
    EXPECT_TRUE(o.err.contains(QString::fromUtf8(GetParam().missingFolder) + missing)) << o.err.toStdString();
}

TEST_P(BatchLanguage, HelpStaysEnglish)
{
    const Outcome o = runBatchInLocale({QStringLiteral("--help")}, GetParam().localeVariables);
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_TRUE(o.out.startsWith(QStringLiteral("usage: tessarolith-batch"))) << o.out.toStdString();
    EXPECT_FALSE(tess::testing::hasJapanese(o.out)) << o.out.toStdString();
}

const char kJapanese[] = "フォルダが見つかりません: ";
const char kEnglish[] = "Folder not found: ";

INSTANTIATE_TEST_SUITE_P(
    Locales, BatchLanguage,
    ::testing::Values(LocaleCase{"japanese", {"LANG=ja_JP.UTF-8"}, kJapanese},
                      LocaleCase{"c", {"LC_ALL=C.UTF-8"}, kJapanese},
                      LocaleCase{"posix", {"LANG=POSIX"}, kJapanese},
                      LocaleCase{"unset", {}, kJapanese},
                      LocaleCase{"english", {"LANG=en_US.UTF-8"}, kEnglish},
                      LocaleCase{"german_messages", {"LANG=ja_JP.UTF-8", "LC_MESSAGES=de_DE.UTF-8"}, kEnglish},
                      LocaleCase{"language_list", {"LANG=en_US.UTF-8", "LANGUAGE=ja:en"}, kJapanese},
                      LocaleCase{"all_over_lang", {"LANG=ja_JP.UTF-8", "LC_ALL=en_GB.UTF-8"}, kEnglish}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
