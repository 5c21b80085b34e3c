#pragma once
#include "platform/colour.h"

#include <QImage>
#include <QRect>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tess {

namespace detail {
// Pixel memory: large buffers are aligned and marked for huge pages, so filling
// a freshly decoded photo takes a few dozen page faults instead of thousands.
void *allocatePixelMemory(std::size_t bytes);
void freePixelMemory(void *memory, std::size_t bytes) noexcept;

template <typename T>
struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <typename U>
    PixelAllocator(const PixelAllocator<U> &) noexcept {}
    T *allocate(std::size_t n) { return static_cast<T *>(allocatePixelMemory(n * sizeof(T))); }
    void deallocate(T *p, std::size_t n) noexcept { freePixelMemory(p, n * sizeof(T)); }
    friend bool operator==(const PixelAllocator &, const PixelAllocator &) { return true; }
};
} // namespace detail

// The retained image of a picture box: drawing into it persists, and clearing
// paints the background colour. Rows are stored top-down, one Colour per pixel,
// with no padding, so hot loops take row pointers instead of calling getPixel.
class Picture {
public:
    Picture() = default;
    Picture(int width, int height, Colour background = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool isEmpty() const { return m_width <= 0 || m_height <= 0; }
    std::size_t byteCount() const { return m_pixels.size() * sizeof(Colour); }

    Colour background() const { return m_background; }
    void setBackground(Colour colour) { m_background = colour & 0xFFFFFF; }

    // New size, every pixel the background colour.
    void resize(int width, int height);
    // The empty picture (0 x 0), as a failed draw leaves its source.
    void reset();
    void clear();

    // GetPixel: kInvalidColour outside the picture.
    Colour pixel(int x, int y) const;
    // SetPixel: ignored outside the picture.
    void setPixel(int x, int y, Colour colour);
    // Filled box, clipped to the picture; width or height <= 0 draws nothing.
    void fillBox(int x, int y, int width, int height, Colour colour);

    Colour *row(int y) { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    const Colour *row(int y) const { return m_pixels.data() + std::size_t(y) * std::size_t(m_width); }
    Colour *bits() { return m_pixels.data(); }
    const Colour *bits() const { return m_pixels.data(); }

    // These two live with the rest of what needs QtGui (src/qimage/): in
    // tess_core, not in tess_base.
    //
    // The picture, or the part of it within `part`, as an opaque QImage of its
    // own. Our pixels keep a fourth byte that is no alpha (zero, or whatever a
    // decoder left there); a drawing surface with alpha, as a Wayland window's
    // is, would take it for one.
    QImage toImage(const QRect &part = QRect()) const;
    // A deep copy of any QImage, converted to our pixel format.
    static Picture fromImage(const QImage &image, Colour background = 0);

    friend bool operator==(const Picture &a, const Picture &b)
    {
        return a.m_width == b.m_width && a.m_height == b.m_height && a.m_pixels == b.m_pixels;
    }

private:
    int m_width = 0;
    int m_height = 0;
    Colour m_background = 0;
    std::vector<Colour, detail::PixelAllocator<Colour>> m_pixels;
};

} // namespace tess
