// The run started from the window and the run of tessarolith-batch, on the same
// pictures and the same settings file, write the same thumbnails byte for byte.
// The window runs in this process on the real display, built as main() builds
// it; the command-line tool is the installed binary.
#include "app/list_box.h"
#include "app/main_window.h"
#include "support/codec_test_support.h"
#include "support/decoded_picture.h"
#include "support/screenshots.h"
#include "support/app_test_support.h"
#include "controls/command.h"
#include "platform/ui/fonts.h"
#include "settings/settings_file.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <cmath>
#include <memory>

using namespace tess;
using namespace tess::testing;

namespace {

struct SourcePicture {
    QString name;
    int width;
    int height;
};

// Landscape, portrait and square, bitmap and JPEG, one name with several dots;
// the portrait stored on its side with the orientation tag a phone writes.
const SourcePicture kSources[] = {
    {QStringLiteral("landscape.bmp"), 240, 160},
    {QStringLiteral("portrait.jpg"), 150, 260},
    {QStringLiteral("square.bmp"), 200, 200},
    {QStringLiteral("holiday.2020.08.jpg"), 333, 187},
};

bool writeSource(const QString &path, const SourcePicture &source)
{
    const Picture picture = photoLike(source.width, source.height);
    QByteArray bytes;
    if (path.endsWith(QLatin1String(".bmp"))) {
        bytes = encodeBmp(picture);
    } else {
        JpegOptions options;
        options.quality = 90;
        const bool turned = path.endsWith(QLatin1String("portrait.jpg"));
        Picture stored = picture;
        if (turned)
            applyOrientation(stored, QImageIOHandler::TransformationRotate270);
        const std::optional<QByteArray> jpeg = encodeJpeg(stored, options, path);
        if (!jpeg)
            return false;
        bytes = turned ? withExif(*jpeg, exifBlock(true, {{{0x0112, 3, 1, 6}}})) : *jpeg;
    }
    QFile out(path);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
}

const QString kPrefix = QStringLiteral("縮小_");

// The leading text, the name up to its first dot, and the bitmap extension.
QString thumbnailName(const SourcePicture &source)
{
    return kPrefix + source.name.section(QLatin1Char('.'), 0, 0) + QStringLiteral(".bmp");
}

QSize canvasSize(int ratioMode, int w, int h, const SourcePicture &source)
{
    switch (ratioMode) {
    case KeepRatioByWidth:
        return {w, int(std::lround(double(source.height) * w / source.width))};
    case NoStretchByWidth:
        return {w, w};
    default:
        return {w, h};
    }
}

} // namespace

class RunMatchesBatch : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY2(QGuiApplication::platformName() != QLatin1String("offscreen"),
                 "this test wants the real display");
        installFontSubstitutes();
    }

    void sameThumbnails_data()
    {
        QTest::addColumn<int>("ratioMode");
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("margin");
        QTest::newRow("stretch-high") << int(StretchToBoth) << int(QualityHigh) << 96 << 64 << int(rgb(30, 60, 90));
        QTest::newRow("square-by-width-medium-low")
            << int(NoStretchByWidth) << int(QualityMediumLow) << 80 << 200 << int(rgb(255, 255, 255));
        QTest::newRow("by-width-low") << int(KeepRatioByWidth) << int(QualityLow) << 100 << 50 << int(rgb(200, 0, 100));
    }

    void sameThumbnails()
    {
        QFETCH(int, ratioMode);
        QFETCH(int, quality);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, margin);

        ProgramFolder program;
        FakeDialogs fake;
        QTemporaryDir work;
        QVERIFY(work.isValid());
        const QString sourceFolder = work.filePath(QStringLiteral("pictures"));
        const QString windowOut = work.filePath(QStringLiteral("画面の出力"));
        const QString toolOut = work.filePath(QStringLiteral("コマンドの出力"));
        for (const QString &folder : {sourceFolder, windowOut, toolOut})
            QVERIFY(QDir().mkpath(folder));

        QStringList expected;
        for (const SourcePicture &source : kSources) {
            QVERIFY2(writeSource(QDir(sourceFolder).filePath(source.name), source), qPrintable(source.name));
            expected.append(thumbnailName(source));
        }
        expected.sort();

        ThumbSettings chosen = defaultSettings(program.path());
        chosen.Width = std::int16_t(width);
        chosen.Height = std::int16_t(height);
        chosen.RatioMode = std::int16_t(ratioMode);
        chosen.Quality = std::int16_t(quality);
        chosen.MarginColour = margin;
        chosen.FileType = FileTypeBitmap;
        chosen.Prefix = kPrefix;
        chosen.SaveFolder = windowOut;
        QVERIFY(SaveSettings(chosen, settingsFilePath(program.path())));
        chosen.SaveFolder = toolOut;
        const QString toolIni = work.filePath(QStringLiteral("tool.ini"));
        QVERIFY(SaveSettings(chosen, toolIni));

        // The window side: the settings record and the window as main() has them.
        ThumbSettings settings;
        MainWindow window(settings);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(settings.SaveFolder, windowOut);

        fake.folderAnswers.push_back(sourceFolder);
        clickCommand(window.Cmd_InFolder);
        QTRY_COMPARE(window.List_Pic->count(), int(std::size(kSources)));
        QTRY_VERIFY(window.Cmd_Thumb->enabledFlag());

        // The window in the middle of each file: half way through it, or,
        // where the plain stretch draws without reporting rows, as it is done.
        std::vector<QImage> midRun(std::size(kSources));
        std::size_t filesDone = 0;
        connect(&window, &MainWindow::runRowDone, this, [&](int rowsDone, int rowsTotal) {
            if (filesDone < midRun.size() && midRun[filesDone].isNull() && rowsDone >= rowsTotal / 2)
                midRun[filesDone] = window.grab().toImage();
        });
        connect(&window, &MainWindow::runFileDone, this, [&](int, const QString &, bool) {
            if (filesDone < midRun.size() && midRun[filesDone].isNull())
                midRun[filesDone] = window.grab().toImage();
            ++filesDone;
        });
        clickCommand(window.Cmd_Thumb);
        QTRY_VERIFY_WITH_TIMEOUT(fake.messages.contains(MainWindow::completedMessage()), 60000);
        QCOMPARE(fake.messages, QStringList{QStringLiteral("正常終了しました！！")});
        QVERIFY2(!midRun.front().isNull(), "nothing was reported during the run");
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        for (std::size_t i = 0; i < midRun.size(); ++i)
            keepScreenshot(midRun[i], tag + QStringLiteral("-running-%1").arg(i));
        keepScreenshot(window.grab().toImage(), tag + QStringLiteral("-done"));

        const QStringList listed = entries(window.List_Thumb);
        QStringList listedSorted = listed;
        listedSorted.sort();
        QCOMPARE(listedSorted, expected);
        window.close();

        // The tool side, on a copy of the same settings differing only in the save folder.
        QProcess tool;
        tool.setProgram(QStringLiteral(TESS_BIN_DIR "/tessarolith-batch"));
        tool.setArguments({QStringLiteral("--settings"), toolIni, QStringLiteral("--jobs"), QStringLiteral("1"),
                           sourceFolder});
        tool.start();
        QVERIFY(tool.waitForFinished(120000));
        const QString toolErrors = QString::fromUtf8(tool.readAllStandardError());
        QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0, qPrintable(toolErrors));
        QStringList printed = QString::fromUtf8(tool.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QVERIFY(!printed.isEmpty());
        QVERIFY2(printed.takeLast().startsWith(QStringLiteral("written %1, skipped 0").arg(int(std::size(kSources)))),
                 qPrintable(printed.join(QLatin1Char('\n'))));
        // Both go through the pictures in the same order.
        QCOMPARE(printed, listed);

        QCOMPARE(QDir(windowOut).entryList(QDir::Files, QDir::Name), expected);
        QCOMPARE(QDir(toolOut).entryList(QDir::Files, QDir::Name), expected);
        for (const SourcePicture &source : kSources) {
            const QString name = thumbnailName(source);
            QFile fromWindow(QDir(windowOut).filePath(name));
            QFile fromTool(QDir(toolOut).filePath(name));
            QVERIFY(fromWindow.open(QIODevice::ReadOnly));
            QVERIFY(fromTool.open(QIODevice::ReadOnly));
            const QByteArray windowBytes = fromWindow.readAll();
            QVERIFY2(windowBytes == fromTool.readAll(), qPrintable(name + QStringLiteral(" differs")));

            // And both took the sizes from the settings file, not from defaults.
            const DecodedPicture thumbnail = decodePictureData(windowBytes, name);
            QVERIFY2(thumbnail.ok(), qPrintable(name));
            QCOMPARE(QSize(thumbnail.picture.width(), thumbnail.picture.height()),
                     canvasSize(ratioMode, width, height, source));
        }
    }
};

QTEST_MAIN(RunMatchesBatch)
#include "run_matches_batch_e2e.moc"
