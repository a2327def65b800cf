// Symbol export macro of the velmora_uvc_stereo_sdk shared library.
#pragma once

// VELMORA_UVC_STEREO_BUILDING: compiling the shared library itself.
// VELMORA_UVC_STEREO_STATIC:   compiling or using the internal static core
//                              (tests, the C library), which exports nothing.
// Neither:                     a consumer of the shared library.
//
// With GCC (MinGW included) the macro is a standard attribute, so it can
// stand next to [[nodiscard]] on a class.
#if defined(VELMORA_UVC_STEREO_STATIC)
#define VELMORA_UVC_STEREO_API
#elif defined(_WIN32) && defined(_MSC_VER)
#if defined(VELMORA_UVC_STEREO_BUILDING)
#define VELMORA_UVC_STEREO_API __declspec(dllexport)
#else
#define VELMORA_UVC_STEREO_API __declspec(dllimport)
#endif
#elif defined(_WIN32)
#if defined(VELMORA_UVC_STEREO_BUILDING)
#define VELMORA_UVC_STEREO_API [[gnu::dllexport]]
#else
#define VELMORA_UVC_STEREO_API [[gnu::dllimport]]
#endif
#else
#define VELMORA_UVC_STEREO_API [[gnu::visibility("default")]]
#endif
