#pragma once
#include "settings/thumb_settings.h"

#include <QSize>
#include <QString>
#include <vector>

namespace tess {

// The sizes one run makes of every picture. With one size (or none given:
// the settings' own Width x Height) the thumbnails go where the settings
// say; with several, each size's go into a subfolder "WxH" of the save
// folder, under the same names.
using ThumbnailSizes = std::vector<QSize>;

// "128x128".
QString sizeFolderName(QSize size);

// The settings each size's thumbnails are made and written with, the first
// size first: the run's, with that Width and Height and, for several sizes,
// the size's subfolder as the save folder.
std::vector<ThumbSettings> settingsPerSize(const ThumbSettings &run, const ThumbnailSizes &sizes);

} // namespace tess
