// The thumbnail run as the main window shows it: the canvas fills row by row
// inside its frame, the progress bar follows the rows of the file in hand, and
// every written name joins List_Thumb.
#include "app/main_window.h"

#include "app/frame_pacer.h"
#include "app/list_box.h"
#include "app/run_announcer.h"
#include "chrome/picture_box.h"
#include "chrome/twips.h"
#include "controls/command.h"
#include "platform/ui/dialogs.h"
#include "thumbs/compose_geometry.h"

#include <QCoreApplication>
#include <QLabel>
#include <algorithm>

namespace tess {

namespace {
constexpr Colour kWhite = rgb(255, 255, 255);
constexpr Colour kProgressColour = rgb(192, 255, 192);
constexpr double kRunFramesPerSecond = 20.0;
} // namespace

void MainWindow::Cmd_Thumb_Click()
{
    // The button is off while a run lasts; a scan in progress has not yet
    // replaced the list the run would read.
    if (running() || m_scanning)
        return;

    Cmd_Thumb->setEnabled(false);
    Cmd_Stop->setEnabled(true);
    // Choosing another folder would pull the list from under the run.
    Cmd_InFolder->setEnabled(false);

    Pic_K->clear();
    lbl_PreSize->setText(QString());

    const QStringList entries = m_listedNames;

    BatchEngine engine;
    m_engine = &engine;

    // The canvas, the bar and the list are marked for repainting as they
    // change and reach the screen when the run serves the event loop, twenty
    // times a second: each repaint takes its time from the workers on a busy
    // machine, and a canvas filling at that rate still reads as smooth. The
    // workers never wait for either.
    FramePacer pacer(kRunFramesPerSecond);
    const auto serveEvents = [this, &pacer] {
        if (pacer.due())
            yieldToEvents();
    };
    // The whole run's progress on the desktop's task bar, and a notice at its end.
    RunAnnouncer announcer;
    announcer.started(int(entries.size()));
    BatchCallbacks callbacks;
    callbacks.canvasSized = [this](int width, int height, Colour background) {
        Picture &canvas = picHigh->picture();
        canvas.setBackground(background);
        canvas.resize(width, height);
        const CanvasPlacement placement = placeCanvas(width, height);
        picHigh->setGeometry(placement.left, placement.top, width, height);
        picHigh->update();
    };
    callbacks.rowsDrawn = [this](const Picture &drawn, int first, int end) {
        Picture &canvas = picHigh->picture();
        if (canvas.width() != drawn.width() || canvas.height() != drawn.height())
            return;
        std::copy(drawn.row(first), drawn.row(first) + std::size_t(end - first) * std::size_t(drawn.width()),
                  canvas.row(first));
    };
    callbacks.rowDone = [this](int rowsDone, int rowsTotal) {
        picHigh->update();
        drawProgress(rowsDone, rowsTotal);
        emit runRowDone(rowsDone, rowsTotal);
    };
    callbacks.fileDone = [this, &announcer](int index, const QString &outputName, bool written) {
        announcer.fileDone(index + 1);
        picHigh->update();
        PicProgress->setBackground(kWhite);
        PicProgress->update();
        if (written)
            List_Thumb->addItemKeepingTheView(outputName);
        List_Thumb->update();
        emit runFileDone(index, outputName, written);
    };
    callbacks.serve = serveEvents;

    const BatchResult result = engine.run(jobsForFolder(m_listedFolder, entries), m_settings, callbacks);
    m_engine = nullptr;
    // A window being closed needs no notice of the run it waited for.
    announcer.ended(result, isActiveWindow() || m_closeWhenIdle);
    finishRun(result);
}

void MainWindow::Cmd_Stop_Click()
{
    if (m_engine)
        m_engine->requestStop();
}

void MainWindow::drawProgress(int rowsDone, int rowsTotal)
{
    if (rowsTotal <= 0)
        return;
    Picture &bar = PicProgress->picture();
    // The bar's right edge stands at rowsDone / rowsTotal of its width.
    const float unit = float(bar.width()) / float(rowsTotal);
    const int right = int(roundHalfEven(double(float(rowsDone) * unit)));
    bar.fillBox(0, 0, right, bar.height(), kProgressColour);
    PicProgress->update();
}

void MainWindow::finishRun(const BatchResult &result)
{
    picHigh->clear();
    PicProgress->setBackground(kWhite);
    Cmd_Stop->setEnabled(false);
    Cmd_InFolder->setEnabled(true);
    emit runEnded(result.end);

    // A window asked to close while the run lasted closes now, without a word.
    if (m_closeWhenIdle) {
        close();
        return;
    }
    switch (result.end) {
    case BatchEnd::Completed:
        dialogs().message(this, completedMessage());
        break;
    case BatchEnd::Stopped:
        break;
    case BatchEnd::Failed: {
        const Failure failure = result.failure.value_or(Failure{});
        QString text = QStringLiteral("サムネイル作成を中断しました。");
        if (!failure.text().isEmpty())
            text += QLatin1Char('\n') + failure.text();
        dialogs().message(this, text);
        break;
    }
    }
}

} // namespace tess
