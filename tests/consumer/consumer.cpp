// Uses the installed package through its umbrella header.
#include <velmora/uvc_stereo.hpp>

#include <cstdio>

int main() {
    namespace uvc = velmora::uvc_stereo;
    const uvc::FlashConfig config;
    const auto blob = uvc::build_blob(0, {'{', '}'}, config);
    if (!blob.ok()) {
        std::printf("build_blob failed: %s\n", blob.status().message().c_str());
        return 1;
    }
    const auto parsed = uvc::parse_and_validate_raw_blob(blob.value().raw, config);
    std::printf("consumer: record of %zu bytes, %s\n", blob.value().raw.size(),
                parsed.ok() ? "valid" : parsed.status().message().c_str());
    return parsed.ok() ? 0 : 1;
}
