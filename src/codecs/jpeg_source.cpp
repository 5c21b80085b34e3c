#include "codecs/jpeg_source.h"

#include <jerror.h>

namespace tess {

namespace {

JpegFileSource &sourceOf(j_decompress_ptr info) { return *reinterpret_cast<JpegFileSource *>(info->src); }

void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr info)
{
    JpegFileSource &source = sourceOf(info);
    const long long got = source.file->read(source.buffer.data(), source.buffer.size());
    if (got <= 0) {
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
    JpegFileSource &source = sourceOf(info);
    while (std::size_t(count) > source.pub.bytes_in_buffer) {
        count -= long(source.pub.bytes_in_buffer);
        fillInput(info);
    }
    source.pub.next_input_byte += count;
    source.pub.bytes_in_buffer -= std::size_t(count);
}

void termSource(j_decompress_ptr) {}

} // namespace

void useJpegFileSource(jpeg_decompress_struct &info, JpegFileSource &source, PictureFile &file)
{
    source.file = &file;
    source.pub.init_source = initSource;
    source.pub.fill_input_buffer = fillInput;
    source.pub.skip_input_data = skipInput;
    source.pub.resync_to_restart = jpeg_resync_to_restart;
    source.pub.term_source = termSource;
    info.src = &source.pub;
}

} // namespace tess
