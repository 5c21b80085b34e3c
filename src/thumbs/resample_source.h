#pragma once
#include "platform/colour.h"
#include "platform/picture.h"

#include <utility>
#include <vector>

namespace tess {

// What the resampler reads from. Any type with
//     int width() const; int height() const; RowView row(int y) const;
// where RowView[x] gives the colour of column x (0 <= x < width), will do: a
// decoded picture, a picture still being decoded row by row, or an intermediate
// picture described by index tables instead of being allocated. A source held
// in memory may also offer `void prefetch(int y, int x) const`, a hint that
// pixel (x, y) is wanted soon. A source that reads its picture top to bottom
// and holds only a band of it offers `void release(int y) const`: rows above y
// will not be asked for again.

// A decoded picture, read through plain row pointers.
class PictureRows {
public:
    explicit PictureRows(const Picture &picture) : m_picture(picture) {}
    int width() const { return m_picture.width(); }
    int height() const { return m_picture.height(); }
    const Colour *row(int y) const { return m_picture.row(y); }
    void prefetch(int y, int x) const { __builtin_prefetch(m_picture.row(y) + x); }
    const Picture &picture() const { return m_picture; }

private:
    const Picture &m_picture;
};

// A picture whose pixel (x, y) is the source pixel (columns[x], row y of
// rows), or `margin` where columns[x] is negative or rows[y] is null. The
// stretched and the squared intermediates of the ratio modes are of this form:
// a few kilobytes of tables instead of a full picture.
class MappedRows {
public:
    struct RowView {
        const Colour *source; // null: a margin row
        const int *columns;
        Colour margin;
        Colour operator[](int x) const
        {
            if (!source)
                return margin;
            const int c = columns[x];
            return c < 0 ? margin : source[c];
        }
    };

    MappedRows(std::vector<int> columns, std::vector<const Colour *> rows, Colour margin)
        : m_columns(std::move(columns)), m_rows(std::move(rows)), m_margin(margin & 0xFFFFFF)
    {
    }
    int width() const { return int(m_columns.size()); }
    int height() const { return int(m_rows.size()); }
    RowView row(int y) const { return {m_rows[std::size_t(y)], m_columns.data(), m_margin}; }
    void prefetch(int y, int x) const
    {
        const Colour *source = m_rows[std::size_t(y)];
        const int c = m_columns[std::size_t(x)];
        if (source && c >= 0)
            __builtin_prefetch(source + c);
    }

private:
    std::vector<int> m_columns;
    std::vector<const Colour *> m_rows;
    Colour m_margin;
};

// The same kind of picture over a source that streams its rows: row y is
// source row rows[y], or margin where that is negative. The maps only ever move
// down the source, so releasing an intermediate row releases its source row.
template <class Source>
class MappedStream {
public:
    using RowView = MappedRows::RowView;

    MappedStream(const Source &source, std::vector<int> columns, std::vector<int> rows, Colour margin)
        : m_source(source), m_columns(std::move(columns)), m_rows(std::move(rows)), m_margin(margin & 0xFFFFFF)
    {
    }
    int width() const { return int(m_columns.size()); }
    int height() const { return int(m_rows.size()); }
    RowView row(int y) const
    {
        const int r = m_rows[std::size_t(y)];
        return {r < 0 ? nullptr : &m_source.row(r)[0], m_columns.data(), m_margin};
    }
    void release(int y) const
    {
        const int r = m_rows[std::size_t(y)];
        if (r >= 0)
            m_source.release(r);
    }

private:
    const Source &m_source;
    std::vector<int> m_columns;
    std::vector<int> m_rows;
    Colour m_margin;
};

} // namespace tess
