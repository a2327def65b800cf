// Choosing one camera from the scan by --index, --serial or --path, or the
// camera a backup names.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>
#include <velmora/uvc_stereo/status.hpp>

#include "command_line/command_line.hpp"

namespace velmora::stereo_tool {

// Empty when the selection options are usable; otherwise why not.
std::string check_selection_options(const ParsedOptions& options);

// True when one of --index, --serial and --path was given.
bool selection_given(const ParsedOptions& options);

struct SelectedCamera {
    std::optional<uvc_stereo::DeviceInfo> device;
    uvc_stereo::Status failure;  // the scan failed, or no camera matched
    std::string ambiguity;       // more than one camera matched: the user must choose
    bool scan_failed = false;    // the camera library could not list the cameras
    std::vector<uvc_stereo::DeviceInfo> scanned;  // what the scan found
};

// Scans and picks the requested camera (the first one by default). Call
// check_selection_options first.
SelectedCamera select_device(const ParsedOptions& options);

// The camera with this serial number (letter case ignored) or, for an empty
// serial number, with these ids and this device path.
SelectedCamera select_named_camera(std::uint16_t vid, std::uint16_t pid, const std::string& serial_number,
                                   const std::string& device_path);

// Prints the selection's problem: an ambiguity as a usage error (2), a failure
// with its code (1); the scan failing is said to be the camera library's.
int report_selection_problem(const SelectedCamera& selected, const std::string& command, std::ostream& err);

// Groups of cameras (indices into devices) that report the same non-empty serial number.
std::vector<std::vector<std::size_t>> duplicate_serials(const std::vector<uvc_stereo::DeviceInfo>& devices);

// The FlashConfig that names exactly this camera, with the default flash layout.
uvc_stereo::FlashConfig selection_config(const uvc_stereo::DeviceInfo& device);

// "0c45:0643"
std::string format_vid_pid(std::uint16_t vid, std::uint16_t pid);

}  // namespace velmora::stereo_tool
