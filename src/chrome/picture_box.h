#pragma once
#include "platform/colour.h"
#include "platform/picture.h"

#include <QFrame>
#include <QImage>

#include <functional>

namespace tess {

// A picture box: a widget that owns a retained picture (drawing into it persists
// across repaints) and a background colour. It paints the picture at the top-left
// of its contents and fills the rest with the background colour. Being a QFrame,
// it can carry a border (setFrameStyle), which the picture sits inside.
//
// After drawing into picture(), call update() (or refresh()) to show it.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr, Colour background = rgb(0xC0, 0xC0, 0xC0));

    // The retained picture, at the size of the box's contents when it follows the
    // size (also before the box is first shown).
    Picture &picture() { fitPictureToContents(); return m_picture; }
    const Picture &picture() const { fitPictureToContents(); return m_picture; }
    // Replaces the retained picture; with auto-size on, the box takes its size.
    void setPicture(Picture picture);

    Colour background() const { return m_picture.background(); }
    // As with a picture box, a new background colour also clears the retained
    // picture to that colour.
    void setBackground(Colour colour);
    // Clears the retained picture to the background colour and repaints.
    void clear();

    // Auto-size: the box follows the size of every picture it is given (off by default).
    void setAutoSize(bool on);

    // On (the default), the retained picture is kept at the size of the box's
    // contents: a resize keeps what overlaps and fills the new part with the
    // background. Off, the picture keeps its own size whatever the box's size.
    void setPictureFollowsSize(bool on);

    // A background drawn from artwork or a formula (a texture, a gradient) is
    // drawn again for a dense screen, where the retained picture would only be
    // stretched. The drawing gets a picture of the box's contents at `density`
    // times their size. It is shown there in place of the retained picture,
    // so only a box that holds nothing but its background has one.
    using DenseDrawing = std::function<void(Picture &dense, int density)>;
    void setDenseDrawing(DenseDrawing drawing);

    // Repaints now rather than at the next turn of the event loop.
    void refresh() { repaint(); }

signals:
    // After the box (and, when it follows, its picture) has taken a new size;
    // the place to repaint size-dependent drawing such as a gradient.
    void resized();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fitPictureToContents() const;
    void fitBoxToPicture();

    const QImage &denseImage(int density);

    mutable Picture m_picture;
    DenseDrawing m_denseDrawing;
    QImage m_dense;
    bool m_autoSize = false;
    bool m_followSize = true;
};

} // namespace tess
