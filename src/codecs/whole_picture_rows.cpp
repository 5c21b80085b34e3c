#include "codecs/picture_reader.h"

#include "codecs/codec_messages.h"
#include "codecs/picture_codecs.h"

#include <algorithm>

namespace tess {

namespace {

std::size_t pictureBytes(int width, int height)
{
    return std::size_t(width) * std::size_t(height) * sizeof(Colour);
}

class WholePictureRows final : public RowStream {
public:
    WholePictureRows(int storedWidth, int storedHeight, WholeDecode decode, std::size_t extraBytes,
                     QImageIOHandler::Transformations orientation)
        : m_width(storedWidth), m_height(storedHeight), m_decode(std::move(decode)), m_extraBytes(extraBytes),
          m_orientation(orientation)
    {
    }
    WholePictureRows(Picture picture, QImageIOHandler::Transformations orientation)
        : m_width(picture.width()), m_height(picture.height()), m_orientation(orientation),
          m_picture(std::move(picture)), m_decoded(true)
    {
    }

    int width() const override { return m_width; }
    int height() const override { return m_height; }
    QImageIOHandler::Transformations orientation() const override { return m_orientation; }
    QString message() const override { return m_message; }
    // The decoder's part is let go with it.
    std::size_t workingBytes() const override
    {
        return pictureBytes(m_width, m_height) + (m_decoded ? 0 : m_extraBytes);
    }

    bool holdsWhole() const override { return true; }
    const Colour *heldRow(int y) override
    {
        if (!decoded() || y < 0 || y >= m_height)
            return nullptr;
        m_held = true;
        return m_picture.row(y);
    }

    bool readRows(Colour *const *rows, int count) override
    {
        if (!decoded())
            return false;
        if (m_held || m_next + count > m_height) {
            m_message = codecmessages::corrupt();
            return false;
        }
        for (int i = 0; i < count; ++i)
            std::copy_n(m_picture.row(m_next + i), m_width, rows[i]);
        m_next += count;
        if (m_next == m_height)
            m_picture.reset(); // every row is out
        return true;
    }

    bool finish() override { return m_message.isEmpty() && (m_held ? decoded() : m_next == m_height); }

private:
    // Decodes the picture at the first call; false when the file proved broken.
    bool decoded()
    {
        if (!m_decoded) {
            m_decoded = true;
            const std::optional<QString> failure = m_decode(m_picture);
            m_decode = nullptr;
            if (failure)
                m_message = *failure;
            else if (m_picture.width() != m_width || m_picture.height() != m_height)
                m_message = codecmessages::corrupt();
            if (!m_message.isEmpty())
                m_picture.reset();
        }
        return m_message.isEmpty();
    }

    const int m_width;
    const int m_height;
    WholeDecode m_decode;
    std::size_t m_extraBytes = 0;
    const QImageIOHandler::Transformations m_orientation;
    Picture m_picture;
    bool m_decoded = false;
    bool m_held = false;
    int m_next = 0;
    QString m_message;
};

} // namespace

OpenedPicture wholePictureRows(int storedWidth, int storedHeight, WholeDecode decode, std::size_t extraBytes,
                               QImageIOHandler::Transformations orientation)
{
    if (storedWidth < 1 || storedHeight < 1)
        return OpenedPicture::refused(codecmessages::corrupt());
    if ((long long)storedWidth * storedHeight > kMaxPicturePixels)
        return OpenedPicture::refused(codecmessages::tooLarge());
    OpenedPicture opened;
    opened.rows = std::make_unique<WholePictureRows>(storedWidth, storedHeight, std::move(decode), extraBytes,
                                                     orientation);
    return opened;
}

std::unique_ptr<RowStream> pictureRows(Picture picture, QImageIOHandler::Transformations orientation)
{
    return std::make_unique<WholePictureRows>(std::move(picture), orientation);
}

} // namespace tess
