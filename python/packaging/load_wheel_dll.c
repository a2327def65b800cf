/* Loads the Windows wheel's C library the way Python's ctypes does (full path,
 * the DLL's own folder and the os.add_dll_directory folders serving its
 * imports) and lists the cameras through it.
 *
 *   load_wheel_dll <lib-folder> default   the wheel as installed: without the
 *                                         vendor's DLL the C library must not load
 *   load_wheel_dll <lib-folder> virtual   the virtual camera loaded first from
 *                                         virtual\, as velmora_uvc_stereo.virtual does
 *   load_wheel_dll <lib-folder> beside    a SonixCamera.dll put beside the C library
 *
 * Prints one line per camera and exits 0 when the outcome is the expected one. */
#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#ifndef LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
#define LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR 0x00000100
#endif
#ifndef LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
#define LOAD_LIBRARY_SEARCH_DEFAULT_DIRS 0x00001000
#endif

/* The leading fields of struct velmora_uvc_stereo_device_info (1872 bytes). */
struct device_info {
    uint16_t vid;
    uint16_t pid;
    uint8_t aux_flag_0;
    uint8_t aux_flag_1;
    char serial_number[256];
    char descriptor_text[256];
    char name[256];
    char rest[1872 - 6 - 3 * 256];
};

typedef int (*scan_devices_fn)(struct device_info**, size_t*);
typedef void (*free_fn)(void*);

static HMODULE load(const char* folder, const char* file) {
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\%s", folder, file);
    return LoadLibraryExA(path, NULL, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

static int list_cameras(HMODULE sdk) {
    scan_devices_fn scan = (scan_devices_fn)(void (*)(void))GetProcAddress(sdk, "velmora_uvc_stereo_scan_devices");
    free_fn release = (free_fn)(void (*)(void))GetProcAddress(sdk, "velmora_uvc_stereo_free");
    struct device_info* devices = NULL;
    size_t count = 0, i;
    int code;
    if (scan == NULL || release == NULL) {
        fprintf(stderr, "the C library lacks its functions\n");
        return 1;
    }
    code = scan(&devices, &count);
    if (code != 0) {
        fprintf(stderr, "scan failed with code %d\n", code);
        return 1;
    }
    for (i = 0; i < count; ++i) {
        printf("%04x:%04x %s %s\n", devices[i].vid, devices[i].pid, devices[i].name, devices[i].serial_number);
    }
    release(devices);
    return count > 0 ? 0 : 1;
}

int main(int argc, char** argv) {
    const char* folder;
    const char* mode;
    HMODULE sdk;
    char virtual_folder[MAX_PATH];
    if (argc != 3) {
        fprintf(stderr, "usage: load_wheel_dll <lib-folder> default|virtual|beside\n");
        return 2;
    }
    folder = argv[1];
    mode = argv[2];
    if (strcmp(mode, "virtual") == 0) {
        snprintf(virtual_folder, sizeof virtual_folder, "%s\\virtual", folder);
        if (load(virtual_folder, "SonixCamera.dll") == NULL) {
            fprintf(stderr, "cannot load the virtual camera: error %lu\n", GetLastError());
            return 1;
        }
    }
    sdk = load(folder, "velmora_uvc_stereo_sdk_c.dll");
    if (strcmp(mode, "default") == 0) {
        /* Nothing of the wheel may stand in for the vendor's DLL. */
        if (sdk != NULL) {
            fprintf(stderr, "the C library loaded without the vendor's SonixCamera.dll\n");
            return 1;
        }
        printf("not loaded without SonixCamera.dll: error %lu\n", GetLastError());
        return GetLastError() == ERROR_MOD_NOT_FOUND ? 0 : 1;
    }
    if (sdk == NULL) {
        fprintf(stderr, "cannot load the C library: error %lu\n", GetLastError());
        return 1;
    }
    return list_cameras(sdk);
}
