// Reading a camera's capability report through its capability extension unit.
#pragma once

#include "discovery/device_resolution.hpp"
#include "formats/capability_report.hpp"
#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo::detail {

// The FlashConfig that selects exactly this device: auto_select off, no
// filters, vidpid when both ids are non-zero, serial number, device path and
// aux flags copied; flash layout fields at their defaults.
FlashConfig make_selection_config(const DeviceInfo& device);

// One vendor session: the capability control is read (SetNodeID on its
// unit, a 64-byte XuRead) and judged as CapabilityAttempts says, with a
// second read after a failure or a bad checksum, and a fresh enumeration
// that finds the camera again after a failed one. Never throws; every
// failure is state 1, and `failure` tells whether the camera has no report
// (NoReport) or nothing could be told (Unsettled).
XuCapabilityProbeResult probe_xu_capability(const DeviceInfo& device);

// The same probe with the device found (both times) by resolve instead of
// the real resolution; exceptions it throws are caught like any other.
XuCapabilityProbeResult probe_xu_capability_using(const DeviceInfo& device, DeviceResolver resolve);

}  // namespace velmora::uvc_stereo::detail
