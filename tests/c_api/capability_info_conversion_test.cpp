// Tests of the conversion into the versioned C capability structure.
#include "c_api/capability_info_conversion.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "c_api_test_support.hpp"

namespace velmora::uvc_stereo::c_api {
namespace {

using testing::all_bytes_are;
using testing::fill_bytes;

constexpr unsigned char kGarbage = 0xCD;

DeviceCapabilityInfo full_report() {
    CapabilityReport report;
    report.major_version = 1;
    report.minor_version = 3;
    report.capability_bits = 2 | 4 | 16;
    report.flash = ReportedFlashInfo{0x60000, 0x8000};
    ReportedImuInfo imu;
    imu.model = "BMI08800";  // eight characters, no room left in a 9-byte field but the NUL
    imu.xu_unit = 4;
    imu.xu_selector = 10;
    imu.xu_length = 17;
    imu.decimal_exponent = 2;
    imu.conversion = ImuConversionOptions{23.5, 512.0, 4096.0, 65.5};
    report.imu = imu;
    DeviceCapabilityInfo info;
    info.state = 1;
    info.report = report;
    return info;
}

velmora_uvc_stereo_capability_info prepared() {
    velmora_uvc_stereo_capability_info out;
    fill_bytes(out, kGarbage);
    velmora_uvc_stereo_capability_info_init(&out);
    return out;
}

TEST(ToCCapabilityInfo, InitPreparesSizeAndZeroes) {
    velmora_uvc_stereo_capability_info info;
    fill_bytes(info, kGarbage);
    velmora_uvc_stereo_capability_info_init(&info);
    EXPECT_EQ(info.struct_size, 176u);
    EXPECT_TRUE(all_bytes_are(info.reserved, 0));
    EXPECT_EQ(info.state, 0u);
    velmora_uvc_stereo_capability_info_init(nullptr);  // does nothing
}

TEST(ToCCapabilityInfo, FullReport) {
    velmora_uvc_stereo_capability_info out = prepared();
    ASSERT_TRUE(to_c_capability_info(full_report(), &out).ok());
    EXPECT_EQ(out.struct_size, 176u);
    EXPECT_EQ(out.state, 1u);
    EXPECT_STREQ(out.message, "");
    EXPECT_EQ(out.has_report, 1);
    EXPECT_EQ(out.major_version, 1);
    EXPECT_EQ(out.minor_version, 3);
    EXPECT_EQ(out.capability_bits, 22u);
    EXPECT_EQ(out.has_flash, 1);
    EXPECT_EQ(out.flash_user_space_address, 0x60000u);
    EXPECT_EQ(out.flash_user_space_size, 0x8000u);
    EXPECT_EQ(out.has_imu, 1);
    EXPECT_EQ(std::string(out.imu_model, 9), std::string("BMI08800") + '\0');
    EXPECT_EQ(out.imu_xu_unit, 4);
    EXPECT_EQ(out.imu_xu_selector, 10);
    EXPECT_EQ(out.imu_xu_length, 17);
    EXPECT_EQ(out.imu_decimal_exponent, 2);
    EXPECT_EQ(out.imu_conversion.temperature_offset_c, 23.5);
    EXPECT_EQ(out.imu_conversion.temperature_lsb_per_c, 512.0);
    EXPECT_EQ(out.imu_conversion.accel_lsb_per_g, 4096.0);
    EXPECT_EQ(out.imu_conversion.gyro_lsb_per_dps, 65.5);
    EXPECT_TRUE(all_bytes_are(out.reserved, 0));
}

TEST(ToCCapabilityInfo, LegacyCameraHasStateTwoItsMessageAndZerosElsewhere) {
    DeviceCapabilityInfo legacy;
    legacy.state = 2;
    legacy.message = "Capability reporting is not supported on this device";
    velmora_uvc_stereo_capability_info out = prepared();
    ASSERT_TRUE(to_c_capability_info(legacy, &out).ok());
    velmora_uvc_stereo_capability_info expected;
    std::memset(&expected, 0, sizeof(expected));
    expected.struct_size = 176;
    expected.state = 2;
    std::strcpy(expected.message, "Capability reporting is not supported on this device");
    EXPECT_EQ(std::memcmp(&out, &expected, sizeof(out)), 0);
}

TEST(ToCCapabilityInfo, AbsentSectionsStayZero) {
    DeviceCapabilityInfo info = full_report();
    info.report->flash.reset();
    info.report->imu.reset();
    velmora_uvc_stereo_capability_info out = prepared();
    ASSERT_TRUE(to_c_capability_info(info, &out).ok());
    EXPECT_EQ(out.has_report, 1);
    EXPECT_EQ(out.has_flash, 0);
    EXPECT_EQ(out.flash_user_space_address, 0u);
    EXPECT_EQ(out.has_imu, 0);
    EXPECT_TRUE(all_bytes_are(out.imu_model, 0));
    EXPECT_TRUE(all_bytes_are(out.imu_conversion, 0));
}

TEST(ToCCapabilityInfo, StateOutsideOneAndTwoBecomesZero) {
    for (const std::uint8_t state : {0, 1, 2, 3, 255}) {
        SCOPED_TRACE(static_cast<int>(state));
        DeviceCapabilityInfo info;
        info.state = state;
        velmora_uvc_stereo_capability_info out = prepared();
        ASSERT_TRUE(to_c_capability_info(info, &out).ok());
        EXPECT_EQ(out.state, (state == 1 || state == 2) ? state : 0u);
    }
}

TEST(ToCCapabilityInfo, LongTextsAreCut) {
    DeviceCapabilityInfo info = full_report();
    info.message = std::string(100, 'm');
    info.report->imu->model = "TWELVECHARSX";
    velmora_uvc_stereo_capability_info out = prepared();
    ASSERT_TRUE(to_c_capability_info(info, &out).ok());
    EXPECT_EQ(std::string(out.message), std::string(63, 'm'));
    EXPECT_EQ(std::string(out.imu_model), "TWELVECH");
    EXPECT_EQ(out.imu_xu_unit, 4);  // the byte after the model is not overwritten by it
}

struct SizeCase {
    std::uint32_t struct_size;
    bool accepted;
};

TEST(ToCCapabilityInfo, StructSizeDecidesWhatIsWritten) {
    // A caller structure of 200 bytes: the library must write exactly 176.
    struct LargerCallerStructure {
        velmora_uvc_stereo_capability_info current;
        unsigned char later_fields[24];
    };
    const std::vector<SizeCase> cases = {{0, false}, {175, false}, {176, true}, {200, true}, {0xFFFFFFFFu, true}};
    for (const SizeCase& row : cases) {
        SCOPED_TRACE(row.struct_size);
        LargerCallerStructure caller;
        fill_bytes(caller, kGarbage);
        caller.current.struct_size = row.struct_size;
        const LargerCallerStructure before = caller;
        const Status status = to_c_capability_info(full_report(), &caller.current);
        EXPECT_TRUE(all_bytes_are(caller.later_fields, kGarbage));
        if (row.accepted) {
            ASSERT_TRUE(status.ok());
            EXPECT_EQ(caller.current.struct_size, 176u);
            EXPECT_EQ(caller.current.has_report, 1);
            EXPECT_TRUE(all_bytes_are(caller.current.reserved, 0));
        } else {
            EXPECT_EQ(status.code(), ErrorCode::InvalidArgument);
            EXPECT_EQ(status.message(), "capability info struct_size is smaller than the current ABI structure");
            EXPECT_EQ(std::memcmp(&caller, &before, sizeof(caller)), 0);
        }
    }
}

TEST(ToCCapabilityInfo, NullDestination) {
    const Status status = to_c_capability_info(full_report(), nullptr);
    EXPECT_EQ(status.code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(status.message(), "out_info is null");
}

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
