// One table of caller-visible behaviours, run against the C++ library and
// against the header-only layer over the C library, on virtual cameras.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sonix_virtual/vcam_control.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "c_hpp/interfaces.hpp"

namespace velmora::uvc_stereo::test_support {
namespace {

constexpr const char* kClosed = "device is closed or moved-from";
constexpr const char* kFlashNotDeclared = "valid capability XU report does not declare Flash";
constexpr const char* kImuNotSupported = "IMU is not supported on this device";
constexpr const char* kImuOpen = "IMU must be closed before flash JSON access";
constexpr const char* kLegacyMessage = "Capability reporting is not supported on this device";

nlohmann::json default_scenario() { return nlohmann::json::parse(vcam_default_scenario_json()); }

void load(const nlohmann::json& scenario) {
    ASSERT_EQ(vcam_load_scenario_json(scenario.dump().c_str()), 0) << vcam_last_error();
}

// The default scenario with cam0's capability report lacking one section.
void load_cam0_without(const char* section) {
    nlohmann::json scenario = default_scenario();
    scenario["devices"][0]["capability"].erase(section);
    load(scenario);
}

struct InterfaceNames {
    template <typename Api>
    static std::string GetName(int) {
        return Api::kOverC ? "HeaderOnlyOverC" : "CppLibrary";
    }
};

template <typename Api>
class BothInterfaces : public ::testing::Test {
protected:
    using Device = typename Api::Device;

    void SetUp() override { vcam_load_default_scenario(); }
    void TearDown() override {
        EXPECT_EQ(vcam_init_depth(), 0) << "a vendor session was left open";
        vcam_load_default_scenario();
    }

    static std::vector<typename Api::DeviceInfo> scan() {
        auto scanned = Api::scan_devices();
        EXPECT_TRUE(scanned.ok()) << scanned.status().message();
        return scanned.ok() ? std::move(scanned.value()) : std::vector<typename Api::DeviceInfo>{};
    }

    // The camera with this position in the scan, opened; nullopt (and a
    // failed test) when it does not open.
    static std::optional<Device> open(std::size_t position, std::uint32_t required = 0) {
        const auto cameras = scan();
        if (position >= cameras.size()) {
            ADD_FAILURE() << "no camera " << position;
            return std::nullopt;
        }
        typename Api::OpenDeviceOptions options;
        options.required_capabilities = required;
        auto opened = Api::open_device(cameras[position], options);
        if (!opened.ok()) {
            ADD_FAILURE() << opened.status().message();
            return std::nullopt;
        }
        return std::move(opened.value());
    }
};

using Interfaces = ::testing::Types<CppLibrary, HeaderOnlyOverC>;
TYPED_TEST_SUITE(BothInterfaces, Interfaces, InterfaceNames);

#define EXPECT_STATUS(status, expected_code, expected_message)              \
    do {                                                                    \
        EXPECT_EQ((status).code(), TypeParam::ErrorCode::expected_code);    \
        EXPECT_EQ((status).message(), std::string(expected_message));       \
    } while (false)

TYPED_TEST(BothInterfaces, ScanKeepsTheCamerasThatPassTheFilter) {
    nlohmann::json scenario = default_scenario();
    scenario["devices"][1].erase("serial_number");
    load(scenario);
    using Filter = typename TypeParam::DeviceScanFilter;
    auto filter = [](std::optional<std::uint16_t> vid, std::optional<std::uint16_t> pid, bool serial) {
        Filter result;
        result.vid = vid;
        result.pid = pid;
        result.require_serial_number = serial;
        return result;
    };
    struct Row {
        const char* label;
        Filter filter;
        std::vector<std::string> serials;
    };
    const Row rows[] = {
        {"no filter", Filter{}, {"VLM643A00017", ""}},
        {"vendor id", filter(0x0C45, std::nullopt, false), {"VLM643A00017", ""}},
        {"product id", filter(std::nullopt, 0x0645, false), {""}},
        {"vendor and product id", filter(0x0C45, 0x0643, false), {"VLM643A00017"}},
        {"another vendor", filter(0x046D, std::nullopt, false), {}},
        {"serial number required", filter(std::nullopt, std::nullopt, true), {"VLM643A00017"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        auto scanned = TypeParam::scan_devices(row.filter);
        ASSERT_TRUE(scanned.ok()) << scanned.status().message();
        std::vector<std::string> serials;
        for (const auto& camera : scanned.value()) {
            serials.push_back(camera.serial_number);
            EXPECT_EQ(camera.vid, 0x0C45);
            EXPECT_NE(camera.device_path.find("vid_0c45"), std::string::npos) << camera.device_path;
        }
        EXPECT_EQ(serials, row.serials);
    }
}

// The C library reports "no devices found" as a failure; both interfaces must
// turn exactly that into an empty list, and nothing else.
TYPED_TEST(BothInterfaces, ScanWithoutCamerasIsEmptyAndRealFailuresStayFailures) {
    struct Row {
        const char* label;
        const char* library;             // the scenario's library behaviour
        bool cameras;                    // the two default cameras attached
        const char* failing_function;    // one failing vendor call, or null
        int vendor_code;
        typename TypeParam::ErrorCode code;
        std::string message;
    };
    using Code = typename TypeParam::ErrorCode;
    const Row rows[] = {
        {"no camera, enumeration fails", R"({})", false, nullptr, 0, Code::Ok, ""},
        {"no camera, enumeration succeeds", R"({"enum_fails_without_device": false})", false, nullptr, 0, Code::Ok, ""},
        {"no camera, initialisation fails", R"({"init_fails_without_device": true})", false, nullptr, 0, Code::Ok, ""},
        {"enumeration reports no device", R"({})", true, "SonixCam_EnumCameras", 4, Code::Ok, ""},
        {"initialisation fails", R"({})", true, "SonixCam_Init", 2, Code::BackendError,
         "SonixCam_Init failed: vendor_code=ecLibInitFail(2)"},
        {"initialisation fails, device gone", R"({})", true, "SonixCam_Init", 7, Code::BackendError,
         "SonixCam_Init failed: vendor_code=ecDeviceDisconnect(7)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        nlohmann::json scenario = default_scenario();
        scenario["library"] = nlohmann::json::parse(row.library);
        if (!row.cameras) {
            scenario["devices"] = nlohmann::json::array();
            scenario.erase("backends");
        }
        load(scenario);
        if (row.failing_function != nullptr) {
            ASSERT_EQ(vcam_fail_call(row.failing_function, 1, row.vendor_code), 0);
        }
        auto scanned = TypeParam::scan_devices();
        EXPECT_EQ(scanned.status().code(), row.code);
        EXPECT_EQ(scanned.status().message(), row.message);
        EXPECT_EQ(scanned.has_value(), row.code == Code::Ok);
        if (scanned.has_value()) {
            EXPECT_TRUE(scanned.value().empty());
        }
    }
}

// The C interface checks a description itself before opening, so a few texts
// (and which check wins) differ; every other refusal is the same.
TYPED_TEST(BothInterfaces, OpenRefusesBadRequests) {
    using Info = typename TypeParam::DeviceInfo;
    using Backend = typename TypeParam::OpenCvBackend;
    using Code = typename TypeParam::ErrorCode;
    const auto cameras = TestFixture::scan();
    ASSERT_EQ(cameras.size(), 2U);
    struct Row {
        const char* label;
        void (*change)(Info&);
        std::uint32_t required;
        Code code;
        const char* cpp_message;  // nullptr: opens
        const char* c_message;
    };
    const Row rows[] = {
        {"unknown requirement bit", [](Info&) {}, 8, Code::InvalidArgument,
         "open_device required_capabilities contains unknown bits",
         "open_device required_capabilities contains unknown bits"},
        {"model not in the whitelist", [](Info& i) { i.pid = 0x1234; }, 1, Code::NotSupported,
         "selected device vid/pid is not in the scan whitelist",
         "selected device vid/pid is not in the scan whitelist"},
        {"vendor id 0", [](Info& i) { i.vid = 0; }, 1, Code::InvalidArgument, "selected device has invalid vid/pid",
         "device vid/pid is invalid"},
        {"vendor id 0 and an unknown bit", [](Info& i) { i.vid = 0; }, 8, Code::InvalidArgument,
         "open_device required_capabilities contains unknown bits", "device vid/pid is invalid"},
        {"nine back-ends",
         [](Info& i) {
             for (int backend = 1; backend <= 9; ++backend) i.opencv_indices[static_cast<Backend>(backend)] = 0;
         },
         0, Code::InvalidArgument, nullptr, "opencv backend index count is too large"},
        {"unknown back-end", [](Info& i) { i.opencv_indices[static_cast<Backend>(5)] = 0; }, 0, Code::InvalidArgument,
         nullptr, "unsupported opencv backend"},
        {"negative index", [](Info& i) { i.opencv_indices[Backend::CAP_MSMF] = -1; }, 0, Code::InvalidArgument,
         nullptr, "opencv backend index is negative"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Info info = cameras[0];
        row.change(info);
        typename TypeParam::OpenDeviceOptions options;
        options.required_capabilities = row.required;
        auto opened = TypeParam::open_device(info, options);
        const char* message = TypeParam::kOverC ? row.c_message : row.cpp_message;
        if (message == nullptr) {
            EXPECT_TRUE(opened.ok()) << opened.status().message();
        } else {
            EXPECT_EQ(opened.status().code(), row.code);
            EXPECT_EQ(opened.status().message(), message);
            EXPECT_FALSE(opened.has_value());
        }
    }
}

TYPED_TEST(BothInterfaces, OpenChecksTheRequiredCapabilities) {
    struct Row {
        const char* label;
        const char* missing_section;  // of cam0's capability report; null: none
        bool blank_flash;             // cam0's flash holds no record
        std::uint32_t required;
        const char* message;          // empty: opens
        bool flash_verified;
    };
    const Row rows[] = {
        {"nothing required", nullptr, false, 0, "", false},
        {"flash probe", nullptr, false, 1, "", true},
        {"IMU only", nullptr, false, 2, "", false},
        {"flash JSON", nullptr, false, 4, "", true},
        {"flash JSON and probe", nullptr, false, 5, "", true},
        {"flash not declared, nothing required", "flash", false, 0, "", false},
        {"flash not declared, probe", "flash", false, 1, kFlashNotDeclared, false},
        {"flash not declared, IMU only", "flash", false, 2, "", false},
        {"flash not declared, JSON", "flash", false, 4, kFlashNotDeclared, false},
        {"blank flash, probe", nullptr, true, 1, "", true},
        {"blank flash, JSON", nullptr, true, 4, "flash magic mismatch", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        nlohmann::json scenario = default_scenario();
        if (row.missing_section != nullptr) scenario["devices"][0]["capability"].erase(row.missing_section);
        if (row.blank_flash) scenario["devices"][0]["flash"]["blocks"] = nlohmann::json::array();
        load(scenario);
        const auto cameras = TestFixture::scan();
        ASSERT_FALSE(cameras.empty());
        typename TypeParam::OpenDeviceOptions options;
        options.required_capabilities = row.required;
        auto opened = TypeParam::open_device(cameras[0], options);
        EXPECT_EQ(opened.status().message(), row.message);
        if (opened.ok()) {
            EXPECT_EQ(opened.value().has_flash_transport(), row.flash_verified);
        }
    }
}

TYPED_TEST(BothInterfaces, CapabilityInfoOfAReportingAndALegacyCamera) {
    const auto cameras = TestFixture::scan();
    ASSERT_EQ(cameras.size(), 2U);
    for (std::size_t position : {0U, 1U}) {
        SCOPED_TRACE(cameras[position].name);
        auto device = TestFixture::open(position);
        ASSERT_TRUE(device);
        EXPECT_EQ(device->info().serial_number, cameras[position].serial_number);
        EXPECT_EQ(device->info().device_path, cameras[position].device_path);
        EXPECT_EQ(device->info().opencv_indices, cameras[position].opencv_indices);
        const auto& capability = device->capability_info();
        if (position == 1) {
            EXPECT_EQ(capability.state, 2);
            EXPECT_EQ(capability.message, kLegacyMessage);
            EXPECT_FALSE(capability.report);
            continue;
        }
        EXPECT_EQ(capability.state, 1);
        EXPECT_EQ(capability.message, "");
        ASSERT_TRUE(capability.report);
        EXPECT_EQ(capability.report->major_version, 1);
        EXPECT_EQ(capability.report->capability_bits & 6U, 6U);
        ASSERT_TRUE(capability.report->flash && capability.report->imu);
        EXPECT_EQ(capability.report->flash->user_space_address, 0x51000U);
        EXPECT_EQ(capability.report->flash->user_space_size, 0x10000U);
        const auto& imu = *capability.report->imu;
        EXPECT_EQ(imu.model, "IMU-A");
        EXPECT_EQ(std::vector<int>({imu.xu_unit, imu.xu_selector, imu.xu_length, imu.decimal_exponent}),
                  std::vector<int>({4, 10, 17, 1}));
        EXPECT_DOUBLE_EQ(imu.conversion.gyro_lsb_per_dps, 16.4);
    }
}

TYPED_TEST(BothInterfaces, ImuScalesComeFromTheCamera) {
    nlohmann::json scenario = default_scenario();
    scenario["devices"][0]["capability"]["imu"].update(nlohmann::json::parse(
        R"({"exponent": 2, "temperature_offset": -512, "temperature_scale": 25600, "accel_scale": 4096,
            "gyro_scale": 1312})"));
    load(scenario);
    typename TypeParam::ReadImuResult raw;
    raw.temperature_raw = 512;
    raw.accel_raw = {4096, -2048, 0};
    raw.gyro_raw = {1312, 0, -656};
    raw.timestamp_ns = 77;
    struct Row {
        std::size_t camera;
        std::vector<double> scales;  // offset, temperature, accel, gyro
    };
    for (const Row& row : {Row{0, {-5.12, 256.0, 4096.0, 13.12}}, Row{1, {25.0, 128.0, 2048.0, 16.4}}}) {
        SCOPED_TRACE(row.camera);
        auto device = TestFixture::open(row.camera);
        ASSERT_TRUE(device);
        auto scales = device->imu_conversion_options();
        ASSERT_TRUE(scales.ok()) << scales.status().message();
        EXPECT_EQ(std::vector<double>({scales.value().temperature_offset_c, scales.value().temperature_lsb_per_c,
                                       scales.value().accel_lsb_per_g, scales.value().gyro_lsb_per_dps}),
                  row.scales);
        auto by_device = device->convert_imu(raw);
        auto by_function = TypeParam::convert_imu(raw, scales.value());
        ASSERT_TRUE(by_device.ok() && by_function.ok());
        EXPECT_EQ(by_device.value().timestamp_ns, 77U);
        EXPECT_DOUBLE_EQ(by_device.value().temperature_c, by_function.value().temperature_c);
        EXPECT_EQ(by_device.value().accel_g, by_function.value().accel_g);
        EXPECT_EQ(by_device.value().gyro_dps, by_function.value().gyro_dps);
    }
}

TYPED_TEST(BothInterfaces, ACameraWithoutImuRefusesItsScalesAndSession) {
    load_cam0_without("imu");
    auto device = TestFixture::open(0);
    ASSERT_TRUE(device);
    vcam_clear_call_log();
    EXPECT_STATUS(device->imu_conversion_options().status(), NotSupported, kImuNotSupported);
    EXPECT_STATUS(device->convert_imu({}).status(), NotSupported, kImuNotSupported);
    EXPECT_STATUS(device->open_imu(), NotSupported, kImuNotSupported);
    EXPECT_EQ(vcam_call_count(), 0U) << "refused without reaching the camera";
    EXPECT_FALSE(device->has_imu_transport());
}

TYPED_TEST(BothInterfaces, ConvertImu) {
    using Options = typename TypeParam::ImuConversionOptions;
    struct Row {
        const char* label;
        Options options;
        std::int16_t temperature;
        std::int16_t motion[6];
        const char* message;
        double expected[7];  // temperature, accel, gyro
    };
    const Row rows[] = {
        {"defaults", Options{}, 1280, {2048, -1024, 0, 164, -82, 0}, "", {35.0, 1.0, -0.5, 0.0, 10.0, -5.0, 0.0}},
        {"coldest count", Options{}, -32768, {0, 0, 0, 0, 0, 0}, "", {-231.0, 0, 0, 0, 0, 0, 0}},
        {"no motion scales", Options{0.0, 1.0, 0.0, 0.0}, -7, {5, 6, 7, 8, 9, 10}, "", {-7.0, 0, 0, 0, 0, 0, 0}},
        {"zero temperature scale", Options{25.0, 0.0, 2048.0, 16.4}, 1, {1, 1, 1, 1, 1, 1},
         "temperature_lsb_per_c must not be zero", {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        typename TypeParam::ReadImuResult raw;
        raw.timestamp_ns = 123456789;
        raw.device_timestamp = 0xFFFFF;
        raw.temperature_raw = row.temperature;
        raw.accel_raw = {row.motion[0], row.motion[1], row.motion[2]};
        raw.gyro_raw = {row.motion[3], row.motion[4], row.motion[5]};
        auto converted = TypeParam::convert_imu(raw, row.options);
        EXPECT_EQ(converted.status().message(), row.message);
        if (!converted.ok()) {
            EXPECT_EQ(converted.status().code(), TypeParam::ErrorCode::InvalidArgument);
            continue;
        }
        const auto& value = converted.value();
        EXPECT_EQ(value.timestamp_ns, 123456789U);
        const double actual[7] = {value.temperature_c, value.accel_g[0],  value.accel_g[1], value.accel_g[2],
                                  value.gyro_dps[0],   value.gyro_dps[1], value.gyro_dps[2]};
        for (int i = 0; i < 7; ++i) EXPECT_DOUBLE_EQ(actual[i], row.expected[i]) << "value " << i;
    }
}

TYPED_TEST(BothInterfaces, JsonDocumentIsStoredMinified) {
    struct Row {
        const char* label;
        std::string_view text;
        typename TypeParam::ErrorCode code;
        std::string stored;  // what read_json returns afterwards
    };
    using Code = typename TypeParam::ErrorCode;
    static const char kWithNul[] = "{\"a\":1}\0}";
    static const char kLonger[] = "{\"a\":1}trailing bytes";
    const Row rows[] = {
        {"blanks around tokens", " { \"a\" : [ 1 , 2 ] } ", Code::Ok, "{\"a\":[1,2]}"},
        {"a view into a longer text", std::string_view(kLonger, 7), Code::Ok, "{\"a\":1}"},
        {"an embedded NUL", std::string_view(kWithNul, sizeof(kWithNul) - 1), Code::InvalidJson, "{\"a\":1}"},
        {"empty text", std::string_view(), Code::InvalidJson, "{\"a\":1}"},
    };
    auto device = TestFixture::open(0);
    ASSERT_TRUE(device);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        const auto written = device->write_json(row.text);
        EXPECT_EQ(written.code(), row.code) << written.message();
        if (row.text.empty()) {
            EXPECT_EQ(written.message(), "json text is empty");
        }
        const auto stored = device->read_json();
        ASSERT_TRUE(stored.ok()) << stored.status().message();
        EXPECT_EQ(stored.value().json, row.stored);
        EXPECT_EQ(stored.value().version, 0);
    }
}

// A session's rules as one sequence of calls on one device.
TYPED_TEST(BothInterfaces, ImuSessionRules) {
    auto device = TestFixture::open(0, 2);
    ASSERT_TRUE(device);
    auto& d = *device;
    using Code = typename TypeParam::ErrorCode;
    struct Step {
        const char* call;
        Code code;
        const char* message;
        int vendor_sessions;  // SonixCam_Init calls outstanding afterwards
    };
    const Step steps[] = {
        {"read_imu", Code::InvalidArgument, "IMU is not open", 0},
        {"close_imu", Code::Ok, "", 0},
        {"open_imu", Code::Ok, "", 1},
        {"open_imu", Code::Ok, "", 1},
        {"read_json", Code::InvalidArgument, kImuOpen, 1},
        {"write_json", Code::InvalidArgument, kImuOpen, 1},
        {"read_imu", Code::Ok, "", 1},
        {"close_imu", Code::Ok, "", 0},
        {"read_imu", Code::InvalidArgument, "IMU is not open", 0},
        {"read_json", Code::Ok, "", 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.call);
        const std::string call = step.call;
        typename TypeParam::Status status;
        if (call == "open_imu") status = d.open_imu();
        if (call == "close_imu") status = d.close_imu();
        if (call == "read_json") status = d.read_json().status();
        if (call == "write_json") status = d.write_json("{}");
        if (call == "read_imu") {
            auto sample = d.read_imu();
            status = sample.status();
            if (sample.ok()) {
                EXPECT_LE(sample.value().device_timestamp, 0xFFFFFU);
            }
        }
        EXPECT_EQ(status.code(), step.code);
        EXPECT_EQ(status.message(), step.message);
        EXPECT_EQ(vcam_init_depth(), step.vendor_sessions);
    }
    EXPECT_TRUE(d.has_imu_transport()) << "stays true after close_imu";
}

// A moved-from Device answers by itself: no vendor call, and nothing recorded
// in the C library's last-error record of this thread.
TYPED_TEST(BothInterfaces, MovedFromDeviceAnswersWithoutTheLibrary) {
    auto device = TestFixture::open(0, 1);
    ASSERT_TRUE(device);
    const auto taken = std::move(*device);
    auto& closed = *device;
    const char* before = nullptr;
    std::size_t length = 0;
    ASSERT_EQ(velmora_uvc_stereo_last_error_message(nullptr, &length), 1);  // records a known message
    vcam_clear_call_log();

    EXPECT_STATUS(closed.read_json().status(), InvalidArgument, kClosed);
    EXPECT_STATUS(closed.write_json("{}"), InvalidArgument, kClosed);
    EXPECT_STATUS(closed.open_imu(), InvalidArgument, kClosed);
    EXPECT_STATUS(closed.read_imu().status(), InvalidArgument, kClosed);
    EXPECT_STATUS(closed.close_imu(), InvalidArgument, kClosed);
    EXPECT_STATUS(closed.imu_conversion_options().status(), InvalidArgument, kClosed);
    EXPECT_STATUS(closed.convert_imu({}).status(), InvalidArgument, kClosed);
    EXPECT_EQ(closed.info().vid, 0);
    EXPECT_EQ(closed.info().device_path, "");
    EXPECT_EQ(closed.capability_info().state, 0);
    EXPECT_FALSE(closed.capability_info().report);
    EXPECT_FALSE(closed.has_flash_transport());
    EXPECT_FALSE(closed.has_imu_transport());

    EXPECT_EQ(vcam_call_count(), 0U);
    ASSERT_EQ(velmora_uvc_stereo_last_error_message(&before, &length), 0);
    EXPECT_EQ(std::string(before, length), "out_message/out_message_len is null");
    EXPECT_TRUE(taken.has_flash_transport());
}

// The handle (and with it an open IMU session) ends with the Device that owns it.
TYPED_TEST(BothInterfaces, EndingADeviceEndsItsImuSession) {
    for (const bool assign_over : {false, true}) {
        SCOPED_TRACE(assign_over ? "assigned over" : "destroyed");
        auto device = TestFixture::open(0, 2);
        ASSERT_TRUE(device);
        ASSERT_TRUE(device->open_imu().ok());
        EXPECT_EQ(vcam_init_depth(), 1);
        if (assign_over) {
            auto other = TestFixture::open(1, 0);
            ASSERT_TRUE(other);
            *device = std::move(*other);
            EXPECT_EQ(vcam_init_depth(), 0);
            EXPECT_EQ(device->info().serial_number, "VLM645B00342");
            EXPECT_TRUE(device->read_json().ok()) << "the device taken over works";
        } else {
            device.reset();
            EXPECT_EQ(vcam_init_depth(), 0);
        }
    }
}

TYPED_TEST(BothInterfaces, StatusAndResultAreValues) {
    using Status = typename TypeParam::Status;
    Status source(TypeParam::ErrorCode::CrcMismatch, "crc32 mismatch");
    Status moved(std::move(source));
    EXPECT_EQ(moved.message(), "crc32 mismatch");
    EXPECT_EQ(source.message(), "");  // NOLINT(bugprone-use-after-move): the moved-from state is specified
    EXPECT_EQ(source.code(), TypeParam::ErrorCode::CrcMismatch);
    Status& alias = moved;
    moved = std::move(alias);
    EXPECT_EQ(moved.message(), "crc32 mismatch") << "self move-assignment keeps the message";

    typename TypeParam::template Result<typename TypeParam::ReadJsonResult> failed(moved);
    EXPECT_FALSE(failed.ok());
    EXPECT_FALSE(failed.has_value());
    EXPECT_EQ(static_cast<int>(failed.status().code()), 11);
    try {
        (void)failed.value();
        ADD_FAILURE() << "value() of a failure must throw";
    } catch (const std::bad_optional_access& error) {
        EXPECT_STREQ(error.what(), "Bad optional access");
        EXPECT_NE(dynamic_cast<const typename TypeParam::BadOptionalAccess*>(&error), nullptr);
    }
}

TYPED_TEST(BothInterfaces, BackendNames) {
    using Backend = typename TypeParam::OpenCvBackend;
    const std::pair<int, const char*> rows[] = {{200, "CAP_V4L2"},   {700, "CAP_DSHOW"},    {1400, "CAP_MSMF"},
                                                {1800, "CAP_GSTREAMER"}, {0, "CAP_UNKNOWN"}, {-1, "CAP_UNKNOWN"}};
    for (const auto& [value, name] : rows) {
        EXPECT_EQ(TypeParam::opencv_backend_name(static_cast<Backend>(value)), name) << value;
    }
}

// Beyond the table: the two interfaces give equal records for the same cameras.
template <typename Map>
std::map<int, int> by_number(const Map& indices) {
    std::map<int, int> numbers;
    for (const auto& [backend, index] : indices) numbers[static_cast<int>(backend)] = index;
    return numbers;
}

template <typename Info>
auto device_fields(const Info& i) {
    return std::make_tuple(i.vid, i.pid, i.aux_flag_0, i.aux_flag_1, i.serial_number, i.descriptor_text, i.name,
                           i.aux_text, i.device_path, by_number(i.opencv_indices));
}

template <typename Options>
std::vector<double> scale_values(const Options& o) {
    return {o.temperature_offset_c, o.temperature_lsb_per_c, o.accel_lsb_per_g, o.gyro_lsb_per_dps};
}

template <typename Capability>
auto capability_fields(const Capability& c) {
    std::vector<std::string> report;  // every report field as text, empty without one
    if (c.report) {
        const auto& r = *c.report;
        report = {std::to_string(r.major_version), std::to_string(r.minor_version), std::to_string(r.capability_bits)};
        if (r.flash) report.push_back(std::to_string(r.flash->user_space_address) + "+" +
                                      std::to_string(r.flash->user_space_size));
        if (r.imu) {
            report.push_back(r.imu->model);
            for (int byte : {r.imu->xu_unit, r.imu->xu_selector, r.imu->xu_length, r.imu->decimal_exponent}) {
                report.push_back(std::to_string(byte));
            }
            for (double scale : scale_values(r.imu->conversion)) report.push_back(std::to_string(scale));
        }
    }
    return std::make_tuple(static_cast<int>(c.state), c.message, report);
}

TEST(InterfacesAgree, OnTheRecordsOfTheDefaultCameras) {
    namespace cpp = ::velmora::uvc_stereo;
    namespace over_c = ::velmora::uvc_stereo_c;
    vcam_load_default_scenario();
    auto cpp_cameras = cpp::scan_devices();
    auto c_cameras = over_c::scan_devices();
    ASSERT_TRUE(cpp_cameras.ok() && c_cameras.ok());
    ASSERT_EQ(cpp_cameras.value().size(), 2U);
    ASSERT_EQ(c_cameras.value().size(), 2U);
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(cpp_cameras.value()[i].name);
        EXPECT_EQ(device_fields(cpp_cameras.value()[i]), device_fields(c_cameras.value()[i]));
        cpp::OpenDeviceOptions cpp_options;
        over_c::OpenDeviceOptions c_options;
        cpp_options.required_capabilities = c_options.required_capabilities = 5;
        auto cpp_device = cpp::open_device(cpp_cameras.value()[i], cpp_options);
        auto c_device = over_c::open_device(c_cameras.value()[i], c_options);
        ASSERT_TRUE(cpp_device.ok() && c_device.ok());
        EXPECT_EQ(device_fields(cpp_device.value().info()), device_fields(c_device.value().info()));
        EXPECT_EQ(capability_fields(cpp_device.value().capability_info()),
                  capability_fields(c_device.value().capability_info()));
        EXPECT_EQ(scale_values(cpp_device.value().imu_conversion_options().value()),
                  scale_values(c_device.value().imu_conversion_options().value()));
        auto cpp_json = cpp_device.value().read_json();
        auto c_json = c_device.value().read_json();
        ASSERT_TRUE(cpp_json.ok() && c_json.ok());
        EXPECT_EQ(cpp_json.value().version, c_json.value().version);
        EXPECT_EQ(cpp_json.value().json, c_json.value().json);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::test_support
