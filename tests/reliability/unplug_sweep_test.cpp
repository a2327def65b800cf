// Unplugs the camera just before every vendor call of every public operation,
// on the C++ and the C interface. Each run must end in success or a clean
// failure, leave no vendor Init (but an IMU session's) and no lock behind,
// break no rule of the vendor library, and the operation must work again once
// the camera is back. Set VELMORA_UNPLUG_MATRIX to a file name to get the
// outcomes as a Markdown matrix.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "support/c_interface.hpp"
#include "reliability_test.hpp"
#include "unplug_matrix.hpp"
#include "unplug_sweep.hpp"
#include "velmora_uvc_stereo_c.h"

namespace velmora::uvc_stereo::reliability {
namespace {

using test_support::VirtualCamera;

constexpr const char* kCamera = "cam";
const char* const kImuSample = "00 10 FF F0 00 01 7F FF 80 00 00 00 FF FF 12 34 A5";
const std::string kNewDocument = "{\"cal\":2,\"note\":\"rewritten\"}";
// Long enough for its record to span two flash sectors.
const std::string kTwoSectorDocument = "{\"cal\":3,\"pad\":\"" + std::string(5000, 'p') + "\"}";

VirtualCamera reporting_camera() {
    VirtualCamera camera(kCamera);
    camera.pid = 0x0643;  // a model whose IMU is opened only after a firmware read
    camera.imu_samples = {kImuSample};
    return camera;
}

// Probed twice when opened, then taken for a legacy camera.
VirtualCamera camera_without_capability_control() {
    VirtualCamera camera = reporting_camera();
    camera.legacy = true;
    camera.capability_control = false;
    return camera;
}

// Starting states, reached on a healthy camera.
void nothing_open(SdkClient& client) { client.close(); }

void scanned(SdkClient& client) {
    client.close();
    const Outcome listed = client.scan();
    ASSERT_TRUE(listed.status.ok()) << listed.status.message();
}

void device_open(SdkClient& client) {
    scanned(client);
    const Outcome opened = client.open(client.listed_path(kCamera), 0u);
    ASSERT_TRUE(opened.status.ok()) << opened.status.message();
}

void imu_session_open(SdkClient& client) {
    device_open(client);
    const Outcome opened = client.open_imu();
    ASSERT_TRUE(opened.status.ok()) << opened.status.message();
}

SweptOperation opening(const std::string& name, std::optional<std::uint32_t> required,
                       const VirtualCamera& camera = reporting_camera()) {
    return {name, camera, scanned,
            [required](SdkClient& client) { return client.open(client.listed_path(kCamera), required); }};
}

SweptOperation writing(const std::string& name, const std::string& document) {
    SweptOperation operation{name, reporting_camera(), device_open,
                             [document](SdkClient& client) { return client.write_json(document); }};
    operation.writes_document = true;
    return operation;
}

// The first device a context's scan finds: the C interface's other scan.
Outcome context_scan(SdkClient&) {
    velmora_uvc_stereo_ctx* context = nullptr;
    if (velmora_uvc_stereo_ctx_create(nullptr, &context) != 0) {
        return {Status(ErrorCode::InternalError, test_support::last_message()), {}};
    }
    struct velmora_uvc_stereo_device_info first {};
    const int code = velmora_uvc_stereo_ctx_scan(context, &first);
    velmora_uvc_stereo_ctx_destroy(context);
    if (code != 0) return {Status(static_cast<ErrorCode>(code), test_support::last_message()), {}};
    const std::string serial = first.serial_number[0] == '\0' ? "-" : first.serial_number;
    return {Status(), serial + " " + first.device_path + "\n"};
}

std::vector<SweptOperation> swept_operations() {
    std::vector<SweptOperation> operations = {
        {"scan", reporting_camera(), nothing_open, [](SdkClient& client) { return client.scan(); }},
        opening("open, default options", std::nullopt),
    };
    for (const std::uint32_t required : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u}) {
        operations.push_back(opening("open, required " + std::to_string(required), required));
    }
    operations.push_back(opening("open, required 5, camera without capability control", 5u,
                                 camera_without_capability_control()));
    // A library that keeps no per-device codes: an unplug during the capability
    // probe then shows only as a code-0 transfer failure, which is tried again.
    SweptOperation library_codes = opening("open, required 5, vendor codes kept library-wide only", 5u);
    library_codes.library_json = "{\"error_codes\":\"library\"}";
    operations.push_back(library_codes);
    operations.push_back({"read_json", reporting_camera(), device_open,
                          [](SdkClient& client) { return client.read_json(); }});
    operations.push_back(writing("write_json", kNewDocument));
    operations.push_back(writing("write_json, two sectors", kTwoSectorDocument));
    SweptOperation open_imu{"open_imu", reporting_camera(), device_open,
                            [](SdkClient& client) { return client.open_imu(); }};
    open_imu.session = Session::OpenedOnSuccess;
    operations.push_back(open_imu);
    SweptOperation read_imu{"read_imu", reporting_camera(), imu_session_open,
                            [](SdkClient& client) { return client.read_imu(); }};
    read_imu.session = Session::Kept;
    operations.push_back(read_imu);
    operations.push_back({"close_imu", reporting_camera(), imu_session_open,
                          [](SdkClient& client) { return client.close_imu(); }});
    operations.push_back({"close the device, IMU session open", reporting_camera(), imu_session_open,
                          [](SdkClient& client) {
                              client.close();
                              return Outcome{};
                          }});
    SweptOperation context{"scan through a context", reporting_camera(), nothing_open, context_scan};
    context.only_interface = "C";
    operations.push_back(context);
    return operations;
}

// A successful scan lists the camera, perhaps without the texts it lost
// with the unplug, or nothing; any other success returns what it returns
// on a healthy camera.
void expect_sound_success(const SweepResult& result, const Outcome& outcome, const std::string& path) {
    if (result.operation.rfind("scan", 0) != 0) {
        EXPECT_EQ(outcome.value, result.healthy.value);
        return;
    }
    if (outcome.value.empty()) return;
    EXPECT_TRUE(outcome.value == kCamera + (" " + path + "\n") || outcome.value == "- " + path + "\n")
        << outcome.value;
}

int expected_init_depth(Session session, const Outcome& outcome) {
    if (session == Session::Kept) return 1;
    if (session == Session::OpenedOnSuccess && outcome.status.ok()) return 1;
    return 0;
}

// 1-based index of the first call of function in the healthy run.
std::size_t first_index_of(const SweepResult& result, const std::string& function) {
    for (std::size_t index = 0; index < result.healthy_calls.size(); ++index) {
        if (result.healthy_calls[index] == function) return index + 1;
    }
    ADD_FAILURE() << "the healthy run made no " << function;
    return 0;
}

// The record has one copy: an unplug before the erase keeps the old document,
// one between erase and write leaves none (the read fails on the erased
// header), one after the write leaves the new document.
void expect_document_after_return(const SweepResult& result, const UnplugRun& run) {
    ASSERT_TRUE(run.read_after_return && run.read_after_repeat && result.healthy_read);
    const std::size_t erase = first_index_of(result, "SonixCam_SectorEraseSF");
    const std::size_t write = first_index_of(result, "SonixCam_WriteToSF");
    const Outcome& read = *run.read_after_return;
    if (!run.call.empty() && run.nth <= erase) {
        EXPECT_EQ(read.value, result.old_document) << read.status.message();
    } else if (!run.call.empty() && run.nth <= write) {
        const ErrorCode code = read.status.code();
        EXPECT_TRUE(code == ErrorCode::BadMagic || code == ErrorCode::InvalidHeader || code == ErrorCode::CrcMismatch)
            << read.status.message() << " " << read.value;
    } else {
        EXPECT_EQ(read, *result.healthy_read);
    }
    EXPECT_EQ(*run.read_after_repeat, *result.healthy_read);  // a write after the return restores it
}

void expect_clean_sweep(const SweepResult& result, const SweptOperation& operation, const std::string& path) {
    ASSERT_TRUE(result.healthy.status.ok()) << result.healthy.status.message();
    ASSERT_FALSE(result.runs.empty());
    EXPECT_TRUE(result.runs.back().call.empty()) << "the operation never completed before the unplug";
    EXPECT_EQ(result.runs.back().outcome, result.healthy);
    for (const UnplugRun& run : result.runs) {
        SCOPED_TRACE(::testing::Message() << "unplugged before call " << run.nth << " (" << run.call << ")");
        if (run.outcome.status.ok()) {
            expect_sound_success(result, run.outcome, path);
        } else {
            EXPECT_TRUE(is_clean_failure(run.outcome.status)) << run.outcome.status.message();
        }
        EXPECT_EQ(run.init_depth, expected_init_depth(operation.session, run.outcome));
        EXPECT_TRUE(run.lock_free);
        EXPECT_EQ(run.violations, 0u);
        EXPECT_EQ(run.repeated, result.healthy) << run.repeated.status.message();
        EXPECT_EQ(run.init_depth_after_release, 0);
        if (operation.writes_document) expect_document_after_return(result, run);
    }
}

// The C interface passes every failure on unchanged, so its runs match the
// C++ interface's call for call; only an empty scan reads differently there.
void expect_same_runs(const SweepResult& cpp, const SweepResult& c) {
    ASSERT_EQ(cpp.runs.size(), c.runs.size());
    for (std::size_t index = 0; index < cpp.runs.size(); ++index) {
        SCOPED_TRACE(::testing::Message() << "unplugged before call " << cpp.runs[index].nth);
        EXPECT_EQ(cpp.runs[index].call, c.runs[index].call);
        if (cpp.operation == "scan" && cpp.runs[index].outcome.value.empty()) continue;
        EXPECT_EQ(cpp.runs[index].outcome, c.runs[index].outcome) << c.runs[index].outcome.status.message();
    }
}

// Collects every sweep and writes the matrix when the run ends.
class MatrixWriter : public ::testing::Environment {
public:
    static std::vector<SweepResult>& results() {
        static std::vector<SweepResult> all;
        return all;
    }

    void TearDown() override {
        const char* path = std::getenv("VELMORA_UNPLUG_MATRIX");
        if (path == nullptr || *path == '\0' || results().empty()) return;
        std::ofstream(path) << render_unplug_matrix(results());
    }
};

::testing::Environment* const kMatrixWriter = ::testing::AddGlobalTestEnvironment(new MatrixWriter);

class UnplugSweepTest : public ReliabilityTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(UnplugSweepTest, EveryRunEndsCleanlyAndTheOperationWorksOnceTheCameraIsBack) {
    const SweptOperation operation = swept_operations()[GetParam()];
    test_support::load_cameras({operation.camera}, operation.library_json);
    const std::string path = test_support::scanned_camera(kCamera).device_path;

    std::vector<SweepResult> results;
    for (const auto make_client : {&make_cpp_client, &make_c_client}) {
        const std::unique_ptr<SdkClient> client = make_client();
        if (operation.only_interface && std::string(operation.only_interface) != client->interface_name()) continue;
        SCOPED_TRACE(client->interface_name());
        results.push_back(sweep_unplugs(*client, operation));
        expect_clean_sweep(results.back(), operation, path);
    }
    if (results.size() == 2) expect_same_runs(results[0], results[1]);
    for (SweepResult& result : results) MatrixWriter::results().push_back(std::move(result));
}

std::string operation_test_name(const ::testing::TestParamInfo<std::size_t>& info) {
    const std::string operation = swept_operations()[info.param].name;
    std::string name;
    for (const char c : operation) {
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
        else if (!name.empty() && name.back() != '_') name += '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, UnplugSweepTest, ::testing::Range<std::size_t>(0, swept_operations().size()),
                         operation_test_name);

}  // namespace
}  // namespace velmora::uvc_stereo::reliability
