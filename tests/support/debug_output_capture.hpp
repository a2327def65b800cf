// Collects the SDK's debugger output for assertions.
#pragma once

#include <string>
#include <vector>

namespace velmora::uvc_stereo::test_support {

// Captures every piece of debugger output while alive.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    const std::vector<std::string>& pieces() const { return pieces_; }

private:
    static void collect(const char* text, void* context);
    std::vector<std::string> pieces_;
};

}  // namespace velmora::uvc_stereo::test_support
