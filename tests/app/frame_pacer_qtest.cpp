// The window's repaint pacing: at most one repaint and event pass per frame.
#include "app/frame_pacer.h"

#include <QElapsedTimer>
#include <QtTest>
#include <thread>

using namespace tess;

class FramePacerTest : public QObject {
    Q_OBJECT

private slots:
    void firstCallIsDueThenNotWithinTheFrame()
    {
        FramePacer pacer(10.0); // 100 ms frames: the calls below all fall inside one
        QVERIFY(pacer.due());
        QVERIFY(!pacer.due());
        QVERIFY(!pacer.due());
    }

    void dueAgainOnceAFrameHasPassed()
    {
        FramePacer pacer(200.0);
        QVERIFY(pacer.due());
        std::this_thread::sleep_for(std::chrono::milliseconds(6));
        QVERIFY(pacer.due());
        QVERIFY(!pacer.due());
    }

    void neverMoreThanOnceAFrameInABusyLoop_data()
    {
        QTest::addColumn<double>("rate");
        QTest::newRow("60 Hz") << 60.0;
        QTest::newRow("144 Hz") << 144.0;
    }

    void neverMoreThanOnceAFrameInABusyLoop()
    {
        QFETCH(double, rate);
        FramePacer pacer(rate);
        QElapsedTimer clock;
        clock.start();
        int due = 0;
        while (clock.elapsed() < 60)
            due += pacer.due() ? 1 : 0;
        const double frames = double(clock.nsecsElapsed()) / double(pacer.frameNanoseconds());
        QVERIFY2(due <= int(frames) + 1, qPrintable(QString::number(due)));
        QVERIFY(due >= 1);
    }

    void withoutARateTheScreensOrSixtyIsUsed()
    {
        const FramePacer pacer;
        QVERIFY(pacer.frameNanoseconds() > 0);
        QVERIFY(pacer.frameNanoseconds() <= qint64(1e9 / 1.0));
        QCOMPARE(FramePacer(50.0).frameNanoseconds(), qint64(20'000'000));
    }
};

QTEST_MAIN(FramePacerTest)
#include "frame_pacer_qtest.moc"
