#include "chrome/picture_box.h"

#include "platform/blit.h"
#include "platform/ui/artwork.h"

#include <QPainter>
#include <QPaintEvent>
#include <QResizeEvent>

namespace tess {

namespace {

QColor toQColor(Colour c) { return QColor(redOf(c), greenOf(c), blueOf(c)); }

} // namespace

PictureBox::PictureBox(QWidget *parent, Colour background)
    : QFrame(parent)
{
    m_picture.setBackground(background);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::setPicture(Picture picture)
{
    const Colour background = m_picture.background();
    m_picture = std::move(picture);
    m_picture.setBackground(background);
    if (m_autoSize)
        fitBoxToPicture();
    update();
}

void PictureBox::setBackground(Colour colour)
{
    m_picture.setBackground(colour);
    m_picture.clear();
    update();
}

void PictureBox::clear()
{
    m_picture.clear();
    update();
}

void PictureBox::setAutoSize(bool on)
{
    m_autoSize = on;
    if (on)
        fitBoxToPicture();
}

void PictureBox::setPictureFollowsSize(bool on)
{
    m_followSize = on;
    if (on)
        fitPictureToContents();
}

void PictureBox::setDenseDrawing(DenseDrawing drawing)
{
    m_denseDrawing = std::move(drawing);
    m_dense = QImage();
    update();
}

const QImage &PictureBox::denseImage(int density)
{
    const QSize size = contentsRect().size() * density;
    if (m_dense.size() != size) {
        Picture dense(size.width(), size.height(), m_picture.background());
        m_denseDrawing(dense, density);
        m_dense = dense.toImage();
        m_dense.setDevicePixelRatio(density);
    }
    return m_dense;
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    fitPictureToContents();
    QPainter painter(this);
    const QRect inside = contentsRect();
    painter.setClipRect(inside);
    const int density = artDensity(paintedPixelRatio(painter));
    if (m_denseDrawing && density > 1 && !inside.isEmpty()) {
        // Between 100 % and 200 % the dense drawing is scaled down, which wants filtering.
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(inside), denseImage(density));
        return;
    }
    painter.fillRect(inside, toQColor(m_picture.background()));
    // Only the part asked for: a box under transparent labels repaints often.
    const QRect part = event->rect().intersected(inside).translated(-inside.topLeft());
    const QImage shown = m_picture.toImage(part);
    if (!shown.isNull())
        painter.drawImage(inside.topLeft() + part.topLeft(), shown);
}

void PictureBox::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    fitPictureToContents();
    emit resized();
}

void PictureBox::fitPictureToContents() const
{
    if (!m_followSize || m_autoSize)
        return;
    const QSize size = contentsRect().size();
    if (size.width() == m_picture.width() && size.height() == m_picture.height())
        return;
    Picture resized(size.width(), size.height(), m_picture.background());
    bitBlt(resized, 0, 0, m_picture.width(), m_picture.height(), m_picture, 0, 0);
    m_picture = std::move(resized);
}

void PictureBox::fitBoxToPicture()
{
    const QSize border = size() - contentsRect().size();
    resize(m_picture.width() + border.width(), m_picture.height() + border.height());
}

} // namespace tess
