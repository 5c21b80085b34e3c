#pragma once
// Drawings of a widget at a screen's pixel ratio, and measures that tell a
// picture drawn at that density from one stretched to it.
#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>
#include <cstdlib>

namespace dense_rendering {

// The widget as a screen with this pixel ratio shows it.
inline QImage render(QWidget &widget, qreal ratio)
{
    QImage image((QSizeF(widget.size()) * ratio).toSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    // Mid grey, as the panels behind transparent parts are.
    image.fill(qRgb(186, 186, 188));
    widget.render(&image);
    image.setDevicePixelRatio(1);
    return image;
}

// Each 2 x 2 block averaged into one pixel.
inline QImage halved(const QImage &image)
{
    QImage out(image.width() / 2, image.height() / 2, QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x) {
            int r = 0, g = 0, b = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const QRgb p = image.pixel(2 * x + dx, 2 * y + dy);
                    r += qRed(p), g += qGreen(p), b += qBlue(p);
                }
            out.setPixel(x, y, qRgb((r + 2) / 4, (g + 2) / 4, (b + 2) / 4));
        }
    return out;
}

// Mean difference per channel, 0 to 255, of two pictures of one size.
inline double meanDifference(const QImage &a, const QImage &b)
{
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return double(sum) / (3.0 * a.width() * a.height());
}

// The share of aligned 2 x 2 blocks whose four pixels are not all the same:
// nil for a picture stretched to twice its size pixel for pixel.
inline double unevenBlocks(const QImage &image)
{
    int uneven = 0, blocks = 0;
    for (int y = 0; y + 1 < image.height(); y += 2)
        for (int x = 0; x + 1 < image.width(); x += 2) {
            const QRgb p = image.pixel(x, y);
            ++blocks;
            if (image.pixel(x + 1, y) != p || image.pixel(x, y + 1) != p || image.pixel(x + 1, y + 1) != p)
                ++uneven;
        }
    return blocks ? double(uneven) / blocks : 0;
}

} // namespace dense_rendering
