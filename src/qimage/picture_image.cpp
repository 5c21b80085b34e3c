#include "platform/picture.h"

namespace tess {

QImage Picture::toImage(const QRect &part) const
{
    const QRect whole(0, 0, m_width, m_height);
    const QRect area = part.isNull() ? whole : part.intersected(whole);
    if (area.isEmpty())
        return {};
    QImage image(area.size(), QImage::Format_RGB32);
    for (int y = 0; y < area.height(); ++y) {
        const Colour *from = row(area.y() + y) + area.x();
        auto *to = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < area.width(); ++x)
            to[x] = qRgb(redOf(from[x]), greenOf(from[x]), blueOf(from[x]));
    }
    return image;
}

Picture Picture::fromImage(const QImage &image, Colour background)
{
    Picture picture(0, 0, background);
    if (image.isNull())
        return picture;
    const QImage rgbx = image.convertToFormat(QImage::Format_RGBX8888);
    picture.m_width = rgbx.width();
    picture.m_height = rgbx.height();
    picture.m_pixels.resize(std::size_t(picture.m_width) * std::size_t(picture.m_height));
    for (int y = 0; y < picture.m_height; ++y) {
        const auto *src = reinterpret_cast<const Colour *>(rgbx.constScanLine(y));
        Colour *dst = picture.row(y);
        for (int x = 0; x < picture.m_width; ++x)
            dst[x] = src[x] & 0xFFFFFF;
    }
    return picture;
}

} // namespace tess
