#pragma once
#include "thumbnailer/thumbnailer_arguments.h"

#include <QString>

#include <optional>

namespace tess {

// Makes the request's thumbnail: the picture is opened, and decoded by a
// child process that confines itself first (confinement.h) and hands back
// the PNG's bytes through a pipe; only a whole PNG becomes OUTPUT, so a
// failure, even a crash of the decoder, leaves no OUTPUT file. The cause of
// a failure, or nothing.
std::optional<QString> writeConfinedThumbnail(const ThumbnailerRequest &request);

} // namespace tess
