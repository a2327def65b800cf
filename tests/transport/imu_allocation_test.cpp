// A successful IMU read allocates nothing: counted with a replacement global
// operator new that counts only while armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "transport/imu_reader.hpp"
#include "vcam_support.hpp"

namespace {

std::atomic<bool> g_counting{false};
std::atomic<std::size_t> g_allocations{0};

void* counted_allocation(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return counted_allocation(size); }
void* operator new[](std::size_t size) { return counted_allocation(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }

namespace velmora::uvc_stereo::transport_test {
namespace {

class AllocationCounter {
public:
    AllocationCounter() {
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
    CameraOptions camera;
    camera.imu_samples = {{0x00, 0x10, 0xFF, 0xF0, 0x00, 0x01, 0x7F, 0xFF, 0x80, 0x00, 0x00, 0x00, 0xFF, 0xFF,
                           0x12, 0x34, 0xA5}};
    load_camera(camera);
    Result<detail::ImuReader> opened = detail::open_imu_platform(camera_info(), detail::ImuTransportConfig());
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    detail::ImuReader& reader = opened.value();
    ASSERT_TRUE(reader.read().ok());  // first use creates the process-wide lock

    std::vector<ReadImuResult> samples;
    samples.reserve(kReads);
    bool all_ok = true;
    AllocationCounter counter;
    for (int i = 0; i < kReads; ++i) {
        Result<ReadImuResult> sample = reader.read();
        all_ok = all_ok && sample.ok();
        if (sample.ok()) samples.push_back(sample.value());
    }
    const std::size_t allocations = counter.stop();

    EXPECT_TRUE(all_ok);
    EXPECT_EQ(samples.size(), static_cast<std::size_t>(kReads));
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
