#include "thumbs/thumbnail_sizes.h"

namespace tess {

QString sizeFolderName(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

std::vector<ThumbSettings> settingsPerSize(const ThumbSettings &run, const ThumbnailSizes &sizes)
{
    if (sizes.empty())
        return {run};
    std::vector<ThumbSettings> perSize;
    perSize.reserve(sizes.size());
    for (const QSize size : sizes) {
        ThumbSettings sized = run;
        sized.Width = std::int16_t(size.width());
        sized.Height = std::int16_t(size.height());
        if (sizes.size() > 1)
            sized.SaveFolder = run.SaveFolder + QLatin1Char('/') + sizeFolderName(size);
        perSize.push_back(std::move(sized));
    }
    return perSize;
}

} // namespace tess
