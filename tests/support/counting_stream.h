#pragma once
// A stream of numbered rows, for following what a reader of rows reads.
#include "codecs/row_stream.h"

#include <QString>
#include <algorithm>

// Rows whose every pixel is their own number; fails at failAt.
class CountingStream : public tess::RowStream {
public:
    CountingStream(int width, int height, int failAt = -1) : m_width(width), m_height(height), m_failAt(failAt) {}
    int width() const override { return m_width; }
    int height() const override { return m_height; }
    bool readRows(tess::Colour *const *rows, int count) override
    {
        for (int i = 0; i < count; ++i, ++m_next) {
            if (m_next == m_failAt)
                return false;
            std::fill_n(rows[i], m_width, tess::Colour(m_next));
        }
        return true;
    }
    bool finish() override { return m_next == m_height; }
    QString message() const override { return QStringLiteral("broken"); }
    std::size_t workingBytes() const override { return 0; }
    int read() const { return m_next; }
    bool holdsWhole() const override { return false; }

private:
    int m_width, m_height, m_failAt, m_next = 0;
};
