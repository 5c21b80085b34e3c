#pragma once
#include <QString>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

namespace tess {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// We leave by longjmp, and only through runJpegStep, so that no C++ object
// with a destructor ever lives in a frame the jump skips: every step is a
// plain function working on libjpeg structs and trivially destructible state.
struct JpegErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    int errorCode = 0;         // msg_code of the fatal error, 0 when none
    int warningCount = 0;
    int firstWarningCode = 0;
    bool hitEndOfData = false;   // the data ran out before the end-of-image marker
    JDIMENSION rowsAtEndOfData = 0; // rows already output when it did
    bool missingData = false;    // after that, the decoder needed bytes that were not there
    bool sawEndMarker = false;   // the entropy decoder met the end-of-image marker...
    JDIMENSION rowsAtEndMarker = 0; // ...when this many rows were output
};

// Installs our handlers (silent: nothing goes to stderr) on a compress or
// decompress struct; call before jpeg_create_*.
void installJpegErrors(jpeg_common_struct *info, JpegErrorManager &errors);

// Call after each jpeg_read_scanlines: notes when the data met its
// end-of-image marker, which the arithmetic decoder never reports.
void noteJpegRowsOutput(JpegErrorManager &errors, const jpeg_decompress_struct &info);

// Whether the rows output so far stand on data the file lacks: the decoder ran
// short of bits at the end of the data or at the end-of-image marker. The
// arithmetic decoder never says when it ran short, so there any end of data
// before the last row counts, and so does an end-of-image marker met before
// the last row of blocks was being decoded (a cut in that last row goes
// unseen there). Ask once every row is output.
bool jpegDataWasCut(const JpegErrorManager &errors, const jpeg_decompress_struct &info);

// What a fatal error's code (errorCode) says of the file: unsupported, too
// large or corrupt.
QString jpegFailureMessage(int errorCode);

// Runs step(context); false when libjpeg raised a fatal error inside it.
bool runJpegStep(JpegErrorManager &errors, void (*step)(void *context), void *context);

} // namespace tess
