#include "cli/batch_overlay.h"

namespace tess {

namespace {
template <typename T, typename U>
void lay(T &field, const std::optional<U> &value)
{
    if (value)
        field = *value;
}
} // namespace

void applyOverlay(ThumbSettings &settings, const SettingsOverlay &overlay)
{
    lay(settings.Width, overlay.Width);
    lay(settings.Height, overlay.Height);
    lay(settings.RatioMode, overlay.RatioMode);
    lay(settings.FileType, overlay.FileType);
    lay(settings.Compression, overlay.Compression);
    lay(settings.MarginColour, overlay.MarginColour);
    lay(settings.Quality, overlay.Quality);
    lay(settings.Prefix, overlay.Prefix);
    lay(settings.SaveFolder, overlay.SaveFolder);
    lay(settings.DuplicateMode, overlay.DuplicateMode);
}

} // namespace tess
