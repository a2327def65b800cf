// Canonical Windows device paths, the USB identity inside them, and the small
// text helpers that device selection and back-end matching share.
#include "discovery/windows_usb_identity.hpp"

#include <cstdio>
#include <vector>

namespace velmora::uvc_stereo {

namespace {

constexpr char kCanonicalSeparator = '#';
constexpr std::size_t kHexIdDigits = 4;
// A marker such as "vid_" plus its four digits.
constexpr std::size_t kMarkerWithDigits = 8;
constexpr std::size_t kMarkerLength = 4;

}  // namespace

}  // namespace velmora::uvc_stereo

namespace velmora::uvc_stereo::detail {

namespace {

constexpr std::uint32_t kHexRadix = 16;
constexpr std::uint32_t kMaxU16 = 0xFFFF;
constexpr int kDecimalDigitCount = 10;

bool is_path_separator(char c) { return c == '\\' || c == '/' || c == kCanonicalSeparator; }

int hex_digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + kDecimalDigitCount;
    if (c >= 'A' && c <= 'F') return c - 'A' + kDecimalDigitCount;
    return -1;
}

char lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

std::string collapse_path_separators(std::string text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (is_path_separator(c)) {
            // Leading separators are dropped, runs become one.
            if (!out.empty() && out.back() != kCanonicalSeparator) out.push_back(kCanonicalSeparator);
        } else {
            out.push_back(c);
        }
    }
    if (!out.empty() && out.back() == kCanonicalSeparator) out.pop_back();
    return out;
}

std::string to_lower_ascii(std::string text) {
    for (char& c : text) c = lower_ascii(c);
    return text;
}

bool equals_ignore_ascii_case(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lower_ascii(a[i]) != lower_ascii(b[i])) return false;
    }
    return true;
}

bool vidpid_matches(const std::string& vidpid, std::uint16_t vid, std::uint16_t pid) {
    if (vidpid.empty()) return true;
    return to_lower_ascii(vidpid) == win_detail::make_vidpid_string(vid, pid);
}

bool parse_hex_u16(std::string_view digits, std::uint16_t& out) {
    if (digits.empty()) return false;
    std::uint32_t value = 0;
    for (const char c : digits) {
        const int digit = hex_digit_value(c);
        if (digit < 0) return false;
        value = value * kHexRadix + static_cast<std::uint32_t>(digit);
        // A value beyond 16 bits is refused rather than silently truncated.
        if (value > kMaxU16) return false;
    }
    out = static_cast<std::uint16_t>(value);
    return true;
}

bool parse_vid_pid(const std::string& text, std::uint16_t& vid, std::uint16_t& pid) {
    const std::string lower = to_lower_ascii(text);
    const std::size_t vid_at = lower.find("vid_");
    const std::size_t pid_at = lower.find("pid_");
    if (vid_at == std::string::npos || pid_at == std::string::npos) return false;
    if (vid_at + kMarkerWithDigits > lower.size() || pid_at + kMarkerWithDigits > lower.size()) return false;
    std::uint16_t parsed_vid = 0;
    std::uint16_t parsed_pid = 0;
    const std::string_view view(lower);
    if (!parse_hex_u16(view.substr(vid_at + kMarkerLength, kHexIdDigits), parsed_vid)) return false;
    if (!parse_hex_u16(view.substr(pid_at + kMarkerLength, kHexIdDigits), parsed_pid)) return false;
    vid = parsed_vid;
    pid = parsed_pid;
    return true;
}

std::string wide_to_utf8(const platform::WideChar* text) { return platform::utf16_to_utf8(text); }

}  // namespace velmora::uvc_stereo::detail

namespace velmora::uvc_stereo::win_detail {

namespace {

constexpr std::string_view kPnpMonikerPrefix = "@device:pnp:";
constexpr std::string_view kSoftwareMonikerPrefix = "@device:sw:";
constexpr std::string_view kWin32FilePrefix = "\\\\?\\";
constexpr std::string_view kShortFilePrefix = "\\?\\";
constexpr std::string_view kUsbMarker = "usb#";
constexpr std::string_view kInterfaceClassMarker = "#{";
constexpr std::size_t kSerialComponentIndex = 2;
constexpr std::size_t kVidPidStringSize = 9;  // eight digits and the terminator

bool starts_with(const std::string& text, std::string_view prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool is_trailing_junk(char c) { return c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' '; }

bool is_leading_blank(char c) { return c == ' ' || c == '\t'; }

std::string trim_path(std::string text) {
    while (!text.empty() && is_trailing_junk(text.back())) text.pop_back();
    std::size_t first = 0;
    while (first < text.size() && is_leading_blank(text[first])) ++first;
    return text.substr(first);
}

std::string strip_prefixes(std::string text) {
    if (starts_with(text, kPnpMonikerPrefix)) {
        text.erase(0, kPnpMonikerPrefix.size());
    } else if (starts_with(text, kSoftwareMonikerPrefix)) {
        text.erase(0, kSoftwareMonikerPrefix.size());
    }
    if (starts_with(text, kWin32FilePrefix)) {
        text.erase(0, kWin32FilePrefix.size());
    } else if (starts_with(text, kShortFilePrefix)) {
        text.erase(0, kShortFilePrefix.size());
    }
    return text;
}

// Four hex digits after the first occurrence of marker, when they fit.
void parse_marked_id(std::string_view path, std::string_view marker, std::uint16_t& out) {
    const std::size_t at = path.find(marker);
    if (at == std::string_view::npos || at + kMarkerWithDigits > path.size()) return;
    (void)detail::parse_hex_u16(path.substr(at + marker.size(), kHexIdDigits), out);
}

// The text after the first marker, up to the next '&' or '#'.
std::string marked_text(std::string_view path, std::string_view marker) {
    const std::size_t at = path.find(marker);
    if (at == std::string_view::npos) return {};
    const std::size_t start = at + marker.size();
    const std::size_t end = path.find_first_of("&#", start);
    return std::string(path.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

std::vector<std::string_view> split_components(std::string_view path) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find(kCanonicalSeparator, start);
        if (end == std::string_view::npos) {
            pieces.push_back(path.substr(start));
            return pieces;
        }
        pieces.push_back(path.substr(start, end - start));
        start = end + 1;
    }
}

}  // namespace

std::string normalize_windows_device_path(std::string_view path) {
    std::string text = trim_path(detail::to_lower_ascii(std::string(path)));
    if (text.empty()) return {};
    text = detail::collapse_path_separators(strip_prefixes(std::move(text)));
    const std::size_t usb_at = text.find(kUsbMarker);
    if (usb_at != std::string::npos) text.erase(0, usb_at);
    const std::size_t guid_at = text.find(kInterfaceClassMarker);
    if (guid_at != std::string::npos) text.erase(guid_at);
    return detail::collapse_path_separators(std::move(text));
}

WindowsUsbIdentity parse_windows_usb_identity(std::string_view path) {
    WindowsUsbIdentity identity;
    parse_marked_id(path, "vid_", identity.vid);
    parse_marked_id(path, "pid_", identity.pid);
    identity.interface_number = marked_text(path, "mi_");
    identity.collection = marked_text(path, "col");
    const std::vector<std::string_view> pieces = split_components(path);
    if (pieces.size() > kSerialComponentIndex) identity.serial_number = std::string(pieces[kSerialComponentIndex]);
    return identity;
}

std::string make_vidpid_string(std::uint16_t vid, std::uint16_t pid) {
    char buffer[kVidPidStringSize] = {};
    std::snprintf(buffer, sizeof(buffer), "%04x%04x", static_cast<unsigned>(vid), static_cast<unsigned>(pid));
    return buffer;
}

}  // namespace velmora::uvc_stereo::win_detail
