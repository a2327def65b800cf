// The tool's own JSON output (--json of scan, info, backups, write-json):
// built as nlohmann objects and written by nlohmann's dump(2).
//
// The camera's document is not written this way: read-json --pretty and the
// diffs indent it with pretty_print_json (json_text.hpp), which keeps every
// byte of its strings and numbers and every duplicate key as stored, where a
// parse and dump would turn 1.10 into 1.1, 1E2 into 100.0 and drop all but
// one of two equal keys.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include <velmora/uvc_stereo/records.hpp>

namespace velmora::stereo_tool {

using ToolJson = nlohmann::ordered_json;

// Two-space indentation, text that is not UTF-8 written with U+FFFD, and a final newline.
std::string dump_tool_json(const ToolJson& json);

// vid, pid, "vid_pid", name, serial number and device path of a camera.
ToolJson camera_json(const uvc_stereo::DeviceInfo& device);

}  // namespace velmora::stereo_tool
