#include "settings/thumb_settings.h"

#include <QCoreApplication>

#include <array>

namespace tess {

ThumbSettings defaultSettings(const QString &programFolder)
{
    ThumbSettings s;
    s.Width = 128;
    s.Height = 128;
    s.RatioMode = StretchToBoth;
    s.FileType = FileTypeJpeg;
    s.Compression = 100;
    s.MarginColour = 0;
    s.Quality = QualityHigh;
    s.Prefix = QStringLiteral("Thumb_");
    s.SaveFolder = programFolder;
    s.DuplicateMode = DuplicateOverwrite;
    return s;
}

namespace {
template <std::size_t N>
QString captionOf(const std::array<const char *, N> &captions, int index)
{
    if (index < 0 || std::size_t(index) >= N)
        return {};
    return QCoreApplication::translate("ThumbSettings", captions[std::size_t(index)]);
}
} // namespace

QString ratioModeCaption(int mode)
{
    static const std::array<const char *, 7> captions = {
        QT_TRANSLATE_NOOP("ThumbSettings", "幅のｻｲｽﾞで縦横比を保持"),
        QT_TRANSLATE_NOOP("ThumbSettings", "高さのｻｲｽﾞで縦横比を保持"),
        QT_TRANSLATE_NOOP("ThumbSettings", "幅と高さのｻｲｽﾞで縦横比を保持"),
        QT_TRANSLATE_NOOP("ThumbSettings", "幅と高さのｻｲｽﾞでｽﾄﾚｯﾁ"),
        QT_TRANSLATE_NOOP("ThumbSettings", "幅のｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ"),
        QT_TRANSLATE_NOOP("ThumbSettings", "高さのｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ"),
        QT_TRANSLATE_NOOP("ThumbSettings", "幅と高さのｻｲｽﾞでﾄﾘﾐﾝｸﾞ")};
    return captionOf(captions, mode);
}

QString qualityCaption(int quality)
{
    static const std::array<const char *, 4> captions = {
        QT_TRANSLATE_NOOP("ThumbSettings", "低画質"), QT_TRANSLATE_NOOP("ThumbSettings", "中低画質"),
        QT_TRANSLATE_NOOP("ThumbSettings", "中高画質"), QT_TRANSLATE_NOOP("ThumbSettings", "高画質")};
    return captionOf(captions, quality);
}

QString fileTypeCaption(int type)
{
    static const std::array<const char *, 6> captions = {"JPG", "BMP", "PNG", "WebP", "AVIF", "JXL"};
    return captionOf(captions, type);
}

QString duplicateModeCaption(int mode)
{
    static const std::array<const char *, 2> captions = {QT_TRANSLATE_NOOP("ThumbSettings", "上書き"),
                                                             QT_TRANSLATE_NOOP("ThumbSettings", "ｽｷｯﾌﾟ")};
    return captionOf(captions, mode);
}

} // namespace tess
