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

} // namespace tess
