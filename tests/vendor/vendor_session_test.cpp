// The vendor session: lock, Init, UnInit only after a successful Init, and
// the hand-off of an Init to a holder that outlives the session.
#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>

#include "sonix_virtual/vcam_control.h"
#include "vendor/vendor_session.hpp"
#include "support/transport_camera.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

using win_detail::HeldVendorInit;
using win_detail::VendorSession;

using VendorSessionTest = VcamTest;

TEST_F(VendorSessionTest, HoldsTheLockAndBalancesASuccessfulInit) {
    {
        VendorSession session;
        EXPECT_FALSE(vendor_lock_free());
        EXPECT_FALSE(session.initialized());
        ASSERT_TRUE(session.initialize(ErrorCode::DeviceUnavailable).ok());
        EXPECT_TRUE(session.initialized());
        // A second request does not initialise twice.
        EXPECT_TRUE(session.try_initialize());
        EXPECT_EQ(vcam_init_depth(), 1);
    }
    EXPECT_EQ(vcam_count_calls("SonixCam_Init"), 1u);
    EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);
    // The fixture checks the depth, the lock and the contract afterwards.
}

TEST_F(VendorSessionTest, AFailedInitIsReportedAndNeverBalanced) {
    struct Row {
        ErrorCode code;
        int vendor_code;
        const char* message;
    };
    const Row rows[] = {
        {ErrorCode::DeviceUnavailable, 2, "SonixCam_Init failed: vendor_code=ecLibInitFail(2)"},
        {ErrorCode::BackendError, 4, "SonixCam_Init failed: vendor_code=ecNotFindDevice(4)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.message);
        vcam_clear_call_log();
        ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, row.vendor_code), 0);
        {
            VendorSession session;
            const Status status = session.initialize(row.code);
            EXPECT_EQ(status.code(), row.code);
            EXPECT_EQ(status.message(), row.message);
            EXPECT_FALSE(session.initialized());
        }
        EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 0u);
    }
}

TEST_F(VendorSessionTest, AnExceptionLeavingTheScopeStillBalancesTheInit) {
    EXPECT_THROW(
        {
            VendorSession session;
            ASSERT_TRUE(session.try_initialize());
            throw std::runtime_error("operation failed half-way");
        },
        std::runtime_error);
    EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);
}

TEST_F(VendorSessionTest, AHandedOffInitOutlivesTheSessionButNotItsHolder) {
    HeldVendorInit held;
    {
        VendorSession session;
        ASSERT_TRUE(session.try_initialize());
        held = session.hand_off();
        EXPECT_FALSE(session.initialized());
    }
    // The session has released the lock without giving the Init back.
    EXPECT_TRUE(held.holds());
    EXPECT_TRUE(vendor_lock_free());
    EXPECT_EQ(vcam_init_depth(), 1);

    HeldVendorInit moved = std::move(held);
    EXPECT_FALSE(held.holds());  // a moved-from holder is empty
    EXPECT_EQ(vcam_init_depth(), 1);

    moved = HeldVendorInit();  // replacing a holder gives its Init back
    EXPECT_FALSE(moved.holds());
    EXPECT_EQ(vcam_init_depth(), 0);
    EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 1u);
}

TEST_F(VendorSessionTest, ASessionOnAHeldInitTakesTheLockButNeitherInitialisesNorUninitialises) {
    HeldVendorInit held;
    {
        VendorSession opening;
        ASSERT_TRUE(opening.try_initialize());
        held = opening.hand_off();
    }
    vcam_clear_call_log();
    {
        const VendorSession on_held(held);
        EXPECT_TRUE(on_held.initialized());
        EXPECT_FALSE(vendor_lock_free());
    }
    {
        VendorSession on_held(held);
        EXPECT_TRUE(on_held.try_initialize());  // initialised already: no second Init
        EXPECT_FALSE(on_held.hand_off().holds());  // the Init is the holder's, not the session's
    }
    EXPECT_EQ(vcam_call_count(), 0u);
    EXPECT_TRUE(vendor_lock_free());
    EXPECT_EQ(vcam_init_depth(), 1);

    // On an empty holder a session is an ordinary one.
    const HeldVendorInit empty;
    VendorSession on_empty(empty);
    EXPECT_FALSE(on_empty.initialized());
    held = HeldVendorInit();
    EXPECT_EQ(vcam_init_depth(), 0);
}

TEST_F(VendorSessionTest, NothingIsHandedOffWithoutASuccessfulInit) {
    ASSERT_EQ(vcam_fail_call("SonixCam_Init", 1, 2), 0);
    HeldVendorInit held;
    {
        VendorSession session;
        EXPECT_FALSE(session.try_initialize());
        held = session.hand_off();
    }
    EXPECT_FALSE(held.holds());
    held = HeldVendorInit();
    EXPECT_EQ(vcam_count_calls("SonixCam_UnInit"), 0u);
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test
