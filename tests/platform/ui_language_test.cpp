// The program's language from the desktop's UI languages, and its English
// translation: every text of the translation file, looked up through the
// compiled translation, is English, and without it the Japanese source text.
#include "platform/ui_language.h"
#include "support/japanese_text.h"

#include <QCoreApplication>
#include <QFile>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

using namespace tess;
using tess::testing::hasJapanese;

namespace {

struct LanguageCase {
    const char *name;
    QStringList uiLanguages;
    UiLanguage expected;
};

class LanguageChoice : public ::testing::TestWithParam<LanguageCase> {};

TEST_P(LanguageChoice, FollowsTheFirstUiLanguage)
{
    EXPECT_EQ(uiLanguageFor(GetParam().uiLanguages), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, LanguageChoice,
    ::testing::Values(LanguageCase{"japanese", {"ja-JP", "ja-Jpan-JP", "ja"}, UiLanguage::Japanese},
                      LanguageCase{"japanese_alone", {"ja"}, UiLanguage::Japanese},
                      LanguageCase{"c_locale", {"C"}, UiLanguage::Japanese},
                      LanguageCase{"posix_locale", {"POSIX"}, UiLanguage::Japanese},
                      LanguageCase{"none", {}, UiLanguage::Japanese},
                      LanguageCase{"english", {"en-US", "en-Latn-US", "en"}, UiLanguage::English},
                      LanguageCase{"german", {"de-DE", "de"}, UiLanguage::English},
                      LanguageCase{"english_before_japanese", {"en-GB", "ja"}, UiLanguage::English},
                      LanguageCase{"japanese_before_english", {"ja", "en-US"}, UiLanguage::Japanese}),
    [](const auto &info) { return std::string(info.param.name); });

struct Entry {
    QByteArray context, source;
};

// Every context and source text of the translation file kept in the sources.
std::vector<Entry> translationEntries()
{
    QFile file(QStringLiteral(TESS_SOURCE_DIR "/translations/tessarolith_en.ts"));
    std::vector<Entry> entries;
    if (!file.open(QIODevice::ReadOnly))
        return entries;
    QXmlStreamReader xml(&file);
    QByteArray context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name")
            context = xml.readElementText().toUtf8();
        else if (xml.name() == u"source")
            entries.push_back({context, xml.readElementText().toUtf8()});
    }
    return entries;
}

QCoreApplication &application()
{
    static int argc = 1;
    static char name[] = "ui_language_test";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

TEST(Translation, EveryTextIsEnglishWhenEnglishIsChosen)
{
    const auto entries = translationEntries();
    ASSERT_GT(entries.size(), 100u);
    ASSERT_TRUE(installProgramTranslation(&application(), UiLanguage::English));
    for (const Entry &entry : entries) {
        const QString english = QCoreApplication::translate(entry.context.constData(), entry.source.constData());
        EXPECT_FALSE(english.isEmpty()) << entry.source.constData();
        EXPECT_FALSE(hasJapanese(english)) << english.toStdString();
    }
}

TEST(Translation, EveryTextIsTheJapaneseSourceWhenJapaneseIsChosen)
{
    const auto entries = translationEntries();
    ASSERT_GT(entries.size(), 100u);
    ASSERT_TRUE(installProgramTranslation(&application(), UiLanguage::English));
    ASSERT_TRUE(installProgramTranslation(&application(), UiLanguage::Japanese));
    for (const Entry &entry : entries)
        EXPECT_EQ(QCoreApplication::translate(entry.context.constData(), entry.source.constData()).toUtf8(),
                  entry.source);
}

} // namespace
