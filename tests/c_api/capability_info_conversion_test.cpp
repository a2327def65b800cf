// Tests of the conversion into the versioned C capability structure.
#include "c_api/capability_info_conversion.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "support/c_interface.hpp"

namespace velmora::uvc_stereo::c_api {
namespace {

using test_support::all_bytes_are;
using test_support::fill_bytes;

constexpr unsigned char kGarbage = 0xCD;

DeviceCapabilityInfo full_report(const std::string& imu_model) {
    CapabilityReport report;
    report.major_version = 1;
    report.minor_version = 3;
    report.capability_bits = 2 | 4 | 16;
    report.flash = ReportedFlashInfo{0x60000, 0x8000};
    ReportedImuInfo imu;
    imu.model = imu_model;
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

TEST(ToCCapabilityInfo, FullReportWithAnEightCharacterModel) {
    velmora_uvc_stereo_capability_info out;
    fill_bytes(out, kGarbage);
    velmora_uvc_stereo_capability_info_init(&out);
    ASSERT_TRUE(to_c_capability_info(full_report("BMI08800"), &out).ok());
    EXPECT_EQ(out.struct_size, 176u);
    EXPECT_EQ(out.state, 1u);
    EXPECT_STREQ(out.message, "");
    EXPECT_EQ(out.has_report, 1);
    EXPECT_EQ(out.minor_version, 3);
    EXPECT_EQ(out.capability_bits, 22u);
    EXPECT_EQ(out.has_flash, 1);
    EXPECT_EQ(out.flash_user_space_address, 0x60000u);
    EXPECT_EQ(out.flash_user_space_size, 0x8000u);
    EXPECT_EQ(out.has_imu, 1);
    EXPECT_EQ(std::string(out.imu_model, 9), std::string("BMI08800") + '\0');
    EXPECT_EQ(out.imu_xu_unit, 4);
    EXPECT_EQ(out.imu_decimal_exponent, 2);
    EXPECT_EQ(out.imu_conversion.temperature_lsb_per_c, 512.0);
    EXPECT_EQ(out.imu_conversion.gyro_lsb_per_dps, 65.5);
    EXPECT_TRUE(all_bytes_are(out.reserved, 0));
}

TEST(ToCCapabilityInfo, StatesOutsideOneAndTwoAndLongTexts) {
    DeviceCapabilityInfo info = full_report("TWELVECHARSX");
    info.state = 3;
    info.message = std::string(100, 'm');
    velmora_uvc_stereo_capability_info out;
    velmora_uvc_stereo_capability_info_init(&out);
    ASSERT_TRUE(to_c_capability_info(info, &out).ok());
    EXPECT_EQ(out.state, 0u);
    EXPECT_EQ(std::string(out.message), std::string(63, 'm'));
    EXPECT_EQ(std::string(out.imu_model), "TWELVECH");
    EXPECT_EQ(out.imu_xu_unit, 4);  // not overwritten by the cut model
}

TEST(ToCCapabilityInfo, StructSizeDecidesWhatIsWritten) {
    // A caller built against a later version passes a larger structure.
    struct LargerCallerStructure {
        velmora_uvc_stereo_capability_info current;
        unsigned char later_fields[24];
    };
    const std::vector<std::pair<std::uint32_t, bool>> cases = {
        {0, false}, {175, false}, {176, true}, {200, true}, {0xFFFFFFFFu, true}};
    for (const auto& [struct_size, accepted] : cases) {
        SCOPED_TRACE(struct_size);
        LargerCallerStructure caller;
        fill_bytes(caller, kGarbage);
        caller.current.struct_size = struct_size;
        const LargerCallerStructure before = caller;
        const Status status = to_c_capability_info(full_report("IMU-A"), &caller.current);
        EXPECT_TRUE(all_bytes_are(caller.later_fields, kGarbage));
        if (accepted) {
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

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
