#include "codecs/gif_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"
#include "codecs/row_converter.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

namespace tess {

namespace {

// giflib's decoder state: its LZW tables and a block buffer.
constexpr std::size_t kDecoderBytes = 32 * 1024;

struct GifFile {
    PictureFile file;
    GifFileType *gif = nullptr;

    explicit GifFile(PictureFile picture) : file(std::move(picture)) {}
    GifFile(const GifFile &) = delete;
    GifFile &operator=(const GifFile &) = delete;
    ~GifFile()
    {
        if (gif)
            DGifCloseFile(gif, nullptr);
    }
};

int gifRead(GifFileType *gif, GifByteType *bytes, int length)
{
    const long long got = static_cast<GifFile *>(gif->UserData)->file.read(bytes, std::size_t(std::max(length, 0)));
    return got < 0 ? 0 : int(got);
}

// Reads up to the first frame's descriptor, keeping the transparent index of
// the graphic control extension before it (-1 when none).
bool findFirstFrame(GifFileType *gif, int &transparent)
{
    transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return false;
        if (type == IMAGE_DESC_RECORD_TYPE)
            return DGifGetImageDesc(gif) != GIF_ERROR;
        if (type != EXTENSION_RECORD_TYPE)
            return false; // the trailer, or a record giflib doesn't know, before any frame
        int code = 0;
        GifByteType *block = nullptr;
        if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
            return false;
        GraphicsControlBlock control;
        if (code == GRAPHICS_EXT_FUNC_CODE && block && DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            transparent = control.TransparentColor;
        while (block) {
            if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
                return false;
        }
    }
}

struct FirstFrame {
    std::shared_ptr<GifFile> file;
    std::shared_ptr<const RowConverter> converter;
    int transparent = NO_TRANSPARENT_COLOR;

    std::optional<QString> operator()(Picture &picture) const
    {
        GifFileType *gif = file->gif;
        const GifImageDesc &frame = gif->Image;
        const ColorMapObject *map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
        // Indices past the colour table are black; the transparent one is clear.
        std::array<std::array<GifByteType, 4>, 256> palette {};
        for (auto &entry : palette)
            entry[3] = 255;
        for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
            palette[std::size_t(i)] = {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue, 255};
        if (transparent >= 0 && transparent < 256)
            palette[std::size_t(transparent)][3] = 0;

        const int width = gif->SWidth;
        const int height = gif->SHeight;
        Picture screen(width, height);
        std::vector<GifByteType> samples(std::size_t(width) * 4, 0); // clear: the matte
        converter->convert(samples.data(), screen.row(0), width);
        for (int y = 1; y < height; ++y)
            std::copy_n(screen.row(0), width, screen.row(y));

        // The part of the frame on the screen.
        const int left = std::min(frame.Left, width);
        const int right = std::min(frame.Left + frame.Width, width);
        std::vector<GifPixelType> line(std::size_t(frame.Width));
        static constexpr int kFirstRow[] = {0, 4, 2, 1};
        static constexpr int kRowStep[] = {8, 8, 4, 2};
        const int passes = frame.Interlace ? 4 : 1;
        // Rows in file order below the screen are not decoded at all.
        const int rowsWanted = frame.Interlace ? frame.Height : std::min(frame.Height, height - frame.Top);
        for (int pass = 0; pass < passes; ++pass) {
            const int first = frame.Interlace ? kFirstRow[pass] : 0;
            const int step = frame.Interlace ? kRowStep[pass] : 1;
            for (int row = first; row < rowsWanted; row += step) {
                if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                    return codecmessages::corrupt();
                const int y = frame.Top + row;
                if (y >= height || left >= right)
                    continue;
                std::fill(samples.begin(), samples.end(), GifByteType(0));
                for (int x = left; x < right; ++x)
                    std::memcpy(&samples[std::size_t(x) * 4], palette[line[std::size_t(x - frame.Left)]].data(), 4);
                converter->convert(samples.data(), screen.row(y), width);
            }
        }
        picture = std::move(screen);
        return std::nullopt;
    }
};

} // namespace

bool isGif(const unsigned char *head, std::size_t size)
{
    return size >= 6 && (std::memcmp(head, "GIF87a", 6) == 0 || std::memcmp(head, "GIF89a", 6) == 0);
}

OpenedPicture openGifPicture(PictureFile picture, const ReadOptions &options, const PictureLimits &limits)
{
    const long long fileBytes = picture.size();
    auto file = std::make_shared<GifFile>(std::move(picture));
    int error = 0;
    file->gif = DGifOpen(file.get(), gifRead, &error);
    if (!file->gif)
        return OpenedPicture::refused(codecmessages::corrupt());
    GifFileType *gif = file->gif;
    const long long pixels = (long long)gif->SWidth * gif->SHeight;
    if (gif->SWidth <= 0 || gif->SHeight <= 0)
        return OpenedPicture::refused(codecmessages::corrupt());
    if (pixels > limits.maxPixels)
        return OpenedPicture::refused(codecmessages::tooLarge());
    if (limits.claimsMoreThanTheFileHolds(pixels, fileBytes))
        return OpenedPicture::refused(codecmessages::corrupt());

    int transparent = NO_TRANSPARENT_COLOR;
    if (!findFirstFrame(gif, transparent) || gif->Image.Width <= 0 || gif->Image.Height <= 0
        || (!gif->Image.ColorMap && !gif->SColorMap))
        return OpenedPicture::refused(codecmessages::corrupt());
    // A frame is decoded through, even where it leaves the screen; one too
    // large to be a picture of its own would only cost time.
    if ((long long)gif->Image.Width * gif->Image.Height > limits.maxPixels)
        return OpenedPicture::refused(codecmessages::corrupt());

    const std::size_t extra = sizeof(GifFile) + kDecoderBytes + std::size_t(gif->Image.Width)
        + std::size_t(gif->SWidth) * 4;
    const int width = gif->SWidth;
    const int height = gif->SHeight;
    auto converter = std::make_shared<const RowConverter>(SampleLayout::Rgba8, QByteArray(), options.matte);
    return wholePictureRows(width, height, FirstFrame{std::move(file), std::move(converter), transparent}, extra);
}

} // namespace tess
