// Open points and the open and close zoom animations.
#include "platform/ui/cursor_position.h"
#include "chrome/window_animation.h"

#include <QtTest>

using namespace tess;

class WindowAnimationTest : public QObject {
    Q_OBJECT
private slots:
    void slotsOutsideTheArrayAreErrors_data();
    void slotsOutsideTheArrayAreErrors();
    void openPointFromTheCursor();
    void unavailableCursorGivesTopLeft();
    void coordinateBeyond16BitsKeepsOldValue();
    void zoomRectangles();
    void closeZoomsFromWhereTheWindowWasDragged();
    void noWindowIsAnError();
};

void WindowAnimationTest::slotsOutsideTheArrayAreErrors_data()
{
    QTest::addColumn<int>("slot");
    QTest::newRow("-1") << -1;
    QTest::newRow("2") << 2;
    QTest::newRow("32767") << 32767;
    QTest::newRow("min int") << std::numeric_limits<int>::min();
}

void WindowAnimationTest::slotsOutsideTheArrayAreErrors()
{
    QFETCH(int, slot);
    QWidget window;
    window.setGeometry(10, 10, 50, 50);
    QVERIFY(!animateOpen(&window, slot));
    QVERIFY(!animateClose(&window, slot));
    QVERIFY(!openZoomRects(QRect(0, 0, 5, 5), slot));
    QVERIFY(!closeZoomRects(QRect(0, 0, 5, 5), slot));
    QVERIFY(!setOpenPoint(slot, QPoint(1, 1)));
    QVERIFY(!recordOpenPoint(slot));
    QVERIFY(!openPoint(slot));
    // The valid slots are untouched by the failed writes.
    QVERIFY(setOpenPoint(kMainWindowSlot, QPoint(3, 4)));
    QVERIFY(!setOpenPoint(slot, QPoint(9, 9)));
    QCOMPARE(*openPoint(kMainWindowSlot), QPoint(3, 4));
}

void WindowAnimationTest::openPointFromTheCursor()
{
    ScopedCursorSource cursor([] { return std::optional<QPoint>(QPoint(640, 512)); });
    QVERIFY(recordOpenPoint(kSettingsWindowSlot));
    QCOMPARE(*openPoint(kSettingsWindowSlot), QPoint(640, 512));
    QVERIFY(setOpenPoint(kMainWindowSlot, QPoint(-7, 8)));
    QCOMPARE(*openPoint(kMainWindowSlot), QPoint(-7, 8));
    QCOMPARE(*openPoint(kSettingsWindowSlot), QPoint(640, 512)); // each window its own slot
}

void WindowAnimationTest::unavailableCursorGivesTopLeft()
{
    QVERIFY(setOpenPoint(kMainWindowSlot, QPoint(300, 200)));
    ScopedCursorSource cursor([] { return std::optional<QPoint>(); });
    QVERIFY(recordOpenPoint(kMainWindowSlot));
    QCOMPARE(*openPoint(kMainWindowSlot), QPoint(0, 0));
    QWidget window;
    window.setGeometry(100, 50, 200, 150);
    const auto open = animateOpen(&window, kMainWindowSlot);
    QVERIFY(open);
    QCOMPARE(open->from, QRect(0, 0, 0, 0));
    QCOMPARE(animateClose(&window, kMainWindowSlot)->to, QRect(0, 0, 0, 0));
}

void WindowAnimationTest::coordinateBeyond16BitsKeepsOldValue()
{
    QVERIFY(setOpenPoint(kSettingsWindowSlot, QPoint(11, 22)));
    QVERIFY(setOpenPoint(kSettingsWindowSlot, QPoint(40000, 33)));
    QCOMPARE(*openPoint(kSettingsWindowSlot), QPoint(11, 33));
    QVERIFY(setOpenPoint(kSettingsWindowSlot, QPoint(-32768, 32767)));
    QCOMPARE(*openPoint(kSettingsWindowSlot), QPoint(-32768, 32767));
}

void WindowAnimationTest::zoomRectangles()
{
    QVERIFY(setOpenPoint(kMainWindowSlot, QPoint(700, 400)));
    const QRect window(231, 144, 561, 480);
    const auto open = openZoomRects(window, kMainWindowSlot);
    QVERIFY(open);
    QVERIFY(open->from.isEmpty());
    QCOMPARE(open->from.topLeft(), QPoint(700, 400));
    QCOMPARE(open->from.size(), QSize(0, 0));
    QCOMPARE(open->to, window);
    const auto close = closeZoomRects(window, kMainWindowSlot);
    QCOMPARE(close->from, open->to);
    QCOMPARE(close->to, open->from);
}

void WindowAnimationTest::closeZoomsFromWhereTheWindowWasDragged()
{
    ScopedCursorSource cursor([] { return std::optional<QPoint>(QPoint(500, 300)); });
    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setGeometry(231, 144, 561, 480);
    QVERIFY(recordOpenPoint(kMainWindowSlot));
    const auto open = animateOpen(&window, kMainWindowSlot);
    QVERIFY(open);
    QCOMPARE(open->from, QRect(500, 300, 0, 0));
    QCOMPARE(open->to, QRect(231, 144, 561, 480));
    window.show();
    window.move(20, 30);
    const auto close = animateClose(&window, kMainWindowSlot);
    QVERIFY(close);
    QCOMPARE(close->from, QRect(20, 30, 561, 480));
    QCOMPARE(close->to, QRect(500, 300, 0, 0));
}

void WindowAnimationTest::noWindowIsAnError()
{
    QVERIFY(!animateOpen(nullptr, kMainWindowSlot));
    QVERIFY(!animateClose(nullptr, kSettingsWindowSlot));
}

QTEST_MAIN(WindowAnimationTest)
#include "window_animation_qtest.moc"
