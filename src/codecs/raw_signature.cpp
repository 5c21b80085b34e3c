#include "codecs/raw_signature.h"

#include "codecs/tiff_directories.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace tess {

namespace {

bool startsWith(const PictureFile &file, std::size_t at, const char *bytes, std::size_t length)
{
    return file.headSize() >= at + length && std::memcmp(file.head() + at, bytes, length) == 0;
}

// Containers of their own, told by their first bytes.
bool isMakersContainer(const PictureFile &file)
{
    if (startsWith(file, 0, "II", 2) && startsWith(file, 6, "HEAPCCDR", 8))
        return true; // Canon CRW
    if (startsWith(file, 4, "ftypcrx ", 8))
        return true; // Canon CR3
    if (startsWith(file, 0, "FUJIFILM", 8))
        return true; // RAF
    if (startsWith(file, 0, "IIRO", 4) || startsWith(file, 0, "IIRS", 4) || startsWith(file, 0, "MMOR", 4))
        return true; // Olympus ORF
    if (startsWith(file, 0, "IIU\0", 4))
        return true; // Panasonic RW2, Leica RWL
    if (startsWith(file, 0, "\0MRM", 4))
        return true; // Minolta MRW
    if (startsWith(file, 0, "FOVb", 4))
        return true; // Sigma X3F
    if (startsWith(file, 0, "IIII", 4) || startsWith(file, 0, "MMMM", 4))
        return true; // Phase One IIQ
    return false;
}

bool isClassicTiff(const PictureFile &file)
{
    return file.headSize() >= 8 && (startsWith(file, 0, "II*\0", 4) || startsWith(file, 0, "MM\0*", 4));
}

// Codings no picture TIFF uses: the camera makers' own.
bool isRawCoding(std::uint32_t compression)
{
    switch (compression) {
    case 262:   // Kodak
    case 32767: // Sony
    case 32769: // Epson, Panasonic
    case 32770: // Samsung
    case 32772: // Samsung
    case 34713: // Nikon
    case 65000: // Kodak
    case 65535: // Pentax
        return true;
    default:
        return false;
    }
}

TiffDirectories directoriesOf(const PictureFile &file)
{
    return TiffDirectories(
        [&file](long long offset, void *into, std::size_t length) { return file.readAt(offset, into, length); });
}

// Whether a directory read whole holds a sensor's mosaic, or the data of a
// maker's own coding.
bool holdsMosaic(const TiffDirectories &tiff, const TiffDirectories::Directory &d)
{
    if (!d.whole)
        return false;
    for (const TiffEntry &entry : d.entries) {
        const std::uint32_t single = entry.count == 1 ? tiff.single(entry) : 0;
        if (entry.tag == 262 && (single == 32803 || single == 34892)) // a colour filter array, linear raw
            return true;
        if (entry.tag == 259 && isRawCoding(single))
            return true;
    }
    return false;
}

// Where the strips or tiles a directory names end; nullopt when it names
// none or their tables can't be read.
std::optional<long long> dataEnd(const TiffDirectories &tiff, const TiffDirectories::Directory &d)
{
    const TiffEntry *offsetsEntry = nullptr, *countsEntry = nullptr;
    for (const TiffEntry &entry : d.entries) {
        if (entry.tag == 273 || entry.tag == 324) // strips, tiles
            offsetsEntry = &entry;
        else if (entry.tag == 279 || entry.tag == 325)
            countsEntry = &entry;
    }
    if (!offsetsEntry || !countsEntry)
        return std::nullopt;
    const std::optional<std::vector<std::uint32_t>> offsets = tiff.values(*offsetsEntry);
    const std::optional<std::vector<std::uint32_t>> counts = tiff.values(*countsEntry);
    if (!offsets || !counts || offsets->empty() || offsets->size() != counts->size())
        return std::nullopt;
    long long end = 0;
    for (std::size_t i = 0; i < offsets->size(); ++i)
        end = std::max(end, (long long)(*offsets)[i] + (*counts)[i]);
    return end;
}

} // namespace

bool isCameraRaw(const PictureFile &file)
{
    if (isMakersContainer(file))
        return true;
    if (!isClassicTiff(file))
        return false;
    if (startsWith(file, 8, "CR", 2))
        return true; // Canon CR2
    const TiffDirectories tiff = directoriesOf(file);
    return tiff.any({}, [&](const TiffDirectories::Directory &d, bool first) {
        const bool dng = std::any_of(d.entries.begin(), d.entries.end(),
                                     [](const TiffEntry &e) { return e.tag == 50706; });
        return (first && d.whole && dng) || holdsMosaic(tiff, d);
    });
}

bool rawDataLiesPastTheEnd(const PictureFile &file)
{
    if (!isClassicTiff(file))
        return false;
    const TiffDirectories tiff = directoriesOf(file);
    return tiff.any({}, [&](const TiffDirectories::Directory &d, bool) {
        if (!holdsMosaic(tiff, d))
            return false;
        const std::optional<long long> end = dataEnd(tiff, d);
        return end && *end > file.size();
    });
}

} // namespace tess
