// The process-wide vendor lock: re-entrancy, exclusion across threads, moves.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <utility>

#include "support/virtual_camera_test.hpp"
#include "vendor/sonix_global_lock.hpp"

namespace velmora::uvc_stereo::win_detail {
namespace {

using test_support::vendor_lock_free;

TEST(SonixGlobalLockTest, IsReentrantOnOneThread) {
    SonixGlobalLock outer;
    {
        SonixGlobalLock inner;  // would deadlock on a plain mutex
        EXPECT_TRUE(inner.owns_lock());
        EXPECT_TRUE(SonixGlobalLock::is_available_to_this_thread());
    }
    // Leaving the inner scope must not release the outer holding.
    EXPECT_FALSE(vendor_lock_free());
}

TEST(SonixGlobalLockTest, ExcludesOtherThreadsUntilReleased) {
    std::atomic<bool> other_entered{false};
    std::thread other;
    {
        SonixGlobalLock held;
        EXPECT_FALSE(vendor_lock_free());
        other = std::thread([&] {
            SonixGlobalLock waiting;
            other_entered = true;
        });
        // The other thread cannot get in while this one holds the lock.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        EXPECT_FALSE(other_entered.load());
    }
    other.join();
    EXPECT_TRUE(other_entered.load());
    EXPECT_TRUE(vendor_lock_free());
}

TEST(SonixGlobalLockTest, MoveConstructionHandsTheHoldingOver) {
    SonixGlobalLock source;
    SonixGlobalLock target(std::move(source));
    EXPECT_FALSE(source.owns_lock());  // NOLINT(bugprone-use-after-move)
    EXPECT_TRUE(target.owns_lock());
    {
        SonixGlobalLock dropped(std::move(target));
    }
    // Exactly one holding existed, and it went with the last owner.
    EXPECT_TRUE(vendor_lock_free());
}

TEST(SonixGlobalLockTest, MoveAssignmentReleasesTheReplacedHolding) {
    SonixGlobalLock first;
    SonixGlobalLock second;  // re-entrant: two holdings on this thread
    first = std::move(second);
    EXPECT_TRUE(first.owns_lock());
    EXPECT_FALSE(second.owns_lock());  // NOLINT(bugprone-use-after-move)
    EXPECT_FALSE(vendor_lock_free());
    {
        SonixGlobalLock last(std::move(first));
    }
    EXPECT_TRUE(vendor_lock_free());
}

TEST(SonixGlobalLockTest, SelfMoveAssignmentKeepsTheHolding) {
    {
        SonixGlobalLock lock;
        SonixGlobalLock& alias = lock;
        lock = std::move(alias);
        EXPECT_TRUE(lock.owns_lock());
    }
    EXPECT_TRUE(vendor_lock_free());
}

}  // namespace
}  // namespace velmora::uvc_stereo::win_detail
