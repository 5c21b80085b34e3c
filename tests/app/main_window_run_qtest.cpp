// The thumbnail run driven from the main window: what the window shows while
// it lasts, what it writes and lists, and how it ends.
#include "app/list_box.h"
#include "app/main_window.h"
#include "support/app_test_support.h"
#include "support/decoded_picture.h"
#include "support/window_fixture.h"
#include "chrome/picture_box.h"
#include "chrome/window_animation.h"
#include "controls/command.h"
#include "settings/settings_file.h"

#include <QApplication>
#include <QLabel>
#include <QtTest>
#include <functional>
#include <sys/resource.h>
#include <memory>

using namespace tess;
using namespace tess::testing;

namespace {

constexpr Colour kProgressColour = rgb(192, 255, 192);
constexpr Colour kWhite = rgb(255, 255, 255);

bool allPixels(const Picture &picture, Colour colour)
{
    if (picture.isEmpty())
        return false;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (picture.pixel(x, y) != colour)
                return false;
    return true;
}

} // namespace

class MainWindowRunTest : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> sources;
    std::unique_ptr<QTemporaryDir> output;
    QList<BatchEnd> ends;

    QString source(const QString &name) const { return sources->filePath(name); }
    QString written(const QString &name) const { return output->filePath(name); }

    // A window with a listed source folder and small bitmap thumbnails; the
    // first picture's preview may still be loading.
    MainWindow &openAndList()
    {
        open();
        connect(window.get(), &MainWindow::runEnded, this, [this](BatchEnd end) { ends.append(end); });
        settings->Width = 32;
        settings->Height = 32;
        settings->RatioMode = StretchToBoth;
        settings->Quality = QualityHigh;
        settings->FileType = FileTypeBitmap;
        settings->SaveFolder = output->path();
        settings->MarginColour = 0;
        listFolder(sources->path());
        return *window;
    }

    // Runs fn at the given row of the given file, once.
    void atRow(int file, int row, std::function<void()> fn)
    {
        auto fileIndex = std::make_shared<int>(0);
        auto done = std::make_shared<bool>(false);
        connect(window.get(), &MainWindow::runFileDone, this, [fileIndex](int index, const QString &, bool) {
            *fileIndex = index + 1;
        });
        connect(window.get(), &MainWindow::runRowDone, this,
                [fileIndex, done, file, row, fn](int rowsDone, int) {
                    if (!*done && *fileIndex == file && rowsDone == row) {
                        *done = true;
                        fn();
                    }
                });
    }

private slots:
    void initTestCase() { setWindowAnimationsEnabled(false); }

    void init()
    {
        setUp();
        sources = std::make_unique<QTemporaryDir>();
        output = std::make_unique<QTemporaryDir>();
        ends.clear();
    }

    void cleanup()
    {
        tearDown();
        sources.reset();
        output.reset();
    }

    void completedRun()
    {
        QVERIFY(writeBmp(source("a.bmp"), quadrantPicture(64, 48)));
        QVERIFY(writeJpeg(source("b.jpg"), solidPicture(40, 40, rgb(0, 0, 255))));
        QVERIFY(writeBmp(source("c.bmp"), solidPicture(20, 60, rgb(0, 255, 0))));
        MainWindow &w = openAndList();
        QVERIFY(waitForPreview(w));
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("64 * 48"));
        // An entry the scan did not find is no file of the run.
        w.List_Pic->addFileName(QStringLiteral("ghost.bmp"));
        QCOMPARE(w.listedNames(), (QStringList{"a.bmp", "b.jpg", "c.bmp"}));

        int rows = 0;
        int progressChecks = 0;
        connect(&w, &MainWindow::runRowDone, this, [&](int rowsDone, int rowsTotal) {
            ++rows;
            QVERIFY(!w.Cmd_Thumb->enabledFlag());
            QVERIFY(w.Cmd_Stop->enabledFlag());
            QVERIFY(!w.Cmd_InFolder->enabledFlag());
            QVERIFY(w.running());
            QCOMPARE(w.lbl_PreSize->text(), QString());
            QVERIFY(allPixels(w.Pic_K->picture(), kWhite));
            // The 32 x 32 canvas centred in the 157-pixel frame.
            QCOMPARE(w.picHigh->geometry(), QRect(62, 62, 32, 32));
            // The bar's right edge at rowsDone / rowsTotal of its 157 pixels.
            const Picture &bar = w.PicProgress->picture();
            QCOMPARE(bar.width(), 157);
            const int edge = rowsDone * bar.width() / rowsTotal;
            QCOMPARE(bar.pixel(0, 0), kProgressColour);
            QCOMPARE(bar.pixel(edge - 1, bar.height() - 1), kProgressColour);
            if (edge + 1 < bar.width())
                QCOMPARE(bar.pixel(edge + 1, 0), kWhite);
            ++progressChecks;
        });
        QStringList listedWhenDone;
        connect(&w, &MainWindow::runFileDone, this, [&](int, const QString &, bool) {
            // The bar is erased after each file; the name is already listed.
            QVERIFY(allPixels(w.PicProgress->picture(), kWhite));
            listedWhenDone = entries(w.List_Thumb);
        });

        QVERIFY(clickRunAndWait(w));
        QVERIFY(!w.running());
        QCOMPARE(rows, 3 * 32);
        QCOMPARE(progressChecks, rows);
        QCOMPARE(entries(w.List_Thumb), (QStringList{"Thumb_a.bmp", "Thumb_b.bmp", "Thumb_c.bmp"}));
        QCOMPARE(listedWhenDone, entries(w.List_Thumb));
        for (const QString &name : entries(w.List_Thumb)) {
            const DecodedPicture thumbnail = decodePictureFile(written(name));
            QVERIFY2(thumbnail.ok(), qPrintable(name));
            QCOMPARE(thumbnail.picture.width(), 32);
            QCOMPARE(thumbnail.picture.height(), 32);
        }
        QCOMPARE(fake->messages, QStringList{QStringLiteral("正常終了しました！！")});
        QCOMPARE(ends, QList<BatchEnd>{BatchEnd::Completed});
        QVERIFY(!w.Cmd_Thumb->enabledFlag());
        QVERIFY(!w.Cmd_Stop->enabledFlag());
        QVERIFY(w.Cmd_InFolder->enabledFlag());
        QVERIFY(allPixels(w.picHigh->picture(), 0));
        QVERIFY(allPixels(w.PicProgress->picture(), kWhite));

        // A written thumbnail previews from the save folder, at its true size.
        QVERIFY(clickRowAndWait(w, w.List_Thumb, 0));
        QCOMPARE(w.lbl_PreSize->text(), QStringLiteral("32 * 32"));
        QCOMPARE(w.Pic_K->size(), QSize(32, 32));
    }

    void runStartedWhileAPreviewLoadsClearsTheBox()
    {
        QVERIFY(writeBmp(source("a.bmp"), quadrantPicture(64, 48)));
        MainWindow &w = openAndList();
        QVERIFY(w.previewing());
        int rows = 0;
        connect(&w, &MainWindow::runRowDone, this, [&](int, int) {
            ++rows;
            QCOMPARE(w.lbl_PreSize->text(), QString());
            // Hidden while it loads, then cleared as the run cleared it.
            QCOMPARE(w.Pic_K->isVisible(), !w.previewing());
            if (!w.previewing())
                QVERIFY(allPixels(w.Pic_K->picture(), kWhite));
        });

        QVERIFY(clickRunAndWait(w));
        QCOMPARE(rows, 32);
        // Whether it came during the run or after it, the box stays cleared.
        QVERIFY(waitForPreview(w));
        QCOMPARE(w.lbl_PreSize->text(), QString());
        QVERIFY(allPixels(w.Pic_K->picture(), kWhite));
        QVERIFY(w.Pic_K->isVisible());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
        // The picture was loaded all the same: a file that fails shows it again.
        QCOMPARE(w.Pic_F().width, 64);
    }

    void stopDuringFile_data()
    {
        QTest::addColumn<int>("file");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("first file") << 0 << QStringList{"Thumb_a.bmp"};
        QTest::newRow("last file") << 2 << QStringList{"Thumb_a.bmp", "Thumb_b.bmp", "Thumb_c.bmp"};
    }

    void stopDuringFile()
    {
        QFETCH(int, file);
        QFETCH(QStringList, listed);
        for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
            QVERIFY(writeBmp(source(name), quadrantPicture(64, 48)));
        MainWindow &w = openAndList();
        atRow(file, 10, [&] { clickCommandInPlace(w.Cmd_Stop); });

        QVERIFY(clickRunAndWait(w));
        // The file in hand is finished, written and listed; nothing after it.
        QCOMPARE(entries(w.List_Thumb), listed);
        for (const QString &name : listed)
            QVERIFY(QFile::exists(written(name)));
        QCOMPARE(QDir(output->path()).entryList(QDir::Files).size(), listed.size());
        QVERIFY(fake->messages.isEmpty());
        QCOMPARE(ends, QList<BatchEnd>{BatchEnd::Stopped});
        QVERIFY(!w.Cmd_Stop->enabledFlag());
        QVERIFY(!w.Cmd_Thumb->enabledFlag());
        QVERIFY(w.Cmd_InFolder->enabledFlag());
    }

    void everyNamePresentWithSkip()
    {
        for (const char *name : {"a.bmp", "b.bmp"})
            QVERIFY(writeBmp(source(name), quadrantPicture(64, 48)));
        for (const char *name : {"Thumb_a.bmp", "Thumb_b.bmp"})
            QVERIFY(writeGarbage(written(name)));
        MainWindow &w = openAndList();
        settings->DuplicateMode = DuplicateSkip;

        QVERIFY(clickRunAndWait(w));
        QCOMPARE(w.List_Thumb->count(), 0);
        QCOMPARE(fake->messages, QStringList{QStringLiteral("正常終了しました！！")});
        for (const char *name : {"Thumb_a.bmp", "Thumb_b.bmp"})
            QVERIFY2(!decodePictureFile(written(name)).ok(), "a skipped file was replaced");
    }

    void undecodableFileInTheMiddle()
    {
        QVERIFY(writeBmp(source("a.bmp"), quadrantPicture(64, 48)));
        QVERIFY(writeGarbage(source("b.jpg")));
        QVERIFY(writeBmp(source("c.bmp"), quadrantPicture(64, 48)));
        MainWindow &w = openAndList();

        QVERIFY(clickRunAndWait(w));
        QCOMPARE(entries(w.List_Thumb), QStringList{"Thumb_a.bmp"});
        QVERIFY(QFile::exists(written("Thumb_a.bmp")));
        QVERIFY(!QFile::exists(written("Thumb_b.bmp")));
        QVERIFY(!QFile::exists(written("Thumb_c.bmp")));
        QCOMPARE(fake->messages.size(), 1);
        QVERIFY2(fake->messages[0].contains(source("b.jpg")), qPrintable(fake->messages[0]));
        QVERIFY(!fake->messages[0].contains(QStringLiteral("正常終了")));
        QCOMPARE(ends, QList<BatchEnd>{BatchEnd::Failed});
        QVERIFY(!w.Cmd_Stop->enabledFlag());
        QVERIFY(!w.Cmd_Thumb->enabledFlag());
        QVERIFY(w.Cmd_InFolder->enabledFlag());
        QVERIFY(!w.running());
    }

    void missingSaveFolderEndsWithMessage()
    {
        QVERIFY(writeBmp(source("a.bmp"), quadrantPicture(64, 48)));
        MainWindow &w = openAndList();
        settings->SaveFolder = output->filePath(QStringLiteral("not/there"));
        QVERIFY(clickRunAndWait(w));
        QCOMPARE(w.List_Thumb->count(), 0);
        QCOMPARE(fake->messages.size(), 1);
        QVERIFY2(fake->messages[0].contains(QStringLiteral("Thumb_a.bmp")), qPrintable(fake->messages[0]));
        QCOMPARE(ends, QList<BatchEnd>{BatchEnd::Failed});
    }

    void emptyListStillCompletes()
    {
        QVERIFY(writeBmp(source("a.bmp"), quadrantPicture(64, 48)));
        MainWindow &w = openAndList();
        QTemporaryDir empty;
        fake->folderAnswers.push_back(empty.path());
        clickCommand(w.Cmd_InFolder);
        QVERIFY(waitForListing(w));
        QCOMPARE(w.List_Pic->count(), 0);
        QVERIFY(w.Cmd_Thumb->enabledFlag());

        QVERIFY(clickRunAndWait(w));
        QCOMPARE(fake->messages, QStringList{QStringLiteral("正常終了しました！！")});
        QVERIFY(QDir(output->path()).entryList(QDir::Files).isEmpty());
    }

    void settingsChangedWhileRunApplyFromNextFile()
    {
        QVERIFY(writeBmp(source("a.bmp"), solidPicture(64, 64, rgb(255, 0, 0))));
        QVERIFY(writeBmp(source("b.bmp"), solidPicture(64, 64, rgb(255, 0, 0))));
        MainWindow &w = openAndList();
        int opened = 0;
        bool nextFileWaited = false;
        w.setSettingsOpener([&](ThumbSettings &record, QWidget *) {
            ++opened;
            record.Width = 16;
            record.Height = 16;
            record.MarginColour = 0xFFFFFF;
            // As long as a person takes: the run waits before its next file.
            QEventLoop person;
            QTimer::singleShot(300, &person, &QEventLoop::quit);
            person.exec();
            nextFileWaited = !QFile::exists(written("Thumb_b.bmp"));
        });
        atRow(0, 20, [&] { clickCommandInPlace(w.Cmd_Setting); });

        QVERIFY(clickRunAndWait(w));
        QCOMPARE(opened, 1);
        QVERIFY(nextFileWaited);
        QCOMPARE(entries(w.List_Thumb), (QStringList{"Thumb_a.bmp", "Thumb_b.bmp"}));
        // The file in hand keeps its size, and the rows drawn before the
        // settings window opened are still in it.
        const DecodedPicture first = decodePictureFile(written("Thumb_a.bmp"));
        QVERIFY(first.ok());
        QCOMPARE(first.picture.width(), 32);
        QVERIFY(allPixels(first.picture, rgb(255, 0, 0)));
        const DecodedPicture second = decodePictureFile(written("Thumb_b.bmp"));
        QVERIFY(second.ok());
        QCOMPARE(second.picture.width(), 16);
        QCOMPARE(second.picture.height(), 16);
        // The canvas has the new margin colour once the run is over.
        QVERIFY(allPixels(w.picHigh->picture(), 0xFFFFFF));
    }

    void folderButtonIsOffDuringRun()
    {
        for (const char *name : {"a.bmp", "b.bmp"})
            QVERIFY(writeBmp(source(name), quadrantPicture(64, 48)));
        MainWindow &w = openAndList();
        const int pickersBefore = int(fake->folderTitles.size());
        QTemporaryDir other;
        fake->folderAnswers.push_back(other.path());
        atRow(0, 5, [&] { clickCommandInPlace(w.Cmd_InFolder); });

        QVERIFY(clickRunAndWait(w));
        QCOMPARE(int(fake->folderTitles.size()), pickersBefore);
        QCOMPARE(entries(w.List_Thumb), (QStringList{"Thumb_a.bmp", "Thumb_b.bmp"}));
        QCOMPARE(w.listedFolder(), sources->path());
    }

    void closeDuringRun()
    {
        for (const char *name : {"a.bmp", "b.bmp", "c.bmp"})
            QVERIFY(writeBmp(source(name), quadrantPicture(64, 48)));
        MainWindow &w = openAndList();
        settings->Prefix = QStringLiteral("Run_");
        bool closedAtOnce = true;
        atRow(0, 3, [&] { closedAtOnce = w.close(); });

        QVERIFY(clickRunAndWait(w));
        QVERIFY(!closedAtOnce);
        QVERIFY(!w.isVisible());
        QVERIFY(!w.running());
        QCOMPARE(entries(w.List_Thumb), QStringList{"Run_a.bmp"});
        QVERIFY(!QFile::exists(written("Run_b.bmp")));
        QVERIFY(fake->messages.isEmpty());
        ThumbSettings saved;
        LoadSettings(saved, program->file(QStringLiteral("Tessarolith.ini")), program->path());
        QCOMPARE(saved.Prefix, QStringLiteral("Run_"));
    }

    // A gigabyte of canvas, with less address space than that left: the
    // run fails at the first file and the window lives on.
    void outOfMemoryDuringRun()
    {
        QVERIFY(writeBmp(source("a.bmp"), quadrantPicture(64, 48)));
        QVERIFY(writeBmp(source("b.bmp"), quadrantPicture(64, 48)));
        MainWindow &w = openAndList();
        struct rlimit saved {};
        QCOMPARE(::getrlimit(RLIMIT_AS, &saved), 0);
        settings->Width = 16384;
        settings->Height = 16384;
        QFile status(QStringLiteral("/proc/self/status"));
        QVERIFY(status.open(QIODevice::ReadOnly));
        long long vmKb = 0;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmSize:"))
                vmKb = line.mid(7).trimmed().split(' ').first().toLongLong();
        }
        QVERIFY(vmKb > 0);
        struct rlimit limited = saved;
        limited.rlim_cur = rlim_t(vmKb + 512 * 1024) * 1024;
        QCOMPARE(::setrlimit(RLIMIT_AS, &limited), 0);
        QVERIFY(clickRunAndWait(w));
        ::setrlimit(RLIMIT_AS, &saved);

        QCOMPARE(ends, QList<BatchEnd>{BatchEnd::Failed});
        QVERIFY(!w.running());
        QCOMPARE(fake->messages.size(), 1);
        QVERIFY2(fake->messages[0].contains(source("a.bmp")), qPrintable(fake->messages[0]));
        QVERIFY(w.Cmd_InFolder->enabledFlag());
        QVERIFY(!w.Cmd_Stop->enabledFlag());
        QCOMPARE(w.List_Thumb->count(), 0);

        // The window is still itself: a second run works, and it closes and saves.
        settings->Width = 32;
        settings->Height = 32;
        settings->Prefix = QStringLiteral("Again_");
        w.Cmd_Thumb->setEnabled(true);
        QVERIFY(clickRunAndWait(w));
        QCOMPARE(entries(w.List_Thumb), (QStringList{"Again_a.bmp", "Again_b.bmp"}));
        QVERIFY(w.close());
        ThumbSettings reread;
        LoadSettings(reread, program->file(QStringLiteral("Tessarolith.ini")), program->path());
        QCOMPARE(reread.Prefix, QStringLiteral("Again_"));
    }
};

QTEST_MAIN(MainWindowRunTest)
#include "main_window_run_qtest.moc"
