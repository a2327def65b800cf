// The vendor library's device record as the rest of the SDK sees it: an
// opaque value that addresses one camera, and its two texts.
#pragma once

#include <string>

#include "sonix_camera.h"

namespace velmora::uvc_stereo::vendor {

// The 1126-byte record the library fills in an enumeration and takes by
// address in every call about that camera. Zeroed on construction.
using DeviceRecord = SonixLib::scDevice_t;

// The serial-flash type the library reports; kNoSerialFlash is its "no
// known flash" (SF_UNKNOW). Other values belong to the library.
using SerialFlashType = SonixLib::scSerialFlashType_t;
inline constexpr SerialFlashType kNoSerialFlash = SonixLib::SF_UNKNOW;

// The most records one enumeration asks for.
inline constexpr std::uint32_t kMaxEnumeratedCameras = SonixLib::kMaxEnumeratedCameras;

// The record's name (UTF-16 at byte 2) and device path (UTF-16 at byte 514)
// as UTF-8. A text ends at its first zero unit or at the end of its field,
// whichever comes first, so a record whose field is not terminated is never
// read past it; a lone surrogate becomes U+FFFD.
std::string record_name(const DeviceRecord& record);
std::string record_path(const DeviceRecord& record);

}  // namespace velmora::uvc_stereo::vendor
