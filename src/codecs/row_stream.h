#pragma once
#include "platform/colour.h"

#include <QImageIOHandler>
#include <QString>
#include <cstddef>

namespace tess {

// Largest side of a picture read row by row. Such a picture is never held
// whole, so its size is bounded by the formats (a JPEG's own limit), not by
// memory.
inline constexpr int kMaxStreamedSide = 65500;

// A picture handed out top to bottom, a band of rows at a time, as the file
// stores it: orientation() says how those rows are turned upright, by whoever
// draws them. Rows are in the picture's pixel form (see colour.h); nothing
// else of the picture is kept.
class RowStream {
public:
    virtual ~RowStream() = default;
    // The rows handed out: width() pixels each, height() of them.
    virtual int width() const = 0;
    virtual int height() const = 0;
    // The file's orientation, still to apply to the rows (see picture_turn.h).
    virtual QImageIOHandler::Transformations orientation() const { return QImageIOHandler::TransformationNone; }
    // Fills the next `count` rows, rows[0] the topmost. False when the file
    // turns out broken: message() says why, and the stream gives nothing more.
    virtual bool readRows(Colour *const *rows, int count) = 0;
    // After the last row: false when the file, read to its end, still proves
    // broken (a cut file whose decoder padded the last rows).
    virtual bool finish() = 0;
    virtual QString message() const = 0;
    // Memory the reader itself holds beside the rows it hands out; less once
    // a picture held whole is decoded and its decoder gone.
    virtual std::size_t workingBytes() const = 0;
    // Whether the stream holds its whole picture once decoded (a kind that
    // can't stream); its rows are then there to read in place.
    virtual bool holdsWhole() const { return false; }
    // Of such a stream: decodes the picture if that was not done yet and gives
    // row y where it lies, so a reader of every row need not copy them; null
    // when the file proves broken (message() says why). Instead of readRows,
    // not beside it.
    virtual const Colour *heldRow(int /*y*/) { return nullptr; }
};

} // namespace tess
