#pragma once
#include "platform/failure.h"
#include "platform/picture.h"
#include "settings/thumb_settings.h"
#include "thumbs/compose_geometry.h"
#include "thumbs/resample.h"

#include <functional>
#include <optional>

namespace tess {

struct Composition {
    std::optional<Failure> failure; // the file fails; its file name is left for the caller to fill in
    CanvasPlacement placement;      // where the GUI puts the canvas in its preview frame
};

// One file's thumbnail: sizes the canvas by the ratio mode (resize() clears it
// to its background, which the caller has set to the margin colour), then
// draws the source into it with the settings' quality. Modes 3 to 5 draw from
// an intermediate picture read through index tables over the source, so the
// source keeps the decoded picture. `placed` (optional) hears the placement
// once the canvas has its size, before any row is drawn.
//
// An out-of-range ratio mode, width or height (a hand-edited settings file), an
// empty source, or a canvas side over kMaxThumbnailSide ends the file with a
// failure, leaving source and canvas as they were.
Composition ComposeThumbnail(Picture &source, Picture &canvas, const ThumbSettings &settings,
                             const ResampleProgress &progress = {},
                             const std::function<void(const CanvasPlacement &)> &placed = {});

} // namespace tess
