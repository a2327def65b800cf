/* A caller of the C library built the way Visual C++ builds one: compiled for
 * the MSVC ABI (clang --target=x86_64-pc-windows-msvc, which also checks the
 * header's structure layouts under that ABI), without any C run time, and
 * linked by a Microsoft-compatible linker (lld-link) against the archive's
 * velmora_uvc_stereo_sdk_c.lib. Its exit status is the number of failed
 * checks, against the virtual camera's two built-in cameras. */
#include <velmora_uvc_stereo_c.h>

__declspec(dllimport) void __stdcall ExitProcess(unsigned int exit_code);

static unsigned int failures = 0;

static void check(int passed) {
    if (!passed) ++failures;
}

static int texts_equal(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) {
        ++a;
        ++b;
    }
    return *a == *b;
}

static void use_first_camera(const struct velmora_uvc_stereo_device_info* info) {
    velmora_uvc_stereo_device* device = 0;
    uint16_t version = 99;
    char* json = 0;
    size_t json_length = 0;
    check(velmora_uvc_stereo_open_device(info, 0, &device) == VELMORA_UVC_STEREO_OK && device != 0);
    if (device == 0) return;
    check(velmora_uvc_stereo_device_read_json(device, &version, &json, &json_length) == VELMORA_UVC_STEREO_OK);
    check(json != 0 && json_length > 2 && json[0] == '{' && json[json_length] == '\0');
    velmora_uvc_stereo_free(json);
    velmora_uvc_stereo_close_device(device);
}

void mainCRTStartup(void) {
    struct velmora_uvc_stereo_device_info* devices = 0;
    size_t count = 0;
    check(texts_equal(velmora_uvc_stereo_opencv_backend_name(VELMORA_UVC_STEREO_CAP_MSMF), "CAP_MSMF"));
    check(velmora_uvc_stereo_scan_devices(&devices, &count) == VELMORA_UVC_STEREO_OK);
    check(count == 2);
    if (devices != 0 && count == 2) {
        check(devices[0].vid == 0x0C45 && devices[1].pid == 0x0645);
        check(texts_equal(devices[0].serial_number, "VLM643A00017"));
        use_first_camera(&devices[0]);
    }
    velmora_uvc_stereo_free(devices);
    ExitProcess(failures);
}
