#pragma once
#include "app/preview_picture.h"
#include "chrome/window_chrome.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/batch_engine.h"
#include "thumbs/source_listing.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

class QLabel;
class QTimer;

namespace tess {

class CloseImage;
class Command;
class ListBox;
class PictureBox;
class PreviewLoader;
class RunAnnouncer;
class ShapeOutline;
class TitleStrip;
class WindowRun;

// Tessarolith_Main: the startup window. It lists the pictures of a source
// folder, previews a source picture or a written thumbnail, runs the thumbnail
// batch with the canvas and progress bar on show, and opens the settings window.
// Loading it (the constructor) starts the program; closing it saves the settings
// and ends the program.
class MainWindow : public QWidget {
    Q_OBJECT
public:
    static QString caption();                // "Tessarolith　Ver.1.1.0"
    static QString sourceFolderPickerTitle(); // the instruction the folder picker shows
    static QString completedMessage();       // "正常終了しました！！"

    // Builds the window and runs its startup sequence (everything but the
    // single-instance test, which main() makes before any window exists). The
    // record is the program's settings: loaded here, saved on close, edited by
    // the settings window and read by the run.
    explicit MainWindow(ThumbSettings &settings, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The horizontal scroll extent both lists get: List_Pic's width in pixels
    // plus 300, rounded half to even (469 at 96 dpi).
    int listExtent() const { return m_listExtent; }

    // Handlers, named after their control and event.
    void SelectSourceFolder();   // Cmd_InFolder
    // Lists folder as a folder chosen in the browser is listed: the path shown,
    // then, once its scan on a thread of its own ends (folderListed()), its
    // pictures listed, the first previewed, the run button enabled, the
    // thumbnail list emptied. The command line's folder and a dropped folder
    // (or picture, for its folder) come here. False, with nothing changed,
    // while a scan or a run is under way.
    bool ListFolder(const QString &folder);
    void List_Pic_Click();       // preview of the selected source picture
    void List_Thumb_Click();     // preview of the selected thumbnail, from the save folder
    void Cmd_Setting_Click();    // the settings window, modal
    void Cmd_Thumb_Click();      // starts the batch run; runEnded() says when it ends
    void Cmd_Stop_Click();       // asks the run to stop after the file in hand

    bool running() const { return m_run != nullptr; }
    bool scanning() const { return m_scanning; }
    // Whether a preview is still loading; previewShown() comes when it ends.
    bool previewing() const;
    // The last picture a preview loaded, as the preview keeps it (empty until
    // one loaded).
    const PreviewPicture &Pic_F() const { return m_picF; }
    // The folder the entries of List_Pic belong to, and the names its scan
    // found there, in list order: the run's files.
    const QString &listedFolder() const { return m_listedFolder; }
    const QStringList &listedNames() const { return m_listedNames; }

    // What Cmd_Setting opens; tests put a stand-in here. The default is the
    // settings window.
    using SettingsOpener = std::function<void(ThumbSettings &, QWidget *)>;
    void setSettingsOpener(SettingsOpener opener);

    // The window's controls, by their design names.
    TitleStrip *Image1 = nullptr;
    QLabel *lblTitle = nullptr; // lbl(1)
    CloseImage *ImgExit = nullptr;
    PictureBox *Pic_C = nullptr;
    PictureBox *Pic_1 = nullptr;
    std::array<ShapeOutline *, 3> Shape1{};
    QLabel *lblSource = nullptr;  // lbl(12)
    QLabel *lblThumbs = nullptr;  // lbl(0)
    QLabel *lblPreview = nullptr; // lbl(6)
    Command *Cmd_InFolder = nullptr;
    QLabel *Folder_Path = nullptr;
    ListBox *List_Pic = nullptr;
    QLabel *lbl_PreSize = nullptr;
    PictureBox *Pic_K = nullptr;
    PictureBox *Pic_Base = nullptr;
    PictureBox *picHigh = nullptr;
    PictureBox *PicProgress = nullptr;
    ListBox *List_Thumb = nullptr;
    Command *Cmd_Setting = nullptr;
    Command *Cmd_Thumb = nullptr;
    Command *Cmd_Stop = nullptr;
    Command *Cmd_Can = nullptr;

signals:
    // The run, as it goes; tests and nothing else listen.
    void runRowDone(int rowsDone, int rowsTotal);
    void runFileDone(int index, const QString &outputName, bool written);
    void runEnded(tess::BatchEnd end);
    // A preview's load ended and the box shows what it shows for it.
    void previewShown();
    // A folder's scan ended and the lists show its outcome.
    void folderListed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildControls();
    void load();
    void unload();
    void preview(const QString &path, bool thumbnail);
    void showPreview(PreviewPicture loaded);
    void showListing(const QString &folder, const SourceListing &listing);
    void drawProgress(int rowsDone, int rowsTotal);
    void endRun(const BatchResult &result);
    void finishRun(const BatchResult &result);

    ThumbSettings &m_settings;
    WindowChrome m_chrome;
    PreviewPicture m_picF;
    QString m_listedFolder;
    QStringList m_listedNames;
    int m_listExtent = 0;
    bool m_scanning = false;
    bool m_closeWhenIdle = false;
    bool m_unloaded = false;
    // The run in hand (a child of the window), what it tells the desktop, and
    // the repaints that bring its canvas and bar to the screen.
    WindowRun *m_run = nullptr;
    std::unique_ptr<RunAnnouncer> m_announcer;
    QTimer *m_repaint = nullptr;
    bool m_settingsOpen = false;
    std::optional<BatchResult> m_endWhileSettingsOpen;
    std::thread m_scan;
    SettingsOpener m_openSettings;
    // The preview in hand: which fit it is for, whether the hourglass is up,
    // and the runs it started beside, so that a run begun after the click
    // clears the box as it would have after a preview that loaded at once.
    bool m_previewThumbnail = false;
    bool m_previewCursor = false;
    bool m_previewDuringRun = false;
    int m_previewRunsEnded = 0;
    int m_runsEnded = 0;
    // Last, so that it stops and waits for its loads before the rest goes.
    std::unique_ptr<PreviewLoader> m_previews;
};

} // namespace tess
