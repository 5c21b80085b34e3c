// What assistive technology learns of the two windows' self-drawn controls,
// read through QAccessible.
#include "support/app_test_support.h"
#include "chrome/window_animation.h"
#include "settings/ui/option_image.h"
#include "settings/ui/settings_window.h"

#include <QAccessible>
#include <QTest>

using namespace tess;
using namespace tess::testing;

class AccessibleNames : public QObject {
    Q_OBJECT

    FakeDialogs m_dialogs;
    ProgramFolder m_program;
    ThumbSettings m_mainSettings, m_record;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<SettingsWindow> m_settings;

private slots:
    void initTestCase()
    {
        setWindowAnimationsEnabled(false);
        m_main = showMainWindow(m_mainSettings);
        m_record = defaultSettings(m_program.path());
        m_record.RatioMode = KeepRatioWithinBoth;
        m_settings = std::make_unique<SettingsWindow>(m_record);
    }

    void controlsHaveTheirNamesRolesAndStates_data()
    {
        QTest::addColumn<bool>("inMain");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("states"); // "d": disabled, "c": checkable, "x": checked
        const int button = QAccessible::Button, radio = QAccessible::RadioButton;
        QTest::newRow("folder button") << true << "Cmd_InFolder" << button << "ｲﾝﾌﾟｯﾄﾌｫﾙﾀﾞ..." << "";
        QTest::newRow("run button, off") << true << "Cmd_Thumb" << button << "ｻﾑﾈｲﾙ作成ｽﾀｰﾄ" << "d";
        QTest::newRow("source list") << true << "List_Pic" << int(QAccessible::List) << "ｵﾘｼﾞﾅﾙﾌｧｲﾙ" << "";
        QTest::newRow("thumbnail list") << true << "List_Thumb" << int(QAccessible::List) << "ｻﾑﾈｲﾙﾌｧｲﾙ" << "";
        QTest::newRow("canvas") << true << "picHigh" << int(QAccessible::Border) << "ﾌﾟﾚﾋﾞｭｰ" << "";
        QTest::newRow("set button") << false << "Cmd_Set" << button << "設定" << "";
        QTest::newRow("colour picker") << false << "Cmd_Color" << button << "余白部分の色" << "";
        QTest::newRow("ratio chosen") << false << "Img_Pr_2" << radio << "幅と高さのｻｲｽﾞで縦横比を保持" << "cx";
        QTest::newRow("ratio not chosen") << false << "Img_Pr_5" << radio << "高さのｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ" << "c";
        QTest::newRow("duplicate mode") << false << "Img_Dup_0" << radio << "上書き" << "cx";
    }
    void controlsHaveTheirNamesRolesAndStates()
    {
        QFETCH(bool, inMain);
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        QFETCH(QString, states);
        QWidget *window = inMain ? static_cast<QWidget *>(m_main.get()) : m_settings.get();
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(window->findChild<QWidget *>(control));
        QVERIFY2(iface && iface->isValid(), qPrintable(control));
        QCOMPARE(int(iface->role()), role);
        QCOMPARE(iface->text(QAccessible::Name), name);
        const QAccessible::State s = iface->state();
        QCOMPARE(QString(s.disabled ? "d" : "") + (s.checkable ? "c" : "") + (s.checked ? "x" : ""), states);
    }

    void aCaptionOrAMarkThatChangesIsReadAnew()
    {
        m_main->Cmd_Thumb->setCaption(QStringLiteral("開始"));
        m_main->Cmd_Thumb->setEnabled(true);
        QAccessibleInterface *run = QAccessible::queryAccessibleInterface(m_main->Cmd_Thumb);
        QCOMPARE(run->text(QAccessible::Name), QStringLiteral("開始"));
        QVERIFY(!run->state().disabled);
        auto *mark = m_settings->findChild<OptionImage *>(QStringLiteral("Img_Pr_5"));
        mark->setMark(OptionImage::Mark::Selected, QPixmap());
        QVERIFY(QAccessible::queryAccessibleInterface(mark)->state().checked);
    }
};

QTEST_MAIN(AccessibleNames)
#include "accessible_names_qtest.moc"
