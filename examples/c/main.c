/* Example: list the cameras, open the first, read its JSON document and a few
 * IMU samples in physical units, through the C interface. */
#include <velmora_uvc_stereo_c.h>

#include <stdio.h>
#include <string.h>

#define SAMPLES_TO_READ 5

/* The calling thread's last recorded message (empty after a success). */
static const char* last_message(void) {
    const char* message = "";
    size_t length = 0;
    velmora_uvc_stereo_last_error_message(&message, &length);
    return message;
}

/* Prints the last error with its code. */
static int fail(int code) {
    fprintf(stderr, "error: %s (code %d)\n", last_message(), code);
    return 1;
}

static void print_devices(const struct velmora_uvc_stereo_device_info* devices, size_t count) {
    size_t i;
    uint64_t j;
    printf("%lu camera(s) found\n", (unsigned long)count);
    for (i = 0; i < count; ++i) {
        printf("  %04x:%04x  %s  serial %s\n", devices[i].vid, devices[i].pid, devices[i].name,
               devices[i].serial_number);
        for (j = 0; j < devices[i].opencv_index_count; ++j) {
            const velmora_uvc_stereo_opencv_index* entry = &devices[i].opencv_indices[j];
            printf("    OpenCV: index %d under %s (%d)\n", entry->index,
                   velmora_uvc_stereo_opencv_backend_name(entry->backend), entry->backend);
        }
    }
}

static int read_imu_samples(velmora_uvc_stereo_device* device) {
    velmora_uvc_stereo_read_imu_result raw;
    velmora_uvc_stereo_converted_imu_result sample;
    int code;
    int i;
    if ((code = velmora_uvc_stereo_device_open_imu(device)) != VELMORA_UVC_STEREO_OK) return fail(code);
    for (i = 0; i < SAMPLES_TO_READ; ++i) {
        if ((code = velmora_uvc_stereo_device_read_imu(device, &raw)) != VELMORA_UVC_STEREO_OK) return fail(code);
        if ((code = velmora_uvc_stereo_device_convert_imu(device, &raw, &sample)) != VELMORA_UVC_STEREO_OK) {
            return fail(code);
        }
        printf("IMU %d: %.2f C  accel %.3f %.3f %.3f g  gyro %.2f %.2f %.2f dps\n", i, sample.temperature_c,
               sample.accel_g[0], sample.accel_g[1], sample.accel_g[2], sample.gyro_dps[0], sample.gyro_dps[1],
               sample.gyro_dps[2]);
    }
    if ((code = velmora_uvc_stereo_device_close_imu(device)) != VELMORA_UVC_STEREO_OK) return fail(code);
    return 0;
}

static int use_device(velmora_uvc_stereo_device* device) {
    uint16_t version = 0;
    char* json = NULL;
    size_t json_length = 0;
    int code = velmora_uvc_stereo_device_read_json(device, &version, &json, &json_length);
    if (code != VELMORA_UVC_STEREO_OK) return fail(code);
    printf("JSON document (record version %u, %lu bytes): %s\n", (unsigned)version, (unsigned long)json_length, json);
    velmora_uvc_stereo_free(json);
    return read_imu_samples(device);
}

int main(void) {
    struct velmora_uvc_stereo_device_info* devices = NULL;
    size_t count = 0;
    velmora_uvc_stereo_device* device = NULL;
    int result;
    int code = velmora_uvc_stereo_scan_devices(&devices, &count);
    if (code == VELMORA_UVC_STEREO_ERROR_BACKEND && strcmp(last_message(), "no devices found") == 0) {
        /* The C interface reports an empty scan as code 2, "no devices found". */
        printf("0 camera(s) found\n");
        return 0;
    }
    if (code != VELMORA_UVC_STEREO_OK) return fail(code);
    print_devices(devices, count);

    /* NULL options: the flash must answer (required_capabilities 1). */
    code = velmora_uvc_stereo_open_device(&devices[0], NULL, &device);
    velmora_uvc_stereo_free(devices);
    if (code != VELMORA_UVC_STEREO_OK) return fail(code);
    result = use_device(device);
    velmora_uvc_stereo_close_device(device);
    return result;
}
