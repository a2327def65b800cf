// Text conversions of the virtual camera: hex byte strings, GUID text and UTF-8 to UTF-16.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonix_virtual {

constexpr std::size_t kGuidSize = 16;
using GuidBytes = std::array<std::uint8_t, kGuidSize>;

// Hex digits, optionally separated by spaces, ':' or '-' between bytes
// ("5A 4F 56 4B", "5a4f564b"). Nothing on odd digit counts or stray characters.
std::optional<std::vector<std::uint8_t>> parse_hex_bytes(std::string_view text);

// "0x51000" or "51000h"-free forms: a decimal or "0x"-prefixed hexadecimal number.
std::optional<std::uint64_t> parse_unsigned_text(std::string_view text);

// "{DDDF7394-973E-4727-BED9-04ED6426DC67}" (braces optional) into the Windows GUID
// byte order: the first three groups little-endian, the last eight bytes as written.
std::optional<GuidBytes> parse_guid_text(std::string_view text);

// UTF-8 to UTF-16 code units; invalid sequences become U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);

// Copies text into a fixed char field of the C control interface, cut to
// leave room for the terminating zero.
template <std::size_t N>
void copy_fixed_text(char (&out)[N], std::string_view text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(out, text.data(), length);
    out[length] = '\0';
}

}  // namespace sonix_virtual
