#include "codecs/picture_kinds.h"

#include "codecs/bmp_reader.h"
#include "codecs/gif_reader.h"
#include "codecs/heif_reader.h"
#include "codecs/jpeg_reader.h"
#include "codecs/jxl_reader.h"
#include "codecs/picture_codecs.h"
#include "codecs/png_reader.h"
#include "codecs/raw_reader.h"
#include "codecs/raw_signature.h"
#include "codecs/tiff_reader.h"
#include "codecs/webp_reader.h"

#include <cstring>

namespace tess {

namespace {

bool isJpeg(const unsigned char *head, std::size_t size) { return size >= 2 && head[0] == 0xFF && head[1] == 0xD8; }
bool isBmp(const unsigned char *head, std::size_t size) { return size >= 2 && head[0] == 'B' && head[1] == 'M'; }

// The kinds told by their first bytes alone.
template <bool (*byHead)(const unsigned char *, std::size_t)>
bool headMatches(const PictureFile &file)
{
    return byHead(file.head(), file.headSize());
}


// LZW and lossless WebP at their best pack a few thousand pixels into a byte.
constexpr long long kPlainPixels = 1LL << 22;
constexpr long long kPixelsPerFileByte = 8192;

constexpr const char *kBmpEndings[] = {"bmp", "dib"};
constexpr const char *kJpegEndings[] = {"jpg", "jpeg", "jpe", "jfif"};
constexpr const char *kPngEndings[] = {"png"};
constexpr const char *kGifEndings[] = {"gif"};
constexpr const char *kWebpEndings[] = {"webp"};
constexpr const char *kRawEndings[] = {"dng", "cr2", "cr3", "crw", "nef", "nrw", "arw", "srf", "sr2", "raf", "orf", "rw2",
                                       "rwl", "pef", "srw", "3fr", "fff", "iiq", "erf", "mrw", "mos", "kdc", "dcr", "x3f"};
constexpr const char *kTiffEndings[] = {"tif", "tiff"};
constexpr const char *kHeifEndings[] = {"heic", "heif", "hif", "avif"};
constexpr const char *kJxlEndings[] = {"jxl"};

// Signatures overlap only where camera raws are TIFFs, so raws come before
// TIFF; otherwise the order only sets the order of the listing's endings:
// bitmaps and JPEGs first.
const PictureKind kKinds[] = {
    {PictureKindId::Bmp, headMatches<isBmp>, openBmpPicture, kBmpEndings,
     {.maxPixels = kMaxPicturePixels, .maxStreamedSide = kMaxStreamedSide}},
    {PictureKindId::Jpeg, headMatches<isJpeg>, openJpegPicture, kJpegEndings,
     {.maxPixels = kMaxPicturePixels, .maxStreamedSide = kMaxStreamedSide}},
    // Deflate never packs more than about 1032 bytes into one; libpng keeps
    // no chunk (an iCCP profile, an eXIf block) larger than 16 MB.
    {PictureKindId::Png, headMatches<isPng>, openPngPicture, kPngEndings,
     {.maxPixels = kMaxPicturePixels, .maxStreamedSide = kMaxStreamedSide, .maxInflateRatio = 1100,
      .maxLibraryAllocation = 16LL << 20}},
    {PictureKindId::Gif, headMatches<isGif>, openGifPicture, kGifEndings,
     {.maxPixels = kMaxPicturePixels, .plainPixels = kPlainPixels, .pixelsPerFileByte = kPixelsPerFileByte}},
    // The file is read whole.
    {PictureKindId::Webp, headMatches<isWebp>, openWebpPicture, kWebpEndings,
     {.maxPixels = kMaxPicturePixels, .maxFileBytes = 1LL << 30, .plainPixels = kPlainPixels,
      .pixelsPerFileByte = kPixelsPerFileByte}},
    // No raw holds less than a byte for every four of its sensor's pixels,
    // whatever its coding; LibRaw allocates no more than maxLibraryAllocation
    // at once (the raw as unpacked).
    {PictureKindId::Raw, isCameraRaw, openRawPicture, kRawEndings,
     {.maxPixels = kMaxPicturePixels, .plainPixels = 1 << 16, .pixelsPerFileByte = 4,
      .maxLibraryAllocation = 1LL << 30}},
    // A file up to maxFileBytes is copied into memory for libtiff to read as
    // mapped; a strip or tile over 512 MB is beyond any picture within
    // maxPixels, so a directory that lies about its strips fails instead of
    // allocating.
    {PictureKindId::Tiff, headMatches<isTiff>, openTiffPicture, kTiffEndings,
     {.maxPixels = kMaxPicturePixels, .maxStreamedSide = kMaxStreamedSide, .maxFileBytes = 16LL << 20,
      .maxLibraryAllocation = 512LL << 20}},
    // The file is read whole; a still picture is far below 512 MB. libheif's
    // own cap on a side makes a grid or an image of huge tiles fail in its
    // parser.
    {PictureKindId::Heif, headMatches<isHeif>, openHeifPicture, kHeifEndings,
     {.maxPixels = kMaxPicturePixels, .maxFileBytes = 512LL << 20, .maxLibrarySide = 16384}},
    // The pixels are read with the rest of the file in one piece, up to
    // maxFileBytes; larger files in pieces of that size.
    {PictureKindId::Jxl, headMatches<isJxl>, openJxlPicture, kJxlEndings,
     {.maxPixels = kMaxPicturePixels, .maxFileBytes = 256LL << 20}},
};

} // namespace


std::span<const PictureKind> pictureKinds() { return kKinds; }

const PictureKind &pictureKind(PictureKindId id)
{
    for (const PictureKind &kind : kKinds) {
        if (kind.id == id)
            return kind;
    }
    return kKinds[0]; // every id has its row
}

const PictureKind *kindOfFile(const PictureFile &file)
{
    for (const PictureKind &kind : kKinds) {
        if (kind.matches(file))
            return &kind;
    }
    return nullptr;
}

QStringList pictureEndingWildcards()
{
    QStringList wildcards;
    for (const PictureKind &kind : kKinds) {
        for (const char *ending : kind.endings)
            wildcards.append(QStringLiteral("*.") + QLatin1String(ending));
    }
    return wildcards;
}

} // namespace tess
