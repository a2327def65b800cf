// A successful IMU read allocates nothing: counted with a replacement global
// operator new that counts only while armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "sonix_camera.h"
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

constexpr int kReads = 200;

// Allocations made by kReads reader reads, counted from an emptied call log.
std::size_t count_reader_allocations(detail::ImuReader& reader, bool& all_ok) {
    vcam_clear_call_log();
    all_ok = true;
    AllocationCounter counter;
    for (int i = 0; i < kReads; ++i) {
        Result<ReadImuResult> sample = reader.read();
        all_ok = all_ok && sample.ok();
    }
    return counter.stop();
}

// The same number of bare vendor transfers from the same call-log state: what
// the vendor library (here the virtual camera, which logs every call)
// allocates by itself.
std::size_t count_vendor_allocations(SonixLib::scDevice_t& device, bool& all_ok) {
    std::uint8_t buffer[17] = {};
    const detail::ImuTransportConfig transport;
    vcam_clear_call_log();
    all_ok = true;
    AllocationCounter counter;
    for (int i = 0; i < kReads; ++i) {
        all_ok = SonixCam_XuRead(&device, buffer, transport.xu_length, transport.xu_selector, transport.xu_unit) &&
                 all_ok;
    }
    return counter.stop();
}

TEST_F(ImuAllocationTest, SuccessfulReadsAllocateNothingBeyondTheVendorLibrary) {
    CameraOptions camera;
    camera.imu_samples = {kImuSample};
    load_camera(camera);
    Result<detail::ImuReader> opened = detail::open_imu_platform(camera_info(), detail::ImuTransportConfig());
    ASSERT_TRUE(opened.ok()) << opened.status().message();
    detail::ImuReader& reader = opened.value();
    ASSERT_TRUE(reader.read().ok());  // first use creates the process-wide lock

    // The reader keeps the library initialised, so the records can be listed.
    std::vector<SonixLib::scDevice_t> records(SonixLib::kMaxEnumeratedCameras);
    std::uint32_t count = 0;
    ASSERT_TRUE(SonixCam_EnumCameras(&count, records.data(), SonixLib::kMaxEnumeratedCameras));
    ASSERT_EQ(count, 1u);

    bool reads_ok = false;
    bool transfers_ok = false;
    const std::size_t vendor = count_vendor_allocations(records[0], transfers_ok);
    const std::size_t sdk_and_vendor = count_reader_allocations(reader, reads_ok);
    ASSERT_TRUE(transfers_ok);
    ASSERT_TRUE(reads_ok);
    EXPECT_EQ(sdk_and_vendor, vendor);
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
