#include "codecs/jpeg_errors.h"

#include "codecs/codec_messages.h"

#include <jerror.h>

namespace tess {

namespace {

JpegErrorManager &managerOf(j_common_ptr info)
{
    // pub is the first member, so the struct's address is the manager's.
    return *reinterpret_cast<JpegErrorManager *>(info->err);
}

[[noreturn]] void leave(j_common_ptr info)
{
    JpegErrorManager &errors = managerOf(info);
    errors.errorCode = info->err->msg_code;
    std::longjmp(errors.jump, 1);
}

void note(j_common_ptr info, int level)
{
    if (level >= 0)
        return; // trace messages
    JpegErrorManager &errors = managerOf(info);
    if (errors.warningCount++ == 0)
        errors.firstWarningCode = info->err->msg_code;
    if (info->err->msg_code == JWRN_JPEG_EOF && info->is_decompressor && !errors.hitEndOfData) {
        errors.hitEndOfData = true;
        errors.rowsAtEndOfData = reinterpret_cast<j_decompress_ptr>(info)->output_scanline;
    }
    // The Huffman decoders say this only when they really ran short of bits,
    // not when they merely looked ahead past the last byte. Running into the
    // end-of-image marker is the same cut as running out of bytes: a file cut
    // and closed with a marker is no less cut. Short of bits before another
    // marker (a scan cut short, the next one following) costs only that scan's
    // refinement, and the picture stands.
    if (info->err->msg_code == JWRN_HIT_MARKER && info->is_decompressor
        && (errors.hitEndOfData || reinterpret_cast<j_decompress_ptr>(info)->unread_marker == JPEG_EOI))
        errors.missingData = true;
    ++info->err->num_warnings;
}

void quiet(j_common_ptr) {}

} // namespace

void installJpegErrors(jpeg_common_struct *info, JpegErrorManager &errors)
{
    info->err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = leave;
    errors.pub.emit_message = note;
    errors.pub.output_message = quiet;
}

void noteJpegRowsOutput(JpegErrorManager &errors, const jpeg_decompress_struct &info)
{
    if (!errors.sawEndMarker && info.unread_marker == JPEG_EOI) {
        errors.sawEndMarker = true;
        errors.rowsAtEndMarker = info.output_scanline;
    }
}

bool jpegDataWasCut(const JpegErrorManager &errors, const jpeg_decompress_struct &info)
{
    if (errors.missingData)
        return true;
    if (!info.arith_code)
        return false;
    if (errors.hitEndOfData && errors.rowsAtEndOfData < info.output_height)
        return true;
    // A file of several scans is read whole before the first row comes out.
    if (!errors.sawEndMarker || jpeg_has_multiple_scans(const_cast<j_decompress_ptr>(&info)))
        return false;
    // The decoder works a row of blocks ahead of the output at most, and a
    // whole file meets its marker in its last row of blocks.
    const unsigned long blockRows = (unsigned long)info.max_v_samp_factor * DCTSIZE;
    const unsigned long blockRowsOutput = (errors.rowsAtEndMarker + blockRows - 1) / blockRows;
    return blockRowsOutput + 1 < info.total_iMCU_rows;
}

bool runJpegStep(JpegErrorManager &errors, void (*step)(void *context), void *context)
{
    if (setjmp(errors.jump) != 0)
        return false;
    step(context);
    return true;
}

QString jpegFailureMessage(int errorCode)
{
    switch (errorCode) {
    case JERR_BAD_PRECISION:
    case JERR_SOF_UNSUPPORTED:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_ARITH_NOTIMPL:
    case JERR_NOT_COMPILED:
        return codecmessages::unsupported();
    case JERR_IMAGE_TOO_BIG:
    case JERR_NO_BACKING_STORE:
    case JERR_OUT_OF_MEMORY:
        return codecmessages::tooLarge();
    default:
        return codecmessages::corrupt();
    }
}

} // namespace tess
