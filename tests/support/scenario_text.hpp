// Pieces of the virtual camera's scenario JSON written by the tests: quoted
// texts, hexadecimal numbers and bytes, and the vendor library's device paths.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmora::uvc_stereo::test_support {

// A descriptor text as the camera answers it; nullopt makes the query fail.
using Text = std::optional<std::string>;

// A JSON string literal: quotes and backslashes escaped, control characters
// as \u00XX.
std::string json_string(const std::string& text);

// A JSON string literal, or null for a failing text.
std::string json_text(const Text& text);

// "0x..." as a JSON string, the form the scenario takes for ids and addresses.
std::string json_hex_number(std::uint32_t value);

// The bytes as two-digit hex values separated by spaces ("00 10 FF"), the
// scenario's form of byte strings.
std::string hex_digits(const std::vector<std::uint8_t>& bytes);

// "\\?\usb#vid_XXXX&pid_XXXX&mi_00#<instance>#{guid}\global", the vendor
// library's form of a path.
std::string vendor_path(std::uint16_t vid, std::uint16_t pid, const std::string& instance);

}  // namespace velmora::uvc_stereo::test_support
