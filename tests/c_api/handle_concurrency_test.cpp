// Two threads on one C device handle: the handle's lock makes their calls take turns.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "support/c_interface.hpp"
#include "sonix_virtual/vcam_control.h"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::c_api {
namespace {

using test_support::last_message;

constexpr int kImuRounds = 8;
// Bounds the flash loop should the IMU thread stall.
constexpr int kMaxFlashRounds = 200;

TEST(HandleConcurrency, ImuSessionAndFlashAccessOnOneHandleTakeTurns) {
    vcam_load_default_scenario();
    struct velmora_uvc_stereo_device_info* devices = nullptr;
    size_t count = 0;
    ASSERT_EQ(velmora_uvc_stereo_scan_devices(&devices, &count), 0) << last_message();
    velmora_uvc_stereo_device* device = nullptr;
    ASSERT_EQ(velmora_uvc_stereo_open_device(&devices[0], nullptr, &device), 0) << last_message();
    velmora_uvc_stereo_free(devices);

    int imu_failures = 0;
    std::string imu_message;
    std::atomic<bool> imu_done{false};
    std::thread imu_thread([&] {
        for (int round = 0; round < kImuRounds; ++round) {
            velmora_uvc_stereo_read_imu_result raw;
            velmora_uvc_stereo_converted_imu_result converted;
            if (velmora_uvc_stereo_device_open_imu(device) != 0 ||
                velmora_uvc_stereo_device_read_imu(device, &raw) != 0 ||
                velmora_uvc_stereo_device_convert_imu(device, &raw, &converted) != 0 ||
                velmora_uvc_stereo_device_close_imu(device) != 0) {
                ++imu_failures;
                imu_message = last_message();
            }
        }
        imu_done = true;
    });
    // Only JSON reads here: any other call taking the handle lock would order
    // the two threads by itself and hide a read that skipped the lock.
    int unexpected_flash_outcomes = 0;
    for (int round = 0; round < kMaxFlashRounds && !imu_done; ++round) {
        uint16_t version = 0;
        char* json = nullptr;
        size_t length = 0;
        const int code = velmora_uvc_stereo_device_read_json(device, &version, &json, &length);
        // Either the session was closed at that moment, or it was open and the read refused.
        const bool expected = (code == 0 && json != nullptr) ||
                              (code == 1 && last_message() == "IMU must be closed before flash JSON access");
        if (!expected) ++unexpected_flash_outcomes;
        velmora_uvc_stereo_free(json);
    }
    imu_thread.join();
    velmora_uvc_stereo_close_device(device);
    EXPECT_EQ(imu_failures, 0) << imu_message;
    EXPECT_EQ(unexpected_flash_outcomes, 0);
}

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
