// Both windows in the program's two languages: every text, tooltip and
// accessible name English when English is chosen, the program's own Japanese
// texts otherwise; and the messages the windows show, in the same language.
#include "support/app_test_support.h"
#include "support/shown_texts.h"
#include "chrome/window_animation.h"
#include "platform/ui/folder_browser.h"
#include "platform/ui/qt_environment.h"
#include "platform/ui_language.h"
#include "settings/ui/settings_window.h"

#include <QTest>

using namespace tess;
using namespace tess::testing;

namespace {

const char *const kJapaneseMain[] = {
#include "app/main_window_texts_ja.inc"
};
const char *const kJapaneseSettings[] = {
#include "app/settings_window_texts_ja.inc"
};

QStringList linesOf(const char *const *begin, const char *const *end)
{
    QStringList lines;
    for (auto it = begin; it != end; ++it)
        lines << QString::fromUtf8(*it);
    return lines;
}

} // namespace

class UiLanguageWindows : public QObject {
    Q_OBJECT

    FakeDialogs m_dialogs;
    ProgramFolder m_program;

    // The texts of the window named, made afresh in the language given.
    QStringList textsIn(UiLanguage language, bool mainWindow)
    {
        installProgramTranslation(QCoreApplication::instance(), language);
        if (mainWindow) {
            ThumbSettings settings;
            const auto window = showMainWindow(settings);
            return shownTexts(window.get());
        }
        ThumbSettings record = defaultSettings(m_program.path());
        record.SaveFolder = QStringLiteral("/srv/thumbnails"); // the same in every run
        SettingsWindow window(record);
        return shownTexts(&window);
    }

private slots:
    void initTestCase() { setWindowAnimationsEnabled(false); }
    void cleanup() { installProgramTranslation(QCoreApplication::instance(), UiLanguage::Japanese); }

    void japaneseTextsAreTheProgramsOwn_data()
    {
        QTest::addColumn<bool>("mainWindow");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("main window") << true << linesOf(std::begin(kJapaneseMain), std::end(kJapaneseMain));
        QTest::newRow("settings window")
            << false << linesOf(std::begin(kJapaneseSettings), std::end(kJapaneseSettings));
    }
    void japaneseTextsAreTheProgramsOwn()
    {
        QFETCH(bool, mainWindow);
        QFETCH(QStringList, expected);
        // Once English, then Japanese again: nothing of the English stays behind.
        textsIn(UiLanguage::English, mainWindow);
        QCOMPARE(textsIn(UiLanguage::Japanese, mainWindow), expected);
    }

    void englishTextsHoldNoJapanese_data()
    {
        QTest::addColumn<bool>("mainWindow");
        QTest::newRow("main window") << true;
        QTest::newRow("settings window") << false;
    }
    void englishTextsHoldNoJapanese()
    {
        QFETCH(bool, mainWindow);
        const QStringList japanese = textsIn(UiLanguage::Japanese, mainWindow);
        const QStringList english = textsIn(UiLanguage::English, mainWindow);
        // The same widgets say something in both languages, and something else
        // wherever the Japanese is Japanese.
        QCOMPARE(english.size(), japanese.size());
        for (qsizetype i = 0; i < english.size(); ++i) {
            QVERIFY2(!hasJapanese(english[i]), qPrintable(english[i]));
            if (hasJapanese(japanese[i]))
                QVERIFY2(english[i] != japanese[i], qPrintable(english[i]));
        }
    }

    void messagesFollowTheLanguage_data()
    {
        QTest::addColumn<int>("message");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("japanese");
        QTest::newRow("run completed") << 0 << "All thumbnails are made!" << "正常終了しました！！";
        QTest::newRow("folder picker title")
            << 1 << "Click a folder to select it, then press OK"
            << "ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください";
        QTest::newRow("folder browser caption") << 2 << "Browse for Folder" << "フォルダーの参照";
        QTest::newRow("window caption") << 3 << "Tessarolith Ver.1.1.0" << "Tessarolith　Ver.1.1.0";
    }
    void messagesFollowTheLanguage()
    {
        QFETCH(int, message);
        QFETCH(QString, english);
        QFETCH(QString, japanese);
        const auto text = [message] {
            switch (message) {
            case 0: return MainWindow::completedMessage();
            case 1: return MainWindow::sourceFolderPickerTitle();
            case 2: return FolderBrowser::windowCaption();
            default: return MainWindow::caption();
            }
        };
        installProgramTranslation(QCoreApplication::instance(), UiLanguage::English);
        QCOMPARE(text(), english);
        installProgramTranslation(QCoreApplication::instance(), UiLanguage::Japanese);
        QCOMPARE(text(), japanese);
    }

    void qtDialogsFollowTheLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("Japanese") << int(UiLanguage::Japanese) << "キャンセル";
        QTest::newRow("English") << int(UiLanguage::English) << "Cancel";
    }
    void qtDialogsFollowTheLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, cancel);
        QVERIFY(installQtTranslations(QCoreApplication::instance(), UiLanguage(language)));
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), cancel);
    }
};

QTEST_MAIN(UiLanguageWindows)
#include "ui_language_qtest.moc"
