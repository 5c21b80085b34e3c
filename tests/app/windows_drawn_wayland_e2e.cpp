// The windows on a real Wayland compositor, whose window surfaces carry alpha:
// everything drawn from pictures reaches the screen, at the compositor's scale.
// The compositor has no input devices, so the windows are driven in-process;
// what counts is read back from the compositor's own screenshots.
#include "app/list_box.h"
#include "chrome/chrome_art.h"
#include "chrome/picture_box.h"
#include "chrome/window_animation.h"
#include "settings/ui/settings_window.h"
#include "support/wayland_screen.h"
#include "support/window_fixture.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest>
#include <csignal>

using namespace tess;
using namespace tess::testing;

namespace {

constexpr int kTimeoutMs = 20000;
constexpr QRgb kWhite = qRgb(255, 255, 255);

QString corpus(const char *relative) { return QStringLiteral(TESS_CORPUS_DIR "/") + QLatin1String(relative); }

// The first rows of a textured panel as the screen shows them: the texture's
// own first tile at the compositor's scale (the 2x artwork above 100 %), cut to
// the panel's width, below the row an outline or frame might touch. Nothing
// lies over them in either window.
QImage textureBand(int panelWidth)
{
    const int scale = compositorScale();
    QImage texture = chromeArtwork(ChromeArt::Texture).at(scale).convertToFormat(QImage::Format_RGB32);
    texture.setDevicePixelRatio(1);
    return texture.copy(0, 0, std::min(panelWidth * scale, texture.width()), 10 * scale);
}

// Where a textured panel's top-left pixel lies on the screen.
std::optional<QPoint> findTexturedPanel(const QImage &screen, const QWidget *panel)
{
    return findExactly(screen, textureBand(panel->width()), 1);
}

QPoint onScreen(QPoint panelAt, const QWidget *panel, const QWidget *widget)
{
    return panelAt + widget->mapTo(panel, QPoint(0, 0)) * compositorScale();
}

// Waits until no textured panel is on the screen, so the one looked for next
// cannot be an earlier test's window.
QString waitForNoTexturedPanel()
{
    QImage shot;
    return waitForScreen(shot, [](const QImage &screen) {
        return findExactly(screen, textureBand(400), 1) ? QStringLiteral("a window is still shown") : QString();
    });
}

bool isText(QRgb c) { return qRed(c) < 96 && qGreen(c) < 96 && qBlue(c) < 96; }

} // namespace

class WindowsDrawnOnWayland : public QObject, private WindowFixture {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> sources;
    std::unique_ptr<QTemporaryDir> output;

private slots:
    void initTestCase()
    {
        QCOMPARE(QApplication::platformName(), QStringLiteral("wayland"));
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("weston-screenshooter")).isEmpty(),
                 "weston-screenshooter is missing");
        setWindowAnimationsEnabled(false);
    }

    void init()
    {
        setUp();
        sources = std::make_unique<QTemporaryDir>();
        output = std::make_unique<QTemporaryDir>();
    }

    void cleanup()
    {
        tearDown();
        sources.reset();
        output.reset();
    }

    void mainWindowShowsTexturePreviewCanvasBarAndList()
    {
        const int scale = compositorScale();
        // Listed by name: the webp with alpha first, the photo last, so the
        // run ends on its thumbnail.
        const QStringList names{"alpha_filter_0_method_0.webp", "bmp_pal8.bmp", "hopper.jpg"};
        QVERIFY(QFile::copy(corpus("formats/webp/good/libwebp-test-data/alpha_filter_0_method_0.webp"),
                            sources->filePath(names[0])));
        QVERIFY(QFile::copy(corpus("bmpsuite/g/pal8.bmp"), sources->filePath(names[1])));
        QVERIFY(QFile::copy(corpus("jpeg/good/pillow/hopper.jpg"), sources->filePath(names[2])));

        MainWindow &w = open();
        settings->SaveFolder = output->path();
        listFolder(sources->path());
        QVERIFY(waitForPreview(w));
        QCOMPARE(entries(w.List_Pic), names);

        // The settings opened on the last file hold the run before its next
        // file: the canvas then keeps the finished thumbnail and the bar its
        // erased picture until they close.
        int filesDone = 0;
        connect(&w, &MainWindow::runFileDone, this, [&](int, const QString &, bool) { ++filesDone; });
        QImage lastRow;
        QString lastRowProblem = QStringLiteral("the settings were never opened on the last file");
        std::optional<QPoint> panelAt;
        w.setSettingsOpener([&](ThumbSettings &, QWidget *) {
            lastRowProblem = waitForScreen(lastRow, [&](const QImage &screen) -> QString {
                if (filesDone != names.size())
                    return QStringLiteral("the last file is not finished");
                panelAt = findTexturedPanel(screen, w.Pic_1);
                if (!panelAt)
                    return QStringLiteral("the textured background is not on the screen");
                if (meanDifference(screen, onScreen(*panelAt, w.Pic_1, w.PicProgress),
                                   pictureImage(w.PicProgress->picture()), scale) > 0)
                    return QStringLiteral("the progress bar does not show its picture");
                if (meanDifference(screen, onScreen(*panelAt, w.Pic_1, w.picHigh), pictureImage(w.picHigh->picture()),
                                   scale) > 0)
                    return QStringLiteral("the canvas does not show its picture");
                return {};
            });
        });
        bool opened = false;
        connect(&w, &MainWindow::runRowDone, this, [&](int, int) {
            if (filesDone == names.size() - 1 && !std::exchange(opened, true))
                clickCommandInPlace(w.Cmd_Setting);
        });
        QVERIFY(clickRunAndWait(w));
        QVERIFY2(lastRowProblem.isEmpty(), qPrintable(lastRowProblem));
        QCOMPARE(fake->messages, QStringList{MainWindow::completedMessage()});

        // The canvas showed the thumbnail the run then wrote (JPEG, so nearly).
        const QImage thumbnail(output->filePath(QStringLiteral("Thumb_hopper.jpg")));
        QCOMPARE(thumbnail.size(), QSize(settings->Width, settings->Height));
        const QPoint canvas = onScreen(*panelAt, w.Pic_1, w.picHigh);
        const double canvasDifference = meanDifference(lastRow, canvas, thumbnail, scale);
        QVERIFY2(canvasDifference < 2, qPrintable(QString::number(canvasDifference)));

        // The webp with alpha, chosen in the list, shows in the preview box.
        QVERIFY(clickRowAndWait(w, w.List_Pic, 0));
        const QImage preview = pictureImage(w.Pic_K->picture());
        QVERIFY(preview.width() > 16);
        QImage shot;
        const QString problem = waitForScreen(shot, [&](const QImage &screen) -> QString {
            panelAt = findTexturedPanel(screen, w.Pic_1);
            if (!panelAt)
                return QStringLiteral("the textured background is not on the screen");
            const QPoint box = onScreen(*panelAt, w.Pic_1, w.Pic_K);
            if (meanDifference(screen, box, preview, scale) > 1)
                return QStringLiteral("the preview box does not show the picture");
            if (countShown(screen, box, w.Pic_K->size(), scale, [](QRgb c) { return c != kWhite; })
                < w.Pic_K->width() * w.Pic_K->height() / 2)
                return QStringLiteral("the preview box is mostly white");
            // Every name's letters, and the white around them.
            const QPoint list = onScreen(*panelAt, w.Pic_1, w.List_Pic->viewport());
            const QSize listSize = w.List_Pic->viewport()->size();
            if (countShown(screen, list, listSize, scale, isText) < 60 * names.size())
                return QStringLiteral("the list shows too few letters");
            if (countShown(screen, list, listSize, scale, [](QRgb c) { return c == kWhite; })
                < listSize.width() * listSize.height() / 2)
                return QStringLiteral("the list's background is not white");
            return {};
        });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void settingsWindowFromTheButtonShowsItsTexture()
    {
        MainWindow &w = open();
        QImage shot;
        std::optional<QPoint> mainPanelAt;
        QString problem = waitForScreen(shot, [&](const QImage &screen) {
            mainPanelAt = findTexturedPanel(screen, w.Pic_1);
            return mainPanelAt ? QString()
                               : QStringLiteral("the main window's textured background is not on the screen");
        });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        // The settings window is modal: it is looked at from inside its loop,
        // once it is there.
        bool opened = false;
        QTimer watch;
        watch.setInterval(20);
        connect(&watch, &QTimer::timeout, this, [&] {
            auto *settingsWindow = qobject_cast<SettingsWindow *>(QApplication::activeModalWidget());
            if (!settingsWindow || opened)
                return;
            opened = true;
            watch.stop();
            const auto *panel = settingsWindow->findChild<PictureBox *>(QStringLiteral("Pic_C"));
            problem = waitForScreen(shot, [&](const QImage &screen) {
                // Its band lies in the main window's panel too, at the panel's corner.
                return findExactly(screen, textureBand(panel->width()), 1, {*mainPanelAt})
                           ? QString()
                           : QStringLiteral("the settings window's textured background is not on the screen");
            });
            settingsWindow->close();
        });
        watch.start();
        clickCommand(w.Cmd_Setting);
        QVERIFY2(opened, "the settings window did not open");
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void programNamesItselfAndShowsItsTexture()
    {
        QVERIFY2(waitForNoTexturedPanel().isEmpty(), "an earlier window is still shown");
        QTemporaryDir folder;
        const QString binary = folder.filePath(QStringLiteral("tessarolith"));
        QVERIFY(QFile::copy(QStringLiteral(TESS_BIN_DIR "/tessarolith"), binary));
        QVERIFY(QFile::setPermissions(binary, QFile::permissions(binary) | QFileDevice::ExeOwner));
        QVERIFY(QFile::copy(corpus("jpeg/good/pillow/hopper.jpg"), sources->filePath(QStringLiteral("hopper.jpg"))));

        // The program's main window is as wide as the test's; this one stays hidden.
        settings = std::make_unique<ThumbSettings>();
        const int panelWidth = MainWindow(*settings).Pic_1->width();

        QProcess tessarolith;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("WAYLAND_DEBUG"), QStringLiteral("1"));
        tessarolith.setProcessEnvironment(environment);
        // Read as it comes: the protocol log goes on for every frame and would
        // fill the pipe.
        QByteArray protocol;
        connect(&tessarolith, &QProcess::readyReadStandardError, this,
                [&] { protocol += tessarolith.readAllStandardError(); });
        tessarolith.start(binary, {sources->path()});
        QVERIFY(tessarolith.waitForStarted());
        QVERIFY(QTest::qWaitFor([&] { return protocol.contains("set_app_id(\"org.tessarolith.Tessarolith\")"); },
                                kTimeoutMs));

        QImage shot;
        const QString problem = waitForScreen(shot, [&](const QImage &screen) -> QString {
            return findExactly(screen, textureBand(panelWidth), 1)
                       ? QString()
                       : QStringLiteral("the program's textured background is not on the screen");
        });
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        ::kill(pid_t(tessarolith.processId()), SIGTERM);
        QVERIFY(tessarolith.waitForFinished(kTimeoutMs));
        QCOMPARE(tessarolith.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tessarolith.exitCode(), 0);
    }
};

QTEST_MAIN(WindowsDrawnOnWayland)
#include "windows_drawn_wayland_e2e.moc"
