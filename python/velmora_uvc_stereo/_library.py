"""Finds and loads velmora_uvc_stereo_sdk_c and the camera library it runs against."""
from __future__ import annotations

import ctypes
import logging
import os
import sys
import threading
from dataclasses import dataclass
from typing import TYPE_CHECKING, Any, Callable, Dict, List, Mapping, NamedTuple, Optional, Sequence, Tuple

from . import _bundle
from . import _structures as s
from .errors import error_for

LIBRARY_VARIABLE = "VELMORA_UVC_STEREO_LIBRARY"
VENDOR_LIBRARY_VARIABLE = "VELMORA_UVC_STEREO_VENDOR_LIBRARY"
# Where the SDK's install rules put the virtual camera, relative to the C library.
INSTALLED_VIRTUAL_CAMERA_FOLDER = ("velmora-uvc-stereo-sdk", "virtual-camera")

_log = logging.getLogger(__name__)


def sdk_names(platform: str) -> Sequence[str]:
    """File names of the C library: a wheel's (the soname), then a build tree's."""
    if platform == "win32":
        return (_bundle.layout(platform).sdk,)
    return (_bundle.layout(platform).sdk, "libvelmora_uvc_stereo_sdk_c.so")


def vendor_names(platform: str) -> Sequence[str]:
    """File names of the camera library (the vendor's; on Linux the one over
    uvcvideo, or the virtual camera, which carry one soname)."""
    return (_bundle.layout(platform).camera,)


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
    system: bool = True,
) -> List[Candidate]:
    """Where to look, in order: the variable's file (alone, when set), then each
    directory, then (when system) the system loader."""
    explicit = environ.get(variable, "")
    if explicit:
        return [Candidate(explicit, True)]
    found = [
        Candidate(os.path.join(directory, name), True)
        for directory in directories
        for name in names
        if exists(os.path.join(directory, name))
    ]
    return found + ([Candidate(name, False) for name in names] if system else [])


def _open(candidate: Candidate, mode: int) -> ctypes.CDLL:
    if candidate.is_path:
        if not os.path.isfile(candidate.target):
            raise OSError(f"no such library file: {candidate.target}")
        # On Windows a full path is loaded with the default flags: the DLL's own
        # folder and those given to os.add_dll_directory serve its imports.
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

# name: (result type, argument types[, the C name's suffix when it differs])
_PROTOTYPES: Dict[str, Tuple[Any, ...]] = {
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
    # The same function taking plain addresses, for the per-sample path.
    "device_convert_imu_by_address": (
        _c_int, [ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p], "device_convert_imu"),
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
        for name, (result, arguments, *symbol) in _PROTOTYPES.items():
            # Indexing makes a function object of its own, with its own argtypes.
            function = library["velmora_uvc_stereo_" + (symbol[0] if symbol else name)]
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
        self.lock = threading.RLock()
        self.api: Optional[Api] = None
        self.vendor: Optional[ctypes.CDLL] = None


_loaded = _Loaded()


def _sdk_candidates() -> List[Candidate]:
    return candidates(sdk_names(sys.platform), LIBRARY_VARIABLE, [_bundle.LIB_DIR], os.environ)


def _sdk_directory(found: List[Candidate]) -> List[str]:
    """The folder of the first C library file found by path (a build tree's lib/)."""
    return [os.path.dirname(c.target) for c in found if c.is_path][:1]


def _load_camera(found: List[Candidate]) -> None:
    """Loads a camera library by path before the C library, so that the C library
    binds to this very instance (it links the camera library by the same name)."""
    if _loaded.vendor is not None:
        return  # chosen already, by velmora_uvc_stereo.virtual
    paths = candidates(vendor_names(sys.platform), VENDOR_LIBRARY_VARIABLE,
                       [_bundle.LIB_DIR] + _sdk_directory(found), os.environ, system=False)
    if paths:
        _loaded.vendor = _open_first(paths, ctypes.RTLD_GLOBAL, "the camera library",
                                     VENDOR_LIBRARY_VARIABLE)


def api() -> Api:
    """The loaded C library, loading it (and the camera library first) on first use."""
    if _loaded.api is not None:
        return _loaded.api
    with _loaded.lock:
        if _loaded.api is None:
            found = _sdk_candidates()
            _load_camera(found)
            loaded_api = Api(_open_first(found, ctypes.DEFAULT_MODE, "velmora_uvc_stereo_sdk_c",
                                         LIBRARY_VARIABLE))
            _check_abi(loaded_api)
            _loaded.api = loaded_api
    return _loaded.api


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


def _virtual_candidates() -> List[Candidate]:
    """The virtual camera: the variable's file, the wheel's copy, an installed
    SDK's (in its own folder below the C library's, apart from the camera
    library found by default) or a build tree's (beside the C library that the
    variable names, or in a virtual/ folder there)."""
    directories = [_bundle.VIRTUAL_DIR]
    for directory in _sdk_directory(_sdk_candidates()):
        if os.path.abspath(directory) != _bundle.LIB_DIR:  # a wheel's _lib/ holds the default
            directories += [os.path.join(directory, "virtual"),
                            os.path.join(directory, *INSTALLED_VIRTUAL_CAMERA_FOLDER), directory]
    return candidates(vendor_names(sys.platform), VENDOR_LIBRARY_VARIABLE, directories, os.environ,
                      system=False)


def virtual_camera() -> ctypes.CDLL:
    """The virtual camera, as the camera library the SDK runs against. Loads it
    before the SDK when the SDK is not loaded yet; raises OSError when the SDK
    already runs against another camera library."""
    with _loaded.lock:
        if _loaded.api is None and _loaded.vendor is None:
            found = _virtual_candidates()
            if found:
                _loaded.vendor = _open_first(found, ctypes.RTLD_GLOBAL, "the virtual camera",
                                             VENDOR_LIBRARY_VARIABLE)
    library = vendor_library()
    if not hasattr(library, "vcam_load_scenario_json"):
        raise OSError(
            f"the SDK already runs against the camera library {library_path(library)}, which is "
            "not the virtual camera: use velmora_uvc_stereo.virtual (or the virtual_cameras "
            "fixture) before anything else of the package in this process")
    return library


class LoadedLibraries(NamedTuple):
    """The files of the C library and of the camera library it runs against."""

    sdk: str
    camera: Optional[str]


def library_path(library: ctypes.CDLL) -> str:
    """The file a loaded library came from, as the system loader resolved it."""
    if sys.platform == "win32":
        buffer = ctypes.create_unicode_buffer(32768)
        kernel32 = ctypes.WinDLL("kernel32", use_last_error=True)  # type: ignore[attr-defined]
        length = kernel32.GetModuleFileNameW(ctypes.c_void_p(library._handle), buffer, len(buffer))
        return buffer.value[:length] if length else str(library._name)
    return _link_map_name(library) or str(library._name)


class _LinkMap(ctypes.Structure):
    _fields_ = [("l_addr", ctypes.c_void_p), ("l_name", ctypes.c_char_p)]


def _link_map_name(library: ctypes.CDLL) -> Optional[str]:
    """The path glibc's loader keeps for a handle (dlinfo RTLD_DI_LINKMAP)."""
    try:
        dlinfo = ctypes.CDLL(None).dlinfo
    except AttributeError:
        return None
    link_map = ctypes.POINTER(_LinkMap)()
    rtld_di_linkmap = 2
    if dlinfo(ctypes.c_void_p(library._handle), rtld_di_linkmap, ctypes.byref(link_map)) != 0:
        return None
    name = link_map.contents.l_name
    return os.path.realpath(os.fsdecode(name)) if name else None


def loaded_libraries() -> LoadedLibraries:
    """Which C library and which camera library this process uses (loading them
    when they are not loaded yet)."""
    library = api()
    camera = vendor_library()
    return LoadedLibraries(sdk=library_path(library.library), camera=library_path(camera))


def thread_message() -> str:
    """The calling thread's last message from the C library."""
    message = ctypes.c_void_p()
    length = ctypes.c_size_t()
    api().last_error_message(ctypes.byref(message), ctypes.byref(length))
    return _text_at(message.value, length.value)


def check(code: int) -> None:
    """Raises the VelmoraError of a non-zero return code, with the message the call
    recorded for this thread (the device functions record there, not on a context)."""
    if code != 0:
        raise error_for(code, thread_message())
