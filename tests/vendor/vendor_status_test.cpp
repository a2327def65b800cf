// Vendor error codes turned into statuses, with the code set by the virtual
// camera's fault injection.
#include <gtest/gtest.h>

#include <string>

#include "vendor/vendor_status.hpp"
#include "support/transport_camera.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

using VendorStatusTest = VcamTest;

TEST_F(VendorStatusTest, MessageNamesTheOperationAndTheVendorCode) {
    struct Row {
        int vendor_code;
        const char* operation;
        std::string message;
    };
    const Row rows[] = {
        {0, "SonixCam_Init", "SonixCam_Init failed: vendor_code=ecUnknow(0)"},
        {4, "SonixCam_Init", "SonixCam_Init failed: vendor_code=ecNotFindDevice(4)"},
        {7, "SonixCam_Init", "SonixCam_Init failed: vendor_code=ecDeviceDisconnect(7)"},
        {21, "SonixCam_Init", "SonixCam_Init failed: vendor_code=ecUnknowPowerOnAreaInSF(21)"},
        {22, "SonixCam_Init", "SonixCam_Init failed: vendor_code=unknown(22)"},
        {-5, "SonixCam_Init", "SonixCam_Init failed: vendor_code=unknown(-5)"},
        {2, nullptr, "Sonix API failed: vendor_code=ecLibInitFail(2)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, row.vendor_code), 0);
        EXPECT_FALSE(SonixCam_Init());
        const Status status = win_detail::make_vendor_status(ErrorCode::BackendError, row.operation, nullptr);
        EXPECT_EQ(status.code(), ErrorCode::BackendError);
        EXPECT_EQ(status.message(), row.message);
    }
}

TEST_F(VendorStatusTest, UnreadableCodeCountsAsZero) {
    ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, 7), 0);
    EXPECT_FALSE(SonixCam_Init());
    ASSERT_EQ(vcam_fail_call("SonixCam_GetErrorCode", 1, 3), 0);
    EXPECT_EQ(win_detail::get_vendor_error_code(nullptr), 0);
}

TEST_F(VendorStatusTest, MessageIsCutAt255Characters) {
    ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, 7), 0);
    EXPECT_FALSE(SonixCam_Init());
    const std::string operation(300, 'o');
    const Status status = win_detail::make_vendor_status(ErrorCode::ReadFailed, operation.c_str(), nullptr);
    EXPECT_EQ(status.message(), std::string(255, 'o'));
}

TEST(VendorErrorTest, OnlyNotFindDeviceMeansNoDevice) {
    EXPECT_TRUE(win_detail::is_no_device_error(4));
    for (const int code : {0, 3, 5, 7, -4}) {
        SCOPED_TRACE(code);
        EXPECT_FALSE(win_detail::is_no_device_error(code));
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test
