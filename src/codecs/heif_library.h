#pragma once
#include "codecs/late_library.h"

#include <libheif/heif.h>

namespace tess {

// The functions of libheif the HEIF reader and the AVIF encoder call.
#define TESS_HEIF_CALLS(X) \
    X(heif_, context_alloc) \
    X(heif_, context_encode_image) \
    X(heif_, context_free) \
    X(heif_, context_get_encoder_for_format) \
    X(heif_, context_get_primary_image_handle) \
    X(heif_, context_read_from_memory_without_copy) \
    X(heif_, context_set_maximum_image_size_limit) \
    X(heif_, context_write) \
    X(heif_, decode_image) \
    X(heif_, encoder_release) \
    X(heif_, encoder_set_lossy_quality) \
    X(heif_, encoder_set_parameter_integer) \
    X(heif_, encoder_set_parameter_string) \
    X(heif_, encoding_options_alloc) \
    X(heif_, encoding_options_free) \
    X(heif_, image_add_plane) \
    X(heif_, image_create) \
    X(heif_, image_get_bits_per_pixel_range) \
    X(heif_, image_get_plane) \
    X(heif_, image_get_plane_readonly) \
    X(heif_, image_get_primary_height) \
    X(heif_, image_get_primary_width) \
    X(heif_, image_get_width) \
    X(heif_, image_handle_get_chroma_bits_per_pixel) \
    X(heif_, image_handle_get_color_profile_type) \
    X(heif_, image_handle_get_height) \
    X(heif_, image_handle_get_list_of_thumbnail_IDs) \
    X(heif_, image_handle_get_luma_bits_per_pixel) \
    X(heif_, image_handle_get_number_of_thumbnails) \
    X(heif_, image_handle_get_nclx_color_profile) \
    X(heif_, image_handle_get_raw_color_profile) \
    X(heif_, image_handle_get_raw_color_profile_size) \
    X(heif_, image_handle_get_thumbnail) \
    X(heif_, image_handle_get_width) \
    X(heif_, image_handle_has_alpha_channel) \
    X(heif_, image_handle_release) \
    X(heif_, image_is_premultiplied_alpha) \
    X(heif_, image_release) \
    X(heif_, image_set_nclx_color_profile) \
    X(heif_, nclx_color_profile_alloc) \
    X(heif_, nclx_color_profile_free)

struct HeifCalls {
    TESS_HEIF_CALLS(TESS_LATE_MEMBER)
};

// libheif, opened by the first HEIF picture read or AVIF thumbnail written;
// null when it is not installed (or is not the version built against).
const HeifCalls *loadedHeif();

} // namespace tess
