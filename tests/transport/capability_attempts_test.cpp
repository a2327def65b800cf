// The capability probe's judgement of its attempts: when it reads again, when
// it asks whether the camera is still there, and which answers make a legacy
// camera.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/transport_camera.hpp"
#include "transport/capability_attempts.hpp"

namespace velmora::uvc_stereo::transport_test {
namespace {

using detail::CapabilityAttempt;
using detail::XuProbeFailure;

detail::CapabilityReportBytes report_bytes(const std::vector<std::uint8_t>& bytes) {
    detail::CapabilityReportBytes out{};
    std::copy(bytes.begin(), bytes.end(), out.begin());
    return out;
}

CapabilityAttempt answer(std::vector<std::uint8_t> bytes) { return CapabilityAttempt::answered(report_bytes(bytes)); }

CapabilityAttempt valid() { return answer(kValidCapabilityReport); }
CapabilityAttempt zeros() { return answer(std::vector<std::uint8_t>(64, 0)); }

CapabilityAttempt bad_checksum() {
    detail::CapabilityReportBytes bytes = report_bytes(kValidCapabilityReport);
    bytes[detail::kCapabilityReportSize - 1] ^= 1u;
    return CapabilityAttempt::answered(bytes);
}

CapabilityAttempt bad_magic() {
    detail::CapabilityReportBytes bytes = report_bytes(kValidCapabilityReport);
    bytes[0] = 'X';
    return CapabilityAttempt::answered(bytes);
}

CapabilityAttempt failure(const char* call, int code) {
    return CapabilityAttempt::failed(call, code, Status(ErrorCode::BackendError, std::string(call) + " #" + std::to_string(code)));
}

TEST(CapabilityAttemptsTest, RepeatsWhatMayPassAndTakesOnlyRepeatedAnswersForLegacy) {
    const char* const node = "SonixCam_SetNodeID";
    const char* const read = "SonixCam_XuRead";
    struct Row {
        const char* name;
        std::vector<CapabilityAttempt> offered;  // what each attempt would give
        std::size_t made;                        // attempts the probe makes
        bool presence_check;
        XuProbeFailure failure;
        std::string message;
    };
    const Row rows[] = {
        {"valid report", {valid()}, 1, false, XuProbeFailure::None, ""},
        {"64 zero bytes", {zeros()}, 1, false, XuProbeFailure::NoReport, "capability XU returned an all-zero report"},
        {"not a report", {bad_magic()}, 1, false, XuProbeFailure::NoReport, "capability magic must be ASCII ZOVK"},
        {"bad checksum, then valid", {bad_checksum(), valid()}, 2, false, XuProbeFailure::None, ""},
        {"bad checksum twice", {bad_checksum(), bad_checksum()}, 2, false, XuProbeFailure::NoReport,
         "capability CRC32C mismatch"},
        {"bad checksum, then a failure", {bad_checksum(), failure(read, 5)}, 2, true, XuProbeFailure::Unsettled,
         "SonixCam_XuRead #5"},
        {"failure, then valid", {failure(read, 5), valid()}, 2, false, XuProbeFailure::None, ""},
        {"failure, then zeros", {failure(read, 8), zeros()}, 2, false, XuProbeFailure::NoReport,
         "capability XU returned an all-zero report"},
        {"failure, then a bad checksum", {failure(node, 5), bad_checksum()}, 2, false, XuProbeFailure::Unsettled,
         "capability CRC32C mismatch"},
        {"read refused twice alike", {failure(read, 5), failure(read, 5)}, 2, true, XuProbeFailure::NoReport,
         "SonixCam_XuRead #5"},
        {"unit not found twice alike", {failure(node, 4), failure(node, 4)}, 2, true, XuProbeFailure::NoReport,
         "SonixCam_SetNodeID #4"},
        {"no code twice alike", {failure(read, 0), failure(read, 0)}, 2, true, XuProbeFailure::NoReport,
         "SonixCam_XuRead #0"},
        {"timed out twice", {failure(read, 8), failure(read, 8)}, 2, true, XuProbeFailure::Unsettled,
         "SonixCam_XuRead #8"},
        {"different codes", {failure(read, 5), failure(read, 7)}, 2, true, XuProbeFailure::Unsettled,
         "SonixCam_XuRead #7"},
        {"same code, different calls", {failure(node, 5), failure(read, 5)}, 2, true, XuProbeFailure::Unsettled,
         "SonixCam_XuRead #5"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        detail::CapabilityAttempts attempts;
        std::size_t made = 0;
        while (attempts.wants_another()) {
            ASSERT_LT(made, row.offered.size()) << "more attempts than the row offers";
            attempts.add(row.offered[made++]);
        }
        EXPECT_EQ(made, row.made);
        EXPECT_EQ(attempts.needs_presence_check(), row.presence_check);
        const detail::XuCapabilityProbeResult verdict = attempts.verdict();
        EXPECT_EQ(verdict.failure, row.failure);
        EXPECT_EQ(verdict.state, row.failure == XuProbeFailure::None ? 0u : 1u);
        EXPECT_EQ(verdict.report.has_value(), row.failure == XuProbeFailure::None);
        EXPECT_EQ(verdict.status.message(), row.message);
    }
}

}  // namespace
}  // namespace velmora::uvc_stereo::transport_test
