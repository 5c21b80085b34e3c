#include "settings/thumb_settings.h"

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
QString captionOf(const std::array<const char16_t *, N> &captions, int index)
{
    if (index < 0 || std::size_t(index) >= N)
        return {};
    return QString::fromUtf16(captions[std::size_t(index)]);
}
} // namespace

QString ratioModeCaption(int mode)
{
    static const std::array<const char16_t *, 7> captions = {
        u"幅のｻｲｽﾞで縦横比を保持", u"高さのｻｲｽﾞで縦横比を保持", u"幅と高さのｻｲｽﾞで縦横比を保持",
        u"幅と高さのｻｲｽﾞでｽﾄﾚｯﾁ", u"幅のｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ", u"高さのｻｲｽﾞでﾉﾝｽﾄﾚｯﾁ",
        u"幅と高さのｻｲｽﾞでﾄﾘﾐﾝｸﾞ"};
    return captionOf(captions, mode);
}

QString qualityCaption(int quality)
{
    static const std::array<const char16_t *, 4> captions = {u"低画質", u"中低画質", u"中高画質", u"高画質"};
    return captionOf(captions, quality);
}

QString fileTypeCaption(int type)
{
    static const std::array<const char16_t *, 6> captions = {u"JPG", u"BMP", u"PNG", u"WebP", u"AVIF", u"JXL"};
    return captionOf(captions, type);
}

QString duplicateModeCaption(int mode)
{
    static const std::array<const char16_t *, 2> captions = {u"上書き", u"ｽｷｯﾌﾟ"};
    return captionOf(captions, mode);
}

} // namespace tess
