#pragma once
#include "platform/colour.h"
#include "platform/failure.h"
#include "platform/picture.h"

#include <QString>
#include <atomic>
#include <cstddef>
#include <optional>

namespace tess {

// A picture as the preview keeps it. A picture that fits into 100 x 100 is kept
// whole: the thumbnail preview shows it pixel for pixel and the source preview
// enlarges it. A larger one is drawn the same way by both, so only that drawing
// (the box's size) is kept, never the picture itself.
struct PreviewPicture {
    int width = 0; // the picture's own size, for the caption
    int height = 0;
    Picture kept;
    std::optional<Failure> failure; // set when the file gave no complete picture

    bool ok() const { return !failure.has_value(); }
    // True before any picture loaded.
    bool isEmpty() const { return width <= 0 || height <= 0; }
};

// Whether a picture of that size is kept whole.
bool previewKeepsWhole(int pictureWidth, int pictureHeight);

struct PreviewLoadControl {
    // Set from another thread when the result is no longer wanted: the load
    // ends at its next band, as a failure.
    const std::atomic<bool> *stop = nullptr;
    // Receives the most pixel memory the load itself held at once: its band of
    // rows and the picture it keeps (a reader holding its picture whole counts
    // that on its own).
    std::size_t *largestBuffer = nullptr;
};

// Reads path through the reader of its kind, top to bottom a band of rows at
// a time, keeping only the rows and columns the preview shows. Fails where a
// read of every row would: a missing, broken or cut file, or one over
// kMaxPicturePixels.
PreviewPicture loadPreviewPicture(const QString &path, const PreviewLoadControl &control = {});

// The picture the preview box shows for what was loaded: the kept picture
// stretched or copied by the source or thumbnail preview's fit, on the box's
// background. Empty for an empty PreviewPicture.
Picture drawPreview(const PreviewPicture &loaded, bool thumbnail, Colour background);

} // namespace tess
