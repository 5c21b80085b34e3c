// Any settings record and any small source picture: composing either fails
// cleanly, leaving the canvas as it was, or fills a canvas of a sane size.
#include "codecs/picture_reader.h"
#include "thumbs/compose.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

struct Reader {
    const std::uint8_t *data;
    std::size_t size;
    template <typename T> T take()
    {
        T value{};
        const std::size_t n = std::min(sizeof(T), size);
        std::memcpy(&value, data, n);
        data += n;
        size -= n;
        return value;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Reader in{data, size};
    tess::ThumbSettings settings;
    // Sides stay below 1024 so a run stays quick, or lie over the largest
    // allowed side, which must be refused (the largest itself would only
    // test the machine's memory).
    const auto side = [&] {
        const auto raw = in.take<std::int16_t>();
        return (raw & 0x4000) ? std::int16_t(tess::kMaxThumbnailSide + 1 + (raw & 0x3FFF) % 16000)
                              : std::int16_t(raw % 1024);
    };
    settings.Width = side();
    settings.Height = side();
    settings.RatioMode = std::int16_t(in.take<std::int8_t>());
    settings.Quality = std::int16_t(in.take<std::int8_t>());
    settings.MarginColour = in.take<std::int32_t>() & 0xFFFFFF;
    const int width = in.take<std::uint8_t>() % 97;
    const int height = in.take<std::uint8_t>() % 97;

    tess::Picture source(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            source.setPixel(x, y, tess::Colour(in.take<std::uint32_t>() & 0xFFFFFF));

    tess::Picture canvas(3, 3);
    canvas.setBackground(tess::Colour(settings.MarginColour));
    const std::unique_ptr<tess::RowStream> rows = tess::pictureRows(std::move(source));
    const tess::PicturePlan plan = tess::planPicture(*rows, settings);
    const std::optional<tess::Failure> failure = tess::ComposeThumbnail(*rows, canvas, plan);
    if (failure) {
        if (canvas.width() != 3 || canvas.height() != 3 || failure->message.isEmpty())
            std::abort();
        return 0;
    }
    if (canvas.isEmpty() || canvas.width() > tess::kMaxThumbnailSide || canvas.height() > tess::kMaxThumbnailSide)
        std::abort();
    return 0;
}
