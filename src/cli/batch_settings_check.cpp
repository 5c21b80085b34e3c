#include "cli/batch_settings_check.h"

#include "platform/file_names.h"

namespace tess {

std::optional<QString> settingsKeysWarning(const QString &iniPath, const SettingsFileKeys &keys)
{
    if (keys.known > 0)
        return std::nullopt;
    QString text = QStringLiteral("--settings ") + displayName(iniPath)
                   + QStringLiteral(": 知っている設定がないため、既定の設定で続けます。");
    if (!keys.unknown.isEmpty())
        text += QStringLiteral("不明なキー: ") + keys.unknown.join(QStringLiteral("、"));
    return text;
}

} // namespace tess
