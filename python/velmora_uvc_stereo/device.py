"""An open camera: its descriptions, its flash JSON document and its IMU."""
from __future__ import annotations

import ctypes
import json
import threading
import weakref
from typing import Any, Optional

from . import _structures as s
from ._closing import Closing
from ._convert import (
    capability_info_from_c,
    device_info_from_c,
    device_info_to_c,
    sample_to_c,
    values_from_c,
)
from ._library import Api, api, check
from ._platform_notes import note_flash_unreachable
from .errors import VelmoraError, closed_device_error
from .imu import ImuSession
from .records import CapabilityInfo, DeviceInfo, ImuSample, ImuValues, JsonDocument

REQUIRE_FLASH = 1
REQUIRE_IMU = 2
REQUIRE_FLASH_JSON = 4


def _release(library: Api, handle: int, context: int) -> None:
    """Closes a device handle and destroys its context (also from the collector)."""
    library.close_device(handle)
    library.ctx_destroy(context)


class Device(Closing):
    """An open camera, made by open_device; it owns its C handle and a context.
    Closed by close(), by leaving a with block or by the garbage collector;
    every call after close raises VelmoraError (InvalidArgument). One Device
    may be shared between threads: its calls run one at a time."""

    def __init__(self, library: Api, handle: int, context: int) -> None:
        self._api = library
        self._handle: Optional[int] = handle
        self._lock = threading.RLock()
        self._finalizer = weakref.finalize(self, _release, library, handle, context)

    # ---- lifetime -----------------------------------------------------------------
    def close(self) -> None:
        """Closes the camera, ending an open IMU session; closing again does nothing."""
        with self._lock:
            self._handle = None
            self._finalizer()

    @property
    def closed(self) -> bool:
        return self._handle is None

    def __repr__(self) -> str:
        return f"<velmora_uvc_stereo.Device {'closed' if self.closed else 'open'}>"

    def _call(self, function: Any, *arguments: Any) -> None:
        """Calls a C device function on this handle under the device's lock."""
        with self._lock:
            if self._handle is None:
                raise closed_device_error()
            check(function(self._handle, *arguments))

    # ---- descriptions -----------------------------------------------------------
    @property
    def info(self) -> DeviceInfo:
        """The DeviceInfo the camera was opened with."""
        c_info = s.CDeviceInfo()
        self._call(self._api.device_info, ctypes.byref(c_info))
        return device_info_from_c(c_info)

    @property
    def capability_info(self) -> CapabilityInfo:
        """What the camera declared in its capability report (state 1), or state 2
        for a legacy camera without one."""
        c_info = s.CCapabilityInfo()
        self._api.capability_info_init(ctypes.byref(c_info))
        self._call(self._api.device_capability_info, ctypes.byref(c_info))
        return capability_info_from_c(c_info)

    # ---- flash JSON ----------------------------------------------------------------
    def read_json(self) -> JsonDocument:
        """The JSON document in the camera's flash, minified, with its record version."""
        version = ctypes.c_uint16()
        text = ctypes.c_void_p()
        length = ctypes.c_size_t()
        try:
            self._call(self._api.device_read_json, ctypes.byref(version), ctypes.byref(text),
                       ctypes.byref(length))
        except VelmoraError as error:
            note_flash_unreachable(error)
            raise
        try:
            raw = ctypes.string_at(text.value, length.value) if text.value else b""
        finally:
            self._api.free(text)
        return JsonDocument(version=version.value, text=raw.decode("utf-8"))

    def write_json(self, document: Any) -> None:
        """Stores a JSON document. A str goes to the SDK as given (it validates and
        minifies it); any other object is serialised compactly with json.dumps."""
        if not isinstance(document, str):
            document = json.dumps(document, separators=(",", ":"), ensure_ascii=False)
        raw = document.encode("utf-8", "surrogateescape")
        # An empty text has length 0, which the SDK reads up to the NUL: the same empty text.
        try:
            self._call(self._api.device_write_json, raw, len(raw))
        except VelmoraError as error:
            note_flash_unreachable(error)
            raise

    # ---- IMU --------------------------------------------------------------------------
    def imu(self) -> ImuSession:
        """Opens the IMU session (flash JSON access is refused while it is open);
        use it in a with block, or close() it."""
        self._call(self._api.device_open_imu)
        return ImuSession(self)

    def convert_imu(self, sample: ImuSample) -> ImuValues:
        """A raw sample in physical units with the camera's own scale values; needs
        no IMU session."""
        c_sample = sample_to_c(sample)
        c_values = s.CConvertedImuResult()
        self._call(self._api.device_convert_imu, ctypes.byref(c_sample), ctypes.byref(c_values))
        return values_from_c(c_values)


def open_device(info: DeviceInfo, required_capabilities: int = REQUIRE_FLASH) -> Device:
    """Opens a camera as a scan described it. required_capabilities: 1 checks that
    the flash answers (the default), 4 reads and validates the JSON document,
    2 asks for the IMU (checked when it is opened), 0 checks nothing."""
    c_info = device_info_to_c(info)
    if not isinstance(required_capabilities, int) or not 0 <= required_capabilities <= 0xFFFFFFFF:
        raise ValueError(f"required_capabilities is out of range: {required_capabilities!r}")
    options = s.OpenDeviceOptions(required_capabilities)
    library = api()
    context = ctypes.c_void_p()
    check(library.ctx_create(None, ctypes.byref(context)))
    handle = ctypes.c_void_p()
    try:
        check(library.open_device(ctypes.byref(c_info), ctypes.byref(options), ctypes.byref(handle)))
    except VelmoraError as error:
        library.ctx_destroy(context)
        if required_capabilities & (REQUIRE_FLASH | REQUIRE_FLASH_JSON):
            note_flash_unreachable(error)
        raise
    # Both are set when the calls succeed.
    assert handle.value is not None and context.value is not None
    return Device(library, handle.value, context.value)
