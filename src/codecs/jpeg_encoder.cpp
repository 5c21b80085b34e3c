#include "codecs/codec_messages.h"
#include "codecs/jpeg_errors.h"
#include "codecs/picture_codecs.h"

#include <algorithm>
#include <cstdlib>

namespace tess {

namespace {

struct EncodeJob {
    jpeg_compress_struct *info;
    const Picture *picture;
    int quality;
    bool fullChroma;
    bool optimiseHuffman;
    unsigned char **buffer;
    unsigned long *size;
};

void encodeStep(void *context)
{
    auto &job = *static_cast<EncodeJob *>(context);
    jpeg_compress_struct *info = job.info;
    jpeg_create_compress(info);
    jpeg_mem_dest(info, job.buffer, job.size);
    info->image_width = JDIMENSION(job.picture->width());
    info->image_height = JDIMENSION(job.picture->height());
    info->input_components = 4;
    info->in_color_space = JCS_EXT_RGBX; // our Colour's byte order
    jpeg_set_defaults(info);
    jpeg_set_quality(info, job.quality, TRUE);
    info->optimize_coding = job.optimiseHuffman ? TRUE : FALSE;
    const int luma = job.fullChroma ? 1 : 2;
    info->comp_info[0].h_samp_factor = luma;
    info->comp_info[0].v_samp_factor = luma;
    for (int c = 1; c < 3; ++c) {
        info->comp_info[c].h_samp_factor = 1;
        info->comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(info, TRUE);
    while (info->next_scanline < info->image_height) {
        // libjpeg takes non-const rows but only reads them.
        auto row = reinterpret_cast<JSAMPROW>(const_cast<Colour *>(job.picture->row(int(info->next_scanline))));
        jpeg_write_scanlines(info, &row, 1);
    }
    jpeg_finish_compress(info);
}

} // namespace

std::optional<QByteArray> encodeJpeg(const Picture &picture, const JpegOptions &options,
                                     const QString &nameForMessages, Failure *failure)
{
    const auto fail = [&]() -> std::optional<QByteArray> {
        if (failure)
            *failure = Failure{nameForMessages, codecmessages::cannotEncode()};
        return std::nullopt;
    };
    if (picture.isEmpty())
        return fail(); // a JPEG has at least one pixel

    jpeg_compress_struct info{};
    JpegErrorManager errors;
    installJpegErrors(reinterpret_cast<j_common_ptr>(&info), errors);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    EncodeJob job{&info, &picture, std::clamp(options.quality, 1, 100), options.fullChroma,
                  options.optimiseHuffman, &buffer, &size};
    const bool ok = runJpegStep(errors, encodeStep, &job);
    jpeg_destroy_compress(&info);
    if (!ok) {
        std::free(buffer);
        return fail();
    }
    QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

} // namespace tess
