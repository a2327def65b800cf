// Windows device paths and USB identities: normalisation, identity parsing,
// parse_vid_pid and vidpid_matches on any text. Normalising twice changes
// nothing, letter case never matters, and the ids read by the different
// helpers agree with each other and with an independent reading.
//
// Input: four bytes of vendor and product id (little-endian) for the vid/pid
// string checks, then the text, used as a path and as a vid/pid string.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "discovery/windows_usb_identity.hpp"
#include "property_check.hpp"

namespace {

namespace uvc = velmora::uvc_stereo;
using uvc::fuzzing::require;

constexpr std::size_t kIdDigits = 4;
constexpr std::size_t kMarkerLength = 4;

std::string to_upper_ascii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// Four hexadecimal digits after the first marker, read independently.
std::optional<std::uint16_t> id_after(std::string_view lower, std::string_view marker) {
    const std::size_t at = lower.find(marker);
    if (at == std::string_view::npos || lower.size() - at < kMarkerLength + kIdDigits) return std::nullopt;
    unsigned value = 0;
    for (const char c : lower.substr(at + kMarkerLength, kIdDigits)) {
        const std::size_t digit = std::string_view("0123456789abcdef").find(c);
        if (digit == std::string_view::npos) return std::nullopt;
        value = value * 16 + static_cast<unsigned>(digit);
    }
    return static_cast<std::uint16_t>(value);
}

// Why normalising a normal form may still change it; null when nothing may.
// The normalisation is one pass: it trims the ends and strips one moniker
// prefix before it cuts, so what a cut exposes stays for a second pass:
// blanks or NULs left at the end (before a cut GUID or a trailing
// separator), blanks at the front (after a stripped prefix), or a second
// moniker prefix. Paths that Windows reports have none of these.
const char* exposed_by_a_cut(std::string_view normal) {
    if (normal.empty()) return nullptr;
    if (std::string_view(" \t\r\n\0", 5).find(normal.back()) != std::string_view::npos) return "end blank";
    if (normal.front() == ' ' || normal.front() == '\t') return "front blank";
    if (normal.rfind("@device:pnp:", 0) == 0 || normal.rfind("@device:sw:", 0) == 0) return "moniker prefix";
    return nullptr;
}

void check_normal_form(const std::string& path, const std::string& normal) {
    const std::string twice = uvc::win_detail::normalize_windows_device_path(normal);
    require(twice == normal || exposed_by_a_cut(normal) != nullptr, "normalising twice changes nothing", normal);
    // Whatever a second pass removes, the passes settle.
    std::string settled = twice;
    for (std::string next = uvc::win_detail::normalize_windows_device_path(settled); next != settled;
         next = uvc::win_detail::normalize_windows_device_path(settled)) {
        require(next.size() < settled.size() && exposed_by_a_cut(settled) != nullptr, "each further pass only cuts",
                settled);
        settled = next;
    }
    require(uvc::win_detail::normalize_windows_device_path(to_upper_ascii(path)) == normal,
            "normalising ignores letter case");
    require(normal.find_first_of("\\/ABCDEFGHIJKLMNOPQRSTUVWXYZ") == std::string::npos,
            "the normal form is lower case with '#' separators", normal);
    require(normal.empty() || (normal.front() != '#' && normal.back() != '#' && normal.find("##") == std::string::npos),
            "separators are collapsed and trimmed", normal);
    require(normal.find("#{") == std::string::npos, "the interface-class GUID is cut off", normal);
    require(normal.size() <= path.size(), "normalising never lengthens a path");
}

void check_identity(const std::string& normal) {
    const uvc::win_detail::WindowsUsbIdentity identity = uvc::win_detail::parse_windows_usb_identity(normal);
    require(identity.vid == id_after(normal, "vid_").value_or(0), "identity vid is the digits after vid_", normal);
    require(identity.pid == id_after(normal, "pid_").value_or(0), "identity pid is the digits after pid_", normal);
    require(identity.interface_number.find_first_of("&#") == std::string::npos &&
                identity.collection.find_first_of("&#") == std::string::npos &&
                identity.serial_number.find('#') == std::string::npos,
            "identity texts stop at their separators");

    std::uint16_t vid = 0;
    std::uint16_t pid = 0;
    const bool both = uvc::detail::parse_vid_pid(normal, vid, pid);
    const bool expected = id_after(normal, "vid_").has_value() && id_after(normal, "pid_").has_value();
    require(both == expected, "parse_vid_pid needs both ids", normal);
    if (both) require(vid == identity.vid && pid == identity.pid, "parse_vid_pid agrees with the identity", normal);
}

void check_raw_text(const std::string& text) {
    std::uint16_t vid = 0xFFFF;
    std::uint16_t pid = 0xFFFF;
    const bool parsed = uvc::detail::parse_vid_pid(text, vid, pid);
    std::uint16_t upper_vid = 0;
    std::uint16_t upper_pid = 0;
    const bool upper_parsed = uvc::detail::parse_vid_pid(to_upper_ascii(text), upper_vid, upper_pid);
    require(parsed == upper_parsed && (!parsed || (vid == upper_vid && pid == upper_pid)),
            "parse_vid_pid ignores letter case");
    if (!parsed) require(vid == 0xFFFF && pid == 0xFFFF, "a failed parse leaves the ids alone");
    require(uvc::detail::equals_ignore_ascii_case(text, to_upper_ascii(text)), "a text equals its upper case");
    const std::string collapsed = uvc::detail::collapse_path_separators(text);
    require(uvc::detail::collapse_path_separators(collapsed) == collapsed, "collapsing twice changes nothing");
}

void check_vidpid(const std::string& text, std::uint16_t vid, std::uint16_t pid) {
    const std::string vidpid = uvc::win_detail::make_vidpid_string(vid, pid);
    require(vidpid.size() == 8 && vidpid.find_first_not_of("0123456789abcdef") == std::string::npos,
            "a vid/pid string is eight lower-case hex digits", vidpid);
    require(uvc::detail::vidpid_matches(vidpid, vid, pid) && uvc::detail::vidpid_matches(to_upper_ascii(vidpid), vid, pid),
            "a vid/pid string matches its ids in either case");
    std::uint16_t parsed_vid = 0;
    std::uint16_t parsed_pid = 0;
    require(uvc::detail::parse_vid_pid("vid_" + vidpid.substr(0, 4) + "&pid_" + vidpid.substr(4), parsed_vid,
                                       parsed_pid) &&
                parsed_vid == vid && parsed_pid == pid,
            "a vid/pid string's digits read back as its ids");
    const bool matches = uvc::detail::vidpid_matches(text, vid, pid);
    require(matches == (text.empty() || uvc::detail::to_lower_ascii(text) == vidpid),
            "vidpid_matches accepts only the empty text or the vid/pid string", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    const auto vid = static_cast<std::uint16_t>(data[0] | (data[1] << 8));
    const auto pid = static_cast<std::uint16_t>(data[2] | (data[3] << 8));
    const std::string text(reinterpret_cast<const char*>(data + 4), size - 4);

    const std::string normal = uvc::win_detail::normalize_windows_device_path(text);
    check_normal_form(text, normal);
    check_identity(normal);
    check_raw_text(text);
    check_vidpid(text, vid, pid);
    return 0;
}
