#pragma once
#include "codecs/row_stream.h"

namespace tess {

// A picture its reader decodes in order, a row or a band at a time, never
// held whole. The bookkeeping every such reader shares lives here: a band
// past the last row, or any band after one that failed, is refused; finish()
// holds only once every row is out; a failed band gives "corrupt".
class RowByRowStream : public RowStream {
public:
    RowByRowStream(int width, int height,
                   QImageIOHandler::Transformations orientation = QImageIOHandler::TransformationNone)
        : m_width(width), m_height(height), m_orientation(orientation)
    {
    }

    int width() const final { return m_width; }
    int height() const final { return m_height; }
    QImageIOHandler::Transformations orientation() const final { return m_orientation; }
    QString message() const override;
    bool readRows(Colour *const *rows, int count) final;
    bool finish() final;

protected:
    // The first row the next band starts at.
    int nextRow() const { return m_next; }
    // Fills rows[0] to rows[count - 1] with the next rows; false when the
    // file proves broken.
    virtual bool readBand(Colour *const *rows, int count) = 0;
    // After the last row: false when the rest of the file still proves it
    // broken.
    virtual bool readEnd() { return true; }
    // Once nothing more will be read (broken or finished): the decoder's
    // memory can go.
    virtual void release() {}

private:
    bool broke();

    const int m_width;
    const int m_height;
    const QImageIOHandler::Transformations m_orientation;
    int m_next = 0;
    bool m_broken = false;
};

} // namespace tess
