// The supported camera models and their IMU firmware conditions.
#include "discovery/scan_whitelist.hpp"

#include <array>

namespace velmora::uvc_stereo::detail {

namespace {

constexpr std::uint16_t kBridgeVendorId = 0x0C45;

// Order matters only for readers; lookups compare both ids.
constexpr std::array<ScanWhitelistEntry, 5> kScanWhitelist = {{
    {kBridgeVendorId, 0x0643, "", "260416"},
    {kBridgeVendorId, 0x0645, "", "260408"},
    {kBridgeVendorId, 0x2502, "", ""},
    {kBridgeVendorId, 0x0234, "", ""},
    {kBridgeVendorId, 0x0578, "", ""},
}};

}  // namespace

const ScanWhitelistEntry* find_whitelist_entry(std::uint16_t vid, std::uint16_t pid) {
    for (const ScanWhitelistEntry& entry : kScanWhitelist) {
        if (entry.vid == vid && entry.pid == pid) return &entry;
    }
    return nullptr;
}

}  // namespace velmora::uvc_stereo::detail
