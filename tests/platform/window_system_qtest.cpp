// Which window system the program asks for, and the windows' fixed size.
#include "app/main_window.h"
#include "chrome/window_animation.h"
#include "platform/ui/window_system.h"
#include "settings/ui/settings_window.h"
#include "support/app_test_support.h"

#include <QtTest>

using namespace tess;
using namespace tess::testing;

class WindowSystemTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setWindowAnimationsEnabled(false); }

    void platformPluginChoice_data()
    {
        QTest::addColumn<QByteArray>("qpa");
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("wayland");
        QTest::addColumn<QByteArray>("chosen");
        QTest::newRow("X11 desktop") << QByteArray() << QByteArray(":0") << QByteArray() << QByteArray("xcb");
        QTest::newRow("Wayland with XWayland")
            << QByteArray() << QByteArray(":1") << QByteArray("wayland-0") << QByteArray("xcb;wayland");
        QTest::newRow("Wayland alone") << QByteArray() << QByteArray() << QByteArray("wayland-0")
                                       << QByteArray("wayland;xcb");
        QTest::newRow("no display at all") << QByteArray() << QByteArray() << QByteArray() << QByteArray();
        QTest::newRow("the user's choice wins")
            << QByteArray("wayland") << QByteArray(":0") << QByteArray("wayland-0") << QByteArray();
        QTest::newRow("the user's offscreen") << QByteArray("offscreen") << QByteArray(":0") << QByteArray()
                                              << QByteArray();
    }

    void platformPluginChoice()
    {
        QFETCH(QByteArray, qpa);
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, wayland);
        QFETCH(QByteArray, chosen);
        QCOMPARE(preferredPlatformPlugins(qpa, display, wayland), chosen);
    }

    void choiceLeavesASetPlatformAlone()
    {
        // The tests run with QT_QPA_PLATFORM=offscreen, which must survive.
        const QByteArray before = qgetenv("QT_QPA_PLATFORM");
        QVERIFY(!before.isEmpty());
        choosePlatformPlugin();
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), before);
    }

    void offscreenPlacesItsWindows() { QVERIFY(windowsPlaceThemselves()); }

    void windowsHaveAFixedSize()
    {
        ProgramFolder program;
        FakeDialogs fake;
        ThumbSettings settings;
        const auto window = showMainWindow(settings);
        QCOMPARE(window->minimumSize(), window->size());
        QCOMPARE(window->maximumSize(), window->size());
        QCOMPARE(window->size(), QSize(561, 480)); // 8421 x 7195 twips at 96 dpi

        SettingsWindow settingsWindow(settings, window.get());
        QVERIFY(settingsWindow.width() > 0 && settingsWindow.height() > 0);
        QCOMPARE(settingsWindow.minimumSize(), settingsWindow.size());
        QCOMPARE(settingsWindow.maximumSize(), settingsWindow.size());
        window->close();
    }
};

QTEST_MAIN(WindowSystemTest)
#include "window_system_qtest.moc"
