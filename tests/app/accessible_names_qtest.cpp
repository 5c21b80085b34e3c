// What assistive technology (a screen reader, a test through AT-SPI) learns of
// the two windows' self-drawn controls, read through QAccessible.
#include "support/app_test_support.h"
#include "app/main_window.h"
#include "chrome/window_animation.h"
#include "controls/command.h"
#include "settings/thumb_settings.h"
#include "settings/ui/option_image.h"
#include "settings/ui/settings_window.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

using namespace tess;
using namespace tess::testing;

namespace {

enum Check { NotCheckable, Unchecked, Checked };

QAccessibleInterface *interfaceOf(QWidget *window, const QString &name)
{
    QWidget *w = window->findChild<QWidget *>(name);
    return w ? QAccessible::queryAccessibleInterface(w) : nullptr;
}

ThumbSettings settingsRecord()
{
    ThumbSettings s = defaultSettings(QStringLiteral("/tmp"));
    s.RatioMode = KeepRatioWithinBoth;
    s.Quality = QualityHigh;
    s.FileType = FileTypeBitmap;
    s.DuplicateMode = DuplicateSkip;
    return s;
}

} // namespace

class AccessibleNames : public QObject {
    Q_OBJECT

    FakeDialogs m_dialogs;
    std::unique_ptr<ProgramFolder> m_program;
    ThumbSettings m_mainSettings;
    ThumbSettings m_record;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<SettingsWindow> m_settings;

    QWidget *window(const QString &which) const
    {
        return which == QLatin1String("main") ? static_cast<QWidget *>(m_main.get()) : m_settings.get();
    }

private slots:
    void initTestCase()
    {
        setWindowAnimationsEnabled(false);
        m_program = std::make_unique<ProgramFolder>();
        m_main = showMainWindow(m_mainSettings);
        m_record = settingsRecord();
        m_settings = std::make_unique<SettingsWindow>(m_record);
        m_settings->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_settings.get()));
    }
    void cleanupTestCase()
    {
        m_settings.reset();
        m_main.reset();
        m_program.reset();
    }

    void controlsHaveTheirNamesRolesAndStates_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("disabled");
        QTest::addColumn<int>("check");
        const int button = QAccessible::Button, radio = QAccessible::RadioButton, list = QAccessible::List;
        QTest::newRow("folder button") << "main" << "Cmd_InFolder" << button << "ｲﾝﾌﾟｯﾄﾌｫﾙﾀﾞ..." << false << int(NotCheckable);
        QTest::newRow("run button, off") << "main" << "Cmd_Thumb" << button << "ｻﾑﾈｲﾙ作成ｽﾀｰﾄ" << true << int(NotCheckable);
        QTest::newRow("stop button, off") << "main" << "Cmd_Stop" << button << "ｽﾄｯﾌﾟ" << true << int(NotCheckable);
        QTest::newRow("settings button") << "main" << "Cmd_Setting" << button << "各種設定..." << false << int(NotCheckable);
        QTest::newRow("exit button") << "main" << "Cmd_Can" << button << "Exit" << false << int(NotCheckable);
        QTest::newRow("source list") << "main" << "List_Pic" << list << "ｵﾘｼﾞﾅﾙﾌｧｲﾙ" << false << int(NotCheckable);
        QTest::newRow("thumbnail list") << "main" << "List_Thumb" << list << "ｻﾑﾈｲﾙﾌｧｲﾙ" << false << int(NotCheckable);
        QTest::newRow("canvas") << "main" << "picHigh" << int(QAccessible::Border) << "ﾌﾟﾚﾋﾞｭｰ" << false << int(NotCheckable);
        QTest::newRow("set button") << "settings" << "Cmd_Set" << button << "設定" << false << int(NotCheckable);
        QTest::newRow("cancel button") << "settings" << "Cmd_Can" << button << "ｷｬﾝｾﾙ" << false << int(NotCheckable);
        QTest::newRow("colour picker") << "settings" << "Cmd_Color" << button << "余白部分の色" << false << int(NotCheckable);
        QTest::newRow("folder picker") << "settings" << "Cmd_Save_F" << button << "保存時のﾌｫﾙﾀﾞ" << false << int(NotCheckable);
        QTest::newRow("ratio chosen") << "settings" << "Img_Pr_2" << radio << "幅と高さのｻｲｽﾞで縦横比を保持" << false << int(Checked);
        QTest::newRow("ratio not chosen") << "settings" << "Img_Pr_5" << radio << "高さのｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ" << false << int(Unchecked);
        QTest::newRow("quality chosen") << "settings" << "Img_Sel_3" << radio << "高画質" << false << int(Checked);
        QTest::newRow("file type not chosen") << "settings" << "Img_Extension_0" << radio << "JPG" << false << int(Unchecked);
        QTest::newRow("file type chosen") << "settings" << "Img_Extension_1" << radio << "BMP" << false << int(Checked);
        QTest::newRow("duplicate not chosen") << "settings" << "Img_Dup_0" << radio << "上書き" << false << int(Unchecked);
    }
    void controlsHaveTheirNamesRolesAndStates()
    {
        QFETCH(QString, window);
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(bool, disabled);
        QFETCH(int, check);
        QAccessibleInterface *iface = interfaceOf(this->window(window), control);
        QVERIFY2(iface && iface->isValid(), qPrintable(control));
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
        const QAccessible::State state = iface->state();
        QCOMPARE(bool(state.disabled), disabled);
        QCOMPARE(bool(state.checkable), check != NotCheckable);
        QCOMPARE(bool(state.checked), check == Checked);
    }

    // Pressing through the interface does what a click does, and what a
    // screen reader was told follows the change.
    void pressingAnOptionChoosesItAndChecksIt()
    {
        QAccessibleInterface *low = interfaceOf(m_settings.get(), QStringLiteral("Img_Sel_0"));
        QAccessibleInterface *high = interfaceOf(m_settings.get(), QStringLiteral("Img_Sel_3"));
        QVERIFY(low && high && low->actionInterface());
        QVERIFY(!low->state().checked);
        low->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(low->state().checked);
        QVERIFY(!high->state().checked);
        // Duplicate marks are chosen as the button comes up.
        QAccessibleInterface *overwrite = interfaceOf(m_settings.get(), QStringLiteral("Img_Dup_0"));
        overwrite->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(overwrite->state().checked);
    }

    void pressingAButtonClicksItOnlyWhileItIsOn()
    {
        const auto pressed = [this](const char *name) {
            auto *button = m_main->findChild<Command *>(QString::fromLatin1(name));
            QSignalSpy clicks(button, &Command::Click);
            QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(button)->actionInterface();
            const bool offered = actions->actionNames().contains(QAccessibleActionInterface::pressAction());
            actions->doAction(QAccessibleActionInterface::pressAction());
            return std::make_pair(offered, int(clicks.count()));
        };
        QCOMPARE(pressed("Cmd_Thumb"), std::make_pair(false, 0));
        m_main->Cmd_Stop->setEnabled(true);
        QCOMPARE(pressed("Cmd_Stop"), std::make_pair(true, 1));
        m_main->Cmd_Stop->setEnabled(false);
    }

    void aNewCaptionIsTheNewName()
    {
        Command *button = m_main->Cmd_Setting;
        button->setCaption(QStringLiteral("設定を開く"));
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->text(QAccessible::Name), QStringLiteral("設定を開く"));
        button->setCaption(QStringLiteral("各種設定..."));
    }
};

QTEST_MAIN(AccessibleNames)
#include "accessible_names_qtest.moc"
