// One session with the vendor camera library, for the raw answers of a camera
// that the SDK's interface decodes or does not give at all.
//
// Why the tool reads these through the vendor library itself instead of
// re-encoding them from the C++ interface: the interface decodes what it reads
// and drops exactly what a faithful copy of a camera needs: the byte order of
// the id descriptor, the serial-flash type, failing descriptor queries, reports
// and flash records that do not validate, IMU sentinel answers and bytes past
// 17. Re-encoding would need an encoder per format and would still lose those
// cases. The calls go through the core's vendor room (the tool links the core
// statically), so they keep the SDK's rules: the process-wide lock is held
// for the whole session, one Init is balanced by the destructor, and the
// failure texts are the SDK's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <velmora/uvc_stereo/records.hpp>
#include <velmora/uvc_stereo/status.hpp>

#include "vendor/vendor_calls.hpp"

namespace velmora::stereo_tool {

class VendorSession {
public:
    VendorSession();
    VendorSession(const VendorSession&) = delete;
    VendorSession& operator=(const VendorSession&) = delete;

    // Finds the vendor record of a scanned camera again: the same device path
    // and, when the scan gave one, the same serial number.
    uvc_stereo::Status attach(const uvc_stereo::DeviceInfo& device);

    // The texts of the vendor record itself (name at byte 2, path at byte 514).
    std::string record_name() const;
    std::string record_path() const;

    // The raw answers; nullopt when the query failed.
    std::optional<std::array<std::uint8_t, 4>> id_bytes();
    std::optional<std::string> descriptor_text(std::uint8_t selector);  // bytes before the first NUL
    std::optional<std::string> firmware_version();                      // bytes before the first NUL
    std::optional<std::uint32_t> serial_flash_type();

    // Selects the vendor extension unit on node unit (once per unit).
    uvc_stereo::Status select_unit(std::uint8_t unit);
    uvc_stereo::Result<std::vector<std::uint8_t>> read_control(std::uint8_t unit, std::uint8_t selector,
                                                               std::uint8_t length);
    // Reads in pieces of at most 64 KiB.
    uvc_stereo::Result<std::vector<std::uint8_t>> read_flash(std::uint32_t address, std::uint32_t length);

private:
    uvc_stereo::win_detail::VendorSession session_;  // first: the lock outlives every call below
    uvc_stereo::Status initialised_;
    bool attached_ = false;
    std::vector<std::uint8_t> selected_units_;
    uvc_stereo::vendor::DeviceRecord record_;
};

}  // namespace velmora::stereo_tool
