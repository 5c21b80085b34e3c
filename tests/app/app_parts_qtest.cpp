// The main window's smaller parts: the preview fit, the single-instance lock,
// closing on SIGTERM, and the list box's extent and clicks.
#include "app/close_on_terminate.h"
#include "app/list_box.h"
#include "app/main_window.h"
#include "app/preview_fit.h"
#include "app/single_instance.h"
#include "support/app_test_support.h"
#include "chrome/window_animation.h"
#include "platform/file_names.h"
#include "platform/ui/dialogs.h"
#include "settings/settings_file.h"

#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

using namespace tess;
using namespace tess::testing;

class AppPartsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { setWindowAnimationsEnabled(false); }

    void sourceFit_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<float>("width");
        QTest::addColumn<float>("height");
        QTest::addColumn<QSize>("drawn");
        QTest::newRow("640x480") << QSize(640, 480) << 100.0f << 75.0f << QSize(100, 75);
        QTest::newRow("480x640") << QSize(480, 640) << 75.0f << 100.0f << QSize(75, 100);
        QTest::newRow("square counts as tall") << QSize(7, 7) << 100.0f << 100.0f << QSize(100, 100);
        QTest::newRow("50x20 enlarged") << QSize(50, 20) << 100.0f << 40.0f << QSize(100, 40);
        QTest::newRow("101x100") << QSize(101, 100) << 100.0f << 99.00990f << QSize(100, 99);
        // Halves of a pixel round to the even neighbour.
        QTest::newRow("200x1 flat") << QSize(200, 1) << 100.0f << 0.5f << QSize(100, 0);
        QTest::newRow("200x3: 1.5 rounds to 2") << QSize(200, 3) << 100.0f << 1.5f << QSize(100, 2);
        QTest::newRow("40x1000: 4") << QSize(40, 1000) << 4.0f << 100.0f << QSize(4, 100);
    }

    void sourceFit()
    {
        QFETCH(QSize, picture);
        QFETCH(float, width);
        QFETCH(float, height);
        QFETCH(QSize, drawn);
        const PreviewFit fit = fitSourcePreview(picture.width(), picture.height());
        QCOMPARE(fit.width, width);
        QCOMPARE(fit.height, height);
        QVERIFY(fit.stretched);
        QCOMPARE(fit.drawnSize(), drawn);
    }

    void thumbnailFit_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("drawn");
        QTest::addColumn<bool>("stretched");
        QTest::newRow("64x48 true size") << QSize(64, 48) << QSize(64, 48) << false;
        QTest::newRow("100x100 true size") << QSize(100, 100) << QSize(100, 100) << false;
        QTest::newRow("100x30 true size") << QSize(100, 30) << QSize(100, 30) << false;
        QTest::newRow("128x96 reduced") << QSize(128, 96) << QSize(100, 75) << true;
        QTest::newRow("101x100 reduced") << QSize(101, 100) << QSize(100, 99) << true;
        QTest::newRow("16x640 reduced") << QSize(16, 640) << QSize(2, 100) << true;
    }

    void thumbnailFit()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, drawn);
        QFETCH(bool, stretched);
        const PreviewFit fit = fitThumbnailPreview(picture.width(), picture.height());
        QCOMPARE(fit.stretched, stretched);
        QCOMPARE(fit.drawnSize(), drawn);
    }

    void sizeCaption()
    {
        QCOMPARE(previewSizeCaption(640, 480), QStringLiteral("640 * 480"));
        QCOMPARE(previewSizeCaption(1, 16384), QStringLiteral("1 * 16384"));
    }

    void secondInstanceIsRefused()
    {
        QTemporaryDir runtime;
        const QString path = runtime.filePath(QStringLiteral("test.lock"));
        {
            SingleInstance first(path);
            QVERIFY(first.acquire());
            QVERIFY(first.held());
            SingleInstance second(path);
            QVERIFY(!second.acquire());
            QVERIFY(!second.held());
        }
        // Once the first has gone, the next start runs.
        SingleInstance third(path);
        QVERIFY(third.acquire());
    }

    void lockOfACrashedCopyIsTakenOver()
    {
        QTemporaryDir runtime;
        const QString path = runtime.filePath(QStringLiteral("test.lock"));
        // A child takes the lock and dies without letting it go.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            QLockFile lock(path);
            const bool locked = lock.tryLock(0);
            ::_exit(locked ? 0 : 1);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
        QVERIFY(QFile::exists(path));

        SingleInstance next(path);
        QVERIFY(next.acquire());
        QVERIFY(next.held());
    }

    void lockOfARunningCopyNeverGoesStale()
    {
        QTemporaryDir runtime;
        const QString path = runtime.filePath(QStringLiteral("test.lock"));
        SingleInstance first(path);
        QVERIFY(first.acquire());
        // However old the lock, a copy whose process lives keeps it.
        QFile lockFile(path);
        QVERIFY(lockFile.open(QIODevice::ReadWrite));
        QVERIFY(lockFile.setFileTime(QDateTime::currentDateTimeUtc().addDays(-3), QFileDevice::FileModificationTime));
        lockFile.close();
        SingleInstance second(path);
        QVERIFY(!second.acquire());
    }

    void unwritableLockPlaceDoesNotStopTheProgram()
    {
        SingleInstance instance(QStringLiteral("/proc/no-such-place/test.lock"));
        QVERIFY(instance.acquire());
        QVERIFY(!instance.held());
    }

    void lockPathDependsOnProgramFolder()
    {
        const QString a = SingleInstance::lockPathFor(QStringLiteral("/opt/one"));
        QCOMPARE(SingleInstance::lockPathFor(QStringLiteral("/opt/one/")), a);
        QVERIFY(SingleInstance::lockPathFor(QStringLiteral("/opt/two")) != a);
        QVERIFY(!a.startsWith(QStringLiteral("/opt/one")));
    }

    void fileNameEntriesShowTheirTextAndKeepTheirName()
    {
        ListBox list;
        const QString shiftJis = nameFromNative("\x8E\xCA\x90\x5E.jpg");
        const QString twoLines = QStringLiteral("a\nb.jpg");
        list.addFileNames({shiftJis, twoLines});
        list.addItem(QStringLiteral("plain.jpg")); // added as text: its own name
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.item(0)->text(), QString::fromUtf8("写真.jpg"));
        QCOMPARE(list.item(1)->text(), QStringLiteral("a\\nb.jpg"));
        QCOMPARE(nativePath(list.fileName(0)), QByteArray("\x8E\xCA\x90\x5E.jpg"));
        QCOMPARE(list.fileName(1), twoLines);
        QCOMPARE(list.fileName(2), QStringLiteral("plain.jpg"));
        QCOMPARE(list.fileName(3), QString());
        QCOMPARE(list.fileName(-1), QString());
    }

    void lockPathTellsFoldersApartByTheirBytes()
    {
        const QString latin1 = SingleInstance::lockPathFor(nameFromNative("/opt/caf\xE9"));
        QVERIFY(SingleInstance::lockPathFor(nameFromNative("/opt/caf\xE8")) != latin1);
        QCOMPARE(SingleInstance::lockPathFor(nameFromNative("/opt/caf\xE9/")), latin1);
        // A UTF-8 folder keeps the lock it had.
        QCOMPARE(SingleInstance::lockPathFor(nameFromNative("/opt/caf\xC3\xA9")),
                 SingleInstance::lockPathFor(QString::fromUtf8("/opt/café")));
    }

    void sigtermClosesTheOrdinaryWay()
    {
        ProgramFolder program;
        FakeDialogs fake;
        ThumbSettings settings;
        MainWindow window(settings);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        settings.Height = 77;
        const CloseOnTerminate closer(&window);
        QVERIFY(closer.installed());

        QVERIFY(::raise(SIGTERM) == 0);
        QTRY_VERIFY(!window.isVisible());
        ThumbSettings saved;
        LoadSettings(saved, program.file(QStringLiteral("Tessarolith.ini")), program.path());
        QCOMPARE(saved.Height, 77);
    }

    void sigtermBeforeTheWindowExistsClosesItOnceShown()
    {
        ProgramFolder program;
        FakeDialogs fake;
        CloseOnTerminate closer;
        QVERIFY(closer.installed());
        QVERIFY(::raise(SIGTERM) == 0);
        QTest::qWait(50); // the signal is seen while there is no window

        ThumbSettings settings;
        MainWindow window(settings);
        settings.Width = 99;
        closer.setWindow(&window);
        window.show();
        QTRY_VERIFY(!window.isVisible());
        ThumbSettings saved;
        LoadSettings(saved, program.file(QStringLiteral("Tessarolith.ini")), program.path());
        QCOMPARE(saved.Width, 99);
    }

    void listExtentScrollsSideways()
    {
        ListBox list;
        list.resize(169, 316);
        list.addItem(QStringLiteral("a_rather_long_file_name_that_does_not_fit_into_the_list.jpg"));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QCOMPARE(list.horizontalScrollBar()->maximum(), 0);

        list.setHorizontalExtent(469);
        QVERIFY(list.horizontalScrollBar()->isVisible());
        QCOMPARE(list.horizontalScrollBar()->maximum(), 469 - list.viewport()->width());
        // Adding entries does not take the extent away.
        for (int i = 0; i < 50; ++i)
            list.addItem(QStringLiteral("x%1.bmp").arg(i));
        QCoreApplication::processEvents();
        QCOMPARE(list.horizontalScrollBar()->maximum(), 469 - list.viewport()->width());

        // An extent narrower than the list needs no scroll bar.
        list.setHorizontalExtent(100);
        QCoreApplication::processEvents();
        QVERIFY(!list.horizontalScrollBar()->isVisible());
    }

    void listKeepsInsertionOrder()
    {
        ListBox list;
        list.addItems({QStringLiteral("_x.jpg"), QStringLiteral("b.JPG"), QStringLiteral("A.bmp")});
        QCOMPARE(list.item(0)->text(), QStringLiteral("_x.jpg"));
        QCOMPARE(list.item(2)->text(), QStringLiteral("A.bmp"));
    }

    void listClickOncePerSelection()
    {
        ListBox list;
        list.resize(169, 200);
        list.addItems({QStringLiteral("a.bmp"), QStringLiteral("b.bmp")});
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.setCurrentRow(0);
        QSignalSpy clicks(&list, &ListBox::Click);

        list.setCurrentRow(1); // by code
        QCOMPARE(clicks.size(), 1);
        const QPoint first = list.visualItemRect(list.item(0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first); // a new entry: once
        QCOMPARE(clicks.size(), 2);
        QCOMPARE(list.currentRow(), 0);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first); // the same entry again
        QCOMPARE(clicks.size(), 3);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, QPoint(5, 190)); // below the entries
        QCOMPARE(clicks.size(), 3);
        list.clear(); // the selection goes: raised, with no entry selected
        QCOMPARE(list.currentRow(), -1);
    }

    void listTakingTheFocusSelectsNothing_data()
    {
        QTest::addColumn<int>("current");
        QTest::newRow("no entry selected") << -1;
        QTest::newRow("an entry selected") << 1;
    }
    void listTakingTheFocusSelectsNothing()
    {
        QFETCH(int, current);
        QWidget window;
        auto *before = new QPushButton(QStringLiteral("before"), &window);
        auto *list = new ListBox(&window);
        list->setGeometry(0, 30, 169, 200);
        list->addItems({QStringLiteral("a.bmp"), QStringLiteral("b.bmp")});
        list->setCurrentRow(current);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QApplication::setActiveWindow(&window);
        before->setFocus();
        QSignalSpy clicks(list, &ListBox::Click);
        QTest::keyClick(before, Qt::Key_Tab);
        QVERIFY(list->hasFocus());
        QCOMPARE(clicks.size(), 0);
        QCOMPARE(list->currentRow(), current);
    }

    void appendingKeepsTheViewUnlessItShowsTheEnd()
    {
        ListBox list;
        list.resize(169, 80);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QScrollBar *bar = list.verticalScrollBar();
        for (int i = 0; i < 30; ++i)
            list.addItemKeepingTheView(QStringLiteral("Thumb_%1.jpg").arg(i));
        QCoreApplication::processEvents();
        QVERIFY(bar->maximum() > 0);
        QCOMPARE(bar->value(), 0); // an untouched view stays at the top

        bar->setValue(3); // the user scrolled a little: the view stays there
        list.addItemKeepingTheView(QStringLiteral("more.jpg"));
        QCoreApplication::processEvents();
        QCOMPARE(bar->value(), 3);

        bar->setValue(bar->maximum()); // at the end: it follows
        for (int i = 0; i < 5; ++i) {
            list.addItemKeepingTheView(QStringLiteral("end_%1.jpg").arg(i));
            QCoreApplication::processEvents();
            QCOMPARE(bar->value(), bar->maximum());
        }
        QCOMPARE(list.count(), 36);
        QCOMPARE(list.item(35)->text(), QStringLiteral("end_4.jpg"));
    }

    void messagesShowTheirTextAsPlainText()
    {
        setDialogsForTesting(nullptr);
        Qt::TextFormat format = Qt::AutoText;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            format = box->textFormat();
            shown = box->text();
            box->accept();
        });
        const QString text = QStringLiteral("/home/u/x<b>y</b>/a.jpg\n画像データが壊れています。");
        dialogs().message(nullptr, text);
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(shown, text);
    }
};

QTEST_MAIN(AppPartsTest)
#include "app_parts_qtest.moc"
