// HRESULT failure texts and exception handling shared by the back-end
// enumerations.
#include <gtest/gtest.h>

#include <cstdint>
#include <stdexcept>

#include "discovery/backend_candidates.hpp"

namespace velmora::uvc_stereo::detail {
namespace {

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
        const Status status = platform::make_hresult_status(row.operation, row.hresult);
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
