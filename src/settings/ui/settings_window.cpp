#include "settings/ui/settings_window.h"

#include "chrome/close_image.h"
#include "chrome/picture_box.h"
#include "chrome/window_chrome.h"
#include "chrome/title_strip.h"
#include "settings/ui/slider_keys.h"
#include "chrome/twips.h"
#include "chrome/window_animation.h"
#include "controls/command.h"
#include "controls/init_form_buttons.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/fonts.h"
#include "settings/ui/option_caption.h"
#include "settings/ui/option_image.h"
#include "settings/ui/option_marks.h"
#include "settings/ui/pick_colour.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <limits>
#include <QCoreApplication>

namespace tess {

namespace {

// Design sizes, in twips.
constexpr int kPanelWidth = 7095;      // Pic_C
constexpr int kPanelHeight = 6735;
constexpr int kPanelTop = 300;
constexpr int kTitleHeight = 330;      // the strip the panel lies under
constexpr int kCreatedWidth = 7455;    // the client area the window is created with
constexpr int kCreatedHeight = 7425;

constexpr int kSizeMin = 16;
constexpr int kSizeMax = 640;
constexpr int kSizeBeforeFilling = 32;
constexpr int kPressLeftEnd = 100;     // HS_Press's value at its left end
constexpr int kPressRightEnd = 40;
// HS_Press is a plain scroll bar whose position p runs 40..100 from left to
// right; the slider's value is kPressMirror - p.
constexpr int kPressMirror = kPressLeftEnd + kPressRightEnd;

const QColor kHeadingColour(0, 0, 128);
const QColor kPanelColour(0xC0, 0xC0, 0xC0);

// The lossy kinds: the compression slider means something only for them.
bool takesCompression(int fileType)
{
    return fileType == FileTypeJpeg || fileType == FileTypeWebp || fileType == FileTypeAvif
        || fileType == FileTypeJpegXl;
}

bool isColourRatioMode(int mode)
{
    return mode == KeepRatioWithinBoth || mode == NoStretchByWidth || mode == NoStretchByHeight;
}

QColor toQColor(std::int32_t c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

std::int32_t toColourValue(const QColor &c)
{
    return std::int32_t(rgb(c.red(), c.green(), c.blue()));
}

void setTextColour(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    p.setColor(QPalette::Text, colour);
    w->setPalette(p);
}

void setBackColour(QWidget *w, const QColor &colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
    w->setAutoFillBackground(true);
}

// A label of the design: position (and size, when given) in twips inside the panel.
QLabel *makeLabel(QWidget *panel, const QString &name, const QString &text, int left, int top,
                  int width = 0, int height = 0)
{
    auto *label = new QLabel(panel);
    // Captions are shown as they are: a folder name may hold "<b>" or "&lt;".
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    label->setObjectName(name);
    label->setFont(uiFont());
    setTextColour(label, Qt::black);
    if (width > 0) {
        label->setGeometry(twipsRect(left, top, width, height));
    } else {
        label->adjustSize();
        label->move(twipsRect(left, top, 0, 0).topLeft());
    }
    return label;
}

// A group's frame: a transparent label with a single-line border whose own
// caption is the group's heading.
QLabel *makeFrame(QWidget *panel, const QString &name, const QString &heading, int left, int top,
                  int width, int height)
{
    auto *frame = new QLabel(heading, panel);
    frame->setObjectName(name);
    frame->setFont(uiFont());
    frame->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    frame->setWordWrap(true);
    frame->setStyleSheet(QStringLiteral("QLabel { border: 1px solid black; background: transparent;"
                                        " color: rgb(0, 0, 128); padding: 1px; }"));
    frame->setGeometry(twipsRect(left, top, width, height));
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    return frame;
}

// The size numbers sit in boxes sized for a font with narrow digits; narrow
// ours to match so that "640" shows whole.
void narrowDigits(QLabel *label)
{
    QFont font = label->font();
    font.setStretch(84);
    label->setFont(font);
}

QScrollBar *makeSlider(QWidget *panel, const QString &name, int left, int top, int width, int height,
                       int minimum, int maximum, int arrowStep, int pageStep, int position)
{
    auto *slider = new QScrollBar(Qt::Horizontal, panel);
    slider->setObjectName(name);
    slider->setRange(minimum, maximum);
    slider->setSingleStep(arrowStep);
    slider->setPageStep(pageStep);
    slider->setValue(position);
    slider->setGeometry(twipsRect(left, top, width, height));
    takeKeysAsScrollBar(slider);
    return slider;
}

Command *makeButton(QWidget *panel, const QString &name, const QString &caption, int left, int top,
                    int width, int height)
{
    auto *button = new Command(panel);
    button->setObjectName(name);
    button->restoreProperties({{CommandKey::Caption, caption}, {CommandKey::Font, uiFont()}});
    button->setGeometry(twipsRect(left, top, width, height));
    return button;
}

template <std::size_t N>
void makeOptions(QWidget *panel, const QString &imageName, const QString &captionName,
                 std::array<OptionImage *, N> &images, std::array<OptionCaption *, N> &captions,
                 QString (*caption)(int), int imageLeft, int captionLeft, int top, int step,
                 int imageSize)
{
    for (std::size_t i = 0; i < N; ++i) {
        const int rowTop = top + step * int(i);
        images[i] = new OptionImage(panel);
        images[i]->setObjectName(imageName + QLatin1Char('_') + QString::number(i));
        images[i]->setGeometry(twipsRect(imageLeft, rowTop, imageSize, imageSize));
        captions[i] = new OptionCaption(caption(int(i)), panel);
        captions[i]->setObjectName(captionName + QLatin1Char('_') + QString::number(i));
        captions[i]->setFont(uiFont());
        setTextColour(captions[i], Qt::black);
        captions[i]->adjustSize();
        captions[i]->move(twipsRect(captionLeft, rowTop, 0, 0).topLeft());
        // The mark is what takes the choice; it answers to its caption.
        images[i]->setAccessibleName(captions[i]->text());
    }
}

} // namespace

SettingsWindow::SettingsWindow(ThumbSettings &record, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_record(record)
{
    setObjectName(QStringLiteral("Tessarolith_Set"));
    setWindowTitle(QCoreApplication::translate("SettingsWindow", "各種設定"));
    setFont(uiFont());
    setModal(true);
    setBackColour(this, kPanelColour);
    buildControls();
    runOpeningSequence();
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::showModal(ThumbSettings &record, QWidget *parent)
{
    SettingsWindow window(record, parent);
    window.exec();
}

QString SettingsWindow::saveFolderPickerTitle()
{
    return QCoreApplication::translate("SettingsWindow", "ﾌｫﾙﾀﾞをｸﾘｯｸして選択状態にしてから ＯＫ を押してください");
}

void SettingsWindow::buildControls()
{
    Pic_C = new PictureBox(this, rgb(0xC0, 0xC0, 0xC0));
    Pic_C->setObjectName(QStringLiteral("Pic_C"));
    Pic_C->setGeometry(twipsRect(0, kPanelTop, kPanelWidth, kPanelHeight));

    Image1 = new TitleStrip(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(twipsRect(0, 0, kPanelWidth, kTitleHeight));
    // As in the main window, the panel lies over the strip's last rows.
    Image1->stackUnder(Pic_C);

    lblTitle = new QLabel(QCoreApplication::translate("SettingsWindow", "各種設定"), this);
    lblTitle->setObjectName(QStringLiteral("lbl_1"));
    lblTitle->setFont(uiFont());
    setTextColour(lblTitle, Qt::white);
    lblTitle->adjustSize();
    lblTitle->move(twipsRect(180, 60, 0, 0).topLeft());
    // The words lie on the strip: pressing them drags the window like the strip around them.
    lblTitle->setAttribute(Qt::WA_TransparentForMouseEvents);

    ImgExit = new CloseImage(this);
    ImgExit->setObjectName(QStringLiteral("ImgExit"));
    ImgExit->move(twipsRect(6780, 60, 0, 0).topLeft());
    ImgExit->setToolTip(QCoreApplication::translate("SettingsWindow", "ｷｬﾝｾﾙ"));
    ImgExit->setProcessEventsBeforeClose(true);

    QWidget *panel = Pic_C;

    // Frames first, so that every control lies over them.
    makeFrame(panel, QStringLiteral("lbl_11"), QCoreApplication::translate("SettingsWindow", "ｻﾑﾈｲﾙのｻｲｽﾞ （範囲　16～640 ﾋﾟｸｾﾙ）"),
              180, 240, 3615, 1095);
    // The ratio group's seven options set the height of the row it shares
    // with the file types.
    makeFrame(panel, QStringLiteral("Label1"), QCoreApplication::translate("SettingsWindow", "ｻﾑﾈｲﾙ縦／横の比率構成"), 180, 1500, 3615, 2235);
    // The quality group ends 120 twips below its last option, as the size
    // group does, which leaves the file-type group under it room for a third
    // row of options.
    makeFrame(panel, QStringLiteral("Label2"), QCoreApplication::translate("SettingsWindow", "ｻﾑﾈｲﾙの画質"), 3960, 240, 2895, 1455);
    makeFrame(panel, QStringLiteral("Label3"), QCoreApplication::translate("SettingsWindow", "ｻﾑﾈｲﾙの保存ﾌｧｲﾙ種類"), 3960, 1860, 2895, 1875);
    makeFrame(panel, QStringLiteral("Label4"), QCoreApplication::translate("SettingsWindow", "余白部分の色"), 180, 3900, 1695, 1035);
    makeFrame(panel, QStringLiteral("Label6"), QCoreApplication::translate("SettingsWindow", "保存時に先頭に\n付ける文字"), 2040, 3900, 1755, 1035);
    makeFrame(panel, QStringLiteral("Label5"), QCoreApplication::translate("SettingsWindow", "保存時の同一ﾌｧｲﾙ名"), 3960, 3900, 2895, 1035);
    makeFrame(panel, QStringLiteral("Label7"), QCoreApplication::translate("SettingsWindow", "保存時のﾌｫﾙﾀﾞ..."), 180, 5100, 6675, 975);

    // Size.
    makeLabel(panel, QStringLiteral("lbl_Width"), QCoreApplication::translate("SettingsWindow", "幅"), 600, 720);
    HS_w = makeSlider(panel, QStringLiteral("HS_w"), 1020, 660, 1755, 255, kSizeMin, kSizeMax, 1, 10,
                      kSizeBeforeFilling);
    lbl_w = makeLabel(panel, QStringLiteral("lbl_w"), QString(), 2880, 720, 315, 195);
    setBackColour(lbl_w, Qt::white);
    narrowDigits(lbl_w);
    makeLabel(panel, QStringLiteral("lbl_Height"), QCoreApplication::translate("SettingsWindow", "高さ"), 600, 1020);
    HS_h = makeSlider(panel, QStringLiteral("HS_h"), 1020, 960, 1755, 255, kSizeMin, kSizeMax, 1, 10,
                      kSizeBeforeFilling);
    lbl_h = makeLabel(panel, QStringLiteral("lbl_h"), QString(), 2880, 1020, 315, 195);
    setBackColour(lbl_h, Qt::white);
    narrowDigits(lbl_h);

    // Ratio and quality.
    makeOptions(panel, QStringLiteral("Img_Pr"), QStringLiteral("lbl_Pr"), Img_Pr, lbl_Pr, ratioModeCaption,
                540, 780, 1920, 240, 195);
    makeOptions(panel, QStringLiteral("Img_Sel"), QStringLiteral("lbl_Sel"), Img_Sel, lbl_Sel, qualityCaption,
                4440, 4680, 660, 240, 195);

    // File type: JPG and BMP lie 720 twips apart with the compression slider
    // between them; PNG and WebP follow BMP in its row, 720 twips apart too,
    // and AVIF and JXL lie under BMP and PNG, a row further down.
    makeOptions(panel, QStringLiteral("Img_Extension"), QStringLiteral("lbl_Extension"), Img_Extension,
                lbl_Extension, fileTypeCaption, 4440, 4680, 2220, 720, 195);
    for (std::size_t i = 2; i < Img_Extension.size(); ++i) {
        const bool lastRow = i >= 4;
        const int left = 4440 + 720 * int(lastRow ? i - 4 : i - 1);
        const int top = lastRow ? 3180 : 2940;
        Img_Extension[i]->move(twipsRect(left, top, 0, 0).topLeft());
        lbl_Extension[i]->move(twipsRect(left + 240, top, 0, 0).topLeft());
    }
    lbl_Press = makeLabel(panel, QStringLiteral("lbl_Press"), QString(), 5400, 2220, 1215, 195);
    makeLabel(panel, QStringLiteral("lbl_PressCaption"), QCoreApplication::translate("SettingsWindow", "圧縮率"), 4740, 2520);
    HS_Press = makeSlider(panel, QStringLiteral("HS_Press"), 5400, 2460, 1215, 255, kPressRightEnd,
                          kPressLeftEnd, 1, 1, kPressMirror - kPressLeftEnd);
    // Two pixels above the slider's caption line, so that it stays clear of the
    // PNG and WebP options beside BMP under it.
    makeLabel(panel, QStringLiteral("lbl_PressDirection"), QCoreApplication::translate("SettingsWindow", "-->低画質"), 5700, 2730);

    // Margin colour.
    Cmd_Color = makeButton(panel, QStringLiteral("Cmd_Color"), QStringLiteral("..."), 660, 4320, 375, 375);
    lbl_Color = makeLabel(panel, QStringLiteral("lbl_Color"), QString(), 1080, 4320, 495, 375);
    lbl_Color->setFrameStyle(QFrame::Box | QFrame::Plain);
    setBackColour(lbl_Color, Qt::black);

    // Leading text.
    txt_Moji = new QLineEdit(panel);
    txt_Moji->setObjectName(QStringLiteral("txt_Moji"));
    txt_Moji->setFont(uiFont());
    txt_Moji->setMaxLength(std::numeric_limits<int>::max());
    txt_Moji->setTextMargins(0, 0, 0, 0);
    txt_Moji->setStyleSheet(QStringLiteral("QLineEdit { border: 1px solid rgb(64, 64, 64);"
                                           " background: white; padding: 0px 1px; }"));
    txt_Moji->setGeometry(twipsRect(2160, 4500, 1515, 270));

    // Same name.
    makeOptions(panel, QStringLiteral("Img_Dup"), QStringLiteral("lbl_Dup"), Img_Dup, lbl_Dup,
                duplicateModeCaption, 4380, 4620, 4320, 240, 180);

    // Save folder.
    Cmd_Save_F = makeButton(panel, QStringLiteral("Cmd_Save_F"), QStringLiteral("..."), 660, 5520, 375, 375);
    lbl_Save_Folder = makeLabel(panel, QStringLiteral("lbl_Save_Folder"), QString(), 1080, 5520, 5595, 435);
    lbl_Save_Folder->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lbl_Save_Folder->setWordWrap(true);
    setBackColour(lbl_Save_Folder, kPanelColour);

    // "..." says nothing read aloud: the two pickers answer to their frames' headings.
    Cmd_Color->setAccessibleName(QCoreApplication::translate("SettingsWindow", "余白部分の色"));
    Cmd_Save_F->setAccessibleName(QCoreApplication::translate("SettingsWindow", "保存時のﾌｫﾙﾀﾞ"));
    Cmd_Set = makeButton(panel, QStringLiteral("Cmd_Set"), QCoreApplication::translate("SettingsWindow", "設定"), 4020, 6180, 1395, 375);
    Cmd_Can = makeButton(panel, QStringLiteral("Cmd_Can"), QCoreApplication::translate("SettingsWindow", "ｷｬﾝｾﾙ"), 5460, 6180, 1395, 375);

    // The two marks every option copies, kept out of sight below the panel's visible part.
    Img_Opt_On = new QLabel(panel);
    Img_Opt_On->setObjectName(QStringLiteral("Img_Opt_On"));
    Img_Opt_On->setPixmap(optionMarkPixmap(true));
    Img_Opt_Off = new QLabel(panel);
    Img_Opt_Off->setObjectName(QStringLiteral("Img_Opt_Off"));
    Img_Opt_Off->setPixmap(optionMarkPixmap(false));
    for (QLabel *mark : {Img_Opt_On, Img_Opt_Off}) {
        mark->adjustSize();
        mark->move(0, twipsRect(0, kPanelHeight + 240, 0, 0).top());
        mark->hide();
    }

    connect(HS_w, &QScrollBar::valueChanged, this, [this](int value) { lbl_w->setText(QString::number(value)); });
    connect(HS_h, &QScrollBar::valueChanged, this, [this](int value) { lbl_h->setText(QString::number(value)); });
    connect(HS_Press, &QScrollBar::valueChanged, this, [this] {
        m_work.Compression = std::int16_t(pressValue());
        lbl_Press->setText(QString::number(120 - pressValue()));
    });
    for (std::size_t i = 0; i < Img_Pr.size(); ++i) {
        connect(Img_Pr[i], &OptionImage::pressed, this, [this, i] { chooseRatioMode(int(i)); });
        connect(lbl_Pr[i], &OptionCaption::pressed, this, [this, i] { chooseRatioMode(int(i)); });
    }
    for (std::size_t i = 0; i < Img_Sel.size(); ++i) {
        connect(Img_Sel[i], &OptionImage::pressed, this, [this, i] { chooseQuality(int(i)); });
        connect(lbl_Sel[i], &OptionCaption::pressed, this, [this, i] { chooseQuality(int(i)); });
    }
    for (std::size_t i = 0; i < Img_Extension.size(); ++i) {
        connect(Img_Extension[i], &OptionImage::pressed, this, [this, i] { chooseFileType(int(i)); });
        connect(lbl_Extension[i], &OptionCaption::pressed, this, [this, i] { chooseFileType(int(i)); });
    }
    for (std::size_t i = 0; i < 2; ++i) {
        connect(Img_Dup[i], &OptionImage::clicked, this, [this, i] { chooseDuplicateMode(int(i)); });
        connect(lbl_Dup[i], &OptionCaption::clicked, this, [this, i] { chooseDuplicateMode(int(i)); });
    }
    connect(Cmd_Color, &Command::Click, this, &SettingsWindow::Cmd_Color_Click);
    connect(Cmd_Save_F, &Command::Click, this, &SettingsWindow::Cmd_Save_F_Click);
    connect(Cmd_Set, &Command::Click, this, &SettingsWindow::Cmd_Set_Click);
    connect(Cmd_Can, &Command::Click, this, &SettingsWindow::Cmd_Can_Click);
}

void SettingsWindow::runOpeningSequence()
{
    InitFormButtons(this, true, true);

    // Placed before it is sized, with the size the window is created with.
    const double tx = twipsPerPixelX();
    const double ty = twipsPerPixelY();
    // Fixed sizes, so window managers offer neither resizing nor maximising.
    setFixedSize(toPixels(kCreatedWidth, tx), toPixels(kCreatedHeight, ty));
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QSize s = screen->geometry().size();
        const QPoint at = centredPositionTwips(s.width() * tx, s.height() * ty, width() * tx, height() * ty);
        move(screen->geometry().topLeft() + QPoint(toPixels(at.x(), tx), toPixels(at.y(), ty)));
    }

    Image1->drag().reset();
    setFixedSize(toPixels(kPanelWidth, tx), toPixels(kPanelHeight + kTitleHeight, ty));
    tileTexture(Pic_C);
    LoadControlsFromSettings();
    recordOpenPoint(kSettingsWindowSlot);
    animateOpen(this, kSettingsWindowSlot);
    while (QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
}

int SettingsWindow::pressValue() const
{
    return kPressMirror - HS_Press->value();
}

bool SettingsWindow::setPressValue(int value)
{
    if (value < kPressRightEnd || value > kPressLeftEnd)
        return false;
    HS_Press->setValue(kPressMirror - value);
    return true;
}

void SettingsWindow::LoadControlsFromSettings()
{
    m_work = m_record;

    // A slider refuses a value it does not offer and stays where it is.
    for (auto [slider, value] : {std::pair{HS_w, m_work.Width}, std::pair{HS_h, m_work.Height}}) {
        if (value >= slider->minimum() && value <= slider->maximum())
            slider->setValue(value);
    }
    lbl_w->setText(QString::number(m_work.Width));
    lbl_h->setText(QString::number(m_work.Height));

    showRatioMarks();
    enableColourButton();
    showMarginColour(m_work.MarginColour);
    txt_Moji->setText(m_work.Prefix);
    showQualityMarks();
    showFileTypeMarks(m_work.FileType);

    setPressValue(m_work.Compression);
    lbl_Press->setText(QString::number(120 - pressValue()));
    HS_Press->setEnabled(takesCompression(m_work.FileType));

    showPairMarks(Img_Dup, m_work.DuplicateMode);
    lbl_Save_Folder->setText(m_work.SaveFolder);
}

void SettingsWindow::showRatioMarks()
{
    for (OptionImage *image : Img_Pr)
        image->setMark(OptionImage::Mark::Unselected, Img_Opt_Off->pixmap());
    if (m_work.RatioMode >= 0 && std::size_t(m_work.RatioMode) < Img_Pr.size())
        Img_Pr[std::size_t(m_work.RatioMode)]->setMark(OptionImage::Mark::Selected, Img_Opt_On->pixmap());
}

void SettingsWindow::showQualityMarks()
{
    for (OptionImage *image : Img_Sel)
        image->setMark(OptionImage::Mark::Unselected, Img_Opt_Off->pixmap());
    if (m_work.Quality >= 0 && std::size_t(m_work.Quality) < Img_Sel.size())
        Img_Sel[std::size_t(m_work.Quality)]->setMark(OptionImage::Mark::Selected, Img_Opt_On->pixmap());
}

// The selected option and its partner (index xor 1) of a two-option group; an
// index outside the pair marks neither.
void SettingsWindow::showPairMarks(std::array<OptionImage *, 2> &images, int selected)
{
    if (selected != 0 && selected != 1)
        return;
    images[std::size_t(selected)]->setMark(OptionImage::Mark::Selected, Img_Opt_On->pixmap());
    images[std::size_t(selected ^ 1)]->setMark(OptionImage::Mark::Unselected, Img_Opt_Off->pixmap());
}

// An index outside the options marks none: the window shows the value as it
// was loaded and stores it back unless an option is pressed.
void SettingsWindow::showFileTypeMarks(int selected)
{
    if (selected < 0 || std::size_t(selected) >= Img_Extension.size())
        return;
    for (OptionImage *image : Img_Extension)
        image->setMark(OptionImage::Mark::Unselected, Img_Opt_Off->pixmap());
    Img_Extension[std::size_t(selected)]->setMark(OptionImage::Mark::Selected, Img_Opt_On->pixmap());
}

void SettingsWindow::enableColourButton()
{
    Cmd_Color->setEnabled(isColourRatioMode(m_work.RatioMode));
}

void SettingsWindow::showMarginColour(std::int32_t colour)
{
    setBackColour(lbl_Color, toQColor(colour));
}

void SettingsWindow::chooseRatioMode(int index)
{
    if (index == m_work.RatioMode)
        return;
    m_work.RatioMode = std::int16_t(index);
    showRatioMarks();
    enableColourButton();
}

void SettingsWindow::chooseQuality(int index)
{
    if (index == m_work.Quality)
        return;
    m_work.Quality = std::int16_t(index);
    showQualityMarks();
}

void SettingsWindow::chooseFileType(int index)
{
    m_work.FileType = std::int16_t(index);
    showFileTypeMarks(index);
    HS_Press->setEnabled(takesCompression(index));
}

void SettingsWindow::chooseDuplicateMode(int index)
{
    m_work.DuplicateMode = std::int16_t(index);
    showPairMarks(Img_Dup, index);
}

void SettingsWindow::Cmd_Color_Click()
{
    const std::int32_t chosen = PickColour(this, toColourValue(palette().color(QPalette::WindowText)));
    if (chosen == -1)
        return;
    showMarginColour(chosen);
    m_work.MarginColour = chosen;
}

void SettingsWindow::Cmd_Save_F_Click()
{
    const std::optional<QString> folder = dialogs().pickFolder(this, saveFolderPickerTitle());
    if (!folder)
        return;
    // The label's caption ends at the first NUL, and the working folder is read back from it.
    const qsizetype nul = folder->indexOf(QChar(u'\0'));
    lbl_Save_Folder->setText(nul < 0 ? *folder : folder->left(nul));
    m_work.SaveFolder = lbl_Save_Folder->text();
}

void SettingsWindow::Cmd_Set_Click()
{
    m_record.Width = std::int16_t(HS_w->value());
    m_record.Height = std::int16_t(HS_h->value());
    m_record.RatioMode = m_work.RatioMode;
    m_record.MarginColour = m_work.MarginColour;
    m_record.Quality = m_work.Quality;
    m_record.FileType = m_work.FileType;
    m_record.Compression = m_work.Compression;
    m_record.SaveFolder = m_work.SaveFolder;
    m_record.DuplicateMode = m_work.DuplicateMode;
    m_record.Prefix = txt_Moji->text();
    accept();
}

void SettingsWindow::Cmd_Can_Click()
{
    reject();
}

void SettingsWindow::done(int result)
{
    if (!m_unloaded) {
        m_unloaded = true;
        animateClose(this, kSettingsWindowSlot);
    }
    QDialog::done(result);
}

void SettingsWindow::keyPressEvent(QKeyEvent *event)
{
    // Only the buttons and the close image close this window; Escape does nothing.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace tess
