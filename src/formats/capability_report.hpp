// The 64-byte capability report a camera returns through its capability
// extension unit: magic "ZOVK", version, size, capability bits, the flash and
// IMU sections, and a CRC-32C.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "velmora/uvc_stereo/export.hpp"
#include "velmora/uvc_stereo/records.hpp"
#include "velmora/uvc_stereo/status.hpp"

namespace velmora::uvc_stereo::detail {

constexpr std::size_t kCapabilityReportSize = 64;
using CapabilityReportBytes = std::array<std::uint8_t, kCapabilityReportSize>;

// Why a probe gave no report. open_device decides from it whether a camera
// that sent none may be taken for a legacy camera: only one that was there
// and told it has no report.
enum class XuProbeFailure : std::uint8_t {
    None,       // a valid report was decoded
    NoReport,   // the camera is there and has none: it answered 64 bytes that
                // are no valid report, or its control failed the same way twice
    Unsettled,  // nothing tells: the camera was not reached or went away, its
                // control failed in different ways or timed out, or an
                // exception stopped the probe; opening fails
};

struct VELMORA_UVC_STEREO_API XuCapabilityProbeResult {
    std::uint32_t state = 1;  // 0: a valid report was decoded; 1: not
    std::optional<CapabilityReport> report;
    Status status;
    XuProbeFailure failure = XuProbeFailure::Unsettled;

    XuCapabilityProbeResult();
    XuCapabilityProbeResult(XuCapabilityProbeResult&&) noexcept;
    XuCapabilityProbeResult& operator=(XuCapabilityProbeResult&&) noexcept;
    ~XuCapabilityProbeResult();
};

// CRC-32C (Castagnoli, reflected 0x82F63B78); 0 for no bytes.
std::uint32_t crc32c(const std::uint8_t* data, std::size_t length);

Result<CapabilityReport> parse_xu_capability_report(const CapabilityReportBytes& bytes);

// State 1 with "capability XU returned an all-zero report" for 64 zero bytes;
// otherwise the parser's outcome as a probe result. Either failure is
// NoReport: the bytes came from the camera.
XuCapabilityProbeResult interpret_xu_capability_bytes(const CapabilityReportBytes& bytes);

}  // namespace velmora::uvc_stereo::detail
