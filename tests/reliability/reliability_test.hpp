// The fixture of the reliability tests: the shared fixture, with the device
// layer's fixed pauses skipped (nothing here measures them).
#pragma once

#include "core/test_control.hpp"
#include "support/virtual_camera_test.hpp"

namespace velmora::uvc_stereo::reliability {

class ReliabilityTest : public test_support::VirtualCameraTest {
protected:
    void SetUp() override { test_control::set_pauses_skipped(true); }
    void TearDown() override {
        test_control::set_pauses_skipped(false);
        test_support::VirtualCameraTest::TearDown();
    }
};

}  // namespace velmora::uvc_stereo::reliability
