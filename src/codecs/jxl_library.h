#pragma once
#include "codecs/late_library.h"

#include <jxl/decode.h>
#include <jxl/encode.h>
#include <jxl/thread_parallel_runner.h>

namespace tess {

// The functions of libjxl the JPEG XL reader and encoder call, and those of
// its thread runner, which only the reader calls.
#define TESS_JXL_CALLS(X) \
    X(Jxl, ColorEncodingSetToSRGB) \
    X(Jxl, DecoderCloseInput) \
    X(Jxl, DecoderCreate) \
    X(Jxl, DecoderDestroy) \
    X(Jxl, DecoderGetBasicInfo) \
    X(Jxl, DecoderGetColorAsEncodedProfile) \
    X(Jxl, DecoderGetColorAsICCProfile) \
    X(Jxl, DecoderGetICCProfileSize) \
    X(Jxl, DecoderImageOutBufferSize) \
    X(Jxl, DecoderProcessInput) \
    X(Jxl, DecoderReleaseInput) \
    X(Jxl, DecoderSetImageOutBuffer) \
    X(Jxl, DecoderSetInput) \
    X(Jxl, DecoderSetKeepOrientation) \
    X(Jxl, DecoderSetParallelRunner) \
    X(Jxl, DecoderSetUnpremultiplyAlpha) \
    X(Jxl, DecoderSubscribeEvents) \
    X(Jxl, EncoderAddImageFrame) \
    X(Jxl, EncoderCloseInput) \
    X(Jxl, EncoderCreate) \
    X(Jxl, EncoderDestroy) \
    X(Jxl, EncoderFrameSettingsCreate) \
    X(Jxl, EncoderFrameSettingsSetOption) \
    X(Jxl, EncoderInitBasicInfo) \
    X(Jxl, EncoderProcessOutput) \
    X(Jxl, EncoderSetBasicInfo) \
    X(Jxl, EncoderSetColorEncoding) \
    X(Jxl, EncoderSetFrameDistance) \
    X(Jxl, EncoderSetFrameLossless) \
    X(Jxl, EncoderUseContainer) \
    X(Jxl, SignatureCheck)
#define TESS_JXL_THREAD_CALLS(X) \
    X(Jxl, ThreadParallelRunner) \
    X(Jxl, ThreadParallelRunnerCreate) \
    X(Jxl, ThreadParallelRunnerDestroy)

struct JxlCalls {
    TESS_JXL_CALLS(TESS_LATE_MEMBER)
    TESS_JXL_THREAD_CALLS(TESS_LATE_MEMBER)
    bool threads = false; // the thread runner's library was found too
};

// libjxl, opened by the first JPEG XL picture read or thumbnail written; null
// when it is not installed (or is not the version built against).
const JxlCalls *loadedJxl();

} // namespace tess
