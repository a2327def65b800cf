// The SDK's own cost per IMU read and per flash record read, on a virtual
// camera with no device latency (so the vendor side costs next to nothing).
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "sonix_camera.h"
#include "sonix_virtual/vcam_control.h"
#include "transport/imu_reader.hpp"
#include "velmora/uvc_stereo/flash_record.hpp"
#include "velmora/uvc_stereo/flash_transport.hpp"

namespace {

using namespace velmora::uvc_stereo;

constexpr const char* kScenario = R"({"devices":[{
  "id":"bench","vid":"0x0C45","pid":"0x0643","name":"Bench Cam",
  "device_path":"\\\\?\\usb#vid_0c45&pid_0643&mi_00#7&1&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global",
  "serial_number":"BENCH-1",
  "imu":{"length":17,"samples":["00 10 FF F0 00 01 7F FF 80 00 00 00 FF FF 12 34 A5"]}
}]})";

void load_scenario(benchmark::State& state) {
    if (vcam_load_scenario_json(kScenario) != 0) {
        state.SkipWithError(vcam_last_error());
        return;
    }
    vcam_set_latency_us(nullptr, 0);
}

DeviceInfo bench_device() {
    DeviceInfo device;
    device.vid = 0x0C45;
    device.pid = 0x0643;
    device.serial_number = "BENCH-1";
    return device;
}

void BM_ImuRead(benchmark::State& state) {
    load_scenario(state);
    Result<detail::ImuReader> opened = detail::open_imu_platform(bench_device(), detail::ImuTransportConfig());
    if (!opened.ok()) {
        state.SkipWithError(opened.status().message().c_str());
        return;
    }
    detail::ImuReader& reader = opened.value();
    for (auto _ : state) {
        Result<ReadImuResult> sample = reader.read();
        benchmark::DoNotOptimize(sample);
    }
}
BENCHMARK(BM_ImuRead);

// The bare vendor transfer that an IMU read makes: subtracted from
// BM_ImuRead it leaves the SDK's own share (lock, clock, decoding).
void BM_VendorXuReadOnly(benchmark::State& state) {
    load_scenario(state);
    Result<detail::ImuReader> opened = detail::open_imu_platform(bench_device(), detail::ImuTransportConfig());
    std::vector<SonixLib::scDevice_t> records(SonixLib::kMaxEnumeratedCameras);
    std::uint32_t count = 0;
    if (!opened.ok() || !SonixCam_EnumCameras(&count, records.data(), SonixLib::kMaxEnumeratedCameras) || count == 0) {
        state.SkipWithError("no camera");
        return;
    }
    const detail::ImuTransportConfig transport;
    std::uint8_t buffer[17] = {};
    for (auto _ : state) {
        const bool ok = SonixCam_XuRead(&records[0], buffer, transport.xu_length, transport.xu_selector,
                                        transport.xu_unit);
        benchmark::DoNotOptimize(ok);
        benchmark::DoNotOptimize(buffer);
    }
}
BENCHMARK(BM_VendorXuReadOnly);

// Record reads of growing payloads: the preview plus, for a non-empty
// payload, one read of the whole record.
void BM_FlashRecordRead(benchmark::State& state) {
    load_scenario(state);
    const FlashConfig config;
    Result<FlashBlob> built =
        build_blob(0, std::vector<std::uint8_t>(static_cast<std::size_t>(state.range(0)), '7'), config);
    if (!built.ok() ||
        vcam_flash_poke("bench", config.flash_user_space_address, built.value().raw.data(),
                        static_cast<std::uint32_t>(built.value().raw.size())) != 0) {
        state.SkipWithError("could not place the record");
        return;
    }
    for (auto _ : state) {
        Result<FlashBlob> blob = read_blob_from_device(config);
        if (!blob.ok()) {
            state.SkipWithError(blob.status().message().c_str());
            break;
        }
        benchmark::DoNotOptimize(blob);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_FlashRecordRead)->Arg(0)->Arg(256)->Arg(4096)->Arg(65536 - 16);

}  // namespace
