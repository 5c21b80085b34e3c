#include "settings/settings_file.h"

#include "platform/app_locations.h"
#include "platform/file_names.h"
#include "platform/private_profile.h"

#include <QSet>

#include <algorithm>
#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace tess {

namespace {

// The 256-byte buffer the value is read into, NUL included.
constexpr int kValueBufferSize = 256;
// Section and key names travel in 128-character fields.
constexpr qsizetype kNameFieldLength = 128;

QString text(const char16_t *literal)
{
    return QString::fromUtf16(literal);
}

void writeValue(PrivateProfile &doc, const QString &section, const QString &key, const QString &value)
{
    doc.setValue(section.left(kNameFieldLength), key.left(kNameFieldLength), value);
}

void loadInteger(std::int16_t &field, const QString &value, std::int16_t defaultValue)
{
    if (value.isEmpty())
        field = defaultValue;
    else if (const auto parsed = parseIniInteger(value))
        field = *parsed;
}

// The settings file as the user may have edited it.
std::optional<PrivateProfile> loadDocument(const QString &iniPath)
{
    return PrivateProfile::load(iniPath, settingsKeyNames());
}

// A name listed, with its hash kept beside it: the set of millions of them
// then tells two names apart without reaching for their text.
struct ListedName {
    QString text;
    size_t hash = 0;
    friend bool operator==(const ListedName &a, const ListedName &b) { return a.hash == b.hash && a.text == b.text; }
};

size_t qHash(const ListedName &name, size_t seed)
{
    return name.hash ^ seed;
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

QStringList settingsKeyNames()
{
    QStringList keys;
    for (const char16_t *key : {ini_key::Width, ini_key::Height, ini_key::RatioMode, ini_key::FileType,
                                ini_key::Compression, ini_key::MarginColour, ini_key::Quality, ini_key::Prefix,
                                ini_key::SaveFolder, ini_key::DuplicateMode})
        keys.append(text(key));
    return keys;
}

SettingsFileKeys settingsFileKeys(const PrivateProfile &file)
{
    SettingsFileKeys found;
    const QStringList known = settingsKeyNames();
    const QString ownSection = text(kSettingsSection);
    // A file of junk keys holds millions of lines: each name is looked up, not
    // searched for in the list.
    QSet<ListedName> listed;
    // Folding case keeps a name's length, so a longer name is none of the ten.
    qsizetype longest = 0;
    for (const QString &name : known)
        longest = std::max(longest, name.size());
    file.forEachKeyName([&](const QString &section, const QString &key) {
        // Names match as the lookups match them: without regard to case.
        const bool inSection = section.compare(ownSection, Qt::CaseInsensitive) == 0;
        const bool isKnown = key.size() <= longest && known.contains(key, Qt::CaseInsensitive);
        if (inSection && isKnown) {
            // The others are shown only for a file without any of the ten:
            // a big file that has one is not made to list its junk.
            if (++found.known == 1) {
                found.unknown.clear();
                listed.clear();
            }
            return;
        }
        if (found.known > 0)
            return;
        // A known key in the wrong section is shown with its section, which is what is wrong.
        const QString shown = isKnown ? u'[' + section + u']' + key : key;
        const qsizetype before = listed.size();
        listed.insert(ListedName{shown, qHash(shown)});
        if (listed.size() > before)
            found.unknown.append(shown);
    });
    return found;
}

PrivateProfile readSettingsFile(const QString &iniPath)
{
    // An unreadable file reads as a missing one: every field its default.
    return loadDocument(iniPath).value_or(PrivateProfile());
}

QString settingsFilePath(const QString &programFolder)
{
    const QString name = text(kSettingsFileName);
    return programFolder.endsWith(u'/') ? programFolder + name : programFolder + u'/' + name;
}

QString formatIniNumber(std::int64_t value)
{
    return value < 0 ? QString::number(value) : u' ' + QString::number(value);
}

std::optional<double> parseIniDecimal(const QString &input)
{
    const QString number = input.trimmed();
    qsizetype i = 0;
    if (i < number.size() && (number[i] == u'+' || number[i] == u'-'))
        ++i;
    qsizetype digits = 0;
    while (i < number.size() && isDigit(number[i]))
        ++i, ++digits;
    if (i < number.size() && number[i] == u'.') {
        ++i;
        while (i < number.size() && isDigit(number[i]))
            ++i, ++digits;
    }
    if (digits == 0 || i != number.size())
        return std::nullopt;
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::int16_t> parseIniInteger(const QString &text)
{
    const auto number = parseIniDecimal(text);
    if (!number)
        return std::nullopt;
    const double floored = std::floor(*number);
    if (floored < -32768.0 || floored > 32767.0)
        return std::nullopt;
    return std::int16_t(floored);
}

std::optional<std::int32_t> parseIniColour(const QString &text)
{
    const auto number = parseIniDecimal(text);
    if (!number)
        return std::nullopt;
    // Nearest integer, an exact half going to the even neighbour; spelt out so
    // it does not hang on the floating-point rounding mode.
    double rounded = std::floor(*number);
    const double fraction = *number - rounded;
    if (fraction > 0.5 || (fraction == 0.5 && std::fmod(rounded, 2.0) != 0.0))
        rounded += 1.0;
    if (rounded < -2147483648.0 || rounded > 2147483647.0)
        return std::nullopt;
    return std::int32_t(rounded);
}

QString AddTrailingBackslash(const QString &path)
{
    QString result = path;
    while (result.endsWith(u' '))
        result.chop(1);
    if (!result.endsWith(u'/'))
        result += u'/';
    return result;
}

bool FolderExists(const QString &path)
{
    // A NUL would cut the path short on its way to the system and let a
    // different, existing folder answer.
    if (path.contains(QChar(0)))
        return false;
    // The trailing "/" makes the system look the folder up itself: "pics/" is
    // never satisfied by "pics_old", nor by a file named "pics".
    const QByteArray folder = nativePath(AddTrailingBackslash(path));
    struct stat st {};
    return ::stat(folder.constData(), &st) == 0 && S_ISDIR(st.st_mode) && ::access(folder.constData(), R_OK) == 0;
}

QString ReadIniValue(const QString &section, const QString &key, const QString &iniPath)
{
    return loadDocument(iniPath).value_or(PrivateProfile()).readString(section, key, QString(), kValueBufferSize);
}

bool WriteIniValue(const QString &section, const QString &key, const QString &value, const QString &iniPath)
{
    auto doc = loadDocument(iniPath);
    if (!doc)
        return false;
    writeValue(*doc, section, key, value);
    return doc->save(iniPath);
}

void LoadSettings(ThumbSettings &s, const QString &iniPath, const QString &programFolder)
{
    LoadSettings(s, readSettingsFile(iniPath), programFolder);
}

void LoadSettings(ThumbSettings &s, const PrivateProfile &file, const QString &programFolder)
{
    const ThumbSettings defaults = defaultSettings(programFolder);
    // The ten keys are read in one pass over the file, however long it is.
    const QStringList values =
        file.readStrings(text(kSettingsSection), settingsKeyNames(), QString(), kValueBufferSize);

    loadInteger(s.Width, values[0], defaults.Width);
    loadInteger(s.Height, values[1], defaults.Height);
    loadInteger(s.RatioMode, values[2], defaults.RatioMode);
    loadInteger(s.FileType, values[3], defaults.FileType);
    loadInteger(s.Compression, values[4], defaults.Compression);

    const QString &colour = values[5];
    if (colour.isEmpty())
        s.MarginColour = defaults.MarginColour;
    else if (const auto parsed = parseIniColour(colour))
        s.MarginColour = *parsed;

    loadInteger(s.Quality, values[6], defaults.Quality);

    const QString &prefix = values[7];
    s.Prefix = prefix.isEmpty() ? defaults.Prefix : prefix;

    const QString &folder = values[8];
    s.SaveFolder = folder.isEmpty() || !FolderExists(folder) ? defaults.SaveFolder : folder;

    loadInteger(s.DuplicateMode, values[9], defaults.DuplicateMode);
}

void LoadSettings(ThumbSettings &settings)
{
    const AppLocations at = appLocations();
    LoadSettings(settings, at.settingsFile, at.defaultSaveFolder);
}

bool SaveSettings(const ThumbSettings &s, const QString &iniPath)
{
    // All ten keys go into the document first and the file is written once:
    // either the whole new file is there afterwards or the old one is.
    auto doc = loadDocument(iniPath);
    if (!doc)
        return false; // rewriting a file we could not read would lose its other lines
    std::vector<std::pair<QString, QString>> keys;
    const auto put = [&](const char16_t *key, const QString &value) {
        keys.emplace_back(text(key).left(kNameFieldLength), value);
    };
    put(ini_key::Width, formatIniNumber(s.Width));
    put(ini_key::Height, formatIniNumber(s.Height));
    put(ini_key::RatioMode, formatIniNumber(s.RatioMode));
    put(ini_key::FileType, formatIniNumber(s.FileType));
    put(ini_key::Compression, formatIniNumber(s.Compression));
    put(ini_key::MarginColour, formatIniNumber(s.MarginColour));
    put(ini_key::Quality, formatIniNumber(s.Quality));
    // Texts keep blanks at their ends and outer quotes through a save and a
    // load; a plain text is still written as it is.
    put(ini_key::Prefix, doc->quotedForReading(s.Prefix));
    put(ini_key::SaveFolder, doc->quotedForReading(s.SaveFolder));
    put(ini_key::DuplicateMode, formatIniNumber(s.DuplicateMode));
    // One pass over the file for all ten.
    doc->setValues(text(kSettingsSection).left(kNameFieldLength), keys);
    return doc->save(iniPath);
}

bool SaveSettings(const ThumbSettings &settings)
{
    const AppLocations at = appLocations();
    // An installed copy's first save may find no folder of its own yet.
    if (!makeSettingsFolder(at))
        return false;
    return SaveSettings(settings, at.settingsFile);
}

} // namespace tess
