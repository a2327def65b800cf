// Vendor library error codes turned into statuses.
#pragma once

#include <cstdint>

#include "sonix_camera.h"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::win_detail {

// The library-wide (dev null) or per-device error code, or 0 when even that
// query fails.
std::int32_t get_vendor_error_code(SonixLib::scDevice_t* dev);

// True only for ecNotFindDevice (4): no camera attached.
bool is_no_device_error(std::int32_t vendor_code);

// The vendor code's name, or "unknown" outside the vendor's table.
const char* vendor_error_name(std::int32_t vendor_code);

// "<operation> failed: vendor_code=<name>(<value>)", at most 255 characters,
// "Sonix API" when operation is null; the code is read from dev (or the
// library when dev is null).
Status make_vendor_status(ErrorCode code, const char* operation, SonixLib::scDevice_t* dev);

// The same text for a vendor code already read.
Status make_vendor_status_for_code(ErrorCode code, const char* operation, std::int32_t vendor_code);

}  // namespace velmora::uvc_stereo::win_detail
