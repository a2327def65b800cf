// Windows device paths: one canonical form, and the USB identity inside it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/utf16.hpp"

namespace velmora::uvc_stereo::win_detail {

struct WindowsUsbIdentity {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    std::string serial_number;     // third '#' component of the path
    std::string interface_number;  // after "mi_", up to '&' or '#'
    std::string collection;        // after "col", up to '&' or '#'
};

// Lower case, trimmed, without "@device:pnp:"/"@device:sw:" and "\\?\"
// prefixes, from "usb#" on, without the interface-class GUID, '#'-separated.
std::string normalize_windows_device_path(std::string_view path);

// The identity of a path already normalised (markers are matched in lower case).
WindowsUsbIdentity parse_windows_usb_identity(std::string_view path);

// "%04x%04x": 0x0C45, 0x0643 give "0c450643".
std::string make_vidpid_string(std::uint16_t vid, std::uint16_t pid);

}  // namespace velmora::uvc_stereo::win_detail

namespace velmora::uvc_stereo::detail {

std::string collapse_path_separators(std::string text);
std::string to_lower_ascii(std::string text);
bool equals_ignore_ascii_case(const std::string& a, const std::string& b);
// True for an empty vidpid, else exactly when its lower case equals
// make_vidpid_string(vid, pid).
bool vidpid_matches(const std::string& vidpid, std::uint16_t vid, std::uint16_t pid);
bool parse_hex_u16(std::string_view digits, std::uint16_t& out);
// Both ids from any text holding "vid_XXXX" and "pid_XXXX".
bool parse_vid_pid(const std::string& text, std::uint16_t& vid, std::uint16_t& pid);
// UTF-16 to UTF-8 (platform/utf16.hpp): null or empty text gives "", a lone
// surrogate becomes U+FFFD.
std::string wide_to_utf8(const platform::WideChar* text);

}  // namespace velmora::uvc_stereo::detail
