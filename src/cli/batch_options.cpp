#include "cli/batch_options.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <functional>
#include <vector>

namespace tess {

namespace {

// The file types by name, in the order of their numbers.
constexpr std::array<const char *, 6> kFormatNames = {"jpg", "bmp", "png", "webp", "avif", "jxl"};
// The ratio modes by name, in the order of their numbers.
constexpr std::array<const char *, 7> kModeNames = {"keep-width", "keep-height", "fit", "stretch",
                                                    "square-width", "square-height", "cover"};

std::optional<int> integerIn(const QString &text, int low, int high)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int value = text.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

// "#RRGGBB" as the settings record stores colours, red in the low byte.
std::optional<std::int32_t> colourOf(const QString &text)
{
    static const QRegularExpression hex(QStringLiteral("^#[0-9A-Fa-f]{6}$"));
    if (!hex.match(text).hasMatch())
        return std::nullopt;
    const std::uint32_t rrggbb = text.mid(1).toUInt(nullptr, 16);
    const std::uint32_t red = rrggbb >> 16, green = (rrggbb >> 8) & 0xFF, blue = rrggbb & 0xFF;
    return std::int32_t(red | (green << 8) | (blue << 16));
}

// "WxH", each side a thumbnail's.
std::optional<QSize> sizeOf(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,9})x([0-9]{1,9})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const auto width = integerIn(match.captured(1), 16, 640);
    const auto height = integerIn(match.captured(2), 16, 640);
    if (!width || !height)
        return std::nullopt;
    return QSize(*width, *height);
}

std::optional<Shard> shardOf(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^([0-9]{1,9})/([0-9]{1,9})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const int index = match.captured(1).toInt();
    const int count = match.captured(2).toInt();
    if (count < 1 || index < 1 || index > count)
        return std::nullopt;
    return Shard{index, count};
}

// An option that takes a value: reads it into the options, or says what it takes.
using ValueReader = std::function<std::optional<QString>(const QString &value, BatchOptions &options)>;

ValueReader overlayNumber(std::optional<std::int16_t> SettingsOverlay::*field, int low, int high)
{
    return [=](const QString &value, BatchOptions &options) -> std::optional<QString> {
        const auto number = integerIn(value, low, high);
        if (!number)
            return QStringLiteral("takes a number from %1 to %2").arg(low).arg(high);
        options.overlay.*field = std::int16_t(*number);
        return std::nullopt;
    };
}

struct ValueOption {
    const char *name;
    ValueReader read;
};

const std::vector<ValueOption> &valueOptions()
{
    static const std::vector<ValueOption> table = {
        {"--settings",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             if (value.isEmpty())
                 return QStringLiteral("needs a file name");
             options.settingsPath = value;
             return std::nullopt;
         }},
        {"--jobs",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             const auto jobs = integerIn(value, 1, 256);
             if (!jobs)
                 return QStringLiteral("takes a number from 1 to 256");
             options.jobs = *jobs;
             return std::nullopt;
         }},
        {"--width", overlayNumber(&SettingsOverlay::Width, 16, 640)},
        {"--height", overlayNumber(&SettingsOverlay::Height, 16, 640)},
        {"--size",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             const auto size = sizeOf(value);
             if (!size)
                 return QStringLiteral("takes WxH, each from 16 to 640");
             // The same size twice would write the same files twice.
             if (std::find(options.sizes.begin(), options.sizes.end(), *size) == options.sizes.end())
                 options.sizes.push_back(*size);
             return std::nullopt;
         }},
        {"--mode",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             for (std::size_t i = 0; i < kModeNames.size(); ++i) {
                 if (value == QLatin1String(kModeNames[i])) {
                     options.overlay.RatioMode = std::int16_t(i);
                     return std::nullopt;
                 }
             }
             if (const auto mode = integerIn(value, 0, int(kModeNames.size()) - 1)) {
                 options.overlay.RatioMode = std::int16_t(*mode);
                 return std::nullopt;
             }
             return QStringLiteral("takes 0 to 6 or keep-width, keep-height, fit, stretch, square-width, "
                                   "square-height, cover");
         }},
        {"--quality", overlayNumber(&SettingsOverlay::Quality, 0, 3)},
        {"--format",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             for (std::size_t i = 0; i < kFormatNames.size(); ++i) {
                 if (value == QLatin1String(kFormatNames[i])) {
                     options.overlay.FileType = std::int16_t(i);
                     return std::nullopt;
                 }
             }
             return QStringLiteral("takes jpg, bmp, png, webp, avif or jxl");
         }},
        {"--compression", overlayNumber(&SettingsOverlay::Compression, 40, 100)},
        {"--margin-colour",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             const auto colour = colourOf(value);
             if (!colour)
                 return QStringLiteral("takes a colour as #RRGGBB");
             options.overlay.MarginColour = *colour;
             return std::nullopt;
         }},
        {"--prefix",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             // Such a name would leave the save folder; refused before anything is written.
             if (value.contains(QLatin1Char('/')) || value.contains(QChar(0)))
                 return QStringLiteral("cannot hold \"/\"");
             options.overlay.Prefix = value;
             return std::nullopt;
         }},
        {"--out",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             if (value.isEmpty())
                 return QStringLiteral("needs a folder");
             options.overlay.SaveFolder = value;
             return std::nullopt;
         }},
        {"--shard",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             const auto shard = shardOf(value);
             if (!shard)
                 return QStringLiteral("takes K/N with K from 1 to N");
             options.shard = *shard;
             return std::nullopt;
         }},
        {"--raw",
         [](const QString &value, BatchOptions &options) -> std::optional<QString> {
             if (value == QLatin1String("preview"))
                 options.raw = RawSource::Preview;
             else if (value == QLatin1String("develop"))
                 options.raw = RawSource::Develop;
             else
                 return QStringLiteral("takes preview or develop");
             return std::nullopt;
         }},
    };
    return table;
}

// Options without a value; false when the name is not one of them.
bool setFlag(const QString &name, ParsedArguments &parsed)
{
    BatchOptions &options = parsed.options;
    if (name == QLatin1String("--help") || name == QLatin1String("-h"))
        parsed.request = BatchRequest::Help;
    else if (name == QLatin1String("--version"))
        parsed.request = BatchRequest::Version;
    else if (name == QLatin1String("--quiet"))
        options.quiet = true;
    else if (name == QLatin1String("--keep-going"))
        options.keepGoing = true;
    else if (name == QLatin1String("--recursive"))
        options.recursive = true;
    else if (name == QLatin1String("--lossless"))
        options.lossless = true;
    else if (name == QLatin1String("--skip-existing"))
        options.overlay.DuplicateMode = DuplicateSkip;
    else if (name == QLatin1String("--overwrite"))
        options.overlay.DuplicateMode = DuplicateOverwrite;
    else
        return false;
    return true;
}

} // namespace

ParsedArguments parseBatchArguments(const QStringList &arguments)
{
    ParsedArguments parsed;
    const auto refuse = [&](const QString &problem) {
        parsed.error = problem;
        return parsed;
    };
    bool optionsEnded = false;
    bool haveFolder = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        const bool isOption = !optionsEnded && argument.startsWith(QLatin1Char('-')) && argument.size() > 1;
        if (!isOption) {
            if (haveFolder)
                return refuse(QStringLiteral("only one SOURCE_FOLDER"));
            parsed.options.folder = argument;
            haveFolder = true;
            continue;
        }
        if (argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        // "--name=value" or "--name value".
        const qsizetype equals = argument.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? argument : argument.left(equals);
        // Its value only ever after "=": a bare one is followed by the folder.
        if (name == QLatin1String("--thumbnail-cache")) {
            const QString list = equals < 0 ? QString() : argument.mid(equals + 1);
            parsed.options.thumbnailCache = flavoursOf(list);
            if (!parsed.options.thumbnailCache || (equals >= 0 && list.isEmpty()))
                return refuse(QStringLiteral("--thumbnail-cache takes normal, large, x-large or xx-large, "
                                             "separated by commas (not ")
                              + list + QLatin1Char(')'));
            continue;
        }
        const ValueOption *option = nullptr;
        for (const ValueOption &candidate : valueOptions()) {
            if (name == QLatin1String(candidate.name))
                option = &candidate;
        }
        if (!option) {
            if (equals < 0 && setFlag(name, parsed)) {
                if (parsed.request != BatchRequest::Run)
                    return parsed;
                continue;
            }
            return refuse(QStringLiteral("unknown option ") + argument);
        }
        QString value;
        if (equals >= 0) {
            value = argument.mid(equals + 1);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return refuse(name + QStringLiteral(" needs a value"));
        }
        if (const auto problem = option->read(value, parsed.options))
            return refuse(name + QLatin1Char(' ') + *problem + QStringLiteral(" (not ") + value
                          + QLatin1Char(')'));
    }
    if (!haveFolder || parsed.options.folder.isEmpty())
        return refuse(QStringLiteral("no SOURCE_FOLDER"));
    const SettingsOverlay &overlay = parsed.options.overlay;
    if (!parsed.options.sizes.empty() && (overlay.Width || overlay.Height))
        return refuse(QStringLiteral("--size and --width or --height: give the sizes one way"));
    // The cache has its own sizes, folder and kind of file.
    if (parsed.options.thumbnailCache
        && (!parsed.options.sizes.empty() || overlay.Width || overlay.Height || overlay.SaveFolder || overlay.FileType))
        return refuse(QStringLiteral("--thumbnail-cache with --size, --width, --height, --out or --format: "
                                     "the cache's flavours say the sizes, folder and kind"));
    return parsed;
}

} // namespace tess
