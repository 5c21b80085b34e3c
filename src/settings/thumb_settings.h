#pragma once
#include <QString>
#include <cstdint>

namespace tess {

enum RatioMode : std::int16_t {
    KeepRatioByWidth = 0,
    KeepRatioByHeight = 1,
    KeepRatioWithinBoth = 2,
    StretchToBoth = 3,
    NoStretchByWidth = 4,
    NoStretchByHeight = 5,
    CropToFill = 6,
};

enum Quality : std::int16_t {
    QualityLow = 0,
    QualityMediumLow = 1,
    QualityMediumHigh = 2,
    QualityHigh = 3,
};

enum FileType : std::int16_t {
    FileTypeJpeg = 0,
    FileTypeBitmap = 1,
    FileTypePng = 2,
    FileTypeWebp = 3,
    FileTypeAvif = 4,
    FileTypeJpegXl = 5,
};

enum DuplicateMode : std::int16_t {
    DuplicateOverwrite = 0,
    DuplicateSkip = 1,
};

// The options of a thumbnail run. Fields hold whatever was loaded, in range or
// not (a hand-edited file may say RatioMode 9); each reader decides what an
// out-of-range value means. A fresh record is all zeros and empty texts: the
// defaults come from loading the settings file.
struct ThumbSettings {
    std::int16_t Width = 0;
    std::int16_t Height = 0;
    std::int16_t RatioMode = 0;
    std::int16_t FileType = 0;
    std::int16_t Compression = 0;
    std::int32_t MarginColour = 0;
    std::int16_t Quality = 0;
    QString Prefix;
    QString SaveFolder;
    std::int16_t DuplicateMode = 0;

    friend bool operator==(const ThumbSettings &, const ThumbSettings &) = default;
};

// The record as the settings file's defaults give it; the save folder is the
// program folder.
ThumbSettings defaultSettings(const QString &programFolder);

// Captions the settings window shows, indexed by value.
QString ratioModeCaption(int mode);
QString qualityCaption(int quality);
QString fileTypeCaption(int type);
QString duplicateModeCaption(int mode);

} // namespace tess
