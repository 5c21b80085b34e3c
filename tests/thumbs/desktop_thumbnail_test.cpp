#include "codecs/picture_reader.h"
#include "thumbs/desktop_thumbnail.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tess;

namespace {

Colour rgba(int r, int g, int b, int a)
{
    return rgb(r, g, b) | Colour(a) << 24;
}

TEST(DesktopThumbnail, TransparentPixelsWeighNothingInTheAverage)
{
    // Columns of opaque red between clear ones, as a reader handed kKeepAlpha
    // gives them (clear laid over black): every average, partly covered, is
    // still pure red, not a darker red. Without alpha, every pixel is opaque
    // whatever a decoder left in the top byte.
    Picture picture(16, 16);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            picture.row(y)[x] = x % 2 == 0 ? rgba(255, 0, 0, 255) : rgba(0, 0, 0, 0);
    }
    for (const bool alpha : {true, false}) {
        std::vector<Picture> out;
        const int sides[] = {2, 16};
        ASSERT_EQ(makeDesktopThumbnails(*pictureRows(picture), alpha, sides, out), std::nullopt);
        ASSERT_EQ(out.size(), 2u);
        ASSERT_EQ(QSize(out[0].width(), out[0].height()), QSize(2, 2));
        // With alpha the clear columns lower the coverage, without it the red.
        int partly = 0;
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                const Colour p = out[0].row(y)[x];
                EXPECT_EQ(p & 0xFFFF00u, 0u); // no green, no blue
                EXPECT_EQ(alpha ? redOf(p) : alphaOf(p), 255);
                partly += (alpha ? alphaOf(p) : redOf(p)) < 160;
            }
        }
        EXPECT_GE(partly, 2);
        EXPECT_EQ(out[1].row(3)[1], alpha ? rgba(0, 0, 0, 0) : rgba(0, 0, 0, 255)); // same size: as it was
    }
}

// The rows of a picture handed out a band at a time, never held whole, as a
// JPEG's are.
class StreamedRows final : public RowStream {
public:
    explicit StreamedRows(const Picture &picture) : m_picture(picture) {}
    int width() const override { return m_picture.width(); }
    int height() const override { return m_picture.height(); }
    bool readRows(Colour *const *rows, int count) override
    {
        if (m_next + count > m_picture.height())
            return false;
        for (int i = 0; i < count; ++i, ++m_next)
            std::copy_n(m_picture.row(m_next), m_picture.width(), rows[i]);
        return true;
    }
    bool finish() override { return m_next == m_picture.height(); }
    QString message() const override { return QStringLiteral("broken"); }
    std::size_t workingBytes() const override { return 0; }

private:
    const Picture &m_picture;
    int m_next = 0;
};

TEST(DesktopThumbnail, AStreamedPictureGivesWhatTheSamePictureHeldGives)
{
    // Red shading into blue, opaque down to row 150 (below the first bands),
    // then clear on the left half: the averages of its coverage start late,
    // and must match those of a picture read whole. 300 x 200 at 128, 64 and
    // its own size (kept as it is).
    Picture picture(300, 200);
    for (int y = 0; y < 200; ++y) {
        for (int x = 0; x < 300; ++x)
            picture.row(y)[x] = y >= 150 && x < 150 ? rgba(0, 0, 0, 0) : rgba(255 - y, x % 256, y, 255);
    }
    const int sides[] = {128, 64, 300};
    for (const bool alpha : {true, false}) {
        std::vector<Picture> held;
        std::vector<Picture> streamed;
        ASSERT_EQ(makeDesktopThumbnails(*pictureRows(picture), alpha, sides, held), std::nullopt);
        StreamedRows rows(picture);
        ASSERT_EQ(makeDesktopThumbnails(rows, alpha, sides, streamed), std::nullopt);
        ASSERT_EQ(streamed.size(), 3u);
        EXPECT_EQ(QSize(streamed[0].width(), streamed[0].height()), QSize(128, 85));
        for (std::size_t i = 0; i < 3; ++i)
            EXPECT_TRUE(streamed[i] == held[i]) << "side " << sides[i] << (alpha ? " with alpha" : "");
        // The top is opaque either way; the bottom left only with alpha kept.
        EXPECT_EQ(alphaOf(streamed[1].row(0)[0]), 255);
        EXPECT_EQ(alphaOf(streamed[1].row(42)[1]), alpha ? 0 : 255);
        EXPECT_EQ(streamed[2].row(199)[0], alpha ? rgba(0, 0, 0, 0) : rgba(0, 0, 0, 255));
    }
}

TEST(DesktopThumbnail, AStreamThatBreaksGivesItsCause)
{
    // Its second band fails, as a cut file's would: no thumbnail, the cause.
    class Short final : public RowStream {
    public:
        int width() const override { return 10; }
        int height() const override { return 100; }
        bool readRows(Colour *const *, int) override { return ++m_bands < 2; }
        bool finish() override { return false; }
        QString message() const override { return QStringLiteral("cut short"); }
        std::size_t workingBytes() const override { return 0; }

    private:
        int m_bands = 0;
    } cut;
    std::vector<Picture> out;
    const int sides[] = {16};
    EXPECT_EQ(makeDesktopThumbnails(cut, false, sides, out), QStringLiteral("cut short"));
}

} // namespace
