/* Walks the whole C interface against the virtual camera's default scenario
 * (two cameras: one with a capability report, one legacy), as a C99 caller. */
#include <velmora_uvc_stereo_c.h>

#include <stdio.h>
#include <string.h>

static int checks_run = 0;
static int checks_failed = 0;

static const char* last_message(void) {
    const char* text = NULL;
    size_t length = 0;
    if (velmora_uvc_stereo_last_error_message(&text, &length) != 0) return "<getter failed>";
    return text;
}

static int check(int passed, const char* what, int line) {
    ++checks_run;
    if (!passed) {
        ++checks_failed;
        fprintf(stderr, "line %d: check failed: %s (last error: \"%s\")\n", line, what, last_message());
    }
    return passed;
}

#define CHECK(condition) check((condition) ? 1 : 0, #condition, __LINE__)

static int message_is_empty(void) { return last_message()[0] == '\0'; }

static void walk_context(void) {
    velmora_uvc_stereo_ctx_config config;
    velmora_uvc_stereo_ctx* ctx = NULL;
    struct velmora_uvc_stereo_device_info first;
    const char* text = NULL;
    size_t length = 99;

    velmora_uvc_stereo_ctx_config_init_default(&config);
    CHECK(config.flash_user_space_address == 0x51000u && config.verify_crc == 1);
    CHECK(velmora_uvc_stereo_ctx_create(&config, &ctx) == VELMORA_UVC_STEREO_OK && ctx != NULL);
    CHECK(velmora_uvc_stereo_ctx_scan(ctx, &first) == VELMORA_UVC_STEREO_OK);
    CHECK(first.vid != 0 && first.pid != 0 && first.name[0] != '\0');
    CHECK(velmora_uvc_stereo_ctx_last_error_message(ctx, &text, &length) == 0 && length == 0 && text[0] == '\0');
    CHECK(velmora_uvc_stereo_ctx_scan(ctx, NULL) == VELMORA_UVC_STEREO_ERROR_INVALID_ARGUMENT);
    CHECK(velmora_uvc_stereo_ctx_last_error_message(ctx, &text, &length) == 0 &&
          strcmp(text, "out_device is null") == 0 && length == strlen("out_device is null"));
    velmora_uvc_stereo_ctx_destroy(ctx);
}

static void walk_json(velmora_uvc_stereo_device* device) {
    uint16_t version = 7;
    char* json = NULL;
    size_t length = 0;
    char* again = NULL;
    size_t again_length = 0;

    CHECK(velmora_uvc_stereo_device_read_json(device, &version, &json, &length) == VELMORA_UVC_STEREO_OK);
    if (json == NULL) return;
    CHECK(length > 0 && json[length] == '\0' && strlen(json) == length);
    /* Written back unchanged, once up to its NUL and once with its length. */
    CHECK(velmora_uvc_stereo_device_write_json(device, json, 0) == VELMORA_UVC_STEREO_OK && message_is_empty());
    CHECK(velmora_uvc_stereo_device_write_json(device, json, length) == VELMORA_UVC_STEREO_OK);
    CHECK(velmora_uvc_stereo_device_read_json(device, &version, &again, &again_length) == VELMORA_UVC_STEREO_OK);
    CHECK(version == 0 && again != NULL && again_length == length && memcmp(again, json, length) == 0);
    CHECK(velmora_uvc_stereo_device_write_json(device, "{\"a\": ", 0) == VELMORA_UVC_STEREO_ERROR_INVALID_JSON);
    velmora_uvc_stereo_free(again);
    velmora_uvc_stereo_free(json);
}

static void walk_imu(velmora_uvc_stereo_device* device) {
    velmora_uvc_stereo_read_imu_result raw;
    velmora_uvc_stereo_converted_imu_result by_device;
    velmora_uvc_stereo_converted_imu_result by_defaults;
    uint16_t version = 0;
    char* json = (char*)&version;
    size_t length = 5;
    int sample;

    CHECK(velmora_uvc_stereo_device_open_imu(device) == VELMORA_UVC_STEREO_OK);
    CHECK(velmora_uvc_stereo_device_read_json(device, &version, &json, &length) ==
          VELMORA_UVC_STEREO_ERROR_INVALID_ARGUMENT);
    CHECK(strcmp(last_message(), "IMU must be closed before flash JSON access") == 0);
    CHECK(json == NULL && length == 0);
    velmora_uvc_stereo_free(json); /* null after a failure: harmless */
    for (sample = 0; sample < 3; ++sample) {
        CHECK(velmora_uvc_stereo_device_read_imu(device, &raw) == VELMORA_UVC_STEREO_OK);
        CHECK(raw.device_timestamp <= 0xFFFFFu && raw.timestamp_ns != 0);
        CHECK(velmora_uvc_stereo_device_convert_imu(device, &raw, &by_device) == VELMORA_UVC_STEREO_OK);
        CHECK(velmora_uvc_stereo_convert_imu(&raw, NULL, &by_defaults) == VELMORA_UVC_STEREO_OK);
        CHECK(by_device.timestamp_ns == raw.timestamp_ns && by_defaults.timestamp_ns == raw.timestamp_ns);
    }
    CHECK(velmora_uvc_stereo_device_close_imu(device) == VELMORA_UVC_STEREO_OK);
    CHECK(velmora_uvc_stereo_device_read_imu(device, &raw) == VELMORA_UVC_STEREO_ERROR_INVALID_ARGUMENT);
    CHECK(strcmp(last_message(), "IMU is not open") == 0);
}

/* Opens one scanned camera, checks what it reports, and uses its flash and IMU. */
static unsigned walk_device(const struct velmora_uvc_stereo_device_info* scanned, int with_options) {
    velmora_uvc_stereo_open_device_options options;
    velmora_uvc_stereo_device* device = NULL;
    struct velmora_uvc_stereo_device_info info;
    velmora_uvc_stereo_capability_info capabilities;
    unsigned state;

    velmora_uvc_stereo_open_device_options_init_default(&options);
    options.required_capabilities = VELMORA_UVC_STEREO_REQUIRE_FLASH_JSON | VELMORA_UVC_STEREO_REQUIRE_IMU;
    if (!CHECK(velmora_uvc_stereo_open_device(scanned, with_options ? &options : NULL, &device) ==
               VELMORA_UVC_STEREO_OK)) {
        return 0;
    }
    CHECK(velmora_uvc_stereo_device_info(device, &info) == VELMORA_UVC_STEREO_OK);
    CHECK(memcmp(&info, scanned, sizeof(info)) == 0);
    velmora_uvc_stereo_capability_info_init(&capabilities);
    CHECK(velmora_uvc_stereo_device_capability_info(device, &capabilities) == VELMORA_UVC_STEREO_OK);
    CHECK(capabilities.struct_size == VELMORA_UVC_STEREO_CAPABILITY_INFO_SIZE);
    state = capabilities.state;
    if (state == VELMORA_UVC_STEREO_CAPABILITY_LEGACY) {
        CHECK(capabilities.has_report == 0 &&
              strcmp(capabilities.message, "Capability reporting is not supported on this device") == 0);
    } else {
        CHECK(state == VELMORA_UVC_STEREO_CAPABILITY_REPORTED && capabilities.has_report == 1);
        CHECK(capabilities.major_version == 1 && capabilities.has_flash == 1 && capabilities.has_imu == 1);
    }
    walk_json(device);
    walk_imu(device);
    velmora_uvc_stereo_close_device(device);
    return state;
}

int main(void) {
    struct velmora_uvc_stereo_device_info* devices = NULL;
    size_t count = 0;
    size_t i;
    unsigned states_seen = 0;

    walk_context();
    CHECK(velmora_uvc_stereo_scan_devices(&devices, &count) == VELMORA_UVC_STEREO_OK);
    CHECK(count == 2 && devices != NULL && message_is_empty());
    for (i = 0; i < count; ++i) {
        CHECK(devices[i].opencv_index_count <= VELMORA_UVC_STEREO_MAX_OPENCV_INDICES);
        printf("camera %u: %04x:%04x \"%s\" serial \"%s\", %u OpenCV indices\n", (unsigned)i, devices[i].vid,
               devices[i].pid, devices[i].name, devices[i].serial_number, (unsigned)devices[i].opencv_index_count);
        states_seen |= 1u << walk_device(&devices[i], (int)(i % 2));
    }
    CHECK(states_seen == ((1u << VELMORA_UVC_STEREO_CAPABILITY_REPORTED) | (1u << VELMORA_UVC_STEREO_CAPABILITY_LEGACY)));
    velmora_uvc_stereo_free(devices);
    CHECK(strcmp(velmora_uvc_stereo_opencv_backend_name(VELMORA_UVC_STEREO_CAP_MSMF), "CAP_MSMF") == 0);

    printf("c_interface_walkthrough: %d checks, %d failed\n", checks_run, checks_failed);
    return checks_failed == 0 ? 0 : 1;
}
