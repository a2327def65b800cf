// The firmware version comparisons behind the IMU gate.
#include <gtest/gtest.h>

#include <string_view>

#include "device/firmware_gate.hpp"

namespace velmora::uvc_stereo {
namespace {

struct FirmwareRow {
    const char* name;
    std::string_view condition;
    std::string_view firmware;
    bool expected;
};

TEST(FirmwareRulesTest, RequiredVersionMustMatchExactly) {
    const FirmwareRow rows[] = {
        {"no requirement, any version", "", "260416", true},
        {"no requirement, empty version", "", "", true},
        {"exact match", "V1.2.3", "V1.2.3", true},
        {"trailing space is not trimmed", "V1.2.3", "V1.2.3 ", false},
        {"case matters", "V1.2.3", "v1.2.3", false},
        {"prefix is not enough", "V1.2.3", "V1.2", false},
        {"empty version", "V1.2.3", "", false},
    };
    for (const FirmwareRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(detail::firmware_version_allows_imu(row.condition, row.firmware), row.expected);
    }
}

TEST(FirmwareRulesTest, DisablingVersionMatchesAnywhere) {
    const FirmwareRow rows[] = {
        {"no condition", "", "260416", false},
        {"no condition, empty version", "", "", false},
        {"equal", "260416", "260416", true},
        {"inside", "260416", "FW-260416-rc1", true},
        {"at the end", "260416", "build260416", true},
        {"at the start", "260416", "260416b", true},
        {"five-character prefix of it", "260416", "26041", false},
        {"empty version", "260416", "", false},
        {"different digits", "260408", "260416", false},
        {"split by a character", "260416", "2604-16", false},
    };
    for (const FirmwareRow& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(detail::firmware_version_disables_imu(row.condition, row.firmware), row.expected);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
