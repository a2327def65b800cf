"""Finds and loads velmora_uvc_stereo_sdk_c (and the camera library it links)."""
from __future__ import annotations

import ctypes
import logging
import os
import sys
import threading
from dataclasses import dataclass
from typing import TYPE_CHECKING, Any, Callable, List, Mapping, Optional, Sequence

from . import _structures as s
from .errors import VelmoraError, error_code

LIBRARY_VARIABLE = "VELMORA_UVC_STEREO_LIBRARY"
VENDOR_LIBRARY_VARIABLE = "VELMORA_UVC_STEREO_VENDOR_LIBRARY"

_PACKAGE_DIR = os.path.dirname(os.path.abspath(__file__))
_log = logging.getLogger(__name__)


def sdk_names(platform: str) -> Sequence[str]:
    """File names of the C library, the development name first."""
    if platform == "win32":
        return ("velmora_uvc_stereo_sdk_c.dll",)
    return ("libvelmora_uvc_stereo_sdk_c.so", "libvelmora_uvc_stereo_sdk_c.so.0")


def vendor_names(platform: str) -> Sequence[str]:
    """File names of the camera library (the vendor's, on Linux the one over
    uvcvideo, or the virtual camera), the soname first."""
    return ("SonixCamera.dll",) if platform == "win32" else ("libSonixCamera.so.1", "libSonixCamera.so")


# Where the virtual camera lies apart from the camera library the SDK finds
# by default (which on Linux carries the same file name): relative to the
# SDK's folder, or to this package's.
VIRTUAL_CAMERA_FOLDERS = (os.path.join("velmora-uvc-stereo-sdk", "virtual-camera"), "virtual-camera")


def virtual_camera_directories(directories: Sequence[str]) -> List[str]:
    """The virtual camera's possible folders below each of these."""
    return [os.path.join(directory, folder) for directory in directories for folder in VIRTUAL_CAMERA_FOLDERS]


@dataclass(frozen=True)
class Candidate:
    """One place to load a library from: a file path, or a bare name for the system loader."""

    target: str
    is_path: bool


def candidates(
    names: Sequence[str],
    variable: str,
    directories: Sequence[str],
    environ: Mapping[str, str],
    exists: Callable[[str], bool] = os.path.isfile,
) -> List[Candidate]:
    """Where to look, in order: the variable's file (alone, when set), then each
    directory, then the system loader."""
    explicit = environ.get(variable, "")
    if explicit:
        return [Candidate(explicit, True)]
    found = [
        Candidate(os.path.join(directory, name), True)
        for directory in directories
        for name in names
        if exists(os.path.join(directory, name))
    ]
    return found + [Candidate(name, False) for name in names]


def _open(candidate: Candidate, mode: int) -> ctypes.CDLL:
    if candidate.is_path:
        if not os.path.isfile(candidate.target):
            raise OSError(f"no such library file: {candidate.target}")
        return ctypes.CDLL(candidate.target, mode=mode)
    if sys.platform == "win32":
        # winmode 0: the classic search order, PATH included, for bare names.
        return ctypes.CDLL(candidate.target, mode=mode, winmode=0)
    return ctypes.CDLL(candidate.target, mode=mode)


def _open_first(found: List[Candidate], mode: int, what: str, variable: str) -> ctypes.CDLL:
    failures = []
    for candidate in found:
        try:
            library = _open(candidate, mode)
        except OSError as error:
            failures.append(f"{candidate.target}: {error}")
            continue
        _log.debug("loaded %s from %s", what, candidate.target)
        return library
    raise OSError(f"cannot load {what} (set {variable}); tried " + "; ".join(failures))


_c_int = ctypes.c_int
_ptr = ctypes.POINTER

# name: (result type, argument types)
_PROTOTYPES = {
    "ctx_config_init_default": (None, [_ptr(s.CtxConfig)]),
    "ctx_create": (_c_int, [_ptr(s.CtxConfig), _ptr(ctypes.c_void_p)]),
    "ctx_destroy": (None, [ctypes.c_void_p]),
    "ctx_last_error_message": (
        _c_int, [ctypes.c_void_p, _ptr(ctypes.c_void_p), _ptr(ctypes.c_size_t)]),
    "ctx_scan": (_c_int, [ctypes.c_void_p, _ptr(s.CDeviceInfo)]),
    "scan_devices": (_c_int, [_ptr(_ptr(s.CDeviceInfo)), _ptr(ctypes.c_size_t)]),
    "last_error_message": (_c_int, [_ptr(ctypes.c_void_p), _ptr(ctypes.c_size_t)]),
    "free": (None, [ctypes.c_void_p]),
    "open_device_options_init_default": (None, [_ptr(s.OpenDeviceOptions)]),
    "imu_conversion_options_init_default": (None, [_ptr(s.CImuConversion)]),
    "opencv_backend_name": (ctypes.c_char_p, [_c_int]),
    "open_device": (
        _c_int, [_ptr(s.CDeviceInfo), _ptr(s.OpenDeviceOptions), _ptr(ctypes.c_void_p)]),
    "close_device": (None, [ctypes.c_void_p]),
    "device_info": (_c_int, [ctypes.c_void_p, _ptr(s.CDeviceInfo)]),
    "device_capability_info": (_c_int, [ctypes.c_void_p, _ptr(s.CCapabilityInfo)]),
    "capability_info_init": (None, [_ptr(s.CCapabilityInfo)]),
    "device_open_imu": (_c_int, [ctypes.c_void_p]),
    "device_close_imu": (_c_int, [ctypes.c_void_p]),
    "device_read_imu": (_c_int, [ctypes.c_void_p, ctypes.c_void_p]),
    "convert_imu": (
        _c_int, [_ptr(s.CReadImuResult), _ptr(s.CImuConversion), _ptr(s.CConvertedImuResult)]),
    "device_convert_imu": (
        _c_int, [ctypes.c_void_p, _ptr(s.CReadImuResult), _ptr(s.CConvertedImuResult)]),
    "device_read_json": (
        _c_int,
        [ctypes.c_void_p, _ptr(ctypes.c_uint16), _ptr(ctypes.c_void_p), _ptr(ctypes.c_size_t)]),
    "device_write_json": (_c_int, [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t]),
}


class Api:
    """The C functions by their short names: api.scan_devices(...) calls
    velmora_uvc_stereo_scan_devices."""

    def __init__(self, library: ctypes.CDLL) -> None:
        self.library = library
        for name, (result, arguments) in _PROTOTYPES.items():
            function = getattr(library, "velmora_uvc_stereo_" + name)
            function.restype = result
            function.argtypes = arguments
            setattr(self, name, function)

    if TYPE_CHECKING:
        # The functions are set from the table above.
        def __getattr__(self, name: str) -> Any: ...


def _text_at(address: Optional[int], length: int) -> str:
    if not address or length == 0:
        return ""
    return ctypes.string_at(address, length).decode("utf-8", "replace")


def _guarded(structure_type: type, init: Callable[[Any], None]) -> "ctypes.Array[ctypes.c_uint8]":
    """Runs an initialiser on a buffer one structure long plus a guard, filled with 0xA5."""
    size = ctypes.sizeof(structure_type)
    buffer = (ctypes.c_uint8 * (size + 16))(*([0xA5] * (size + 16)))
    init(ctypes.cast(buffer, ctypes.POINTER(structure_type)))
    return buffer


def _check_abi(api: Api) -> None:
    """Raises OSError when the loaded library writes structures other than these mirrors."""
    problems = []
    info_buffer = _guarded(s.CCapabilityInfo, api.capability_info_init)
    info = s.CCapabilityInfo.from_buffer(info_buffer)
    if info.struct_size != s.CAPABILITY_INFO_SIZE:
        problems.append(f"capability info struct_size is {info.struct_size}")
    config_buffer = _guarded(s.CtxConfig, api.ctx_config_init_default)
    if s.CtxConfig.from_buffer(config_buffer).flash_magic != 0x5A4F564B:
        problems.append("ctx config has the flash magic elsewhere")
    conversion_buffer = _guarded(s.CImuConversion, api.imu_conversion_options_init_default)
    if s.CImuConversion.from_buffer(conversion_buffer).accel_lsb_per_g != 2048.0:
        problems.append("IMU conversion options have another layout")
    for structure_type, buffer in (
        (s.CCapabilityInfo, info_buffer),
        (s.CtxConfig, config_buffer),
        (s.CImuConversion, conversion_buffer),
    ):
        if any(byte != 0xA5 for byte in buffer[ctypes.sizeof(structure_type):]):
            problems.append(f"{structure_type.__name__} is written beyond its size")
    if problems:
        raise OSError("velmora_uvc_stereo_sdk_c does not match this package: " + "; ".join(problems))


class _Loaded:
    def __init__(self) -> None:
        self.lock = threading.Lock()
        self.api: Optional[Api] = None
        self.sdk_directory: Optional[str] = None
        self.vendor: Optional[ctypes.CDLL] = None
        self.prefer_virtual = False


_loaded = _Loaded()


def _load_vendor_first(sdk_found: List[Candidate]) -> None:
    """Loads the camera library before the SDK, so that the SDK binds to this
    very instance: the virtual camera's controls must reach the SDK's cameras."""
    directories = [os.path.dirname(c.target) for c in sdk_found if c.is_path][:1] + [_PACKAGE_DIR]
    if _loaded.prefer_virtual:
        # Its own folder first; where it lies beside the SDK (a build tree),
        # the SDK's folder still finds it.
        directories = virtual_camera_directories(directories + ["/usr/lib", "/usr/local/lib"]) + directories
    found = candidates(vendor_names(sys.platform), VENDOR_LIBRARY_VARIABLE, directories, os.environ)
    paths = [c for c in found if c.is_path]
    if paths:
        _loaded.vendor = _open_first(paths, ctypes.RTLD_GLOBAL, "the camera library",
                                     VENDOR_LIBRARY_VARIABLE)


def api() -> Api:
    """The loaded C library, loading it on first use."""
    if _loaded.api is not None:
        return _loaded.api
    with _loaded.lock:
        if _loaded.api is None:
            found = candidates(sdk_names(sys.platform), LIBRARY_VARIABLE, [_PACKAGE_DIR], os.environ)
            _load_vendor_first(found)
            loaded_api = Api(_open_first(found, ctypes.DEFAULT_MODE, "velmora_uvc_stereo_sdk_c",
                                         LIBRARY_VARIABLE))
            _check_abi(loaded_api)
            _loaded.api = loaded_api
    return _loaded.api


def prefer_virtual_camera() -> None:
    """Makes the first load of the SDK take the virtual camera in place of the
    camera library it finds by default. Later it changes nothing: a process
    keeps the camera library it started with."""
    with _loaded.lock:
        _loaded.prefer_virtual = True


def vendor_library() -> ctypes.CDLL:
    """The camera library instance the SDK uses."""
    api()
    with _loaded.lock:
        if _loaded.vendor is None:
            # The SDK loaded it as a dependency: a bare name finds that instance.
            names = [Candidate(name, False) for name in vendor_names(sys.platform)]
            _loaded.vendor = _open_first(names, ctypes.DEFAULT_MODE, "the camera library",
                                        VENDOR_LIBRARY_VARIABLE)
        return _loaded.vendor


def thread_message() -> str:
    """The calling thread's last message from the C library."""
    message = ctypes.c_void_p()
    length = ctypes.c_size_t()
    api().last_error_message(ctypes.byref(message), ctypes.byref(length))
    return _text_at(message.value, length.value)


def check(code: int) -> None:
    """Raises VelmoraError for a non-zero return code, with the message the call
    recorded for this thread (the device functions record there, not on a context)."""
    if code != 0:
        raise VelmoraError(error_code(code), thread_message())
