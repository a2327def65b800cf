// Opening a camera while memory runs out at each allocation in turn: an
// exception inside the capability probe fails the open, and never turns a
// reporting camera into a legacy one. This program replaces the global
// allocation functions, so it runs on its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "allocation/replaced_allocation.hpp"
#include "sonix_virtual/vcam_control.h"
#include "support/virtual_camera.hpp"
#include "support/virtual_camera_test.hpp"
#include "velmora/uvc_stereo/device.hpp"

namespace {

// Counts down the allocations; the one that reaches zero fails.
std::atomic<long> g_allocations_left{-1};
std::atomic<bool> g_failed{false};

}  // namespace

void* test_allocation(std::size_t size) noexcept {
    if (g_allocations_left.load() > 0 && g_allocations_left.fetch_sub(1) == 1) {
        g_failed.store(true);
        return nullptr;
    }
    return std::malloc(size == 0 ? 1 : size);
}

namespace velmora::uvc_stereo {
namespace {

using test_support::VirtualCamera;

constexpr std::uint8_t kReported = 1;
constexpr std::uint8_t kLegacy = 2;
// More allocations than one open makes: the sweep must end by itself.
constexpr long kMaxRuns = 5000;

struct Tally {
    long runs = 0;
    long probe_exceptions = 0;  // opens failed with the probe's InternalError
};

// Opens the camera with the nth allocation failing, for n = 1, 2, ... until an
// open makes fewer allocations than that.
Tally sweep_allocations(const VirtualCamera& camera, std::uint8_t healthy_state) {
    Tally tally;
    for (long nth = 1; nth <= kMaxRuns; ++nth) {
        SCOPED_TRACE(::testing::Message() << "allocation " << nth << " fails");
        test_support::load_cameras({camera});
        const DeviceInfo scanned = test_support::scanned_camera("cam");
        OpenDeviceOptions options;
        options.required_capabilities = 0;

        g_failed.store(false);
        g_allocations_left.store(nth);
        bool escaped = false;
        Status status;
        std::uint8_t state = 0;
        try {
            Result<Device> opened = open_device(scanned, options);
            status = opened.status();
            if (opened.ok()) state = opened.value().capability_info().state;
        } catch (const std::bad_alloc&) {
            escaped = true;  // outside the probe an allocation failure may leave the interface
        }
        g_allocations_left.store(-1);
        const bool failed = g_failed.load();
        tally.runs = nth;

        if (status.ok() && !escaped) {
            EXPECT_EQ(state, healthy_state);
        }
        if (status.code() == ErrorCode::InternalError) {
            EXPECT_EQ(status.message(), "std::bad_alloc");
            ++tally.probe_exceptions;
        }
        EXPECT_EQ(vcam_init_depth(), 0);
        EXPECT_TRUE(test_support::vendor_lock_free());
        if (!failed) {
            EXPECT_TRUE(status.ok()) << status.message();
            break;
        }
    }
    EXPECT_LT(tally.runs, kMaxRuns) << "the open never ran out of allocations to fail";
    return tally;
}

using OpenDeviceAllocationTest = test_support::VirtualCameraTest;

TEST_F(OpenDeviceAllocationTest, AnExceptionInTheProbeFailsTheOpenAndNeverMakesALegacyCamera) {
    VirtualCamera without_control;
    without_control.legacy = true;
    without_control.capability_control = false;
    const struct {
        const char* name;
        VirtualCamera camera;
        std::uint8_t state;
    } rows[] = {
        {"reporting camera", VirtualCamera{}, kReported},
        {"camera without the capability control", without_control, kLegacy},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Tally tally = sweep_allocations(row.camera, row.state);
        EXPECT_GT(tally.probe_exceptions, 0) << "no allocation of the probe failed in " << tally.runs << " runs";
        std::printf("%s: %ld runs, %ld probe exceptions\n", row.name, tally.runs, tally.probe_exceptions);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo
