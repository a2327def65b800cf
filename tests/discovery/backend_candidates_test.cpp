// Candidate building, HRESULT failure texts and exception handling shared by
// the back-end enumerations.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "discovery/backend_candidates.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

TEST(BackendCandidatesTest, CandidateCarriesCanonicalPathAndIdentity) {
    const win_detail::WinOpenCvCameraCandidate candidate = make_backend_candidate(
        OpenCvBackend::CAP_DSHOW, 3, "Stereo Cam",
        "\\\\?\\USB#VID_0C45&PID_0643&MI_00#7&1A2B&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global");
    EXPECT_EQ(candidate.backend, OpenCvBackend::CAP_DSHOW);
    EXPECT_EQ(candidate.index, 3);
    EXPECT_EQ(candidate.name, "Stereo Cam");
    EXPECT_EQ(candidate.normalized_path, "usb#vid_0c45&pid_0643&mi_00#7&1a2b&0&0000");
    EXPECT_EQ(candidate.identity.vid, 0x0C45);
    EXPECT_EQ(candidate.identity.pid, 0x0643);
    EXPECT_EQ(candidate.identity.interface_number, "00");
    EXPECT_EQ(candidate.identity.serial_number, "7&1a2b&0&0000");
}

TEST(BackendCandidatesTest, DirectShowNameFallsBackToDescription) {
    EXPECT_EQ(dshow_display_name("Friendly", "Described"), "Friendly");
    EXPECT_EQ(dshow_display_name("", "Described"), "Described");
    EXPECT_EQ(dshow_display_name("", ""), "");
}

TEST(BackendCandidatesTest, HresultTextsUseEightUpperCaseDigits) {
    struct Row {
        const char* operation;
        std::uint32_t hresult;
        const char* expected;
    };
    const Row rows[] = {
        {"CoInitializeEx", 0x80004005u, "CoInitializeEx failed: hr=0x80004005"},
        {"MFStartup", 0xC00D36B0u, "MFStartup failed: hr=0xC00D36B0"},
        {"CreateClassEnumerator", 0x1u, "CreateClassEnumerator failed: hr=0x00000001"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        const Status status = make_hresult_status(row.operation, row.hresult);
        EXPECT_EQ(status.code(), ErrorCode::BackendError);
        EXPECT_EQ(status.message(), row.expected);
    }
}

TEST(BackendCandidatesTest, ExceptionsBecomeInternalErrors) {
    const Result<CandidateList> standard = run_backend_enumeration(
        []() -> Result<CandidateList> { throw std::runtime_error("property bag exploded"); },
        kDshowUnknownException);
    EXPECT_EQ(standard.status().code(), ErrorCode::InternalError);
    EXPECT_EQ(standard.status().message(), "property bag exploded");

    const Result<CandidateList> foreign =
        run_backend_enumeration([]() -> Result<CandidateList> { throw 42; }, kMsmfUnknownException);
    EXPECT_EQ(foreign.status().code(), ErrorCode::InternalError);
    EXPECT_EQ(foreign.status().message(), "unknown exception during MSMF backend enumeration");

    const Result<CandidateList> fine =
        run_backend_enumeration([]() -> Result<CandidateList> { return CandidateList(2); }, kMsmfUnknownException);
    ASSERT_TRUE(fine.ok());
    EXPECT_EQ(fine.value().size(), 2u);
}

}  // namespace
}  // namespace velmora::uvc_stereo::detail
