// A successful IMU read allocates nothing: counted with a replacement global
// operator new that counts only while armed, and only the SDK's allocations.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#if !defined(_WIN32)
#include <dlfcn.h>
#endif

#include "transport/imu_reader.hpp"
#include "support/transport_camera.hpp"

namespace {

std::atomic<bool> g_counting{false};
std::atomic<std::size_t> g_allocations{0};

// The virtual camera stands in for the vendor's library and keeps a call log,
// which allocates; what it allocates is not the SDK's. On Windows it is a DLL
// with its own allocator, so its allocations never arrive here.
#if defined(_WIN32)
void remember_vendor_library() {}
bool allocated_by_vendor_library(const void*) { return false; }
#else
const void* g_vendor_library_base = nullptr;

void remember_vendor_library() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&vcam_init_depth), &info) != 0) g_vendor_library_base = info.dli_fbase;
}

bool allocated_by_vendor_library(const void* caller) {
    Dl_info info{};
    return g_vendor_library_base != nullptr && dladdr(caller, &info) != 0 && info.dli_fbase == g_vendor_library_base;
}
#endif

void* counted_allocation(std::size_t size, const void* caller) {
    if (g_counting.load(std::memory_order_relaxed) && !allocated_by_vendor_library(caller)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return counted_allocation(size, __builtin_return_address(0)); }
void* operator new[](std::size_t size) { return counted_allocation(size, __builtin_return_address(0)); }
// The replacement new takes its memory from malloc, so free is the matching
// release; GCC cannot see that once it inlines these into a delete expression.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
#pragma GCC diagnostic pop

namespace velmora::uvc_stereo::transport_test {
namespace {

class AllocationCounter {
public:
    AllocationCounter() {
        remember_vendor_library();
        g_allocations = 0;
        g_counting = true;
    }
    ~AllocationCounter() { g_counting = false; }
    std::size_t stop() {
        g_counting = false;
        return g_allocations.load();
    }
};

using ImuAllocationTest = VcamTest;

TEST_F(ImuAllocationTest, SuccessfulReadsAllocateNothing) {
    constexpr int kReads = 200;
    VirtualCamera camera = stereo_camera();
    camera.imu_samples = {hex_digits(kImuSample)};
    load_camera(camera);
    Result<detail::ImuReader> opened = detail::open_imu_platform(camera_info(), detail::ImuTransportConfig());
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    detail::ImuReader& reader = opened.value();
    ASSERT_TRUE(reader.read().ok());  // first use creates the process-wide lock

    bool all_ok = true;
    AllocationCounter counter;
    for (int i = 0; i < kReads; ++i) {
        Result<ReadImuResult> sample = reader.read();
        all_ok = all_ok && sample.ok() && sample.value().device_timestamp == 0x51234u;
    }
    const std::size_t allocations = counter.stop();
    EXPECT_TRUE(all_ok);
    EXPECT_EQ(allocations, 0u);
}

TEST_F(ImuAllocationTest, CounterSeesAllocationsWhileArmed) {
    // Guards the test above against a counter that never counts.
    AllocationCounter counter;
    auto* sink = new std::vector<int>(64);
    const std::size_t allocations = counter.stop();
    delete sink;
    EXPECT_GE(allocations, 2u);
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test
