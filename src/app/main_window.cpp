#include "app/main_window.h"

#include "app/folder_to_open.h"
#include "app/list_box.h"
#include "app/preview_fit.h"
#include "app/preview_loader.h"
#include "app/run_announcer.h"
#include "app/window_run.h"
#include "app/shape_outline.h"
#include "chrome/close_image.h"
#include "chrome/picture_box.h"
#include "chrome/title_strip.h"
#include "chrome/twips.h"
#include "chrome/window_animation.h"
#include "controls/command.h"
#include "controls/init_form_buttons.h"
#include "platform/app_locations.h"
#include "platform/file_names.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fonts.h"
#include "settings/settings_file.h"
#include "settings/ui/settings_window.h"
#include "thumbs/failure_of.h"
#include "thumbs/source_listing.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QLabel>
#include <QScreen>

#include <unistd.h>
#include <QCoreApplication>

namespace tess {

namespace {

// Design sizes, in twips.
constexpr double kPicCWidth = 8415;
constexpr double kPicCHeight = 6915;
constexpr double kListPicWidth = 2535;

constexpr Colour kWhite = rgb(255, 255, 255);

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &text, const QRect &at,
                  Qt::Alignment alignment)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(name);
    // A folder named "x<b>y" shows as it is typed.
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(at);
    label->setAlignment(alignment);
    label->setAttribute(Qt::WA_TranslucentBackground);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    return label;
}

Command *makeCommand(QWidget *parent, const QString &name, const QString &caption, const QRect &at,
                     bool enabled)
{
    auto *button = new Command(parent);
    button->setObjectName(name);
    button->setGeometry(at);
    // The design values the window definition stores for the button.
    CommandProperties design{{CommandKey::Caption, caption}};
    if (!enabled)
        design.append({CommandKey::Enabled, false});
    button->restoreProperties(design);
    button->setEnabled(enabled);
    return button;
}

PictureBox *makePictureBox(QWidget *parent, const QString &name, Colour background, const QRect &at)
{
    auto *box = new PictureBox(parent, background);
    box->setObjectName(name);
    box->setFrameStyle(QFrame::NoFrame);
    box->setGeometry(at);
    return box;
}

} // namespace

QString MainWindow::caption()
{
    return QCoreApplication::translate("MainWindow", "Tessarolith　Ver.1.1.0");
}

QString MainWindow::sourceFolderPickerTitle()
{
    return QCoreApplication::translate("MainWindow", "ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください");
}

QString MainWindow::completedMessage()
{
    return QCoreApplication::translate("MainWindow", "正常終了しました！！");
}

MainWindow::MainWindow(ThumbSettings &settings, QWidget *parent)
    : QWidget(parent)
    , m_settings(settings)
    , m_openSettings(&SettingsWindow::showModal)
    , m_previews(std::make_unique<PreviewLoader>([this](PreviewPicture loaded) { showPreview(std::move(loaded)); }))
{
    connect(this, &MainWindow::runEnded, this, [this] { ++m_runsEnded; });
    setObjectName(QStringLiteral("Tessarolith_Main"));
    setWindowTitle(caption());
    setAcceptDrops(true);
    buildControls();
    load();
}

MainWindow::~MainWindow()
{
    // The threads first, while everything they report to is still there.
    delete m_run;
    if (m_scan.joinable())
        m_scan.join();
    m_previews.reset();
    if (m_previewCursor)
        QApplication::restoreOverrideCursor();
}

bool MainWindow::previewing() const
{
    return m_previews->busy();
}

void MainWindow::setSettingsOpener(SettingsOpener opener)
{
    m_openSettings = opener ? std::move(opener) : SettingsOpener(&SettingsWindow::showModal);
}

void MainWindow::buildControls()
{
    installFontSubstitutes();
    setFont(uiFont());

    // The chrome first: Pic_C, created after it, lies over the strip's last rows.
    m_chrome = installChrome(this, ChromeLayout::mainWindow());
    Image1 = m_chrome.titleStrip;
    lblTitle = m_chrome.titleLabel;
    ImgExit = m_chrome.closeImage;

    Pic_C = makePictureBox(this, QStringLiteral("Pic_C"), rgb(0x80, 0x80, 0x80),
                           twipsRect(0, 300, kPicCWidth, kPicCHeight));
    Pic_1 = makePictureBox(Pic_C, QStringLiteral("Pic_1"), rgb(0xC0, 0xC0, 0xC0),
                           twipsRect(120, 120, 8175, 6675));

    // Outlines before the labels they frame, so the text lies on top.
    const std::array<QRect, 3> shapes = {twipsRect(180, 180, 2535, 315), twipsRect(2880, 1140, 1515, 315),
                                         twipsRect(5460, 180, 2535, 315)};
    for (std::size_t i = 0; i < shapes.size(); ++i) {
        Shape1[i] = new ShapeOutline(Pic_1);
        Shape1[i]->setObjectName(QStringLiteral("Shape1(%1)").arg(i));
        Shape1[i]->setGeometry(shapes[i]);
    }
    const Qt::Alignment centred = Qt::AlignHCenter | Qt::AlignTop;
    lblSource = makeLabel(Pic_1, QStringLiteral("lbl(12)"), QCoreApplication::translate("MainWindow", "ｵﾘｼﾞﾅﾙﾌｧｲﾙ"),
                          twipsRect(180, 240, 2505, 255), centred);
    lblThumbs = makeLabel(Pic_1, QStringLiteral("lbl(0)"), QCoreApplication::translate("MainWindow", "ｻﾑﾈｲﾙﾌｧｲﾙ"),
                          twipsRect(5460, 240, 2505, 255), centred);
    lblPreview = makeLabel(Pic_1, QStringLiteral("lbl(6)"), QCoreApplication::translate("MainWindow", "ﾌﾟﾚﾋﾞｭｰ"),
                           twipsRect(2880, 1200, 1485, 255), centred);
    lbl_PreSize = makeLabel(Pic_1, QStringLiteral("lbl_PreSize"), QStringLiteral("9999 * 9999"),
                            twipsRect(2880, 1500, 1515, 195), centred);
    Folder_Path = makeLabel(Pic_1, QStringLiteral("Folder_Path"), QString(),
                            twipsRect(1740, 600, 6255, 435), Qt::AlignLeft | Qt::AlignTop);
    Folder_Path->setWordWrap(true);

    Cmd_InFolder = makeCommand(Pic_1, QStringLiteral("Cmd_InFolder"), QCoreApplication::translate("MainWindow", "ｲﾝﾌﾟｯﾄﾌｫﾙﾀﾞ..."),
                               twipsRect(180, 600, 1515, 375), true);

    List_Pic = new ListBox(Pic_1);
    List_Pic->setObjectName(QStringLiteral("List_Pic"));
    List_Pic->setGeometry(twipsRect(180, 1140, kListPicWidth, 4740));
    QPalette white = List_Pic->palette();
    white.setColor(QPalette::Base, Qt::white);
    List_Pic->setPalette(white);

    Pic_K = makePictureBox(Pic_1, QStringLiteral("Pic_K"), kWhite, twipsRect(2880, 1740, 1500, 1500));
    // The preview's picture is drawn at the size the box is given for it.
    Pic_K->setPictureFollowsSize(false);

    Pic_Base = makePictureBox(Pic_1, QStringLiteral("Pic_Base"), rgb(0xC0, 0xC0, 0xC0),
                              twipsRect(2880, 3300, 2355, 2355));
    picHigh = makePictureBox(Pic_Base, QStringLiteral("picHigh"), kWhite, twipsRect(0, 0, 2280, 2280));
    // The run sizes the canvas picture; the box follows it, not the other way round.
    picHigh->setPictureFollowsSize(false);

    PicProgress = makePictureBox(Pic_1, QStringLiteral("PicProgress"), kWhite,
                                 twipsRect(2880, 5700, 2355, 195));

    List_Thumb = new ListBox(Pic_1);
    List_Thumb->setObjectName(QStringLiteral("List_Thumb"));
    List_Thumb->setGeometry(twipsRect(5400, 1140, 2595, 4740));
    // Assistive technology names the lists and the pictures by the headings above them.
    List_Pic->setAccessibleName(lblSource->text());
    List_Thumb->setAccessibleName(lblThumbs->text());
    Pic_K->setAccessibleName(lblPreview->text());
    picHigh->setAccessibleName(lblPreview->text());

    Cmd_Setting = makeCommand(Pic_1, QStringLiteral("Cmd_Setting"), QCoreApplication::translate("MainWindow", "各種設定..."),
                              twipsRect(180, 6060, 2535, 375), true);
    Cmd_Thumb = makeCommand(Pic_1, QStringLiteral("Cmd_Thumb"), QCoreApplication::translate("MainWindow", "ｻﾑﾈｲﾙ作成ｽﾀｰﾄ"),
                            twipsRect(2880, 6060, 2355, 375), false);
    Cmd_Stop = makeCommand(Pic_1, QStringLiteral("Cmd_Stop"), QCoreApplication::translate("MainWindow", "ｽﾄｯﾌﾟ"),
                           twipsRect(5400, 6060, 1275, 375), false);
    Cmd_Can = makeCommand(Pic_1, QStringLiteral("Cmd_Can"), QStringLiteral("Exit"),
                          twipsRect(6720, 6060, 1275, 375), true);

    connect(Cmd_InFolder, &Command::Click, this, &MainWindow::SelectSourceFolder);
    connect(Cmd_Setting, &Command::Click, this, &MainWindow::Cmd_Setting_Click);
    connect(Cmd_Thumb, &Command::Click, this, &MainWindow::Cmd_Thumb_Click);
    connect(Cmd_Stop, &Command::Click, this, &MainWindow::Cmd_Stop_Click);
    connect(Cmd_Can, &Command::Click, this, &QWidget::close);
    connect(List_Pic, &ListBox::Click, this, &MainWindow::List_Pic_Click);
    connect(List_Thumb, &ListBox::Click, this, &MainWindow::List_Thumb_Click);
}

void MainWindow::load()
{
    const double tpx = twipsPerPixelX();
    const double tpy = twipsPerPixelY();

    // Size: 6 twips are less than a pixel, so the window is as wide as Pic_C;
    // its last 20 twips fall below the window's bottom edge.
    const double widthTwips = kPicCWidth + 6;
    const double heightTwips = kPicCHeight + 280;
    // A fixed size, so window managers offer neither resizing nor maximising.
    setFixedSize(toPixels(widthTwips, tpx), toPixels(heightTwips, tpy));

    // Position: centred across, a third of the free height from the top, on
    // whatever screen size (off the screen when the screen is too small).
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        const QPoint at = centredPositionTwips(area.width() * tpx, area.height() * tpy, widthTwips, heightTwips);
        move(area.left() + toPixels(at.x(), tpx), area.top() + toPixels(at.y(), tpy));
    }

    // Both lists scroll over the extent taken from List_Pic alone.
    m_listExtent = int(roundHalfEven(kListPicWidth / tpx + 300));
    List_Pic->setHorizontalExtent(m_listExtent);
    List_Thumb->setHorizontalExtent(m_listExtent);

    tileTexture(Pic_1);
    paintGradientOnResize(Pic_C);

    InitFormButtons(this, true, true);
    if (Image1)
        Image1->drag().reset();

    LoadSettings(m_settings);
    picHigh->setBackground(Colour(m_settings.MarginColour));

    List_Pic->clear();
    List_Thumb->clear();
    lbl_PreSize->setText(QString());

    recordOpenPoint(kMainWindowSlot);
    animateOpen(this, kMainWindowSlot);

    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // Pic_C repaints its own gradient whenever it changes size; the window's
    // resize only needs it shown again.
    Pic_C->update();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (m_unloaded) {
        event->accept();
        return;
    }
    // Only a close from outside (SIGTERM) can come while a settings window or
    // message box is up; it goes first, as if cancelled.
    if (QWidget *modal = QApplication::activeModalWidget(); modal && modal != this)
        modal->close();
    // The run is asked to stop after the file in hand, a scan to finish, and
    // the window then closes the ordinary way, its thumbnails whole.
    if (running() || m_scanning) {
        m_closeWhenIdle = true;
        if (m_run)
            m_run->requestStop();
        event->ignore();
        return;
    }
    SaveSettings(m_settings);
    unload();
    event->accept();
}

void MainWindow::unload()
{
    m_unloaded = true;
    ::unlink(nativePath(appLocations().workFolder + QStringLiteral("/Dumy.bmp")).constData());
    animateClose(this, kMainWindowSlot);
}

// --- Source folder and previews ---

void MainWindow::SelectSourceFolder()
{
    if (m_scanning || running())
        return;
    const std::optional<QString> chosen = dialogs().pickFolder(this, sourceFolderPickerTitle());
    if (!chosen)
        return;
    ListFolder(*chosen);
}

bool MainWindow::ListFolder(const QString &folder)
{
    if (m_scanning || running())
        return false;
    Folder_Path->setText(displayName(folder));

    m_scanning = true;
    Cmd_InFolder->setEnabled(false);
    if (m_scan.joinable())
        m_scan.join(); // the last scan's thread, which has nothing left to do
    // The thread reaches the window only through the queued call, which the
    // window's destructor outlasts by joining it first.
    m_scan = std::thread([this, folder] {
        SourceListing listing;
        try {
            listing = ListSourceFolder(folder);
        } catch (...) {
            listing.failure = failureOf(std::current_exception(), folder);
        }
        QMetaObject::invokeMethod(
            this, [this, folder, listing = std::move(listing)] { showListing(folder, listing); },
            Qt::QueuedConnection);
    });
    return true;
}

void MainWindow::showListing(const QString &folder, const SourceListing &listing)
{
    Cmd_InFolder->setEnabled(true);
    m_scanning = false;

    if (listing.failure)
        dialogs().message(this, listing.failure->text());

    m_listedFolder = folder;
    m_listedNames = listing.names;
    List_Pic->clear();
    if (!listing.names.isEmpty()) {
        List_Pic->addFileNames(listing.names);
        List_Pic->setCurrentRow(0); // raises Click: the first picture is previewed
        Cmd_Thumb->setEnabled(true);
    }
    List_Thumb->clear();
    emit folderListed();

    if (m_closeWhenIdle)
        close();
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event)
{
    // Only what would list something is taken; anything else shows the
    // "no drop" cursor.
    if (!m_scanning && !running() && folderToOpen(event->mimeData()->urls()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent *event)
{
    const std::optional<QString> folder = folderToOpen(event->mimeData()->urls());
    if (!folder) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    ListFolder(*folder);
}

void MainWindow::List_Pic_Click()
{
    if (!List_Pic->currentItem() || List_Pic->currentRow() < 0)
        return;
    preview(m_listedFolder + QLatin1Char('/') + List_Pic->fileName(List_Pic->currentRow()), false);
}

void MainWindow::List_Thumb_Click()
{
    if (!List_Thumb->currentItem() || List_Thumb->currentRow() < 0)
        return;
    preview(m_settings.SaveFolder + QLatin1Char('/') + List_Thumb->fileName(List_Thumb->currentRow()), true);
}

void MainWindow::preview(const QString &path, bool thumbnail)
{
    // The hourglass from the click until the newest load is shown.
    if (!m_previewCursor) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_previewCursor = true;
    }
    Pic_K->hide();
    m_previewThumbnail = thumbnail;
    m_previewDuringRun = running();
    m_previewRunsEnded = m_runsEnded;
    m_previews->start(path);
}

void MainWindow::showPreview(PreviewPicture loaded)
{
    if (m_previewCursor) {
        QApplication::restoreOverrideCursor();
        m_previewCursor = false;
    }
    // A file that cannot be decoded leaves Pic_F with the picture it had, which
    // is then shown again; before any picture loaded there is nothing to show,
    // and the box and label stay as they were.
    if (loaded.ok())
        m_picF = std::move(loaded);
    if (m_picF.isEmpty()) {
        Pic_K->show();
        emit previewShown();
        return;
    }

    const int w = m_picF.width;
    const int h = m_picF.height;
    lbl_PreSize->setText(previewSizeCaption(w, h));
    const PreviewFit fit = m_previewThumbnail ? fitThumbnailPreview(w, h) : fitSourcePreview(w, h);
    Pic_K->resize(fit.drawnSize());
    Pic_K->setPicture(drawPreview(m_picF, m_previewThumbnail, Pic_K->background()));
    // A run started after the click clears the box and its caption, as it
    // does a preview that was already shown.
    const int runsStarted = m_runsEnded - m_previewRunsEnded + (running() ? 1 : 0) - (m_previewDuringRun ? 1 : 0);
    if (runsStarted > 0) {
        Pic_K->clear();
        lbl_PreSize->setText(QString());
    }

    Pic_K->show();
    Pic_K->refresh();
    emit previewShown();
}

// --- Settings ---

void MainWindow::Cmd_Setting_Click()
{
    // A run in hand waits before its next file while the settings are edited,
    // and makes the files after the one on the canvas with them.
    if (m_run)
        m_run->hold();
    m_settingsOpen = true;
    m_openSettings(m_settings, this);
    m_settingsOpen = false;
    if (m_run)
        m_run->release(m_settings);
    // A new background clears the canvas: in the middle of a run that would
    // wipe the rows already drawn of the thumbnail about to be written, so the
    // run's canvas keeps its picture and takes the colour from its next file.
    if (running())
        picHigh->picture().setBackground(Colour(m_settings.MarginColour));
    else
        picHigh->setBackground(Colour(m_settings.MarginColour));
    if (const std::optional<BatchResult> ended = std::exchange(m_endWhileSettingsOpen, std::nullopt))
        endRun(*ended);
}

} // namespace tess
