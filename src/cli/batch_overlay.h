#pragma once
#include "settings/thumb_settings.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace tess {

// Settings given on the command line. Each one that is set replaces the
// settings file's value of its field; the rest keep the file's values.
struct SettingsOverlay {
    std::optional<std::int16_t> Width;
    std::optional<std::int16_t> Height;
    std::optional<std::int16_t> RatioMode;
    std::optional<std::int16_t> FileType;
    std::optional<std::int16_t> Compression;
    std::optional<std::int32_t> MarginColour;
    std::optional<std::int16_t> Quality;
    std::optional<QString> Prefix;
    std::optional<QString> SaveFolder;
    std::optional<std::int16_t> DuplicateMode;

    friend bool operator==(const SettingsOverlay &, const SettingsOverlay &) = default;
};

void applyOverlay(ThumbSettings &settings, const SettingsOverlay &overlay);

} // namespace tess
