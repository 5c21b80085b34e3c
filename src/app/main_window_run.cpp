// The thumbnail run as the main window shows it: the canvas fills row by row
// inside its frame, the progress bar follows the rows of the file in hand, and
// every written name joins List_Thumb. The run works on its own thread
// (WindowRun); the window only shows what it hears.
#include "app/main_window.h"

#include "app/list_box.h"
#include "app/run_announcer.h"
#include "app/window_run.h"
#include "chrome/picture_box.h"
#include "chrome/twips.h"
#include "controls/command.h"
#include "platform/ui/dialogs.h"
#include "thumbs/compose_geometry.h"

#include <QLabel>
#include <QTimer>
#include <algorithm>
#include <QCoreApplication>

namespace tess {

namespace {
constexpr Colour kWhite = rgb(255, 255, 255);
constexpr Colour kProgressColour = rgb(192, 255, 192);
// The canvas, the bar and the list reach the screen twenty times a second:
// each repaint takes its time from the workers on a busy machine, and a
// canvas filling at that rate still reads as smooth.
constexpr int kRepaintIntervalMs = 50;
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
    // The whole run's progress on the desktop's task bar, and a notice at its end.
    m_announcer = std::make_unique<RunAnnouncer>();
    m_announcer->started(int(entries.size()));

    if (!m_repaint) {
        m_repaint = new QTimer(this);
        m_repaint->setInterval(kRepaintIntervalMs);
        connect(m_repaint, &QTimer::timeout, this, [this] {
            picHigh->update();
            PicProgress->update();
        });
    }
    m_repaint->start();

    m_run = new WindowRun(jobsForFolder(m_listedFolder, entries), m_settings, this);
    connect(m_run, &WindowRun::canvasSized, this, [this](int width, int height, Colour background) {
        Picture &canvas = picHigh->picture();
        canvas.setBackground(background);
        canvas.resize(width, height);
        const CanvasPlacement placement = placeCanvas(width, height);
        picHigh->setGeometry(placement.left, placement.top, width, height);
    });
    connect(m_run, &WindowRun::drawn, this, [this](const Picture &part, QPoint at) {
        Picture &canvas = picHigh->picture();
        if (at.x() < 0 || at.y() < 0 || at.x() + part.width() > canvas.width()
            || at.y() + part.height() > canvas.height())
            return;
        for (int y = 0; y < part.height(); ++y)
            std::copy_n(part.row(y), part.width(), canvas.row(at.y() + y) + at.x());
    });
    connect(m_run, &WindowRun::rowDone, this, [this](int rowsDone, int rowsTotal) {
        drawProgress(rowsDone, rowsTotal);
        emit runRowDone(rowsDone, rowsTotal);
    });
    connect(m_run, &WindowRun::fileDone, this, [this](int index, const QString &outputName, bool written) {
        m_announcer->fileDone(index + 1);
        PicProgress->setBackground(kWhite);
        if (written)
            List_Thumb->addItemKeepingTheView(outputName);
        emit runFileDone(index, outputName, written);
    });
    connect(m_run, &WindowRun::ended, this, [this](const BatchResult &result) {
        m_run->deleteLater();
        m_run = nullptr;
        m_repaint->stop();
        // The settings window's own loop may hear the end; the run is
        // finished once it has closed.
        if (m_settingsOpen)
            m_endWhileSettingsOpen = result;
        else
            endRun(result);
    });
    m_run->start();
}

void MainWindow::Cmd_Stop_Click()
{
    if (m_run)
        m_run->requestStop();
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
}

void MainWindow::endRun(const BatchResult &result)
{
    // A window being closed needs no notice of the run it waited for.
    m_announcer->ended(result, isActiveWindow() || m_closeWhenIdle);
    m_announcer.reset();
    finishRun(result);
}

void MainWindow::finishRun(const BatchResult &result)
{
    picHigh->clear();
    PicProgress->setBackground(kWhite);
    PicProgress->update();
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
        QString text = QCoreApplication::translate("MainWindow", "サムネイル作成を中断しました。");
        if (!failure.text().isEmpty())
            text += QLatin1Char('\n') + failure.text();
        dialogs().message(this, text);
        break;
    }
    }
}

} // namespace tess
