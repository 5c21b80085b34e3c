#pragma once
#include "platform/private_profile.h"
#include "settings/thumb_settings.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace tess {

// The settings file: Tessarolith.ini in the program folder, one section
// "Section", ten keys with Japanese names, Shift-JIS (CP932) text, CRLF lines.
// A file a Linux editor saved in UTF-8 is read as UTF-8 when it spells one of
// the keys in UTF-8, and written back in UTF-8.
inline constexpr char16_t kSettingsFileName[] = u"Tessarolith.ini";
inline constexpr char16_t kSettingsSection[] = u"Section";

// The keys, in the order they are read and written.
namespace ini_key {
inline constexpr char16_t Width[] = u"幅";
inline constexpr char16_t Height[] = u"高さ";
inline constexpr char16_t RatioMode[] = u"比率構成";
inline constexpr char16_t FileType[] = u"ファイル種類";
inline constexpr char16_t Compression[] = u"圧縮率";
inline constexpr char16_t MarginColour[] = u"余白色";
inline constexpr char16_t Quality[] = u"画質";
inline constexpr char16_t Prefix[] = u"先頭文字";
inline constexpr char16_t SaveFolder[] = u"保存フォルダ";
inline constexpr char16_t DuplicateMode[] = u"同一名";
} // namespace ini_key

// programFolder + "/Tessarolith.ini".
QString settingsFilePath(const QString &programFolder);

// One read of a settings file, for LoadSettings and settingsFileKeys both: a
// missing or unreadable file reads as an empty one.
PrivateProfile readSettingsFile(const QString &iniPath);

// Fills the record from the file. An empty value (file, section or key missing,
// or nothing after '=') gives the field its default; a value that is not a
// number or does not fit leaves the field as it was; a save folder that is not
// an existing folder becomes programFolder. Never fails, never reports.
void LoadSettings(ThumbSettings &settings, const QString &iniPath, const QString &programFolder);
// The same from a file already read.
void LoadSettings(ThumbSettings &settings, const PrivateProfile &file, const QString &programFolder);
// The same on the running program's settings file (appLocations()), with its
// default save folder.
void LoadSettings(ThumbSettings &settings);

// Writes the ten keys into the file, keeping every other line of it, and
// replaces the file in one step: a failed save leaves the old file as it was.
// False when the file could not be written; nothing is thrown or shown, and
// callers ignore the result.
bool SaveSettings(const ThumbSettings &settings, const QString &iniPath);
// The same on the running program's settings file (appLocations()), making its
// folder first when it is missing.
bool SaveSettings(const ThumbSettings &settings);

// The ten key names, in that order.
QStringList settingsKeyNames();
// What a settings file says, by its key names: how many of the ten it holds in
// its section and, when that is none, the others, each once: a name that is
// none of the ten as it is, one of the ten outside the section as
// "[its section]name".
struct SettingsFileKeys {
    int known = 0;
    QStringList unknown;
};
SettingsFileKeys settingsFileKeys(const PrivateProfile &file);

// The value of a key, empty when absent, at most 255 bytes long (a longer value
// is cut, never inside a character).
QString ReadIniValue(const QString &section, const QString &key, const QString &iniPath);
// Sets one key in the file (section and key names cut to 128 characters).
// False when the file could not be written.
bool WriteIniValue(const QString &section, const QString &key, const QString &value, const QString &iniPath);

// Whether path names an existing folder that can be listed. Trailing spaces are
// ignored; a file, a missing folder, or a missing folder's name that merely
// begins like an existing one's, is not a folder.
bool FolderExists(const QString &path);
// Trailing spaces removed and a "/" appended unless the path already ends in one.
QString AddTrailingBackslash(const QString &path);

// A number as the file stores it: a blank in front when not negative, a minus
// sign when negative (" 128", "-5").
QString formatIniNumber(std::int64_t value);
// A plain decimal number: optional blanks, optional sign, digits with an
// optional fraction. Nothing for anything else.
std::optional<double> parseIniDecimal(const QString &text);
// An integer key: the largest integer not greater than the number, when it is a
// number and that integer fits 16 bits.
std::optional<std::int16_t> parseIniInteger(const QString &text);
// The margin colour: the number rounded to the nearest integer, halves to even,
// when it is a number and fits 32 bits.
std::optional<std::int32_t> parseIniColour(const QString &text);

} // namespace tess
