// Two Devices on two cameras used from two threads at once: JSON writes and
// IMU reads interleave, the vendor library sees one operation at a time, and
// no flash content is lost or mixed.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "sonix_virtual/vcam_control.h"
#include "support/call_log.hpp"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "support/virtual_flash.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace velmora::uvc_stereo {
namespace {

using DeviceConcurrencyTest = test_support::VirtualCameraTest;

using test_support::VirtualCamera;

constexpr int kRounds = 4;
constexpr int kImuReadsPerRound = 5;

struct Worker {
    std::string id;
    std::vector<std::string> failures;
    std::string last_document;

    void fail(const std::string& what, const Status& status) { failures.push_back(what + ": " + status.message()); }

    void run() {
        OpenDeviceOptions options;
        options.required_capabilities = 1;
        Result<Device> opened = open_device(test_support::scanned_camera(id), options);
        if (!opened.ok()) return fail("open", opened.status());
        Device device = std::move(opened.value());
        for (int round = 0; round < kRounds; ++round) {
            const std::string document =
                "{\"camera\":\"" + id + "\",\"round\":" + std::to_string(round) + ",\"pad\":\"" +
                std::string(static_cast<std::size_t>(200 + 50 * round), id.back()) + "\"}";
            const Status written = device.write_json(document);
            if (!written.ok()) return fail("write", written);
            last_document = document;
            const Result<ReadJsonResult> read = device.read_json();
            if (!read.ok()) return fail("read", read.status());
            if (read.value().json != document) failures.push_back("read back another document: " + read.value().json);

            const Status imu = device.open_imu();
            if (!imu.ok()) return fail("open_imu", imu);
            for (int sample = 0; sample < kImuReadsPerRound; ++sample) {
                const Result<ReadImuResult> raw = device.read_imu();
                if (!raw.ok()) return fail("read_imu", raw.status());
            }
            const Status closed = device.close_imu();
            if (!closed.ok()) return fail("close_imu", closed);
        }
    }
};

// A flash session runs from its serial-flash type query to its UnInit under
// the vendor lock, so no call naming another device may fall inside it.
void expect_flash_sessions_unbroken() {
    std::string session_device;
    std::size_t sessions = 0;
    const std::size_t count = vcam_call_count();
    for (std::size_t index = 0; index < count; ++index) {
        vcam_call call{};
        ASSERT_EQ(vcam_call_at(index, &call), 0);
        const std::string function = call.function;
        const std::string device = call.device_id;
        if (function == "SonixCam_GetSerialFlashType") {
            EXPECT_TRUE(session_device.empty()) << "flash session opened inside another at call " << index;
            session_device = device;
            ++sessions;
        } else if (function == "SonixCam_UnInit") {
            session_device.clear();
        } else if (!session_device.empty() && !device.empty()) {
            EXPECT_EQ(device, session_device) << function << " of another camera inside a flash session at call "
                                              << index;
        }
    }
    // Each round writes (one session) and reads (one session) on both cameras.
    EXPECT_GE(sessions, static_cast<std::size_t>(2 * 2 * kRounds));
}

TEST_F(DeviceConcurrencyTest, TwoDevicesOnTwoThreads) {
    VirtualCamera left("left");
    left.pid = 0x0643;  // also passes the firmware gate on every open
    VirtualCamera right("right");
    right.legacy = true;
    test_support::load_cameras({left, right});
    test_support::clear_calls();

    Worker workers[] = {{"left", {}, {}}, {"right", {}, {}}};
    std::thread threads[] = {std::thread(&Worker::run, &workers[0]), std::thread(&Worker::run, &workers[1])};
    for (std::thread& thread : threads) thread.join();

    for (const Worker& worker : workers) {
        SCOPED_TRACE(worker.id);
        for (const std::string& failure : worker.failures) ADD_FAILURE() << failure;
        ASSERT_FALSE(worker.last_document.empty());
        // The flash holds exactly this camera's last document.
        const std::vector<std::uint8_t> stored =
            test_support::peek_flash(worker.id, 0x51000 + 16, static_cast<std::uint32_t>(worker.last_document.size()));
        EXPECT_EQ(std::string(stored.begin(), stored.end()), worker.last_document);
    }
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_EQ(test_support::calls_of("SonixCam_Init"), test_support::calls_of("SonixCam_UnInit"));
    expect_flash_sessions_unbroken();
}

}  // namespace
}  // namespace velmora::uvc_stereo
