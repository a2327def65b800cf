// Optional functions a camera library may offer beside the vendor's fourteen.
// The vendor's own library has none of them, so the SDK never imports them:
// it looks them up by name at run time in the library it was loaded with and
// goes without when they are absent.
//
// It sits in a folder of its own, apart from sonix_camera.h, so that the
// include below finds the declarations of whichever library the build uses
// (the vendor's own header folder, or the project's copy of it).
#pragma once

#include <cstdint>

#include "sonix_camera.h"

extern "C" {

// The number N of the camera's video4linux capture node /dev/videoN (what
// OpenCV opens with cv2.VideoCapture(N, cv2.CAP_V4L2)), or -1 when the
// library knows none for this record. Call it with the library initialised;
// it sets no error code. Declared for the libraries that define it; callers
// look it up (kVelmoraCameraV4l2NodeSymbol) instead of importing it.
SONIX_CAMERA_API std::int32_t velmora_camera_v4l2_node(SonixLib::scDevice_t* dev);
using velmora_camera_v4l2_node_fn = std::int32_t (*)(SonixLib::scDevice_t* dev);

}  // extern "C"

// The exported name of that function.
inline constexpr const char* kVelmoraCameraV4l2NodeSymbol = "velmora_camera_v4l2_node";
