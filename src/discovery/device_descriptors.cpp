// Descriptor texts and ids read from a camera through the vendor library.
#include <array>
#include <optional>

#include "discovery/device_enumeration.hpp"
#include "discovery/scan_whitelist.hpp"
#include "discovery/windows_usb_identity.hpp"

namespace velmora::uvc_stereo::detail {

namespace {

constexpr std::uint8_t kIdSelector = 0;
constexpr std::size_t kIdByteCount = 4;
constexpr std::size_t kDescriptorTextSize = 64;
constexpr unsigned kByteShift = 8;

struct IdPair {
    std::uint16_t vid = 0;
    std::uint16_t pid = 0;

    bool operator==(const IdPair& other) const { return vid == other.vid && pid == other.pid; }
    bool both_non_zero() const { return vid != 0 && pid != 0; }
    bool whitelisted() const { return is_whitelisted(vid, pid); }
};

std::uint16_t join_bytes(std::uint8_t high, std::uint8_t low) {
    return static_cast<std::uint16_t>((static_cast<unsigned>(high) << kByteShift) | low);
}

bool is_trailing_blank(char c) { return c == '\0' || c == '\t' || c == '\n' || c == '\r' || c == ' '; }

// The device may send its ids in either byte order; the path's ids settle it
// when they are available, the whitelist otherwise.
std::optional<IdPair> referee_readings(const IdPair& high_first, const IdPair& low_first,
                                       const std::string& device_path) {
    IdPair from_path;
    if (parse_vid_pid(device_path, from_path.vid, from_path.pid)) {
        if (high_first == from_path) return high_first;
        if (low_first == from_path) return low_first;
    }
    if (high_first.whitelisted() != low_first.whitelisted()) {
        return high_first.whitelisted() ? high_first : low_first;
    }
    if (high_first.both_non_zero()) return high_first;
    if (low_first.both_non_zero()) return low_first;
    return std::nullopt;
}

}  // namespace

bool read_descriptor_text(win_detail::VendorSession& session, vendor::DeviceRecord& dev, std::uint8_t selector,
                          std::string& out) {
    std::array<std::uint8_t, kDescriptorTextSize> buffer{};
    if (!vendor::read_descriptor(session, dev, selector, buffer.data(), static_cast<std::uint32_t>(buffer.size()))) {
        return false;
    }
    std::string text;
    for (const std::uint8_t byte : buffer) {
        if (byte == 0) break;
        text.push_back(static_cast<char>(byte));
    }
    while (!text.empty() && is_trailing_blank(text.back())) text.pop_back();
    out = std::move(text);
    return true;
}

bool read_descriptor_ids(win_detail::VendorSession& session, vendor::DeviceRecord& dev,
                         const std::string& device_path, std::uint16_t& vid, std::uint16_t& pid) {
    std::array<std::uint8_t, kIdByteCount> bytes{};
    if (!vendor::read_descriptor(session, dev, kIdSelector, bytes.data(), static_cast<std::uint32_t>(bytes.size()))) {
        return false;
    }
    const IdPair high_first{join_bytes(bytes[0], bytes[1]), join_bytes(bytes[2], bytes[3])};
    const IdPair low_first{join_bytes(bytes[1], bytes[0]), join_bytes(bytes[3], bytes[2])};
    const std::optional<IdPair> chosen = referee_readings(high_first, low_first, device_path);
    if (!chosen) return false;
    vid = chosen->vid;
    pid = chosen->pid;
    return true;
}

}  // namespace velmora::uvc_stereo::detail
