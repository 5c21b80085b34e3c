#pragma once

namespace tess {

// What a picture of one kind may ask of us before we refuse it. Zero where a
// limit does not apply to the kind.
struct PictureLimits {
    // A picture held whole (decoded at once, or asked for whole).
    long long maxPixels = 0;
    // A side of a picture read row by row, never held whole.
    int maxStreamedSide = 0;
    // A file read into memory whole (or copied there for its library).
    long long maxFileBytes = 0;
    // Beyond plainPixels, a picture must come with at least a file byte for
    // every pixelsPerFileByte of its pixels: its coding can't pack more, so a
    // tiny file can't make us fill a huge picture.
    long long plainPixels = 0;
    long long pixelsPerFileByte = 0;
    // Compressed data never inflates to more than this many times its bytes.
    long long maxInflateRatio = 0;
    // One allocation the kind's library may make for a part of the picture.
    long long maxLibraryAllocation = 0;
    // A side the kind's library takes apart (tiles, grids) before our check
    // on the whole picture runs.
    int maxLibrarySide = 0;

    // Whether a header's pixels are more than a file of fileBytes could hold.
    bool claimsMoreThanTheFileHolds(long long pixels, long long fileBytes) const
    {
        return pixelsPerFileByte > 0 && pixels > plainPixels && fileBytes * pixelsPerFileByte < pixels;
    }
};

} // namespace tess
