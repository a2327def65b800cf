// The fixture of the reliability tests: the device layer's fixed pauses are
// skipped (nothing here measures them), the default scenario comes back
// afterwards, and no vendor contract violation may be left.
#pragma once

#include "device/pause.hpp"
#include "sonix_virtual/vcam_control.h"
#include "virtual_devices.hpp"

namespace velmora::uvc_stereo::reliability {

class ReliabilityTest : public testing::VirtualDeviceTest {
protected:
    void SetUp() override { detail::set_pauses_skipped(true); }
    void TearDown() override {
        detail::set_pauses_skipped(false);
        vcam_load_default_scenario();
        testing::VirtualDeviceTest::TearDown();
    }
};

}  // namespace velmora::uvc_stereo::reliability
