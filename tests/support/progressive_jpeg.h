#pragma once
// A baseline JPEG rewritten progressive, its coefficients untouched, as web
// tools save photos.
#include <QByteArray>

#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

namespace tess::testing {

inline QByteArray progressiveJpeg(const QByteArray &baseline)
{
    jpeg_decompress_struct in{};
    jpeg_compress_struct out{};
    jpeg_error_mgr inErrors{};
    jpeg_error_mgr outErrors{};
    in.err = jpeg_std_error(&inErrors);
    out.err = jpeg_std_error(&outErrors);
    jpeg_create_decompress(&in);
    jpeg_create_compress(&out);
    jpeg_mem_src(&in, reinterpret_cast<const unsigned char *>(baseline.constData()), (unsigned long)baseline.size());
    jpeg_save_markers(&in, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&in, TRUE);
    jvirt_barray_ptr *coefficients = jpeg_read_coefficients(&in);
    unsigned char *bytes = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&out, &bytes, &size);
    jpeg_copy_critical_parameters(&in, &out);
    jpeg_simple_progression(&out);
    jpeg_write_coefficients(&out, coefficients);
    for (jpeg_saved_marker_ptr m = in.marker_list; m; m = m->next) // the EXIF block kept
        jpeg_write_marker(&out, m->marker, m->data, m->data_length);
    jpeg_finish_compress(&out);
    jpeg_finish_decompress(&in);
    jpeg_destroy_decompress(&in);
    jpeg_destroy_compress(&out);
    const QByteArray result(reinterpret_cast<const char *>(bytes), qsizetype(size));
    std::free(bytes);
    return result;
}

} // namespace tess::testing
