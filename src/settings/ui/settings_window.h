#pragma once
#include "settings/thumb_settings.h"

#include <QDialog>
#include <array>

class QLabel;
class QLineEdit;
class QScrollBar;

namespace tess {

class CloseImage;
class Command;
class OptionCaption;
class OptionImage;
class PictureBox;
class TitleStrip;

// Tessarolith_Set, the modal settings window. It edits a working copy of the
// record; only its confirm button writes the copy back, and nothing else in it
// touches the record or the settings file.
//
// Every control carries its design name as its object name ("HS_w",
// "Img_Pr_2", "lbl_Dup_1", ...).
class SettingsWindow : public QDialog {
    Q_OBJECT
public:
    // Builds the window and runs its opening sequence; the record is read now
    // and written only by the confirm button.
    explicit SettingsWindow(ThumbSettings &record, QWidget *parent = nullptr);
    ~SettingsWindow() override;

    // Opens the window modally over parent and returns once it has closed.
    // The caller repaints whatever shows MarginColour afterwards.
    static void showModal(ThumbSettings &record, QWidget *parent);

    // Copies the record into the working copy and shows it; a step that cannot
    // show its value (an out-of-range slider value or option) leaves that
    // control as it was and the next step still runs.
    void LoadControlsFromSettings();

    const ThumbSettings &workingCopy() const { return m_work; }

    // HS_Press runs backwards: its value falls from 100 at the left end to 40
    // at the right end.
    int pressValue() const;

    // Handlers, named after their control and event.
    void chooseRatioMode(int index);
    void chooseQuality(int index);
    void chooseFileType(int index);
    void chooseDuplicateMode(int index);
    void Cmd_Color_Click();
    void Cmd_Save_F_Click();
    void Cmd_Set_Click();
    void Cmd_Can_Click();

    // The title of the save-folder picker.
    static QString saveFolderPickerTitle();

public slots:
    // Closes the window: the close animation back to the opening point, then
    // the modal loop ends. The record is left as it is.
    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void runOpeningSequence();
    bool setPressValue(int value);
    void showRatioMarks();
    void showQualityMarks();
    void showPairMarks(std::array<OptionImage *, 2> &images, int selected);
    void showFileTypeMarks(int selected);
    void enableColourButton();
    void showMarginColour(std::int32_t colour);

    ThumbSettings &m_record;
    ThumbSettings m_work;
    bool m_unloaded = false;

    TitleStrip *Image1 = nullptr;
    QLabel *lblTitle = nullptr;
    CloseImage *ImgExit = nullptr;
    PictureBox *Pic_C = nullptr;

    QScrollBar *HS_w = nullptr;
    QScrollBar *HS_h = nullptr;
    QScrollBar *HS_Press = nullptr;
    QLabel *lbl_w = nullptr;
    QLabel *lbl_h = nullptr;
    QLabel *lbl_Press = nullptr;
    std::array<OptionImage *, 7> Img_Pr{};
    std::array<OptionCaption *, 7> lbl_Pr{};
    std::array<OptionImage *, 4> Img_Sel{};
    std::array<OptionCaption *, 4> lbl_Sel{};
    std::array<OptionImage *, 6> Img_Extension{};
    std::array<OptionCaption *, 6> lbl_Extension{};
    std::array<OptionImage *, 2> Img_Dup{};
    std::array<OptionCaption *, 2> lbl_Dup{};
    QLabel *Img_Opt_On = nullptr;
    QLabel *Img_Opt_Off = nullptr;
    Command *Cmd_Color = nullptr;
    QLabel *lbl_Color = nullptr;
    QLineEdit *txt_Moji = nullptr;
    Command *Cmd_Save_F = nullptr;
    QLabel *lbl_Save_Folder = nullptr;
    Command *Cmd_Set = nullptr;
    Command *Cmd_Can = nullptr;
};

} // namespace tess
