// Virtual cameras decided by fuzz input, written in the virtual camera's
// scenario format, for the whole-camera target.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <fuzzer/FuzzedDataProvider.h>

#include "formats/capability_report.hpp"

namespace velmora::uvc_stereo::fuzzing {

// What the target must know about one generated camera to judge results.
struct GeneratedCamera {
    std::string id;
    std::string device_path;  // unique among the cameras, ignoring ASCII case
    bool attached = true;
    // The capability control's 64 bytes; none when the camera has no such control.
    std::optional<detail::CapabilityReportBytes> capability;
    // A JSON flash record placed by the scenario: its address, version and text.
    std::optional<std::uint32_t> record_address;
    std::uint16_t record_version = 0;
    std::string record_text;
    bool has_stuck_bytes = false;
};

struct GeneratedScenario {
    std::string json;
    std::vector<GeneratedCamera> cameras;
    bool has_faults = false;  // injected failures or detaches are armed
    std::size_t msmf_entries = 0;
    std::size_t dshow_entries = 0;
};

// Zero input bytes choose a plain whitelisted camera with a valid report, a
// JSON record and an IMU, and no faults.
GeneratedScenario generate_scenario(FuzzedDataProvider& input);

// Text from input bytes that the scenario can carry: valid UTF-8 (other bytes
// become '?'), without NULs unless allowed, at most max_bytes long.
std::string scenario_text(const std::string& raw, std::size_t max_bytes, bool allow_nul);

}  // namespace velmora::uvc_stereo::fuzzing
