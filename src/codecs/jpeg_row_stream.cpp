#include "codecs/jpeg_row_stream.h"

#include "platform/file_names.h"

#include "codecs/codec_messages.h"
#include "codecs/exif_orientation.h"
#include "codecs/jpeg_errors.h"
#include "codecs/picture_codecs.h"

#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <jerror.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

namespace tess {

namespace {

// A libjpeg data source reading a file descriptor in chunks.
struct FdSource {
    static constexpr std::size_t kChunk = 64 * 1024;
    jpeg_source_mgr pub;
    int fd;
    std::array<JOCTET, kChunk> buffer;
};

FdSource &sourceOf(j_decompress_ptr info) { return *reinterpret_cast<FdSource *>(info->src); }

void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr info)
{
    FdSource &source = sourceOf(info);
    ssize_t got = 0;
    do {
        got = ::read(source.fd, source.buffer.data(), source.buffer.size());
    } while (got < 0 && errno == EINTR);
    if (got <= 0) {
        // Out of data: an end-of-image marker, and the warning that tells a
        // cut file from a good one.
        WARNMS(info, JWRN_JPEG_EOF);
        source.buffer[0] = 0xFF;
        source.buffer[1] = JPEG_EOI;
        source.pub.next_input_byte = source.buffer.data();
        source.pub.bytes_in_buffer = 2;
        return TRUE;
    }
    source.pub.next_input_byte = source.buffer.data();
    source.pub.bytes_in_buffer = std::size_t(got);
    return TRUE;
}

void skipInput(j_decompress_ptr info, long count)
{
    if (count <= 0)
        return;
    FdSource &source = sourceOf(info);
    while (std::size_t(count) > source.pub.bytes_in_buffer) {
        count -= long(source.pub.bytes_in_buffer);
        fillInput(info);
    }
    source.pub.next_input_byte += count;
    source.pub.bytes_in_buffer -= std::size_t(count);
}

void termSource(j_decompress_ptr) {}

// Everything libjpeg touches, in one block that outlives every guarded step.
struct Decoder {
    jpeg_decompress_struct info{};
    JpegErrorManager errors;
    FdSource source{};
    bool created = false;
    // readRows' arguments, for its guarded step.
    JSAMPROW *rows = nullptr;
    JDIMENSION wanted = 0;
    JDIMENSION got = 0;
};

void headerStep(void *context)
{
    auto &d = *static_cast<Decoder *>(context);
    jpeg_create_decompress(&d.info);
    d.created = true;
    d.source.pub.init_source = initSource;
    d.source.pub.fill_input_buffer = fillInput;
    d.source.pub.skip_input_data = skipInput;
    d.source.pub.resync_to_restart = jpeg_resync_to_restart;
    d.source.pub.term_source = termSource;
    d.info.src = &d.source.pub;
    jpeg_save_markers(&d.info, JPEG_APP0 + 1, 16); // enough to tell an EXIF block
    jpeg_read_header(&d.info, TRUE);
}

void startStep(void *context)
{
    auto &d = *static_cast<Decoder *>(context);
    d.info.out_color_space = JCS_EXT_RGBX;
    jpeg_start_decompress(&d.info);
}

void rowsStep(void *context)
{
    auto &d = *static_cast<Decoder *>(context);
    while (d.got < d.wanted) {
        const JDIMENSION got = jpeg_read_scanlines(&d.info, d.rows + d.got, d.wanted - d.got);
        if (got == 0)
            return; // a suspending source would do this; ours never suspends
        d.got += got;
    }
}

void finishStep(void *context)
{
    jpeg_finish_decompress(&static_cast<Decoder *>(context)->info);
}

bool hasExifBlock(const jpeg_decompress_struct &info)
{
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 1 && m->data_length >= 6 && std::memcmp(m->data, "Exif\0\0", 6) == 0)
            return true;
    }
    return false;
}

// The fewest bytes the entropy-coded data of a sequential Huffman JPEG can
// take: every block of every component codes at least its DC difference and
// an end of block, each at least one bit.
long long leastDataBytes(const jpeg_decompress_struct &info)
{
    long long blocks = 0;
    for (int c = 0; c < info.num_components; ++c)
        blocks += (long long)info.comp_info[c].width_in_blocks * info.comp_info[c].height_in_blocks;
    return blocks * 2 / 8;
}

class JpegRowStream final : public RowStream {
public:
    explicit JpegRowStream(std::unique_ptr<Decoder> decoder) : m_d(std::move(decoder)) {}
    ~JpegRowStream() override
    {
        if (m_d->created)
            jpeg_destroy_decompress(&m_d->info);
        ::close(m_d->source.fd);
    }

    int width() const override { return int(m_d->info.output_width); }
    int height() const override { return int(m_d->info.output_height); }
    QString message() const override { return codecmessages::corrupt(); }
    std::size_t workingBytes() const override
    {
        // libjpeg's own row buffers: a few MCU rows of every component.
        return sizeof(Decoder) + std::size_t(m_d->info.output_width) * 4 * 2 * DCTSIZE * 4;
    }

    bool readRows(Colour *const *rows, int count) override
    {
        if (m_broken)
            return false;
        m_d->rows = reinterpret_cast<JSAMPROW *>(const_cast<Colour **>(rows));
        m_d->wanted = JDIMENSION(count);
        m_d->got = 0;
        // Once the data has ended, a decoder that needed more bits has padded
        // what it output: the file is cut, whatever follows.
        if (!runJpegStep(m_d->errors, rowsStep, m_d.get()) || m_d->got < m_d->wanted || m_d->errors.missingData)
            m_broken = true;
        return !m_broken;
    }

    bool finish() override
    {
        if (m_broken || m_d->info.output_scanline < m_d->info.output_height)
            return false;
        const JpegErrorManager &e = m_d->errors;
        if (e.hitEndOfData && e.missingData)
            return false;
        // Every row is in; trouble after the last row costs nothing.
        runJpegStep(m_d->errors, finishStep, m_d.get());
        return true;
    }

private:
    std::unique_ptr<Decoder> m_d;
    bool m_broken = false;
};

} // namespace

PictureStream openJpegRowStream(int fd, const QString &path)
{
    PictureStream result;
    auto d = std::make_unique<Decoder>();
    d->source.fd = fd;
    installJpegErrors(reinterpret_cast<j_common_ptr>(&d->info), d->errors);
    const auto letGo = [&] {
        if (d->created)
            jpeg_destroy_decompress(&d->info);
        ::close(fd);
    };
    const auto whole = [&] {
        letGo();
        return std::move(result);
    };
    // A header libjpeg refuses is the whole-picture decoder's to explain.
    if (!runJpegStep(d->errors, headerStep, d.get()))
        return whole();
    const jpeg_decompress_struct &info = d->info;
    result.width = info.image_width;
    result.height = info.image_height;
    const bool plain = !info.progressive_mode && !info.arith_code && info.data_precision == 8
        && (info.jpeg_color_space == JCS_GRAYSCALE || info.jpeg_color_space == JCS_YCbCr
            || info.jpeg_color_space == JCS_RGB)
        && info.image_width >= 1 && info.image_height >= 1 && info.image_width <= JDIMENSION(kMaxStreamedSide)
        && info.image_height <= JDIMENSION(kMaxStreamedSide);
    if (!plain)
        return whole();
    if (hasExifBlock(info)) {
        // A descriptor of its own: the decoder reads on from where ours stands.
        QFile file;
        const int own = ::open(nativePath(path).constData(), O_RDONLY | O_CLOEXEC);
        if (own < 0 || !file.open(own, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            if (own >= 0)
                ::close(own);
            return whole();
        }
        if (jpegOrientation(file) != QImageIOHandler::TransformationNone)
            return whole();
    }
    if ((long long)info.image_width * info.image_height > kMaxPicturePixels) {
        struct stat st {};
        if (::fstat(fd, &st) != 0 || st.st_size < leastDataBytes(info)) {
            letGo();
            result.kind = PictureStream::Refused;
            result.message = codecmessages::corrupt();
            return result;
        }
    }
    if (!runJpegStep(d->errors, startStep, d.get()) || info.output_width != info.image_width
        || info.output_height != info.image_height || info.output_components != 4)
        return whole();
    result.kind = PictureStream::Streamed;
    result.rows = std::make_unique<JpegRowStream>(std::move(d));
    return result;
}

} // namespace tess
