// Tests of the C library's last-error records, exception boundary and contexts.
#include "c_api/last_error.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "c_api/boundary.hpp"
#include "c_api/context.hpp"
#include "support/c_interface.hpp"
#include "platform/thread_local_slot.hpp"

namespace velmora::uvc_stereo::c_api {
namespace {

using test_support::last_message;
using test_support::record_some_failure;

std::string context_message(velmora_uvc_stereo_ctx* ctx) {
    const char* text = nullptr;
    size_t length = 0;
    if (velmora_uvc_stereo_ctx_last_error_message(ctx, &text, &length) != 0) return "<getter failed>";
    return std::string(text, length);
}

struct ContextDeleter {
    void operator()(velmora_uvc_stereo_ctx* ctx) const { velmora_uvc_stereo_ctx_destroy(ctx); }
};
using ContextPtr = std::unique_ptr<velmora_uvc_stereo_ctx, ContextDeleter>;

ContextPtr make_context(const velmora_uvc_stereo_ctx_config* config = nullptr) {
    velmora_uvc_stereo_ctx* ctx = nullptr;
    EXPECT_EQ(velmora_uvc_stereo_ctx_create(config, &ctx), 0);
    return ContextPtr(ctx);
}

TEST(CodeMapping, KnownCodesPassAndOthersBecomeInternalError) {
    for (int value = 0; value <= 14; ++value) {
        SCOPED_TRACE(value);
        EXPECT_EQ(map_code(static_cast<ErrorCode>(value)), value);
    }
    for (const int value : {-1, 15, 99, 0x7FFFFFFF}) {
        SCOPED_TRACE(value);
        EXPECT_EQ(map_code(static_cast<ErrorCode>(value)), 13);
    }
}

TEST(LastError, SuccessClearsTheThreadsMessage) {
    record_some_failure();
    ASSERT_EQ(last_message(), "out_handle is null");
    ContextPtr ctx = make_context();
    EXPECT_EQ(last_message(), "");
    EXPECT_EQ(thread_last_code(), 0);
}

TEST(LastError, GettersRecordOnlyTheirOwnFailures) {
    record_some_failure();
    EXPECT_EQ(last_message(), "out_handle is null");
    EXPECT_EQ(last_message(), "out_handle is null");  // reading did not clear it
    size_t length = 0;
    EXPECT_EQ(velmora_uvc_stereo_last_error_message(nullptr, &length), 1);
    EXPECT_EQ(last_message(), "out_message/out_message_len is null");
}

TEST(LastError, EachThreadSeesOnlyItsOwnRecord) {
    record_some_failure();
    std::string fresh_thread_message;
    std::string other_thread_message;
    std::thread fresh([&] { fresh_thread_message = last_message(); });
    fresh.join();
    std::thread failing([&] {
        velmora_uvc_stereo_scan_devices(nullptr, nullptr);
        other_thread_message = last_message();
    });
    failing.join();
    EXPECT_EQ(fresh_thread_message, "");
    EXPECT_EQ(other_thread_message, "out_devices/out_count is null");
    EXPECT_EQ(last_message(), "out_handle is null");
}

TEST(Context, ScanWithANullHandleRecordsOnTheThreadOnly) {
    ContextPtr ctx = make_context();
    EXPECT_EQ(velmora_uvc_stereo_ctx_scan(ctx.get(), nullptr), 1);
    EXPECT_EQ(context_message(ctx.get()), "out_device is null");
    struct velmora_uvc_stereo_device_info device;
    EXPECT_EQ(velmora_uvc_stereo_ctx_scan(nullptr, &device), 1);
    EXPECT_EQ(context_message(ctx.get()), "out_device is null");
    EXPECT_EQ(context_message(nullptr), "handle is null");
}

TEST(Context, NullConfigurationEqualsTheDefaultInitialiser) {
    velmora_uvc_stereo_ctx_config defaults;
    std::memset(&defaults, 0xEE, sizeof(defaults));
    velmora_uvc_stereo_ctx_config_init_default(&defaults);
    const velmora_uvc_stereo_ctx_config expected = {0x51000, 4096, 0x5A4F564B, 0x10000, 16, 256, 1, 1};
    EXPECT_EQ(std::memcmp(&defaults, &expected, sizeof(defaults)), 0);

    ContextPtr from_null = make_context(nullptr);
    const FlashConfig& config = from_null->config;
    EXPECT_EQ(config.flash_user_space_address, defaults.flash_user_space_address);
    EXPECT_EQ(config.flash_sector_size, defaults.flash_sector_size);
    EXPECT_EQ(config.flash_magic, defaults.flash_magic);
    EXPECT_EQ(config.flash_user_space_size, defaults.flash_user_space_size);
    EXPECT_EQ(config.min_header_size, defaults.min_header_size);
    EXPECT_EQ(config.max_header_size, defaults.max_header_size);
    EXPECT_TRUE(config.verify_crc && config.verify_after_write);

    defaults.verify_crc = 2;  // any non-zero value is true
    defaults.verify_after_write = 0;
    defaults.flash_user_space_address = 0x70000;
    ContextPtr custom = make_context(&defaults);
    EXPECT_TRUE(custom->config.verify_crc);
    EXPECT_FALSE(custom->config.verify_after_write);
    EXPECT_EQ(custom->config.flash_user_space_address, 0x70000u);
    EXPECT_TRUE(custom->config.auto_select);
}

// An exception whose what() gives no text at all.
struct SilentException : std::exception {
    const char* what() const noexcept override { return nullptr; }
};

struct ThrowCase {
    const char* name;
    AllocationFailureText allocation_text;
    std::function<int()> body;
    const char* expected_message;
};

TEST(Boundary, ExceptionsBecomeInternalErrorOnTheThreadAndTheContext) {
    const std::vector<ThrowCase> cases = {
        {"bad_alloc, named", AllocationFailureText::OutOfMemory, []() -> int { throw std::bad_alloc(); },
         "out of memory"},
        {"bad_alloc, what", AllocationFailureText::WhatText, []() -> int { throw std::bad_alloc(); },
         std::bad_alloc().what()},
        {"std::exception", AllocationFailureText::OutOfMemory, []() -> int { throw std::runtime_error("boom"); },
         "boom"},
        {"bad optional access", AllocationFailureText::WhatText,
         []() -> int { return Result<int>(Status(ErrorCode::ReadFailed, "x")).value(); }, "Bad optional access"},
        {"not an exception", AllocationFailureText::WhatText, []() -> int { throw 42; }, "unknown exception"},
        {"what() is null", AllocationFailureText::WhatText, []() -> int { throw SilentException(); },
         "unknown exception"},
    };
    ContextPtr ctx = make_context();
    for (const ThrowCase& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(guarded_call(ctx.get(), row.allocation_text, row.body), 13);
        EXPECT_EQ(last_message(), row.expected_message);
        EXPECT_EQ(context_message(ctx.get()), row.expected_message);
    }
}

std::atomic<int> destroyed_values{0};
void count_destruction(void* value) {
    delete static_cast<int*>(value);
    ++destroyed_values;
}

TEST(ThreadLocalSlot, ValuesAreDestroyedWhenTheirThreadEndsAndWithTheSlot) {
    destroyed_values = 0;
    {
        platform::ThreadLocalSlot slot(&count_destruction);
        ASSERT_TRUE(slot.valid());
        ASSERT_TRUE(slot.set(new int(1)));
        void* seen_by_other = &slot;
        std::thread other([&] {
            seen_by_other = slot.get();
            slot.set(new int(2));
        });
        other.join();
        EXPECT_EQ(seen_by_other, nullptr);
        EXPECT_EQ(destroyed_values.load(), 1);  // the other thread's value
        EXPECT_EQ(*static_cast<int*>(slot.get()), 1);
    }
    EXPECT_EQ(destroyed_values.load(), 2);  // this thread's value, with the slot
}

}  // namespace
}  // namespace velmora::uvc_stereo::c_api
