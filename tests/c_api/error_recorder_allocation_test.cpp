// The error recorder when memory runs out: a message that cannot be stored is
// replaced by "out of memory", which needs no allocation. This program
// replaces the global allocation functions so that allocations can be made
// to fail on demand; it runs on its own so no other test shares them.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>

#include "allocation/replaced_allocation.hpp"
#include "c_api/context.hpp"
#include "c_api/last_error.hpp"

namespace {

std::atomic<bool> g_fail_allocations{false};

// Fails every allocation while alive.
class OutOfMemory {
public:
    OutOfMemory() { g_fail_allocations.store(true); }
    ~OutOfMemory() { g_fail_allocations.store(false); }
    OutOfMemory(const OutOfMemory&) = delete;
    OutOfMemory& operator=(const OutOfMemory&) = delete;
};

}  // namespace

void* test_allocation(std::size_t size) noexcept {
    if (g_fail_allocations.load()) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

namespace velmora::uvc_stereo::c_api {
namespace {

// Longer than any short-string buffer, so storing it must allocate.
const std::string kLongMessage(200, 'm');

TEST(ErrorRecorderAllocationTest, AMessageThatCannotBeStoredReadsOutOfMemory) {
    velmora_uvc_stereo_ctx* raw_ctx = nullptr;
    ASSERT_EQ(velmora_uvc_stereo_ctx_create(nullptr, &raw_ctx), 0);  // also creates this thread's record
    const std::unique_ptr<velmora_uvc_stereo_ctx, void (*)(velmora_uvc_stereo_ctx*)> ctx(
        raw_ctx, &velmora_uvc_stereo_ctx_destroy);

    int code = 0;
    {
        const OutOfMemory no_memory;
        code = set_last_error(ctx.get(), kCodeBackendError, kLongMessage);
    }
    EXPECT_EQ(code, kCodeBackendError);
    EXPECT_EQ(thread_last_code(), kCodeBackendError);
    EXPECT_EQ(thread_last_message(), "out of memory");
    EXPECT_EQ(ctx->last_code, kCodeBackendError);
    EXPECT_EQ(ctx->last_message, "out of memory");

    // With memory back, the next message is stored whole.
    EXPECT_EQ(set_last_error(ctx.get(), kCodeBackendError, kLongMessage), kCodeBackendError);
    EXPECT_EQ(thread_last_message(), kLongMessage);
    EXPECT_EQ(ctx->last_message, kLongMessage);
}

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
