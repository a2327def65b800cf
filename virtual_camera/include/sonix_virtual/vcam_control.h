/* Control interface of the virtual camera (the stand-in for the vendor's
 * SonixCamera library). Tests, tools and application developers use it to set
 * up virtual devices, inject faults and read the call log; the SDK itself
 * never calls it, except on systems without COM, where the SDK's video
 * back-end enumeration looks up the lists below at run time instead of
 * asking Media Foundation and DirectShow.
 *
 * Programs that must also run against the vendor's own library (which has
 * none of these functions) look them up at run time instead of importing them.
 *
 * Devices are named by the "id" text their scenario gives them. Every
 * function is safe to call from any thread. Functions returning int return 0
 * on success and -1 on failure, with vcam_last_error() telling why. */
#ifndef SONIX_VIRTUAL_VCAM_CONTROL_H
#define SONIX_VIRTUAL_VCAM_CONTROL_H

#include <stddef.h>
#include <stdint.h>

#if defined(VCAM_CONTRACT_ONLY)
/* The contract-only build keeps the control interface inside the library: it
 * exports the vendor's functions alone. */
#define VCAM_API
#elif defined(_WIN32)
#if defined(SONIX_CAMERA_BUILDING)
#define VCAM_API __declspec(dllexport)
#else
#define VCAM_API __declspec(dllimport)
#endif
#else
#define VCAM_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Scenarios ----------------------------------------------------------
 * A scenario (JSON, format in the README beside this header) replaces every
 * device, the video back-end lists, faults, latencies and the call log. At
 * load time the library reads the file named by VCAM_SCENARIO if set, else
 * the built-in default scenario (two cameras). */
VCAM_API int vcam_load_scenario_json(const char* json_text);
VCAM_API int vcam_load_scenario_file(const char* path);
VCAM_API void vcam_load_default_scenario(void);
/* The built-in default scenario as JSON text (static storage). */
VCAM_API const char* vcam_default_scenario_json(void);
/* Why the last failing control call on this thread failed. */
VCAM_API const char* vcam_last_error(void);
/* Loads the file named by VCAM_SCENARIO again (the default scenario when the
 * variable is unset or empty), as at first use. */
VCAM_API int vcam_reload_from_environment(void);

/* ---- Devices at run time ------------------------------------------------ */
/* Attaches one device described as in a scenario's "devices" array. */
VCAM_API int vcam_attach_device_json(const char* device_json);
/* Detaches a device: it leaves enumerations, and calls made with a record of
 * it fail with ecDeviceDisconnect (7) until it is attached again. */
VCAM_API int vcam_detach_device(const char* device_id);
VCAM_API int vcam_reattach_device(const char* device_id);
/* Replaces some properties of a device: the keys of a device object. */
VCAM_API int vcam_update_device_json(const char* device_id, const char* fields_json);

/* ---- Fault injection (one-shot: each trigger disarms after firing) ------- */
/* The nth next call (1 = the next one) of function (e.g. "SonixCam_XuRead")
 * returns false and sets vendor_code as the library and device error code. */
VCAM_API int vcam_fail_call(const char* function, unsigned nth, int vendor_code);
/* The device detaches just before the nth next call of function runs. */
VCAM_API int vcam_detach_at_call(const char* device_id, const char* function, unsigned nth);
/* The nth next call of function ("SonixCam_XuRead" or
 * "SonixCam_CstmReadFromSF") succeeds, but the last byte of the data it hands
 * back has its lowest bit flipped, as by a transfer error nothing caught. */
VCAM_API int vcam_garble_call(const char* function, unsigned nth);
VCAM_API void vcam_clear_faults(void);

/* ---- Latency model (all zero by default) -------------------------------- */
/* Every call of function (NULL or "*" for all functions) takes this long. */
VCAM_API void vcam_set_latency_us(const char* function, unsigned microseconds);

/* ---- State ---------------------------------------------------------------- */
/* SonixCam_Init calls not yet balanced by SonixCam_UnInit. */
VCAM_API int vcam_init_depth(void);
/* Flash bytes as stored, bypassing NOR rules, protection and the call log. */
VCAM_API int vcam_flash_peek(const char* device_id, uint32_t address, uint8_t* out, uint32_t length);
VCAM_API int vcam_flash_poke(const char* device_id, uint32_t address, const uint8_t* data, uint32_t length);
/* 1 protected, 0 not, -1 unknown device. */
VCAM_API int vcam_flash_write_protected(const char* device_id);
/* Re-arms (1) or drops (0) the write protection, as a power cycle with the
 * protect bits set would; re-arming also locks the status register again. */
VCAM_API int vcam_flash_set_write_protected(const char* device_id, int write_protected);
/* A faulty cell: every read of address returns value, whatever is stored. */
VCAM_API int vcam_flash_set_stuck_byte(const char* device_id, uint32_t address, uint8_t value);
VCAM_API int vcam_flash_clear_stuck_bytes(const char* device_id);

/* ---- Call log ------------------------------------------------------------- */
#define VCAM_MAX_CALL_ARGS 8
typedef struct vcam_call {
    char function[40];        /* "SonixCam_CstmReadFromSF" */
    char device_id[64];       /* empty for library-wide calls */
    uint64_t args[VCAM_MAX_CALL_ARGS]; /* the scalar arguments after the record, in order */
    uint32_t arg_count;
    int32_t ok;               /* the returned flag */
    int32_t vendor_code;      /* error code set by a failing call, else 0 */
} vcam_call;

VCAM_API size_t vcam_call_count(void);
VCAM_API int vcam_call_at(size_t index, vcam_call* out);
/* Calls of one function since the log was last cleared. */
VCAM_API size_t vcam_count_calls(const char* function);
VCAM_API void vcam_clear_call_log(void);

/* ---- Contract violations ---------------------------------------------------
 * Calls the vendor library's contract does not allow, answered as before but
 * also recorded here: SonixCam_UnInit without an outstanding SonixCam_Init, a
 * call other than SonixCam_GetErrorCode before SonixCam_Init, and a device
 * record that names no device (or none given). Scenario loads keep them; only
 * vcam_clear_contract_violations() forgets them. */
typedef struct vcam_violation {
    char function[40];        /* "SonixCam_UnInit" */
    char reason[96];          /* "SonixCam_UnInit without an outstanding SonixCam_Init" */
} vcam_violation;

/* Violations since they were last cleared (exact, even beyond the kept entries). */
VCAM_API size_t vcam_contract_violation_count(void);
/* The kept entries (the latest 1000), oldest first. */
VCAM_API int vcam_contract_violation_at(size_t index, vcam_violation* out);
VCAM_API void vcam_clear_contract_violations(void);

/* ---- Video back-end lists ------------------------------------------------- */
#define VCAM_BACKEND_MSMF 0
#define VCAM_BACKEND_DSHOW 1
typedef struct vcam_backend_entry {
    char friendly_name[256];  /* UTF-8 */
    char description[256];    /* DirectShow "Description" */
    char device_path[512];    /* DirectShow "DevicePath" or MF symbolic link */
    int32_t binds;            /* DirectShow: 0 when the property bag cannot be bound */
} vcam_backend_entry;

/* 0 when the back-end enumerates, else the HRESULT its start-up fails with
 * (for example 0x80004005 for E_FAIL on MFStartup). */
VCAM_API uint32_t vcam_backend_failure_hresult(int backend);
VCAM_API size_t vcam_backend_entry_count(int backend);
VCAM_API int vcam_backend_entry_at(int backend, size_t index, vcam_backend_entry* out);

#ifdef __cplusplus
}
#endif

#endif /* SONIX_VIRTUAL_VCAM_CONTROL_H */
