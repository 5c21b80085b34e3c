#include "controls/command.h"

#include "controls/command_accessible.h"
#include "controls/command_face.h"
#include "controls/command_skins.h"
#include "platform/ui/artwork.h"
#include "platform/ui/cursor_probe.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

namespace tess {

namespace {
// The caption label's greyed text while the button is disabled.
const QColor kDisabledCaption(150, 150, 158);
} // namespace

Command::Command(QWidget *parent)
    : QWidget(parent)
    , m_lblMsg(new QLabel(kDefaultCommandCaption, this))
    , m_tmrMouse(new QTimer(this))
    , m_face(0, 0, kFaceBackground)
{
    // Focus from Tab, and from a left press (given in mousePressEvent): other
    // mouse buttons click without taking the focus, so they never show Pressed.
    setFocusPolicy(Qt::TabFocus);
    // Entering is seen on the first movement over the button, without a button held.
    setMouseTracking(true);

    // The caption has no window of its own: the button gets its mouse events.
    m_lblMsg->setObjectName(QStringLiteral("LblMsg"));
    m_lblMsg->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_lblMsg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_lblMsg->setWordWrap(false);
    m_lblMsg->setGeometry(0, 0, 0, kCaptionHeight);
    QPalette palette = m_lblMsg->palette();
    palette.setColor(QPalette::Disabled, QPalette::WindowText, kDisabledCaption);
    m_lblMsg->setPalette(palette);
    setCaptionColour(0);

    m_tmrMouse->setObjectName(QStringLiteral("TmrMouse"));
    m_tmrMouse->setInterval(kTimerInterval);
    connect(m_tmrMouse, &QTimer::timeout, this, &Command::tmrMouseTick);
    makeAccessible(this);
}

QSize Command::sizeHint() const
{
    return {kSkinWidth, kSkinHeight};
}

// --- Properties ---

QString Command::Caption() const
{
    return m_lblMsg->text();
}

void Command::setCaption(const QString &caption)
{
    m_lblMsg->setText(caption);
    emit propertyChanged(CommandKey::Caption);
}

bool Command::Enabled()
{
    if (m_firstRun == 0) {
        RefreshNormalLook();
        m_firstRun = 1;
        m_enabled = true;
    }
    const bool result = m_enabled;
    ApplyEnabledLook();
    return result;
}

void Command::setEnabled(bool enabled)
{
    m_enabled = enabled;
    emit propertyChanged(CommandKey::Enabled);
    ApplyEnabledLook();
}

std::uint8_t Command::Visible()
{
    if (!m_faceOpaque)
        return 0;
    RefreshNormalLook();
    return 255;
}

void Command::setVisibleFlag(std::uint8_t visible)
{
    m_faceOpaque = visible != 0;
    if (m_faceOpaque)
        RefreshNormalLook();
    update(); // show or hide the retained face; a transparent one is not rebuilt
    emit propertyChanged(CommandKey::Visible);
}

Colour Command::FontColour()
{
    const Colour colour = captionColour();
    RefreshNormalLook();
    return colour;
}

void Command::setFontColour(Colour colour)
{
    setCaptionColour(colour);
    RefreshNormalLook();
    emit propertyChanged(CommandKey::FontColour);
}

QFont Command::Font() const
{
    return m_lblMsg->font();
}

void Command::setFont(const QFont &font)
{
    m_lblMsg->setFont(font);
    emit propertyChanged(CommandKey::Font);
}

void Command::Initialize()
{
    m_state = ButtonState::StateNormal;
    m_tmrMouse->setInterval(kTimerInterval);
    m_tmrMouse->start();
}

void Command::setCaptionColour(Colour colour)
{
    QPalette palette = m_lblMsg->palette();
    const QColor qcolour(redOf(colour), greenOf(colour), blueOf(colour));
    palette.setColor(QPalette::Active, QPalette::WindowText, qcolour);
    palette.setColor(QPalette::Inactive, QPalette::WindowText, qcolour);
    m_lblMsg->setPalette(palette);
}

Colour Command::captionColour() const
{
    const QColor c = m_lblMsg->palette().color(QPalette::Active, QPalette::WindowText);
    return rgb(c.red(), c.green(), c.blue());
}

QFont Command::hostFont() const
{
    return parentWidget() ? window()->font() : QApplication::font();
}

// --- Notifications ---

void Command::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    if (!m_enabled)
        return;
    if (m_state != ButtonState::StateHighLight) {
        m_state = ButtonState::StateSelected;
        PaintFace(CommandSkin::Selected);
    } else {
        // Focus arriving under the mouse (a click, or Tab onto a hovered button).
        m_state = ButtonState::StateHighLightSelect;
        PaintFace(CommandSkin::Pressed);
    }
}

void Command::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    if (!m_enabled)
        return;
    if (m_state != ButtonState::StateNormal) {
        m_state = ButtonState::StateNormal;
        PaintFace(CommandSkin::Normal);
    }
}

void Command::mousePressEvent(QMouseEvent *event)
{
    // Accepted in every case, so a press never reaches the host (whose title
    // strip would start a drag).
    event->accept();
    if (event->button() == Qt::LeftButton && focusPolicy() != Qt::NoFocus && !hasFocus())
        setFocus(Qt::MouseFocusReason);
    if (!m_enabled || event->button() != Qt::LeftButton)
        return;
    m_leftButtonHeld = true;
    PaintFace(CommandSkin::Pressed);
}

void Command::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_enabled)
        return;
    if (m_state == ButtonState::StateNormal) {
        m_state = ButtonState::StateHighLight;
        PaintFace(CommandSkin::HighLight);
    } else if (m_state == ButtonState::StateSelected && !m_leftButtonHeld) {
        m_state = ButtonState::StateHighLightSelect;
        PaintFace(CommandSkin::HighLightSelect);
    }
}

void Command::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    // A control hears of the left, right and middle buttons only; a mouse's
    // side buttons (back, forward) must not click whatever they hover.
    constexpr Qt::MouseButtons kClickButtons = Qt::LeftButton | Qt::RightButton | Qt::MiddleButton;
    if (!m_enabled || !(event->button() & kClickButtons))
        return;
    if (event->button() == Qt::LeftButton) {
        m_leftButtonHeld = false;
        if (m_state == ButtonState::StateHighLight)
            PaintFace(CommandSkin::Normal);
        else if (m_state == ButtonState::StateHighLightSelect)
            PaintFace(CommandSkin::HighLightSelect);
    }
    if (m_state != ButtonState::StateSelected)
        raiseClick();
}

void Command::raiseClick()
{
    // A failing Click handler ends at its failing statement; the button stays usable.
    try {
        emit Click();
    } catch (...) {
    }
}

void Command::tmrMouseTick()
{
    if (!m_enabled)
        return;
    const CursorProbe &probe = cursorProbe();
    QWidget *under = probe.widgetAt(probe.cursorPos());
    // The caption label has no window of its own: over it is over the button.
    if (under == this || under == m_lblMsg)
        return;
    LeaveHover();
}

void Command::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    ApplyEnabledLook();
}

void Command::paintEvent(QPaintEvent *)
{
    if (!m_faceOpaque || m_face.isEmpty())
        return;
    QPainter painter(this);
    const int density = artDensity(paintedPixelRatio(painter));
    const QImage dense = density > 1 ? denseFace(density) : QImage();
    if (dense.isNull()) {
        painter.drawImage(0, 0, m_face.toImage());
        return;
    }
    // Between 100 % and 200 % the dense face is scaled down, which wants filtering.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(0, 0, m_face.width(), m_face.height()), dense);
}

QImage Command::denseFace(int density)
{
    const Picture &skin = denseCommandSkin(m_faceSkin);
    if (skin.isEmpty() || density != 2)
        return {};
    if (m_denseFace.size() != QSize(m_face.width(), m_face.height()) * density) {
        // The same drawing as the face's, from the dense skin: the gradient
        // runs over twice the rows and the frame is twice as thick.
        Picture face(m_face.width() * density, m_face.height() * density, kFaceBackground);
        fillFaceGradient(face, m_gradientReversed);
        drawSkinFrame(face, skin, density);
        m_denseFace = face.toImage();
        m_denseFace.setDevicePixelRatio(density);
    }
    return m_denseFace;
}

// --- Face ---

void Command::PaintFace(CommandSkin skin)
{
    switch (m_state) {
    case ButtonState::StateNormal:
    case ButtonState::StateSelected:
        m_gradientReversed = false;
        break;
    case ButtonState::StateHighLight:
        m_gradientReversed = true;
        break;
    case ButtonState::StateNone:
    case ButtonState::StateHighLightSelect:
        break; // keeps the direction of the previous repaint
    }
    if (m_face.width() != width() || m_face.height() != height())
        m_face.resize(width(), height());
    m_face.clear();
    FillFaceGradient();
    drawSkinFrame(m_face, commandSkin(skin));
    m_faceSkin = skin;
    m_denseFace = QImage();
    update();
    m_lblMsg->setGeometry(0, captionTop(height(), m_lblMsg->height()), width(), m_lblMsg->height());
    emit facePainted(skin);
}

void Command::FillFaceGradient()
{
    fillFaceGradient(m_face, m_gradientReversed);
}

void Command::ApplyEnabledLook()
{
    if (m_enabled) {
        PaintFace(CommandSkin::Normal);
        m_lblMsg->setEnabled(true);
    } else {
        PaintFace(CommandSkin::Disable);
        m_lblMsg->setEnabled(false);
    }
}

void Command::RefreshNormalLook()
{
    if (!m_enabled)
        return;
    m_lblMsg->setEnabled(true);
    if (m_firstRun == 0)
        setCaptionColour(0);
    PaintFace(CommandSkin::Normal);
}

void Command::LeaveHover()
{
    if (!m_enabled)
        return;
    if (m_state == ButtonState::StateHighLight) {
        m_state = ButtonState::StateNormal;
        PaintFace(CommandSkin::Normal);
    } else if (m_state == ButtonState::StateHighLightSelect) {
        m_state = ButtonState::StateSelected;
        PaintFace(CommandSkin::Selected);
    }
}

} // namespace tess
