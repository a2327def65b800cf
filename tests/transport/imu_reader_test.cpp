// IMU sessions on a virtual camera: open, read, sentinels, moves and the
// outstanding initialisation.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "transport/imu_reader.hpp"
#include "support/transport_camera.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

std::vector<std::uint8_t> with_first_byte(std::uint8_t first) {
    std::vector<std::uint8_t> payload = kImuSample;
    payload[0] = first;
    return payload;
}

detail::ImuTransportConfig transport(std::uint8_t length = 17) {
    detail::ImuTransportConfig config;
    config.xu_unit = 4;
    config.xu_selector = 10;
    config.xu_length = length;
    return config;
}

void load_imu_camera(const std::vector<std::vector<std::uint8_t>>& samples, std::uint8_t length = 17) {
    VirtualCamera camera = stereo_camera();
    for (const std::vector<std::uint8_t>& sample : samples) camera.imu_samples.push_back(hex_digits(sample));
    camera.imu.length = length;
    load_camera(camera);
}

detail::ImuReader open_reader(std::uint8_t length = 17) {
    Result<detail::ImuReader> opened = detail::open_imu_platform(camera_info(), transport(length));
    EXPECT_TRUE(opened.ok()) << opened.status().message();
    return std::move(opened).value();
}

using ImuReaderTest = VcamTest;

TEST_F(ImuReaderTest, ReadsAndTimestampsASample) {
    load_imu_camera({kImuSample});
    detail::ImuReader reader = open_reader();

    const std::uint64_t before = detail::monotonic_now_ns();
    const Result<ReadImuResult> sample = reader.read();
    const std::uint64_t after = detail::monotonic_now_ns();
    ASSERT_TRUE(sample.ok()) << sample.status().message();
    EXPECT_EQ(sample.value().temperature_raw, 16);
    EXPECT_EQ(sample.value().accel_raw, (std::array<std::int16_t, 3>{-16, 1, 32767}));
    EXPECT_EQ(sample.value().gyro_raw, (std::array<std::int16_t, 3>{-32768, 0, -1}));
    EXPECT_EQ(sample.value().device_timestamp, 0x51234u);
    EXPECT_GE(sample.value().timestamp_ns, before);
    EXPECT_LE(sample.value().timestamp_ns, after);

    const vcam_call read = logged_calls_of("SonixCam_XuRead").at(0);
    EXPECT_EQ(std::vector<std::uint64_t>(read.args, read.args + 3), (std::vector<std::uint64_t>{17, 10, 4}));
}

TEST_F(ImuReaderTest, SentinelsFailTheReadButKeepTheSession) {
    load_imu_camera({with_first_byte(0xF1), with_first_byte(0xF2), kImuSample});
    detail::ImuReader reader = open_reader();

    const Result<ReadImuResult> init_failure = reader.read();
    EXPECT_EQ(init_failure.status().code(), ErrorCode::DeviceUnavailable);
    EXPECT_EQ(init_failure.status().message(), "IMU device reported initialization failure");
    const Result<ReadImuResult> read_failure = reader.read();
    EXPECT_EQ(read_failure.status().code(), ErrorCode::ReadFailed);
    EXPECT_EQ(read_failure.status().message(), "IMU device reported read failure");
    EXPECT_TRUE(reader.read().ok());
}

TEST_F(ImuReaderTest, LongerTransfersIgnoreTheTrailingBytes) {
    std::vector<std::uint8_t> payload = kImuSample;
    payload.insert(payload.end(), {0xF1, 0xEE, 0xDD});
    load_imu_camera({payload}, 20);
    detail::ImuReader reader = open_reader(20);

    const Result<ReadImuResult> sample = reader.read();
    ASSERT_TRUE(sample.ok()) << sample.status().message();
    EXPECT_EQ(sample.value().device_timestamp, 0x51234u);
    EXPECT_EQ(logged_calls_of("SonixCam_XuRead").at(0).args[0], 20u);
}

TEST_F(ImuReaderTest, MovedFromReaderIsClosed) {
    load_imu_camera({kImuSample});
    detail::ImuReader source = open_reader();
    detail::ImuReader target(std::move(source));

    const Result<ReadImuResult> closed = source.read();  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(closed.status().code(), ErrorCode::InvalidArgument);
    EXPECT_EQ(closed.status().message(), "IMU reader is closed or moved-from");
    EXPECT_TRUE(target.read().ok());
    EXPECT_EQ(vcam_init_depth(), 1);  // the move handed the one session over
}

TEST_F(ImuReaderTest, MoveAssignmentEndsTheReplacedSession) {
    load_imu_camera({kImuSample});
    detail::ImuReader first = open_reader();
    detail::ImuReader second = open_reader();
    EXPECT_EQ(vcam_init_depth(), 2);
    first = std::move(second);
    EXPECT_EQ(vcam_init_depth(), 1);
    EXPECT_TRUE(first.read().ok());
}

TEST_F(ImuReaderTest, SessionKeepsOneInitWhileFlashOperationsMakeTheirOwn) {
    load_imu_camera({kImuSample});
    {
        detail::ImuReader reader = open_reader();
        EXPECT_EQ(vcam_init_depth(), 1);
        EXPECT_TRUE(vendor_lock_free());  // the open released the lock

        EXPECT_TRUE(probe_flash_transport(FlashConfig()).ok());
        EXPECT_EQ(vcam_init_depth(), 1);
        EXPECT_TRUE(reader.read().ok());
        EXPECT_EQ(vcam_init_depth(), 1);
    }
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_EQ(vcam_count_calls("SonixCam_Init"), vcam_count_calls("SonixCam_UnInit"));
}

TEST_F(ImuReaderTest, RefusedOpensMakeNoVendorCall) {
    struct Row {
        const char* name;
        DeviceInfo device;
        detail::ImuTransportConfig transport;
        const char* message;
    };
    DeviceInfo no_selector;
    no_selector.vid = 0x0C45;  // a vendor id alone selects nothing
    DeviceInfo serial_only;
    serial_only.serial_number = "x";
    detail::ImuTransportConfig no_unit = transport();
    no_unit.xu_unit = 0;
    detail::ImuTransportConfig no_selector_byte = transport();
    no_selector_byte.xu_selector = 0;
    const Row rows[] = {
        {"no selector", no_selector, transport(),
         "selected device has no Windows device_path, serial_number, or vid/pid"},
        {"unit 0", serial_only, no_unit, "invalid IMU transport configuration"},
        {"selector 0", serial_only, no_selector_byte, "invalid IMU transport configuration"},
        {"16 bytes", serial_only, transport(16), "invalid IMU transport configuration"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        vcam_clear_call_log();
        const Result<detail::ImuReader> opened = detail::open_imu_platform(row.device, row.transport);
        EXPECT_EQ(opened.status().code(), ErrorCode::InvalidArgument);
        EXPECT_EQ(opened.status().message(), row.message);
        EXPECT_EQ(vcam_call_count(), 0u);
    }
}

Result<win_detail::EnumeratedDevice> resolver_throwing_std(win_detail::VendorSession&, const FlashConfig&,
                                                           bool) {
    throw std::length_error("selection exploded");
}

Result<win_detail::EnumeratedDevice> resolver_throwing_other(win_detail::VendorSession&, const FlashConfig&,
                                                             bool) {
    throw 'x';
}

TEST_F(ImuReaderTest, ExceptionsDuringOpenAreCaughtAndTheLibraryBalanced) {
    struct Row {
        detail::DeviceResolver resolver;
        const char* message;
    };
    const Row rows[] = {
        {&resolver_throwing_std, "selection exploded"},
        {&resolver_throwing_other, "unknown exception during Windows IMU open"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        vcam_clear_call_log();
        const Result<detail::ImuReader> opened =
            detail::open_imu_platform_using(camera_info(), transport(), row.resolver);
        EXPECT_EQ(opened.status().code(), ErrorCode::InternalError);
        EXPECT_EQ(opened.status().message(), row.message);
        EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);
        EXPECT_EQ(vcam_init_depth(), 0);
        EXPECT_TRUE(vendor_lock_free());
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test
