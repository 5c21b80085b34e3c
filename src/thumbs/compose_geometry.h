#pragma once
#include "platform/colour.h"
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"

#include <optional>
#include <vector>

namespace tess {

// Largest canvas side we make. The free side of the keep-ratio modes follows
// the source's proportions and so has no natural bound (a 16 x 16000 picture
// sized by width 640 asks for 640 x 640000); past this the file fails instead
// of allocating without limit. The settings window offers at most 640.
inline constexpr int kMaxThumbnailSide = 16384;

// Largest side of a stretched intermediate picture. It is never allocated,
// only described by tables of this length.
inline constexpr int kMaxIntermediateSide = 1 << 20;

// Side of the square preview frame the canvas is shown in, and the largest
// canvas side that is still centred in it.
inline constexpr int kPreviewFrameSide = 157;
inline constexpr int kPreviewCentredMax = 152;

// Where the window shows a canvas inside its preview frame.
struct CanvasPlacement {
    int left = 0;
    int top = 0;
    friend bool operator==(const CanvasPlacement &, const CanvasPlacement &) = default;
};

CanvasPlacement placeCanvas(int canvasWidth, int canvasHeight);

// The canvas of one file: its size by the ratio mode, or why there is none
// (the failure names no file; the plan that asks knows it).
struct ThumbnailLayout {
    int width = 0;
    int height = 0;
    std::optional<Failure> failure;
};

ThumbnailLayout layoutThumbnail(const ThumbSettings &settings, int sourceWidth, int sourceHeight);

// Ratio modes 3 to 6 draw from an intermediate picture at the source's own
// resolution: the source stretched to the proportions W : H (nearest pixel, as
// a colour-on-colour stretch), the source centred on a square of margin
// colour, or the source's centred crop to the proportions W : H. It is never
// allocated, only described by its index tables over a sw x sh source: for
// each column and row the source column and row it shows, -1 for margin. Both
// only ever grow, so a source read top to bottom serves them. `used` is false
// for the modes that draw the source itself.
struct IntermediateMaps {
    bool used = false;
    std::vector<int> columns;
    std::vector<int> rows;
    Colour margin = 0;
    std::optional<Failure> failure;
};

IntermediateMaps intermediateMaps(int sw, int sh, const ThumbSettings &settings);

} // namespace tess
