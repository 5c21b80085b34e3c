#pragma once
#include "controls/button_state.h"
#include "controls/command_properties.h"
#include "controls/command_skins.h"
#include "platform/colour.h"
#include "platform/picture.h"

#include <QWidget>

#include <cstdint>

class QLabel;
class QTimer;

namespace tess {

// The self-drawn push button of every window: a skinned gradient face, a
// caption, hover tracking by a 100 ms poll of the cursor, and one event, Click.
//
// Its Enabled flag is its own: QWidget::isEnabled stays true so that Tab can
// still give a disabled button the focus; while the flag is off the mouse,
// focus and timer notifications change nothing. Use Enabled()/setEnabled()
// through a Command pointer, never QWidget::setEnabled.
class Command : public QWidget {
    Q_OBJECT
public:
    static constexpr const char *kTypeName = "Tessarolith.Command";
    static constexpr int kTimerInterval = 100; // ms
    static constexpr int kCaptionHeight = 13;  // px (195 twips)

    explicit Command(QWidget *parent = nullptr);

    // Caption: the caption label's text; setting it does not repaint.
    QString Caption() const;
    void setCaption(const QString &caption);

    // Reading Enabled repaints: the first read of a never-stored button makes it
    // enabled (FirstRun 1); every read then repaints the Normal or Disable face.
    bool Enabled();
    void setEnabled(bool enabled);

    // 0 when the face is transparent (only the caption shows); otherwise 255,
    // and the read repaints the Normal face.
    std::uint8_t Visible();
    void setVisibleFlag(std::uint8_t visible);

    // Caption colour (0x00BBGGRR); reading and writing both repaint the Normal face.
    Colour FontColour();
    void setFontColour(Colour colour);

    // The caption font. Qt fonts are values: change the returned font and set it back.
    QFont Font() const;
    void setFont(const QFont &font);

    // State StateNormal and the hover timer running; no repaint.
    void Initialize();

    // Applies stored keys in the fixed order Enabled, Caption, Font, FirstRun,
    // FontColour, Visible (absent keys take their defaults, values of the wrong
    // kind are skipped), then refreshes the Normal look.
    void restoreProperties(const CommandProperties &stored);
    // The values that differ from their defaults, in storing order; then
    // refreshes the Normal look.
    CommandProperties storeProperties();

    // Read-only views for the host and for tests; none of them repaints.
    ButtonState state() const { return m_state; }
    bool enabledFlag() const { return m_enabled; }
    std::uint8_t firstRun() const { return m_firstRun; }
    bool leftButtonHeld() const { return m_leftButtonHeld; }
    bool gradientReversed() const { return m_gradientReversed; }
    bool faceOpaque() const { return m_faceOpaque; }
    const Picture &face() const { return m_face; }
    QLabel *LblMsg() const { return m_lblMsg; }
    QTimer *TmrMouse() const { return m_tmrMouse; }

    QSize sizeHint() const override;

public slots:
    // One tick of the hover timer: leaves the hover look when the cursor is
    // over anything but this button.
    void tmrMouseTick();

signals:
    // The left, right or middle button released on the enabled button, unless
    // the cursor was seen leaving a focused button meanwhile. Never raised by
    // the keyboard.
    void Click();
    // A stored key's value is out of date.
    void propertyChanged(const QString &key);
    // The face was rebuilt with this skin.
    void facePainted(tess::CommandSkin skin);

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void PaintFace(CommandSkin skin);
    void FillFaceGradient();
    void ApplyEnabledLook();
    void RefreshNormalLook();
    void LeaveHover();
    void setCaptionColour(Colour colour);
    Colour captionColour() const;
    QFont hostFont() const;
    void raiseClick();

    bool m_enabled = false;
    std::uint8_t m_firstRun = 0;
    ButtonState m_state = ButtonState::StateNone;
    bool m_leftButtonHeld = false;
    bool m_gradientReversed = false;
    bool m_faceOpaque = true;
    QLabel *m_lblMsg = nullptr;
    QTimer *m_tmrMouse = nullptr;
    Picture m_face;
    CommandSkin m_faceSkin = CommandSkin::Normal;
    // The face drawn again for a dense screen, at its density; empty until
    // first painted there and after every change of look.
    QImage m_denseFace;
    QImage denseFace(int density);
};

} // namespace tess
