// The supported models and their IMU firmware conditions.
#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

#include "discovery/scan_whitelist.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

TEST(ScanWhitelistTest, ModelsAndFirmwareColumns) {
    struct Row {
        std::uint16_t vid;
        std::uint16_t pid;
        std::string_view disabling_firmware;
    };
    const Row supported[] = {
        {0x0C45, 0x0643, "260416"}, {0x0C45, 0x0645, "260408"}, {0x0C45, 0x2502, ""},
        {0x0C45, 0x0234, ""},       {0x0C45, 0x0578, ""},
    };
    for (const Row& row : supported) {
        SCOPED_TRACE(row.pid);
        const ScanWhitelistEntry* entry = find_whitelist_entry(row.vid, row.pid);
        ASSERT_NE(entry, nullptr);
        EXPECT_TRUE(entry->imu_required_firmware.empty());
        EXPECT_EQ(entry->imu_disabling_firmware, row.disabling_firmware);
    }
    // Both ids must match one entry: neither a known pid under another vendor
    // nor the vendor with an unknown pid passes.
    EXPECT_FALSE(is_whitelisted(0x0C45, 0x1234));
    EXPECT_FALSE(is_whitelisted(0x0C46, 0x0643));
    EXPECT_FALSE(is_whitelisted(0x0643, 0x0C45));
    EXPECT_FALSE(is_whitelisted(0, 0));
}

}  // namespace
}  // namespace velmora::uvc_stereo::detail
