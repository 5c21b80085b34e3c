#include "cli/batch_settings_check.h"

#include "platform/file_names.h"
#include <QCoreApplication>

namespace tess {

std::optional<QString> settingsKeysWarning(const QString &iniPath, const SettingsFileKeys &keys)
{
    if (keys.known > 0)
        return std::nullopt;
    QString text = QStringLiteral("--settings ") + displayName(iniPath)
                   + QCoreApplication::translate("Batch", ": 知っている設定がないため、既定の設定で続けます。");
    if (!keys.unknown.isEmpty())
        text += QCoreApplication::translate("Batch", "不明なキー: ") + keys.unknown.join(QCoreApplication::translate("Batch", "、"));
    return text;
}

std::optional<QString> losslessProblem(const ThumbSettings &settings, bool lossless)
{
    const int type = settings.FileType;
    if (!lossless || type == FileTypeBitmap || type == FileTypePng || type == FileTypeWebp || type == FileTypeJpegXl)
        return std::nullopt;
    const QString kind = type == FileTypeAvif ? QStringLiteral("AVIF") : QStringLiteral("JPEG");
    return QStringLiteral("--lossless: ") + kind
           + QCoreApplication::translate("Batch", "は可逆圧縮で書き出せません（webp、jxl、png、bmp なら書き出せます）。");
}

} // namespace tess
