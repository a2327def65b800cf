// Finding the camera a FlashConfig selects in a fresh enumeration.
#pragma once

#include "discovery/device_enumeration.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::win_detail {

// The selected device by device_path, else serial_number (with vidpid), else
// vidpid or auto_select. Runs in the caller's vendor session, as the
// enumeration does.
Result<EnumeratedDevice> resolve_device_with_active_runtime(VendorSession& session, const FlashConfig& config,
                                                            bool with_opencv_indices);

}  // namespace velmora::uvc_stereo::win_detail

namespace velmora::uvc_stereo::detail {

// How an operation finds its camera in a fresh enumeration; the real one is
// win_detail::resolve_device_with_active_runtime. Tests substitute their own
// to drive the failure paths that the vendor library cannot provoke.
using DeviceResolver = Result<win_detail::EnumeratedDevice> (*)(win_detail::VendorSession& session,
                                                                 const FlashConfig& config, bool with_opencv_indices);

}  // namespace velmora::uvc_stereo::detail
