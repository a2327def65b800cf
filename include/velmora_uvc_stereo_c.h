/** @file
 * The C interface of the velmora_uvc_stereo_sdk_c library (C99 and C++).
 *
 * Every function that can fail returns one of the VELMORA_UVC_STEREO_OK ...
 * VELMORA_UVC_STEREO_ERROR_* codes, 0 on success. Each call records its
 * outcome (success included, which clears the message) in a record of the
 * calling thread, read with velmora_uvc_stereo_last_error_message;
 * velmora_uvc_stereo_ctx_scan also records on its context. Null pointers are
 * checked first, each with its own message and code 1. No exception or C++
 * error leaves the library. Buffers the library allocates for the caller are
 * released with velmora_uvc_stereo_free. Any thread may call any function;
 * calls on one device handle run one at a time.
 *
 * The structures have fixed sizes and offsets (checked at compile time
 * below); they and the functions stay the same across minor versions. */
#ifndef VELMORA_UVC_STEREO_C_H
#define VELMORA_UVC_STEREO_C_H

#include <stddef.h>
#include <stdint.h>

/** @cond INTERNAL */
/* VELMORA_UVC_STEREO_C_BUILDING: compiling the shared C library itself.
 * VELMORA_UVC_STEREO_C_STATIC:   compiling or using a static copy (tests).
 * Neither:                       a caller of the shared library. */
#if defined(VELMORA_UVC_STEREO_C_STATIC)
#define VELMORA_UVC_STEREO_C_API
#elif defined(_WIN32)
#if defined(VELMORA_UVC_STEREO_C_BUILDING)
#define VELMORA_UVC_STEREO_C_API __declspec(dllexport)
#else
#define VELMORA_UVC_STEREO_C_API __declspec(dllimport)
#endif
#elif defined(__GNUC__)
#define VELMORA_UVC_STEREO_C_API __attribute__((visibility("default")))
#else
#define VELMORA_UVC_STEREO_C_API
#endif

#ifdef __cplusplus
extern "C" {
#endif
/** @endcond */

/* ---- Return codes (the C++ ErrorCode values) ------------------------------ */

#define VELMORA_UVC_STEREO_OK 0 /**< success */
#define VELMORA_UVC_STEREO_ERROR_INVALID_ARGUMENT 1 /**< a null pointer, a value out of range, or a call the object's state does not allow */
#define VELMORA_UVC_STEREO_ERROR_BACKEND 2 /**< a vendor call failed (the extension-unit reads of the capability report and of IMU samples among them) or a video back-end failed; also "no devices found" from the scans */
#define VELMORA_UVC_STEREO_ERROR_DEVICE_UNAVAILABLE 3 /**< no matching camera, or the camera went away; also the vendor library not starting, a camera without serial flash, and an IMU that reported it could not start */
#define VELMORA_UVC_STEREO_ERROR_READ_FAILED 4 /**< a flash read failed, the firmware version could not be read, or the IMU reported a failed read */
#define VELMORA_UVC_STEREO_ERROR_WRITE_FAILED 5 /**< a flash write failed, or read back differently */
#define VELMORA_UVC_STEREO_ERROR_ERASE_FAILED 6 /**< a flash sector erase failed */
#define VELMORA_UVC_STEREO_ERROR_BAD_MAGIC 7 /**< the flash record does not start with the expected magic (a blank flash, for example) */
#define VELMORA_UVC_STEREO_ERROR_UNSUPPORTED_VERSION 8 /**< a capability report of a major version the library does not read, which opening takes as no report; flash record versions are never refused */
#define VELMORA_UVC_STEREO_ERROR_INVALID_HEADER 9 /**< the flash record header is inconsistent */
#define VELMORA_UVC_STEREO_ERROR_INVALID_LENGTH 10 /**< a flash record's payload or total length does not fit its user space, or fewer bytes were given than its header declares */
#define VELMORA_UVC_STEREO_ERROR_CRC_MISMATCH 11 /**< a stored checksum does not match its data: a flash record's CRC-32, or the CRC-32C of a capability report read after a failed read */
#define VELMORA_UVC_STEREO_ERROR_INVALID_JSON 12 /**< the text is not one valid JSON value */
#define VELMORA_UVC_STEREO_ERROR_INTERNAL 13 /**< an unexpected failure inside the library (out of memory, for example) */
#define VELMORA_UVC_STEREO_ERROR_NOT_SUPPORTED 14 /**< the camera lacks what the call needs (flash, an IMU, firmware that allows its IMU), or it is not one of the supported models */

/* ---- OpenCV capture-API numbers of the back-ends a camera may be listed under. */
#define VELMORA_UVC_STEREO_CAP_V4L2 200 /**< Video4Linux2 (named only) */
#define VELMORA_UVC_STEREO_CAP_DSHOW 700 /**< DirectShow */
#define VELMORA_UVC_STEREO_CAP_MSMF 1400 /**< Media Foundation */
#define VELMORA_UVC_STEREO_CAP_GSTREAMER 1800 /**< GStreamer (named only) */

/* ---- Bits of velmora_uvc_stereo_open_device_options.required_capabilities. */
#define VELMORA_UVC_STEREO_REQUIRE_FLASH 1u /**< the flash must answer a one-byte read */
#define VELMORA_UVC_STEREO_REQUIRE_IMU 2u /**< accepted; the IMU is checked only when velmora_uvc_stereo_device_open_imu opens it */
#define VELMORA_UVC_STEREO_REQUIRE_FLASH_JSON 4u /**< the flash must hold a record whose payload is valid JSON (read instead of the one-byte read) */

/* ---- Values of velmora_uvc_stereo_capability_info.state. */
#define VELMORA_UVC_STEREO_CAPABILITY_UNKNOWN 0u /**< nothing known (a closed device) */
#define VELMORA_UVC_STEREO_CAPABILITY_REPORTED 1u /**< a valid capability report was read */
#define VELMORA_UVC_STEREO_CAPABILITY_LEGACY 2u /**< the camera has no capability report; legacy defaults are in use */

#define VELMORA_UVC_STEREO_MAX_OPENCV_INDICES 8 /**< capacity of velmora_uvc_stereo_device_info.opencv_indices */
#define VELMORA_UVC_STEREO_CAPABILITY_INFO_SIZE 176u /**< size of velmora_uvc_stereo_capability_info in this version */

/* ---- Opaque handles ------------------------------------------------------ */
/** A context: a flash layout given at creation and a last-error record of its
 * own, which velmora_uvc_stereo_ctx_scan writes and
 * velmora_uvc_stereo_ctx_last_error_message reads. No other function takes a
 * context, and no function reads its flash layout after creation (an open
 * device uses the layout its camera's capability report declares). */
typedef struct velmora_uvc_stereo_ctx velmora_uvc_stereo_ctx;
/** An open camera, made by velmora_uvc_stereo_open_device and released with
 * velmora_uvc_stereo_close_device. Calls on one handle run one at a time. */
typedef struct velmora_uvc_stereo_device velmora_uvc_stereo_device;

/* ---- Structures (host byte order, natural alignment, fixed sizes) -------- */

/** Flash layout of a context; 28 bytes. */
typedef struct velmora_uvc_stereo_ctx_config {
    uint32_t flash_user_space_address; /**< start of the flash user space; 0x51000 */
    uint32_t flash_sector_size;        /**< erase unit; 4096 */
    uint32_t flash_magic;              /**< magic that starts a flash record; 0x5A4F564B */
    uint32_t flash_user_space_size;    /**< size of the user space; 0x10000 */
    uint16_t min_header_size;          /**< smallest record header; 16 */
    uint16_t max_header_size;          /**< largest record header; 256 */
    int32_t verify_crc;                /**< check the payload CRC when reading (non-zero: true); 1 */
    int32_t verify_after_write;        /**< read written records back (non-zero: true); 1 */
} velmora_uvc_stereo_ctx_config;

/** One capture index of a camera under one OpenCV back-end; 8 bytes. */
typedef struct velmora_uvc_stereo_opencv_index {
    int32_t backend; /**< VELMORA_UVC_STEREO_CAP_* */
    int32_t index;   /**< the capture index under that back-end */
} velmora_uvc_stereo_opencv_index;

/** One camera; 1872 bytes. Texts are NUL-terminated UTF-8. Declared by its tag
 * alone, because velmora_uvc_stereo_device_info is also a function: write
 * "struct velmora_uvc_stereo_device_info". */
struct velmora_uvc_stereo_device_info {
    uint16_t vid;               /**< USB vendor id */
    uint16_t pid;               /**< USB product id */
    uint8_t aux_flag_0;         /**< carried unchanged, never interpreted */
    uint8_t aux_flag_1;         /**< carried unchanged, never interpreted */
    char serial_number[256];    /**< the camera's serial number (may be empty) */
    char descriptor_text[256];  /**< the camera's descriptor text */
    char name[256];             /**< the camera's product name */
    char aux_text[512];         /**< carried unchanged, never interpreted */
    char device_path[512];      /**< Windows device path */
    /* 2 bytes of padding */
    uint64_t opencv_index_count; /**< used entries of opencv_indices, 0 to 8 */
    /** The capture index under each back-end that lists the camera
     * unambiguously, in ascending back-end order. */
    velmora_uvc_stereo_opencv_index opencv_indices[VELMORA_UVC_STEREO_MAX_OPENCV_INDICES];
};

/** What velmora_uvc_stereo_open_device must verify; 4 bytes. */
typedef struct velmora_uvc_stereo_open_device_options {
    uint32_t required_capabilities; /**< VELMORA_UVC_STEREO_REQUIRE_* bits; 1 */
} velmora_uvc_stereo_open_device_options;

/** Scale values for raw IMU counts; 32 bytes. */
typedef struct velmora_uvc_stereo_imu_conversion_options {
    double temperature_offset_c;  /**< degrees Celsius at a raw 0; 25.0 */
    double temperature_lsb_per_c; /**< counts per degree Celsius; 128.0; must not be 0 */
    double accel_lsb_per_g;       /**< counts per g; 2048.0; 0 gives zero acceleration */
    double gyro_lsb_per_dps;      /**< counts per degree per second; 16.4; 0 gives zero angular rate */
} velmora_uvc_stereo_imu_conversion_options;

/** The camera's capability report as an open device knows it; 176 bytes in
 * this version. Set struct_size (velmora_uvc_stereo_capability_info_init)
 * before use; a later, larger version keeps these offsets. */
typedef struct velmora_uvc_stereo_capability_info {
    uint32_t struct_size;            /**< the caller's structure size; 176 is written back */
    uint32_t state;                  /**< VELMORA_UVC_STEREO_CAPABILITY_* */
    char message[64];                /**< why there is no report (legacy state), NUL-terminated */
    uint8_t has_report;              /**< 1 when a report was read */
    uint8_t major_version;           /**< report format, major version */
    uint8_t minor_version;           /**< report format, minor version */
    uint8_t has_flash;               /**< 1 when the report has a flash section */
    /* 4 bytes of padding */
    uint64_t capability_bits;        /**< 2: flash section, 4: IMU section */
    uint32_t flash_user_space_address; /**< start of the flash user space */
    uint32_t flash_user_space_size;  /**< size of the flash user space */
    uint8_t has_imu;                 /**< 1 when the report has an IMU section */
    char imu_model[9];               /**< IMU model, up to 8 characters and a NUL */
    uint8_t imu_xu_unit;             /**< extension unit that delivers IMU samples */
    uint8_t imu_xu_selector;         /**< control selector of the samples */
    uint8_t imu_xu_length;           /**< length of one sample transfer */
    uint8_t imu_decimal_exponent;    /**< power of ten of the reported scale values */
    /* 2 bytes of padding */
    velmora_uvc_stereo_imu_conversion_options imu_conversion; /**< the camera's own scale values */
    uint8_t reserved[32];            /**< zero; room for later versions */
} velmora_uvc_stereo_capability_info;

/** One raw IMU sample; 32 bytes. */
typedef struct velmora_uvc_stereo_read_imu_result {
    uint64_t timestamp_ns;     /**< host time at the middle of the transfer, in nanoseconds */
    uint32_t device_timestamp; /**< the camera's 20-bit sample counter */
    int16_t temperature_raw;   /**< temperature in counts */
    int16_t accel_raw[3];      /**< acceleration X, Y, Z in counts */
    int16_t gyro_raw[3];       /**< angular rate X, Y, Z in counts */
    /* 6 bytes of padding */
} velmora_uvc_stereo_read_imu_result;

/** One IMU sample in physical units; 64 bytes. */
typedef struct velmora_uvc_stereo_converted_imu_result {
    uint64_t timestamp_ns; /**< the raw sample's host time, in nanoseconds */
    double temperature_c;  /**< degrees Celsius */
    double accel_g[3];     /**< acceleration X, Y, Z in g */
    double gyro_dps[3];    /**< angular rate X, Y, Z in degrees per second */
} velmora_uvc_stereo_converted_imu_result;

/** @cond INTERNAL */
/* ---- Layout checks: these sizes and offsets are the ABI ------------------ */
#if defined(__cplusplus) && __cplusplus >= 201103L
#define VELMORA_UVC_STEREO_C_LAYOUT_CHECK(condition, name) static_assert(condition, #name)
#elif defined(__STDC_VERSION__) && __STDC_VERSION__ >= 201112L
#define VELMORA_UVC_STEREO_C_LAYOUT_CHECK(condition, name) _Static_assert(condition, #name)
#else
/* C99 has no static assertion: an array of negative size stops the build. */
#define VELMORA_UVC_STEREO_C_LAYOUT_CHECK(condition, name) \
    typedef char velmora_uvc_stereo_layout_check_##name[(condition) ? 1 : -1]
#endif

#define VELMORA_UVC_STEREO_C_OFFSET_CHECK(type, field, offset) \
    VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(type, field) == (offset), type##_##field)

VELMORA_UVC_STEREO_C_LAYOUT_CHECK(sizeof(velmora_uvc_stereo_ctx_config) == 28, ctx_config_size);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_ctx_config, flash_sector_size, 4);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_ctx_config, flash_magic, 8);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_ctx_config, flash_user_space_size, 12);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_ctx_config, min_header_size, 16);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_ctx_config, max_header_size, 18);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_ctx_config, verify_crc, 20);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_ctx_config, verify_after_write, 24);

VELMORA_UVC_STEREO_C_LAYOUT_CHECK(sizeof(velmora_uvc_stereo_opencv_index) == 8, opencv_index_size);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_opencv_index, index, 4);

VELMORA_UVC_STEREO_C_LAYOUT_CHECK(sizeof(struct velmora_uvc_stereo_device_info) == 1872, device_info_size);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, aux_flag_0) == 4, di_aux_flag_0);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, aux_flag_1) == 5, di_aux_flag_1);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, serial_number) == 6, di_serial);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, descriptor_text) == 262, di_descriptor);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, name) == 518, di_name);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, aux_text) == 774, di_aux_text);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, device_path) == 1286, di_path);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, opencv_index_count) == 1800, di_count);
VELMORA_UVC_STEREO_C_LAYOUT_CHECK(offsetof(struct velmora_uvc_stereo_device_info, opencv_indices) == 1808, di_indices);

VELMORA_UVC_STEREO_C_LAYOUT_CHECK(sizeof(velmora_uvc_stereo_open_device_options) == 4, open_device_options_size);

VELMORA_UVC_STEREO_C_LAYOUT_CHECK(sizeof(velmora_uvc_stereo_imu_conversion_options) == 32, conversion_size);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_imu_conversion_options, temperature_lsb_per_c, 8);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_imu_conversion_options, accel_lsb_per_g, 16);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_imu_conversion_options, gyro_lsb_per_dps, 24);

VELMORA_UVC_STEREO_C_LAYOUT_CHECK(sizeof(velmora_uvc_stereo_capability_info) == 176, capability_info_size);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, state, 4);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, message, 8);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, has_report, 72);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, major_version, 73);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, minor_version, 74);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, has_flash, 75);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, capability_bits, 80);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, flash_user_space_address, 88);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, flash_user_space_size, 92);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, has_imu, 96);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, imu_model, 97);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, imu_xu_unit, 106);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, imu_xu_selector, 107);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, imu_xu_length, 108);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, imu_decimal_exponent, 109);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, imu_conversion, 112);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_capability_info, reserved, 144);

VELMORA_UVC_STEREO_C_LAYOUT_CHECK(sizeof(velmora_uvc_stereo_read_imu_result) == 32, read_imu_result_size);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_read_imu_result, device_timestamp, 8);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_read_imu_result, temperature_raw, 12);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_read_imu_result, accel_raw, 14);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_read_imu_result, gyro_raw, 20);

VELMORA_UVC_STEREO_C_LAYOUT_CHECK(sizeof(velmora_uvc_stereo_converted_imu_result) == 64, converted_imu_result_size);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_converted_imu_result, temperature_c, 8);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_converted_imu_result, accel_g, 16);
VELMORA_UVC_STEREO_C_OFFSET_CHECK(velmora_uvc_stereo_converted_imu_result, gyro_dps, 40);
/** @endcond */

/* ---- Library, contexts and scanning --------------------------------------- */

/** Writes the default flash layout into *config. Null does nothing. Records
 * nothing. Thread-safe. */
VELMORA_UVC_STEREO_C_API void velmora_uvc_stereo_ctx_config_init_default(velmora_uvc_stereo_ctx_config* config);

/** Creates a context with the given flash layout (null: the defaults) and
 * stores it in *out_handle (null on failure).
 * Returns 0; 1 "out_handle is null"; 13 "out of memory" or another internal
 * failure. Thread-safe. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_ctx_create(const velmora_uvc_stereo_ctx_config* config,
                                                           velmora_uvc_stereo_ctx** out_handle);

/** Destroys a context. Null does nothing. Records nothing. Must not race with
 * other calls on the same context. */
VELMORA_UVC_STEREO_C_API void velmora_uvc_stereo_ctx_destroy(velmora_uvc_stereo_ctx* handle);

/** The message last recorded on the context (or, for a null handle, on the
 * calling thread) and its length without the NUL. The text stays owned by the
 * library and valid until the next status recorded on that context (or thread)
 * or the context's destruction; never free it. Records nothing on success.
 * Returns 0; 1 "out_message/out_message_len is null" (recorded on the thread).
 * Thread-safe; another thread's ctx_scan on the same context may replace the
 * text a previous call pointed to. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_ctx_last_error_message(velmora_uvc_stereo_ctx* handle,
                                                                       const char** out_message,
                                                                       size_t* out_message_len);

/** Scans for cameras and fills *out_device (zero-filled first) with the first
 * one. Records its outcome on the context and the thread.
 * Returns 0; 1 "handle is null" (thread only) or "out_device is null";
 * 2 "no devices found"; a scan failure's code and message; 13 internal
 * failures. Thread-safe. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_ctx_scan(velmora_uvc_stereo_ctx* handle,
                                                         struct velmora_uvc_stereo_device_info* out_device);

/** Scans for cameras and hands out an array of them, in the scan's order,
 * allocated with malloc; release it with velmora_uvc_stereo_free. On failure
 * *out_devices is null and *out_count 0.
 * Returns 0; 1 "out_devices/out_count is null"; 2 "no devices found"; a scan
 * failure's code and message; 13 "device list too large", "memory allocation
 * failed" or another internal failure. Thread-safe. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_scan_devices(struct velmora_uvc_stereo_device_info** out_devices,
                                                             size_t* out_count);

/** The calling thread's last recorded message and its length without the NUL;
 * empty after a success. The text stays owned by the library and valid until
 * the next status recorded on this thread or the thread's end; never free it.
 * Records nothing on success.
 * Returns 0; 1 "out_message/out_message_len is null". Thread-safe. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_last_error_message(const char** out_message, size_t* out_message_len);

/** Releases a buffer handed out by the library (the C run time's free). Null
 * does nothing. Records nothing. Thread-safe. */
VELMORA_UVC_STEREO_C_API void velmora_uvc_stereo_free(void* ptr);

/** Sets required_capabilities to 1 (flash). Null does nothing. Records
 * nothing. Thread-safe. */
VELMORA_UVC_STEREO_C_API void velmora_uvc_stereo_open_device_options_init_default(
    velmora_uvc_stereo_open_device_options* options);

/** Writes 25.0, 128.0, 2048.0 and 16.4. Null does nothing. Records nothing.
 * Thread-safe. */
VELMORA_UVC_STEREO_C_API void velmora_uvc_stereo_imu_conversion_options_init_default(
    velmora_uvc_stereo_imu_conversion_options* options);

/** "CAP_V4L2", "CAP_DSHOW", "CAP_MSMF", "CAP_GSTREAMER", or "CAP_UNKNOWN" for
 * any other value; static text. Records nothing. Thread-safe. */
VELMORA_UVC_STEREO_C_API const char* velmora_uvc_stereo_opencv_backend_name(int backend);

/* ---- Devices ---------------------------------------------------------------- */

/** Opens a camera described as a scan filled it (or as the caller did); options
 * null means required_capabilities 1. Every text field is read up to its
 * first NUL or the end of its array. *out_device is null on failure. The
 * camera gets the legacy layout (VELMORA_UVC_STEREO_CAPABILITY_LEGACY) only
 * when it is there and has no capability report: it answered 64 bytes that
 * are no valid report, or reading the report failed twice with the same
 * vendor call and code that is not a time-out; any other failure to read the
 * report fails the open.
 * Returns 0; 1 "out_device is null", "device is null", "device vid/pid is
 * invalid", "opencv backend index count is too large", "unsupported opencv
 * backend", "opencv backend index is negative", "duplicated opencv backend
 * entry"; the opening's own failures (codes 1 to 14); 13 "out of memory".
 * Thread-safe. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_open_device(const struct velmora_uvc_stereo_device_info* device,
                                                            const velmora_uvc_stereo_open_device_options* options,
                                                            velmora_uvc_stereo_device** out_device);

/** Closes a device, ending an open IMU session. Null does nothing. Records
 * nothing. Must not race with other calls on the same handle. */
VELMORA_UVC_STEREO_C_API void velmora_uvc_stereo_close_device(velmora_uvc_stereo_device* device);

/** Fills *out_device_info (zero-filled first) with the description the device
 * was opened with.
 * Returns 0; 1 "device is null", "out_device_info is null"; 13 "opencv
 * backend index map is too large". Serialised per handle. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_device_info(velmora_uvc_stereo_device* device,
                                                            struct velmora_uvc_stereo_device_info* out_device_info);

/** Fills the first 176 bytes of *out_info (struct_size must be at least 176;
 * 176 is written back; bytes beyond stay untouched).
 * Returns 0; 1 "device is null", "out_info is null", "capability info
 * struct_size is smaller than the current ABI structure" (nothing written).
 * Serialised per handle. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_device_capability_info(velmora_uvc_stereo_device* device,
                                                                       velmora_uvc_stereo_capability_info* out_info);

/** Sets struct_size to 176 and the other 172 bytes to 0. Null does nothing.
 * Records nothing. Thread-safe. */
VELMORA_UVC_STEREO_C_API void velmora_uvc_stereo_capability_info_init(velmora_uvc_stereo_capability_info* info);

/* ---- IMU ------------------------------------------------------------------- */

/** Opens the device's IMU session (success when one is open already). While
 * it is open the JSON functions are refused.
 * Returns 0; 1 "device is null"; 14 "IMU is not supported on this device";
 * the reader's own failures. Serialised per handle. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_device_open_imu(velmora_uvc_stereo_device* device);

/** Ends the IMU session; success also when none is open.
 * Returns 0; 1 "device is null". Serialised per handle. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_device_close_imu(velmora_uvc_stereo_device* device);

/** Reads one raw sample into *out_result (zero-filled on failure).
 * Returns 0; 1 "device is null", "out_result is null", "IMU is not open";
 * the read's failures (codes 2, 4 and others). Serialised per handle. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_device_read_imu(velmora_uvc_stereo_device* device,
                                                                velmora_uvc_stereo_read_imu_result* out_result);

/** Converts a raw sample with the given scale values (null: the defaults);
 * needs no device. *out_result is zero-filled on failure.
 * Returns 0; 1 "raw/out_result is null", "temperature_lsb_per_c must not be
 * zero". Thread-safe. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_convert_imu(const velmora_uvc_stereo_read_imu_result* raw,
                                                            const velmora_uvc_stereo_imu_conversion_options* options,
                                                            velmora_uvc_stereo_converted_imu_result* out_result);

/** Converts a raw sample with the device's own scale values; needs no IMU
 * session. *out_result is zero-filled on failure.
 * Returns 0; 1 "device/raw/out_result is null"; 14 "IMU is not supported on
 * this device". Serialised per handle. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_device_convert_imu(velmora_uvc_stereo_device* device,
                                                                   const velmora_uvc_stereo_read_imu_result* raw,
                                                                   velmora_uvc_stereo_converted_imu_result* out_result);

/* ---- Flash JSON document ------------------------------------------------- */

/** Reads the JSON document from flash, minified, into a malloc'ed
 * NUL-terminated buffer (release with velmora_uvc_stereo_free), with its
 * length without the NUL and the record's version. On failure the outs are 0,
 * null and 0.
 * Returns 0; 1 "device is null", "out_version/out_json_utf8/out_json_utf8_len
 * is null", "IMU must be closed before flash JSON access"; 14 when the
 * device declares no flash; the flash and record failures (codes 3 to 12);
 * 13 "memory allocation failed". Serialised per handle. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_device_read_json(velmora_uvc_stereo_device* device,
                                                                 uint16_t* out_version,
                                                                 char** out_json_utf8,
                                                                 size_t* out_json_utf8_len);

/** Validates, minifies and writes a JSON document to flash. A length of 0
 * takes the text up to its first NUL; otherwise exactly json_utf8_len bytes.
 * Returns 0; 1 "device is null", "json_utf8 is null", "IMU must be closed
 * before flash JSON access"; 12 invalid JSON; 14 when the device declares no
 * flash; the flash failures (codes 3 to 11). Serialised per handle. */
VELMORA_UVC_STEREO_C_API int velmora_uvc_stereo_device_write_json(velmora_uvc_stereo_device* device,
                                                                  const char* json_utf8,
                                                                  size_t json_utf8_len);

/** @cond INTERNAL */
#ifdef __cplusplus
}
#endif
/** @endcond */

#endif /* VELMORA_UVC_STEREO_C_H */
