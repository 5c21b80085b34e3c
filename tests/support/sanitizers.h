#pragma once
// TESS_UNDER_ASAN: set when the address sanitizer is built in, which needs far
// more address space than a test that limits it leaves.
#if defined(__SANITIZE_ADDRESS__)
#define TESS_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESS_UNDER_ASAN 1
#endif
#endif
