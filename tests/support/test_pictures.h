#pragma once
// Pictures the tests make: each shows a different kind of fault when a copy,
// a stretch, an average or a codec goes wrong.
#include "platform/picture.h"

#include <algorithm>
#include <random>

namespace tess::testing {

// Every pixel differs from its neighbours and from file to file (by seed), so
// a lost row, a swapped channel, a flip or a mixed-up order shows.
inline Picture patterned(int width, int height, int seed = 0)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, rgb((x * 37 + seed * 40) & 0xFF, (y * 53 + seed * 13) & 0xFF, (x * y + seed * 7) & 0xFF));
    return p;
}

// A picture with smooth ramps, hard edges and a little deterministic noise.
inline Picture photoLike(int width, int height, unsigned seed = 1)
{
    Picture p(width, height);
    unsigned state = seed;
    for (int y = 0; y < height; ++y) {
        Colour *row = p.row(y);
        for (int x = 0; x < width; ++x) {
            state = state * 1103515245u + 12345u;
            const int noise = int((state >> 16) % 9) - 4;
            const bool edge = ((x / 37) + (y / 53)) % 2 == 0;
            const int r = std::clamp(x * 255 / std::max(1, width - 1) + noise, 0, 255);
            const int g = std::clamp(y * 255 / std::max(1, height - 1) + noise, 0, 255);
            const int b = std::clamp((edge ? 200 : 60) + noise, 0, 255);
            row[x] = rgb(r, g, b);
        }
    }
    return p;
}

inline Picture randomPicture(int width, int height, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, rgb(byte(rng), byte(rng), byte(rng)));
    return p;
}

// Every pixel tells where it came from: red and green the column, blue the row.
inline Picture coordinatePicture(int width, int height)
{
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, rgb(x & 0xFF, x >> 8, y & 0xFF));
    return p;
}
// A picture whose four quadrants have different colours, so a copy or a
// stretch can be told from a blank box.
inline Picture quadrantPicture(int width, int height)
{
    Picture picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool right = x >= width / 2;
            const bool bottom = y >= height / 2;
            picture.setPixel(x, y, right ? (bottom ? rgb(0, 0, 255) : rgb(0, 255, 0))
                                         : (bottom ? rgb(255, 255, 0) : rgb(255, 0, 0)));
        }
    }
    return picture;
}

// Random colours whose blue stays within [low, high]: an average of them does
// too, so a drawn pixel whose blue lies outside took in some margin.
inline Picture bluesWithin(int width, int height, int low, int high, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> blue(low, high);
    Picture p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.setPixel(x, y, rgb(byte(rng), byte(rng), blue(rng)));
    return p;
}

inline Picture solidPicture(int width, int height, Colour colour)
{
    Picture picture(width, height);
    picture.fillBox(0, 0, width, height, colour);
    return picture;
}

} // namespace tess::testing
