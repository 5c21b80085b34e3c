// Any bytes, as the settings file: loading never fails, and the record it
// gives survives a save and a second load unchanged.
#include "settings/settings_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString program = folder().path();
    const QString ini = tess::settingsFilePath(program);
    writeFile(ini, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    tess::ThumbSettings first;
    tess::LoadSettings(first, ini, program);
    if (!tess::SaveSettings(first, ini))
        std::abort();
    tess::ThumbSettings second;
    tess::LoadSettings(second, ini, program);
    if (!(first == second))
        std::abort();
    return 0;
}
