// Device ownership: moves, self-move, and what a closed Device answers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "device/device_impl.hpp"

namespace velmora::uvc_stereo {
namespace {

// A Device built without a camera; only its fields matter here.
Device device_with_serial(const std::string& serial, std::uint32_t verified) {
    auto impl = std::make_unique<Device::Impl>();
    impl->info.vid = 0x0C45;
    impl->info.pid = 0x0643;
    impl->info.serial_number = serial;
    impl->capability_info.state = 2;
    impl->capability_info.message = "Capability reporting is not supported on this device";
    impl->imu_declared = true;
    impl->flash_declared = true;
    impl->verified_capabilities = verified;
    return detail::DeviceAccess::make(std::move(impl));
}

void expect_closed(Device& device) {
    EXPECT_EQ(detail::DeviceAccess::impl(device), nullptr);
    EXPECT_EQ(device.info().serial_number, "");
    EXPECT_EQ(device.info().vid, 0);
    EXPECT_EQ(device.capability_info().state, 0);
    EXPECT_FALSE(device.capability_info().report.has_value());
    EXPECT_TRUE(device.capability_info().message.empty());
    EXPECT_FALSE(device.has_flash_transport());
    EXPECT_FALSE(device.has_imu_transport());

    const std::pair<const char*, std::function<Status()>> operations[] = {
        {"read_json", [&] { return device.read_json().status(); }},
        {"write_json", [&] { return device.write_json("{}"); }},
        {"open_imu", [&] { return device.open_imu(); }},
        {"read_imu", [&] { return device.read_imu().status(); }},
        {"close_imu", [&] { return device.close_imu(); }},
        {"imu_conversion_options", [&] { return device.imu_conversion_options().status(); }},
        {"convert_imu", [&] { return device.convert_imu(ReadImuResult{}).status(); }},
    };
    for (const auto& [name, operation] : operations) {
        SCOPED_TRACE(name);
        const Status status = operation();
        EXPECT_EQ(status.code(), ErrorCode::InvalidArgument);
        EXPECT_EQ(status.message(), "device is closed or moved-from");
    }
}

TEST(DeviceObjectTest, MovedFromDeviceIsClosed) {
    Device source = device_with_serial("A", 1);
    Device target(std::move(source));
    EXPECT_EQ(target.info().serial_number, "A");
    EXPECT_TRUE(target.has_flash_transport());
    expect_closed(source);  // NOLINT(bugprone-use-after-move)
}

TEST(DeviceObjectTest, MoveAssignmentReplacesAndSelfMoveKeeps) {
    Device first = device_with_serial("A", 1);
    Device second = device_with_serial("B", 2);
    second = std::move(first);
    EXPECT_EQ(second.info().serial_number, "A");
    EXPECT_TRUE(second.has_flash_transport());
    EXPECT_FALSE(second.has_imu_transport());
    expect_closed(first);  // NOLINT(bugprone-use-after-move)

    Device& alias = second;
    second = std::move(alias);
    EXPECT_EQ(second.info().serial_number, "A");

    // Assigning a closed Device closes the target too.
    second = std::move(first);
    expect_closed(second);
}

TEST(DeviceObjectTest, ClosedDevicesShareOneDefaultRecord) {
    Device first = device_with_serial("A", 0);
    Device second = device_with_serial("B", 0);
    Device keep_first(std::move(first));
    Device keep_second(std::move(second));
    EXPECT_EQ(&first.info(), &second.info());                        // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(&first.capability_info(), &second.capability_info());  // NOLINT(bugprone-use-after-move)
}

TEST(DeviceObjectTest, JsonAccessNeedsADeclaredFlashAndNoTouchingTheCamera) {
    auto impl = std::make_unique<Device::Impl>();
    impl->flash_declared = false;
    Device device = detail::DeviceAccess::make(std::move(impl));
    EXPECT_EQ(device.read_json().status().message(), "valid capability XU report does not declare Flash");
    const Status written = device.write_json("{}");
    EXPECT_EQ(written.code(), ErrorCode::NotSupported);
    EXPECT_EQ(written.message(), "valid capability XU report does not declare Flash");
}

}  // namespace
}  // namespace velmora::uvc_stereo
