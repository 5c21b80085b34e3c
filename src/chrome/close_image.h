#pragma once
#include "platform/ui/artwork.h"

#include <QImage>
#include <QWidget>

namespace tess {

// `ImgExit`: the close image. A press of any button shows the pressed picture; the
// release of any button, wherever the cursor is then, shows the normal picture
// again and closes the window through its ordinary close path (QWidget::close, so
// the close request and unload run). Once pressed there is no way to cancel.
// The widget takes the size of the picture it shows, as an unstretched image does.
class CloseImage : public QWidget {
    Q_OBJECT
public:
    explicit CloseImage(QWidget *parent = nullptr);

    // Pictures given here have no twins for dense screens: they are scaled there.
    void setImages(const QImage &normal, const QImage &pressed);
    bool isPressed() const { return m_pressed; }
    const QImage &shownImage() const { return shownArt().normal(); }

    // The settings window lets pending events run between showing the normal
    // picture and closing, so the normal picture gets painted first.
    void setProcessEventsBeforeClose(bool on) { m_processEvents = on; }
    bool processEventsBeforeClose() const { return m_processEvents; }

signals:
    // Right before the window is asked to close.
    void closeClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void showPicture(bool pressed);
    void setArtwork(Artwork normal, Artwork pressed);
    const Artwork &shownArt() const { return m_pressed ? m_pressedArt : m_normalArt; }

    Artwork m_normalArt;
    Artwork m_pressedArt;
    bool m_pressed = false;
    bool m_processEvents = false;
};

} // namespace tess
