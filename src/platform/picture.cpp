#include "platform/picture.h"

#include <algorithm>

namespace tess {

Picture::Picture(int width, int height, Colour background)
    : m_background(background & 0xFFFFFF)
{
    resize(width, height);
}

void Picture::resize(int width, int height)
{
    m_width = std::max(0, width);
    m_height = std::max(0, height);
    if (m_width == 0 || m_height == 0)
        m_width = m_height = 0;
    m_pixels.assign(std::size_t(m_width) * std::size_t(m_height), m_background);
}

void Picture::reset()
{
    m_width = m_height = 0;
    decltype(m_pixels)().swap(m_pixels);
}

void Picture::clear()
{
    std::fill(m_pixels.begin(), m_pixels.end(), m_background);
}

Colour Picture::pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return kInvalidColour;
    return row(y)[x];
}

void Picture::setPixel(int x, int y, Colour colour)
{
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return;
    row(y)[x] = colour & 0xFFFFFF;
}

void Picture::fillBox(int x, int y, int width, int height, Colour colour)
{
    const int left = std::max(x, 0);
    const int top = std::max(y, 0);
    const int right = std::min<long long>(static_cast<long long>(x) + width, m_width);
    const int bottom = std::min<long long>(static_cast<long long>(y) + height, m_height);
    for (int yy = top; yy < bottom; ++yy)
        std::fill(row(yy) + left, row(yy) + std::max(left, right), colour & 0xFFFFFF);
}

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
