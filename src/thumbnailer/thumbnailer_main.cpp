// tessarolith-thumbnailer: one picture's thumbnail for a file manager, as the
// `.thumbnailer` entry asks for it. It needs no display, settings, home
// folder, D-Bus or fonts, and decodes only once confined (confinement.h).
#include "thumbnailer/confined_thumbnail.h"
#include "thumbnailer/thumbnailer_arguments.h"

#include "platform/ui_language.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QList>
#include <QString>

#include <cstdio>
#include <optional>

using namespace tess;

namespace {

void printLine(const QString &text)
{
    const QByteArray bytes = (QStringLiteral("tessarolith-thumbnailer: ") + text + QLatin1Char('\n')).toLocal8Bit();
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stderr);
}

} // namespace

int main(int argc, char **argv)
{
    // Its one line of failure speaks the desktop's language; the help is English whatever it is.
    // Japanese texts are the sources' own, translated by nothing: only another
    // language needs the application that holds a translator, which takes its
    // own while to set up.
    std::optional<QCoreApplication> app;
    if (const UiLanguage language = desktopUiLanguage(); language != UiLanguage::Japanese) {
        app.emplace(argc, argv);
        installProgramTranslation(&*app, language);
    }
    QList<QByteArray> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QByteArray(argv[i]));
    const ThumbnailerArguments parsed = parseThumbnailerArguments(arguments);
    if (const QString *problem = std::get_if<QString>(&parsed)) {
        printLine(*problem);
        std::fputs(kThumbnailerUsage, stderr);
        return 2;
    }
    if (const ThumbnailerQuery *query = std::get_if<ThumbnailerQuery>(&parsed)) {
        if (*query == ThumbnailerQuery::Version) {
            std::puts("tessarolith-thumbnailer " TESS_VERSION);
        } else {
            std::fputs(kThumbnailerUsage, stdout);
            std::fputs("Writes the picture INPUT (a path or a file:// URI) to OUTPUT as a PNG whose longer side\n"
                       "is at most SIZE pixels.\n",
                       stdout);
        }
        return 0;
    }
    const ThumbnailerRequest &request = std::get<ThumbnailerRequest>(parsed);
    if (const std::optional<QString> failure = writeConfinedThumbnail(request)) {
        printLine(QString::fromLocal8Bit(request.input) + QStringLiteral(": ") + *failure);
        return 1;
    }
    return 0;
}
