#include "codecs/tiff_file.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <mutex>
#include <vector>

namespace tess {

namespace {

int ignoreMessage(TIFF *, void *, const char *, const char *, va_list) { return 1; }

void silenceLibtiff()
{
    // Messages raised before a file has its own handlers go to the global
    // ones, which print to stderr.
    static std::once_flag once;
    std::call_once(once, [] {
        TIFFSetErrorHandler(nullptr);
        TIFFSetWarningHandler(nullptr);
    });
}

struct TiffSource {
    PictureFile file;
    long long maxFileBytes = 0;
    std::vector<std::uint8_t> copy;
};

TiffSource &sourceOf(thandle_t handle) { return *static_cast<TiffSource *>(handle); }

tmsize_t readSource(thandle_t handle, void *buffer, tmsize_t size)
{
    const long long got = sourceOf(handle).file.read(buffer, std::size_t(std::max<tmsize_t>(size, 0)));
    return got < 0 ? 0 : tmsize_t(got);
}

tmsize_t writeNothing(thandle_t, void *, tmsize_t) { return 0; }

toff_t seekSource(thandle_t handle, toff_t offset, int whence)
{
    const long long at = sourceOf(handle).file.seek((long long)offset, whence);
    return at < 0 ? toff_t(-1) : toff_t(at);
}

int closeSource(thandle_t handle)
{
    delete &sourceOf(handle);
    return 0;
}

toff_t sizeOfSource(thandle_t handle) { return toff_t(sourceOf(handle).file.size()); }

int mapSource(thandle_t handle, void **base, toff_t *size)
{
    TiffSource &source = sourceOf(handle);
    if (source.copy.empty()) {
        if (source.file.readAll(source.copy, source.maxFileBytes) != PictureFile::Whole::Read) {
            source.copy = {};
            return 0;
        }
    }
    *base = source.copy.data();
    *size = toff_t(source.copy.size());
    return 1;
}

void unmapSource(thandle_t handle, void *, toff_t) { sourceOf(handle).copy = {}; }

} // namespace

TiffPtr openTiffFile(PictureFile file, const PictureLimits &limits)
{
    silenceLibtiff();
    const QByteArray name = file.name().toUtf8();
    TIFFOpenOptions *openOptions = TIFFOpenOptionsAlloc();
    TIFFOpenOptionsSetMaxSingleMemAlloc(openOptions, tmsize_t(limits.maxLibraryAllocation));
    TIFFOpenOptionsSetErrorHandlerExtR(openOptions, ignoreMessage, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(openOptions, ignoreMessage, nullptr);
    auto *source = new TiffSource{std::move(file), limits.maxFileBytes, {}};
    TiffPtr tif(TIFFClientOpenExt(name.isEmpty() ? "picture.tif" : name.constData(), "r", source, readSource,
                                  writeNothing, seekSource, closeSource, sizeOfSource, mapSource, unmapSource,
                                  openOptions));
    TIFFOpenOptionsFree(openOptions);
    if (!tif)
        closeSource(source); // libtiff only takes the source once the file opens
    return tif;
}

} // namespace tess
