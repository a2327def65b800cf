// Registers virtual DirectShow video-input devices for the length of a test,
// so the real system device enumerator lists them.
#pragma once

#include <windows.h>

#include <dshow.h>

#include <string>
#include <vector>

namespace velmora::uvc_stereo::test_support {

struct VirtualVideoInput {
    std::wstring friendly_name;
    std::wstring description;  // written only when non-empty
    std::wstring device_path;
};

// Registers the devices in order under CLSID_VideoInputDeviceCategory and
// removes them again when destroyed. COM must be initialised on the thread.
class DshowRegistration {
public:
    explicit DshowRegistration(const std::vector<VirtualVideoInput>& devices);
    ~DshowRegistration();
    DshowRegistration(const DshowRegistration&) = delete;
    DshowRegistration& operator=(const DshowRegistration&) = delete;

    // Empty when every device was registered, else what failed.
    const std::string& error() const { return error_; }

private:
    bool register_one(const VirtualVideoInput& device, std::size_t ordinal);

    IFilterMapper2* mapper_ = nullptr;
    std::vector<std::pair<CLSID, std::wstring>> registered_;
    std::string error_;
};

}  // namespace velmora::uvc_stereo::test_support
