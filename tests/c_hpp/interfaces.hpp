// The two C++ interfaces as types, so one test source runs against both: the
// C++ library (velmora::uvc_stereo) and the header-only layer over the C
// library (velmora::uvc_stereo_c). Each type re-exports the same names; code
// that compiles against one and not the other fails here first.
#pragma once

#include <velmora/uvc_stereo.hpp>
#include <velmora/uvc_stereo_c.hpp>

#include <initializer_list>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace velmora::uvc_stereo::test_support {

#define VELMORA_TEST_INTERFACE(Name, ns, over_c)                                                        \
    struct Name {                                                                                       \
        static constexpr bool kOverC = over_c;                                                         \
        using ErrorCode = ns::ErrorCode;                                                               \
        using Status = ns::Status;                                                                     \
        template <typename T>                                                                          \
        using Result = ns::Result<T>;                                                                  \
        using BadOptionalAccess = ns::BadOptionalAccess;                                               \
        using OpenCvBackend = ns::OpenCvBackend;                                                       \
        using DeviceInfo = ns::DeviceInfo;                                                             \
        using DeviceScanFilter = ns::DeviceScanFilter;                                                 \
        using OpenDeviceOptions = ns::OpenDeviceOptions;                                               \
        using DeviceCapabilityInfo = ns::DeviceCapabilityInfo;                                         \
        using CapabilityReport = ns::CapabilityReport;                                                 \
        using ReportedFlashInfo = ns::ReportedFlashInfo;                                               \
        using ReportedImuInfo = ns::ReportedImuInfo;                                                   \
        using ImuConversionOptions = ns::ImuConversionOptions;                                         \
        using ReadImuResult = ns::ReadImuResult;                                                       \
        using ConvertedImuResult = ns::ConvertedImuResult;                                             \
        using ReadJsonResult = ns::ReadJsonResult;                                                     \
        using Device = ns::Device;                                                                     \
        static Result<std::vector<DeviceInfo>> scan_devices() { return ns::scan_devices(); }           \
        static Result<std::vector<DeviceInfo>> scan_devices(const DeviceScanFilter& filter) {          \
            return ns::scan_devices(filter);                                                           \
        }                                                                                              \
        static Result<Device> open_device(const DeviceInfo& info, const OpenDeviceOptions& options = {}) { \
            return ns::open_device(info, options);                                                     \
        }                                                                                              \
        static Result<ConvertedImuResult> convert_imu(const ReadImuResult& raw,                        \
                                                      const ImuConversionOptions& options) {           \
            return ns::convert_imu(raw, options);                                                      \
        }                                                                                              \
        static std::string_view opencv_backend_name(OpenCvBackend backend) noexcept {                  \
            return ns::opencv_backend_name(backend);                                                   \
        }                                                                                              \
    }

VELMORA_TEST_INTERFACE(CppLibrary, ::velmora::uvc_stereo, false);
VELMORA_TEST_INTERFACE(HeaderOnlyOverC, ::velmora::uvc_stereo_c, true);
#undef VELMORA_TEST_INTERFACE

// The members of Device with the C++ library's exact signatures; a layer that
// drifts (a lost const, another return type) stops compiling.
template <typename Api>
struct DeviceSignatures {
    using D = typename Api::Device;
    template <typename T>
    using R = typename Api::template Result<T>;

    static_assert(!std::is_copy_constructible_v<D> && !std::is_copy_assignable_v<D>);
    static_assert(std::is_nothrow_move_constructible_v<D> && std::is_nothrow_move_assignable_v<D>);
    static_assert(!std::is_default_constructible_v<D>);
    static_assert(std::is_same_v<decltype(&D::info), const typename Api::DeviceInfo& (D::*)() const>);
    static_assert(
        std::is_same_v<decltype(&D::capability_info), const typename Api::DeviceCapabilityInfo& (D::*)() const>);
    static_assert(std::is_same_v<decltype(&D::has_flash_transport), bool (D::*)() const>);
    static_assert(std::is_same_v<decltype(&D::has_imu_transport), bool (D::*)() const>);
    static_assert(std::is_same_v<decltype(&D::read_json), R<typename Api::ReadJsonResult> (D::*)()>);
    static_assert(std::is_same_v<decltype(&D::write_json), typename Api::Status (D::*)(std::string_view)>);
    static_assert(std::is_same_v<decltype(&D::open_imu), typename Api::Status (D::*)()>);
    static_assert(std::is_same_v<decltype(&D::read_imu), R<typename Api::ReadImuResult> (D::*)()>);
    static_assert(std::is_same_v<decltype(&D::close_imu), typename Api::Status (D::*)()>);
    static_assert(
        std::is_same_v<decltype(&D::imu_conversion_options), R<typename Api::ImuConversionOptions> (D::*)() const>);
    static_assert(std::is_same_v<decltype(&D::convert_imu), R<typename Api::ConvertedImuResult> (D::*)(
                                                                 const typename Api::ReadImuResult&) const>);
    static constexpr bool kChecked = true;
};
static_assert(DeviceSignatures<CppLibrary>::kChecked && DeviceSignatures<HeaderOnlyOverC>::kChecked);

// Codes and back-end numbers are the same numbers in both interfaces.
template <typename Enum>
constexpr bool same_numbers(std::initializer_list<std::pair<Enum, int>> values) {
    for (const auto& [value, number] : values) {
        if (static_cast<int>(value) != number) return false;
    }
    return true;
}
#define VELMORA_TEST_ERROR_CODES(ns)                                                                               \
    same_numbers<ns::ErrorCode>({{ns::ErrorCode::Ok, 0},                  {ns::ErrorCode::InvalidArgument, 1},     \
                                 {ns::ErrorCode::BackendError, 2},        {ns::ErrorCode::DeviceUnavailable, 3},   \
                                 {ns::ErrorCode::ReadFailed, 4},          {ns::ErrorCode::WriteFailed, 5},         \
                                 {ns::ErrorCode::EraseFailed, 6},         {ns::ErrorCode::BadMagic, 7},            \
                                 {ns::ErrorCode::UnsupportedVersion, 8},  {ns::ErrorCode::InvalidHeader, 9},       \
                                 {ns::ErrorCode::InvalidLength, 10},      {ns::ErrorCode::CrcMismatch, 11},        \
                                 {ns::ErrorCode::InvalidJson, 12},        {ns::ErrorCode::InternalError, 13},      \
                                 {ns::ErrorCode::NotSupported, 14}})
#define VELMORA_TEST_BACKENDS(ns)                                                                                  \
    same_numbers<ns::OpenCvBackend>({{ns::OpenCvBackend::CAP_V4L2, 200}, {ns::OpenCvBackend::CAP_DSHOW, 700},     \
                                     {ns::OpenCvBackend::CAP_MSMF, 1400}, {ns::OpenCvBackend::CAP_GSTREAMER, 1800}})
static_assert(VELMORA_TEST_ERROR_CODES(::velmora::uvc_stereo) && VELMORA_TEST_ERROR_CODES(::velmora::uvc_stereo_c));
static_assert(VELMORA_TEST_BACKENDS(::velmora::uvc_stereo) && VELMORA_TEST_BACKENDS(::velmora::uvc_stereo_c));
#undef VELMORA_TEST_ERROR_CODES
#undef VELMORA_TEST_BACKENDS

}  // namespace velmora::uvc_stereo::test_support
