// Any bytes, as a picture file: either a whole picture within the size limit or
// a failure that names the file; never a crash, a hang or a half-read picture.
#include "codecs/picture_codecs.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const tess::DecodedPicture decoded = tess::decodePictureData(bytes, QStringLiteral("fuzz.jpg"));
    if (decoded.ok()) {
        const long long pixels = (long long)decoded.picture.width() * decoded.picture.height();
        if (decoded.picture.isEmpty() || pixels > tess::kMaxPicturePixels)
            std::abort();
    } else if (decoded.failure->file != QStringLiteral("fuzz.jpg") || decoded.failure->message.isEmpty()) {
        std::abort();
    }
    return 0;
}
