// The title strip's drag and the close image, driven through a steerable cursor.
#include "chrome/close_image.h"
#include "platform/ui/cursor_position.h"
#include "chrome/title_drag.h"
#include "chrome/title_strip.h"
#include "chrome/window_chrome.h"

#include <QLabel>
#include <QtTest>

using namespace tess;

namespace {

// A window position in twips that records every move in order.
struct Recorder : WindowPlacement {
    double left = 0, top = 0, tpp = 15;
    QStringList *log = nullptr;
    double leftTwips() const override { return left; }
    double topTwips() const override { return top; }
    void setTopTwips(double t) override
    {
        top = t;
        log->append(QStringLiteral("top %1").arg(t));
    }
    void setLeftTwips(double t) override
    {
        left = t;
        log->append(QStringLiteral("left %1").arg(t));
    }
    double twipsPerPixelX() const override { return tpp; }
    double twipsPerPixelY() const override { return tpp; }
};

struct Cursor {
    std::optional<QPoint> at;
    ScopedCursorSource seam{[this] { return at; }};
};

void send(QWidget *w, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, QPoint local = {})
{
    QMouseEvent event(type, QPointF(local), QPointF(w->mapToGlobal(local)), button, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &event);
}

class ClosingWindow : public QWidget {
public:
    int closes = 0;
    std::function<void()> onClose;

protected:
    void closeEvent(QCloseEvent *event) override
    {
        ++closes;
        if (onClose)
            onClose();
        event->accept();
    }
};

} // namespace

class ChromeMouseTest : public QObject {
    Q_OBJECT
private slots:
    void grabOffsets_data();
    void grabOffsets();
    void movesTopThenLeftFollowingTheCursor();
    void onlyLeftPressStarts_data();
    void onlyLeftPressStarts();
    void anyReleaseEndsTheDrag_data();
    void anyReleaseEndsTheDrag();
    void noCursorNoDrag();
    void stripDragsItsWindow();
    void stripHandsTheDragToTheWindowSystem_data();
    void stripHandsTheDragToTheWindowSystem();

    void closeImageClosesOnRelease_data();
    void closeImageClosesOnRelease();
    void settingsVariantLetsEventsRunFirst_data();
    void settingsVariantLetsEventsRunFirst();
    void installedChromeAtDesignPlaces();
};

void ChromeMouseTest::grabOffsets_data()
{
    QTest::addColumn<double>("tpp");
    QTest::addColumn<QPointF>("windowTwips");
    QTest::addColumn<QPoint>("cursor");
    QTest::addColumn<int>("offsetX");
    QTest::addColumn<int>("offsetY");
    QTest::newRow("96 dpi") << 15.0 << QPointF(1500, 750) << QPoint(130, 60) << 450 << 150;
    QTest::newRow("120 dpi") << 12.0 << QPointF(1200, 600) << QPoint(110, 55) << 120 << 60;
    QTest::newRow("halves to even") << 12.5 << QPointF(0, 100) << QPoint(3, 5) << 38 << -38; // 37.5, -37.5
    QTest::newRow("halves down to even") << 12.5 << QPointF(0, 0) << QPoint(5, 1) << 62 << 12; // 62.5, 12.5
    QTest::newRow("window off screen left") << 15.0 << QPointF(-3000, -150) << QPoint(10, 2) << 3150 << 180;
}

void ChromeMouseTest::grabOffsets()
{
    QFETCH(double, tpp);
    QFETCH(QPointF, windowTwips);
    QFETCH(QPoint, cursor);
    QFETCH(int, offsetX);
    QFETCH(int, offsetY);
    QStringList log;
    auto rec = std::make_unique<Recorder>();
    rec->tpp = tpp;
    rec->left = windowTwips.x();
    rec->top = windowTwips.y();
    rec->log = &log;
    TitleDrag drag(std::move(rec));
    Cursor c;
    c.at = cursor;
    drag.press(Qt::LeftButton);
    QVERIFY(drag.dragging());
    QCOMPARE(int(drag.grabOffsetX()), offsetX);
    QCOMPARE(int(drag.grabOffsetY()), offsetY);
    QVERIFY(log.isEmpty()); // a press never moves the window
}

void ChromeMouseTest::movesTopThenLeftFollowingTheCursor()
{
    QStringList log;
    auto owned = std::make_unique<Recorder>();
    Recorder *rec = owned.get();
    rec->left = 1500;
    rec->top = 750;
    rec->log = &log;
    TitleDrag drag(std::move(owned));
    Cursor c;
    c.at = QPoint(130, 60); // grabs (450, 150)
    drag.press(Qt::LeftButton);
    const QList<QPoint> path{{140, 61}, {500, 400}, {0, 0}, {-20, 3}};
    for (const QPoint &p : path) {
        c.at = p;
        log.clear();
        drag.move();
        QCOMPARE(log, QStringList({QStringLiteral("top %1").arg(p.y() * 15 - 150),
                                   QStringLiteral("left %1").arg(p.x() * 15 - 450)}));
        // The grabbed point stays under the cursor.
        QCOMPARE(p.x() * 15.0 - rec->left, 450.0);
        QCOMPARE(p.y() * 15.0 - rec->top, 150.0);
    }
    drag.release();
    log.clear();
    c.at = QPoint(300, 300);
    drag.move();
    QVERIFY(log.isEmpty());
}

void ChromeMouseTest::onlyLeftPressStarts_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("starts");
    QTest::newRow("left") << int(Qt::LeftButton) << true;
    QTest::newRow("right") << int(Qt::RightButton) << false;
    QTest::newRow("middle") << int(Qt::MiddleButton) << false;
    QTest::newRow("back") << int(Qt::BackButton) << false;
}

void ChromeMouseTest::onlyLeftPressStarts()
{
    QFETCH(int, button);
    QFETCH(bool, starts);
    QStringList log;
    auto rec = std::make_unique<Recorder>();
    rec->log = &log;
    TitleDrag drag(std::move(rec));
    Cursor c;
    c.at = QPoint(5, 5);
    drag.press(Qt::MouseButton(button));
    QCOMPARE(drag.dragging(), starts);
    c.at = QPoint(50, 50);
    drag.move();
    QCOMPARE(log.size(), starts ? 2 : 0);
}

void ChromeMouseTest::anyReleaseEndsTheDrag_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("right") << int(Qt::RightButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

void ChromeMouseTest::anyReleaseEndsTheDrag()
{
    QFETCH(int, button);
    QWidget window;
    window.setGeometry(200, 100, 300, 200);
    TitleStrip strip(&window);
    strip.setGeometry(0, 0, 300, 22);
    Cursor c;
    c.at = QPoint(250, 110);
    send(&strip, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(strip.drag().dragging());
    // A right press while dragging neither ends nor restarts the drag.
    send(&strip, QEvent::MouseButtonPress, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    QVERIFY(strip.drag().dragging());
    send(&strip, QEvent::MouseButtonRelease, Qt::MouseButton(button), Qt::LeftButton, QPoint(900, 900));
    QVERIFY(!strip.drag().dragging());
    c.at = QPoint(400, 400);
    send(&strip, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(window.pos(), QPoint(200, 100));
}

void ChromeMouseTest::noCursorNoDrag()
{
    QStringList log;
    auto rec = std::make_unique<Recorder>();
    rec->log = &log;
    TitleDrag drag(std::move(rec));
    Cursor c; // unavailable
    drag.press(Qt::LeftButton);
    QVERIFY(!drag.dragging());
    c.at = QPoint(1, 1);
    drag.press(Qt::LeftButton);
    QVERIFY(drag.dragging());
    c.at.reset(); // lost mid-drag: the window stays
    drag.move();
    QVERIFY(log.isEmpty());
}

void ChromeMouseTest::stripDragsItsWindow()
{
    QWidget window;
    makeFrameless(&window);
    window.setGeometry(200, 100, 300, 200);
    TitleStrip strip(&window);
    strip.setGeometry(0, 0, 300, 22);
    Cursor c;
    c.at = QPoint(250, 110);
    send(&strip, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, QPoint(50, 10));
    QCOMPARE(int(strip.drag().grabOffsetX()), 750);
    QCOMPARE(int(strip.drag().grabOffsetY()), 150);
    // The event's own coordinates are ignored: only the cursor counts.
    const QList<QPoint> path{{260, 130}, {900, 700}, {10, -5}};
    for (const QPoint &p : path) {
        c.at = p;
        send(&strip, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, QPoint(3, 3));
        QCOMPARE(window.pos(), p - QPoint(50, 10));
    }
    send(&strip, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    QVERIFY(!strip.drag().dragging());
}

void ChromeMouseTest::closeImageClosesOnRelease_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::newRow("left, on the image") << int(Qt::LeftButton) << QPoint(7, 7);
    QTest::newRow("right, on the image") << int(Qt::RightButton) << QPoint(7, 7);
    QTest::newRow("middle") << int(Qt::MiddleButton) << QPoint(1, 1);
    QTest::newRow("left, moved off") << int(Qt::LeftButton) << QPoint(-200, 300);
}

void ChromeMouseTest::closeImageClosesOnRelease()
{
    QFETCH(int, button);
    QFETCH(QPoint, releaseAt);
    ClosingWindow window;
    window.resize(100, 100);
    CloseImage image(&window);
    window.show();
    QSignalSpy clicked(&image, &CloseImage::closeClicked);
    QCOMPARE(image.size(), QSize(15, 15));
    QVERIFY(!image.isPressed());

    send(&image, QEvent::MouseButtonPress, Qt::MouseButton(button), Qt::MouseButton(button), QPoint(7, 7));
    QVERIFY(image.isPressed());
    QCOMPARE(image.shownImage().size(), QSize(16, 15));
    QCOMPARE(image.size(), QSize(16, 15));
    QCOMPARE(window.closes, 0);

    send(&image, QEvent::MouseButtonRelease, Qt::MouseButton(button), Qt::NoButton, releaseAt);
    QVERIFY(!image.isPressed());
    QCOMPARE(image.shownImage().size(), QSize(15, 15));
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(window.closes, 1);
    QVERIFY(!window.isVisible());
}

void ChromeMouseTest::settingsVariantLetsEventsRunFirst_data()
{
    QTest::addColumn<bool>("processFirst");
    QTest::newRow("main window: closes at once") << false;
    QTest::newRow("settings window: pending events first") << true;
}

void ChromeMouseTest::settingsVariantLetsEventsRunFirst()
{
    QFETCH(bool, processFirst);
    ClosingWindow window;
    window.resize(100, 100);
    CloseImage image(&window);
    image.setProcessEventsBeforeClose(processFirst);
    window.show();
    bool pendingRan = false;
    bool pendingRanBeforeClose = false;
    bool normalShownAtClose = false;
    window.onClose = [&] {
        pendingRanBeforeClose = pendingRan;
        normalShownAtClose = !image.isPressed();
    };
    send(&image, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    QTimer::singleShot(0, &window, [&] { pendingRan = true; });
    send(&image, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    QCOMPARE(window.closes, 1);
    QCOMPARE(pendingRanBeforeClose, processFirst);
    QVERIFY(normalShownAtClose);
    QTRY_VERIFY(pendingRan);
}

void ChromeMouseTest::installedChromeAtDesignPlaces()
{
    struct Case {
        ChromeLayout layout;
        QRect strip;
        QPoint close;
        QString tip;
        QString title;
    };
    const QList<Case> cases{
        {ChromeLayout::mainWindow(), QRect(0, 0, 561, 22), QPoint(540, 4), QStringLiteral("exit button"),
         QStringLiteral("Tessarolith　Ver.1.1.0")},
        {ChromeLayout::settingsWindow(), QRect(0, 0, 473, 22), QPoint(452, 4), QStringLiteral("ｷｬﾝｾﾙ"),
         QStringLiteral("各種設定")},
    };
    for (const Case &c : cases) {
        QWidget window;
        const WindowChrome chrome = installChrome(&window, c.layout);
        QVERIFY(window.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(chrome.titleStrip->geometry(), c.strip);
        QCOMPARE(chrome.closeImage->pos(), c.close);
        QCOMPARE(chrome.closeImage->toolTip(), c.tip);
        QCOMPARE(chrome.titleLabel->text(), c.title);
        QCOMPARE(chrome.titleLabel->pos(), QPoint(12, 4));
        QCOMPARE(chrome.closeImage->processEventsBeforeClose(), c.layout.processEventsBeforeClose);
    }
    QVERIFY(!ChromeLayout::mainWindow().processEventsBeforeClose);
    QVERIFY(ChromeLayout::settingsWindow().processEventsBeforeClose);
}

void ChromeMouseTest::stripHandsTheDragToTheWindowSystem_data()
{
    // Each step: p (left press), r (right press), u (release), m (move, left
    // held), f (move, no button held), each at x along the strip.
    QTest::addColumn<QString>("steps");
    QTest::addColumn<int>("handOvers");
    QTest::newRow("press, move, move") << "p10 m12 m30 u30" << 1;
    QTest::newRow("click without moving") << "p10 u10" << 0;
    QTest::newRow("move to the pressed point") << "p10 m10 u10" << 0;
    QTest::newRow("moving with no button held") << "p10 f20 u20" << 0;
    QTest::newRow("right button") << "r10 m20 u20" << 0;
    QTest::newRow("after the release") << "p10 u10 m20" << 0;
    QTest::newRow("two drags") << "p10 m20 u20 p20 m25 u25" << 2;
}

void ChromeMouseTest::stripHandsTheDragToTheWindowSystem()
{
    QFETCH(QString, steps);
    QFETCH(int, handOvers);
    QWidget window;
    window.setGeometry(200, 100, 300, 200);
    TitleStrip strip(&window);
    strip.setGeometry(0, 0, 300, 22);
    int asked = 0;
    strip.setSystemMove([&asked] { ++asked; return true; });
    Cursor c;
    c.at = QPoint(250, 110);
    for (const QString &step : steps.split(u' ')) {
        const QPoint at(step.mid(1).toInt(), 10);
        switch (step.at(0).toLatin1()) {
        case 'p': send(&strip, QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, at); break;
        case 'r': send(&strip, QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, at); break;
        case 'u': send(&strip, QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, at); break;
        case 'm': send(&strip, QEvent::MouseMove, Qt::NoButton, Qt::LeftButton, at); break;
        case 'f': send(&strip, QEvent::MouseMove, Qt::NoButton, Qt::NoButton, at); break;
        }
        c.at = c.at.value() + QPoint(40, 40);
    }
    QCOMPARE(asked, handOvers);
    // The program never moves the window itself when the window system does.
    QCOMPARE(window.pos(), QPoint(200, 100));
    QVERIFY(!strip.drag().dragging());
}

QTEST_MAIN(ChromeMouseTest)
#include "chrome_mouse_qtest.moc"
