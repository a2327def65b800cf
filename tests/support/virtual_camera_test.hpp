// The fixture of every test that drives the virtual camera through the SDK:
// each test ends with the vendor library balanced, the vendor lock free, no
// contract violation left unchecked and the default scenario back.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "velmora/uvc_stereo/records.hpp"

namespace velmora::uvc_stereo::test_support {

// Whether some other thread could take the vendor lock right now (the lock is
// re-entrant, so the asking thread itself always could).
bool vendor_lock_free();

// The DeviceInfo the SDK's scan lists for the camera with this serial number;
// fails the current test when there is none.
DeviceInfo scanned_camera(const std::string& serial_number);

// A test that provokes a contract violation on purpose takes it with
// sonix_virtual::take_contract_violations.
class VirtualCameraTest : public ::testing::Test {
protected:
    VirtualCameraTest();
    void TearDown() override;
};

}  // namespace velmora::uvc_stereo::test_support
