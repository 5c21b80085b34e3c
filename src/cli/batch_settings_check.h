#pragma once
#include "settings/settings_file.h"
#include "settings/thumb_settings.h"

#include <QString>
#include <optional>

namespace tess {

// The warning for a --settings file that names none of the ten keys: the run
// then goes on with every setting at its default, which a user who saved the
// file in another encoding or spelt the keys differently would not expect.
// Nothing when the file names at least one of them. The keys are those
// settingsFileKeys found in the file named iniPath.
std::optional<QString> settingsKeysWarning(const QString &iniPath, const SettingsFileKeys &keys);

// Why --lossless can't go with the run's file type (JPEG, AVIF, or a FileType
// written as JPEG), or nothing: WebP and JPEG XL are then written without
// loss, and BMP and PNG are lossless anyway.
std::optional<QString> losslessProblem(const ThumbSettings &settings, bool lossless);

} // namespace tess
