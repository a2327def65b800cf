// The pieces of the Linux camera library that need no camera: what errno
// values mean, where the lock files lie and how they exclude, and the texts
// of records and descriptor answers.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <algorithm>
#include <string>
#include <vector>

#include "camera_lock.hpp"
#include "control_query.hpp"
#include "record_text.hpp"
#include "sonix_camera.h"

namespace sonix_uvcvideo {
namespace {

TEST(ErrnoTableTest, UnplugTimeOutAndRefusalAreTold) {
    const struct {
        int error;
        std::int32_t query;  // from a control query
        std::int32_t open;   // from opening the capture node
    } rows[] = {
        {ENODEV, SonixLib::ecDeviceDisconnect, SonixLib::ecDeviceDisconnect},
        {ESHUTDOWN, SonixLib::ecDeviceDisconnect, SonixLib::ecGetKsControlFail},
        {ETIMEDOUT, SonixLib::ecSyncTransTimeOut, SonixLib::ecGetKsControlFail},
        // ENOENT from a query is "no such control", from open "no such node".
        {ENOENT, SonixLib::ecGetKsControlFail, SonixLib::ecDeviceDisconnect},
        {EPROTO, SonixLib::ecGetKsControlFail, SonixLib::ecGetKsControlFail},
        {ENXIO, SonixLib::ecGetKsControlFail, SonixLib::ecDeviceDisconnect},
        {EACCES, SonixLib::ecGetKsControlFail, SonixLib::ecNotFindDevice},
        {EPERM, SonixLib::ecGetKsControlFail, SonixLib::ecNotFindDevice},
        {EBUSY, SonixLib::ecGetKsControlFail, SonixLib::ecGetKsControlFail},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.error);
        EXPECT_EQ(vendor_code_for_query_errno(row.error), row.query);
        EXPECT_EQ(vendor_code_for_open_errno(row.error), row.open);
    }
}

TEST(CameraLockTest, FoldersPreferTheUsersRuntimeFolder) {
    using Folders = std::vector<std::string>;
    EXPECT_EQ(lock_folders("/run/user/1000"), (Folders{"/run/user/1000", "/run/lock", "/tmp"}));
    EXPECT_EQ(lock_folders(nullptr), (Folders{"/run/lock", "/tmp"}));
    EXPECT_EQ(lock_folders(""), (Folders{"/run/lock", "/tmp"}));
    EXPECT_EQ(lock_folders("relative/folder"), (Folders{"/run/lock", "/tmp"}));
    EXPECT_EQ(lock_file_name("1-1.2"), "velmora-uvc-stereo-usb-1-1.2.lock");
    EXPECT_EQ(lock_file_name("../x y"), "velmora-uvc-stereo-usb-.._x_y.lock");
}

class ScopedRuntimeFolder {
public:
    explicit ScopedRuntimeFolder(const char* value) {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        if (old != nullptr) old_ = old;
        had_ = old != nullptr;
        if (value != nullptr) ::setenv("XDG_RUNTIME_DIR", value, 1);
    }
    ~ScopedRuntimeFolder() {
        if (had_) {
            ::setenv("XDG_RUNTIME_DIR", old_.c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
    }

private:
    std::string old_;
    bool had_ = false;
};

TEST(CameraLockTest, TwoOpensInOneProcessExcludeEachOther) {
    char folder[] = "/tmp/velmora-lock-test-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    {
        const ScopedRuntimeFolder runtime(folder);
        const int first = open_lock_file("9-9");
        const int second = open_lock_file("9-9");
        ASSERT_GE(first, 0);
        ASSERT_GE(second, 0);
        struct stat info {};
        EXPECT_EQ(::stat((std::string(folder) + "/velmora-uvc-stereo-usb-9-9.lock").c_str(), &info), 0);
        {
            const ScopedCameraLock held(first);
            EXPECT_NE(::flock(second, LOCK_EX | LOCK_NB), 0);
            EXPECT_EQ(errno, EWOULDBLOCK);
        }
        EXPECT_EQ(::flock(second, LOCK_EX | LOCK_NB), 0) << "released when the lock ends";
        ::close(first);
        ::close(second);
    }
    ::unlink((std::string(folder) + "/velmora-uvc-stereo-usb-9-9.lock").c_str());
    ::rmdir(folder);
}

TEST(CameraLockTest, AnUnusableRuntimeFolderFallsBack) {
    const ScopedRuntimeFolder runtime("/nonexistent/velmora-runtime");
    const int fd = open_lock_file("9-8");
    ASSERT_GE(fd, 0);
    ::close(fd);
    struct stat info {};
    const bool in_run_lock = ::stat("/run/lock/velmora-uvc-stereo-usb-9-8.lock", &info) == 0;
    const bool in_tmp = ::stat("/tmp/velmora-uvc-stereo-usb-9-8.lock", &info) == 0;
    EXPECT_TRUE(in_run_lock || in_tmp);
    ::unlink("/run/lock/velmora-uvc-stereo-usb-9-8.lock");
    ::unlink("/tmp/velmora-uvc-stereo-usb-9-8.lock");
    ScopedCameraLock none(-1);  // no lock file at all: nothing to hold, nothing fails
}

TEST(RecordTextTest, DescriptorTextsAreCutLikeTheVendorLibrarysAndNeverInsideACharacter) {
    const std::string long_text(70, 'x');
    const std::string accented = std::string(63, 'a') + "\xC3\xA9";  // the é would straddle byte 64
    const struct {
        const char* name;
        std::string text;
        std::size_t length;
        std::string stored;   // the bytes before the terminator (or the end)
        bool terminated;
    } rows[] = {
        {"fits, terminated", "Velmora", 64, "Velmora", true},
        {"cut at 64 bytes", long_text, 64, std::string(64, 'x'), false},
        {"cut at the caller's length", "Velmora Stereo", 4, "Velm", false},
        {"a character that would be cut is left out", accented, 64, std::string(63, 'a'), true},
        {"empty", "", 64, "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::uint8_t buffer[80];
        std::fill(std::begin(buffer), std::end(buffer), 0xA5);
        copy_descriptor_text(row.text, buffer, row.length);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(buffer), row.stored.size()), row.stored);
        const std::size_t after = row.stored.size();
        if (row.terminated) {
            EXPECT_EQ(buffer[after], 0);
        }
        const std::size_t written = after + (row.terminated ? 1 : 0);
        for (std::size_t i = written; i < sizeof(buffer); ++i) ASSERT_EQ(buffer[i], 0xA5) << "byte " << i;
    }
}

TEST(RecordTextTest, DevicePathsSurviveTheRecordsUtf16) {
    const struct {
        std::string path;
        std::string read_back;
    } rows[] = {
        {"/sys/bus/usb/devices/1-1.2:1.0", "/sys/bus/usb/devices/1-1.2:1.0"},
        {"/sys/bus/usb/devices/caf\xC3\xA9-\xF0\x9F\x93\xB7", "/sys/bus/usb/devices/caf\xC3\xA9-\xF0\x9F\x93\xB7"},
        {"bad \xFF byte", "bad \xEF\xBF\xBD byte"},
        {std::string(400, 'p'), std::string(305, 'p')},  // the record holds 305 units and a terminator
    };
    for (const auto& row : rows) {
        SonixLib::scDevice_t record;
        fill_record(record, "Camera", row.path);
        EXPECT_EQ(record_device_path(record), row.read_back);
        EXPECT_EQ(record.name[0], u'C');
    }
}

}  // namespace
}  // namespace sonix_uvcvideo
