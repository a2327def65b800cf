// Enumeration of the attached cameras through the vendor library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vendor/vendor_calls.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::win_detail {

// A vendor device record together with the DeviceInfo built from it.
struct EnumeratedDevice {
    vendor::DeviceRecord device;
    DeviceInfo info;
};

// The attached whitelisted cameras that pass the filter, in vendor order.
// Runs in the caller's vendor session ("active runtime": the lock held and
// the library initialised). With with_opencv_indices false no COM or Media
// Foundation call is made.
Result<std::vector<EnumeratedDevice>> enumerate_devices_with_active_runtime(VendorSession& session,
                                                                           const DeviceScanFilter& filter,
                                                                           bool with_opencv_indices);

}  // namespace velmora::uvc_stereo::win_detail

namespace velmora::uvc_stereo::detail {

// Descriptor text of selector 2, 3 or 4, trimmed at the end; false (out
// unchanged) when the query fails.
bool read_descriptor_text(win_detail::VendorSession& session, vendor::DeviceRecord& dev, std::uint8_t selector,
                          std::string& out);

// The ids from descriptor selector 0, whichever byte order the device uses,
// refereed by the path's ids and the whitelist.
bool read_descriptor_ids(win_detail::VendorSession& session, vendor::DeviceRecord& dev,
                         const std::string& device_path, std::uint16_t& vid, std::uint16_t& pid);

}  // namespace velmora::uvc_stereo::detail
