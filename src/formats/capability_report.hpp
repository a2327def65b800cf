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

// Capability bits with a section of their own.
constexpr std::uint64_t kCapabilityFlash = 2;
constexpr std::uint64_t kCapabilityImu = 4;

// Why a probe gave no report. open_device decides from it whether a camera
// that sent none may be taken for a legacy camera.
enum class XuProbeFailure : std::uint8_t {
    None,                 // a valid report was decoded
    CameraNotReached,     // Init failed, the device was not found, or
                          // SetNodeID/XuRead said the camera is gone
    ExtensionUnitFailed,  // SetNodeID or XuRead failed otherwise: how a legacy
                          // camera answers, or a passing fault of a reporting one
    NoValidReport,        // the 64 bytes hold no valid report, or an exception
};

struct VELMORA_UVC_STEREO_API XuCapabilityProbeResult {
    std::uint32_t state = 1;  // 0: a valid report was decoded; 1: not
    std::optional<CapabilityReport> report;
    Status status;
    XuProbeFailure failure = XuProbeFailure::NoValidReport;

    XuCapabilityProbeResult();
    XuCapabilityProbeResult(XuCapabilityProbeResult&&) noexcept;
    XuCapabilityProbeResult& operator=(XuCapabilityProbeResult&&) noexcept;
    ~XuCapabilityProbeResult();
};

// CRC-32C (Castagnoli, reflected 0x82F63B78); 0 for no bytes.
std::uint32_t crc32c(const std::uint8_t* data, std::size_t length);

Result<CapabilityReport> parse_xu_capability_report(const CapabilityReportBytes& bytes);

// State 1 with "capability XU returned an all-zero report" for 64 zero bytes;
// otherwise the parser's outcome as a probe result.
XuCapabilityProbeResult interpret_xu_capability_bytes(const CapabilityReportBytes& bytes);

}  // namespace velmora::uvc_stereo::detail
