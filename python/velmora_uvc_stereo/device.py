"""An open camera: its descriptions, its flash JSON document and its IMU."""
from __future__ import annotations

import ctypes
import json
import threading
import weakref
from typing import Any, Optional, Union

from . import _structures as s
from ._closing import Closing
from ._convert import (
    as_int,
    capability_info_from_c,
    device_info_from_c,
    device_info_to_c,
)
from ._interrupts import Deferred
from ._library import Api, api, check
from ._platform_notes import note_flash_unreachable
from .errors import InvalidArgumentError, InvalidJsonError, SESSION_OPEN_MESSAGE, closed_device_error
from .imu import ImuConverter, ImuSession, SessionSlot
from .records import (
    REQUIRE_FLASH,
    REQUIRE_FLASH_JSON,
    REQUIRE_IMU,
    CapabilityInfo,
    DeviceInfo,
    ImuSample,
    ImuValues,
    JsonBytes,
    JsonDocument,
    Requirement,
)

__all__ = ["Device", "open_device", "REQUIRE_FLASH", "REQUIRE_IMU", "REQUIRE_FLASH_JSON"]

JsonInput = Union[str, bytes, bytearray, memoryview, Any]


def _release(library: Api, handle: int, context: int) -> None:
    """Closes a device handle and destroys its context (also from the collector)."""
    library.close_device(handle)
    library.ctx_destroy(context)


def _json_bytes(document: JsonInput) -> bytes:
    """The UTF-8 text write_json hands to the SDK."""
    if document is None:
        raise TypeError("write_json needs a document; None would be stored as the JSON text null "
                        "(pass \"null\" to mean that)")
    if isinstance(document, (bytes, bytearray, memoryview)):
        raw = bytes(document)
        raw.decode("utf-8")  # UnicodeDecodeError (a ValueError) for text that is not UTF-8
        return raw
    if not isinstance(document, str):
        document = json.dumps(document, separators=(",", ":"), ensure_ascii=False)
    return document.encode("utf-8")


class Device(Closing):
    """An open camera, made by open_device; it owns its C handle and a context.
    Closed by close(), by leaving a with block or by the garbage collector;
    every call after close raises InvalidArgumentError. One Device may be
    shared between threads: its calls run one at a time. It cannot be copied
    or pickled (a copy would share the handle)."""

    def __init__(self, library: Api, handle: int, context: int, info: DeviceInfo) -> None:
        self._api = library
        self._handle: Optional[int] = handle
        self._lock = threading.RLock()
        self._session: Optional[SessionSlot] = None
        self._opened_as = info
        self._finalizer = weakref.finalize(self, _release, library, handle, context)
        self._converter = ImuConverter(library)

    # ---- lifetime -----------------------------------------------------------------
    def close(self) -> None:
        """Closes the camera, ending an open IMU session; closing again does nothing."""
        with self._lock, Deferred():
            if self._session is not None:
                self._session.open = False
                self._session = None
            self._handle = None
            self._finalizer()

    @property
    def closed(self) -> bool:
        return self._handle is None

    def __repr__(self) -> str:
        info = self._opened_as
        state = "closed" if self.closed else "open"
        return (f"<velmora_uvc_stereo.Device {info.name!r} serial {info.serial_number!r} "
                f"{info.vid:04x}:{info.pid:04x} {state}>")

    def _live_handle(self) -> int:
        """The handle; call with the lock held."""
        if self._handle is None:
            raise closed_device_error()
        return self._handle

    def _call(self, function: Any, *arguments: Any) -> None:
        """Calls a C device function on this handle under the device's lock."""
        with self._lock:
            check(function(self._live_handle(), *arguments))

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
    def read_json_bytes(self) -> JsonBytes:
        """The stored JSON document as bytes, with its record version; unlike
        read_json it does not need the text to be UTF-8."""
        version = ctypes.c_uint16()
        text = ctypes.c_void_p()
        length = ctypes.c_size_t()
        # Deferred: the buffer the SDK hands out is freed whatever arrives.
        with Deferred():
            with note_flash_unreachable():
                self._call(self._api.device_read_json, ctypes.byref(version), ctypes.byref(text),
                           ctypes.byref(length))
            try:
                raw = ctypes.string_at(text.value, length.value) if text.value else b""
            finally:
                self._api.free(text)
        return JsonBytes(version=version.value, data=raw)

    def read_json(self) -> JsonDocument:
        """The JSON document in the camera's flash, minified, with its record version.
        A document that is not UTF-8 raises InvalidJsonError with the bytes in .raw."""
        stored = self.read_json_bytes()
        try:
            text = stored.data.decode("utf-8")
        except UnicodeDecodeError as error:
            raise InvalidJsonError(
                f"stored document is not UTF-8 text: {error.reason} at offset {error.start}",
                raw=stored.data) from None
        return JsonDocument(version=stored.version, text=text)

    def write_json(self, document: JsonInput) -> None:
        """Stores a JSON document as record version 0. A str, bytes or bytearray
        (UTF-8) goes to the SDK as given (it validates and minifies it); any other
        object but None is serialised compactly with json.dumps. The stored
        record (16-byte header plus the minified text) must fit the camera's
        flash user space. A Ctrl-C during the write takes effect after it."""
        raw = _json_bytes(document)
        # An empty text has length 0, which the SDK reads up to the NUL: the same empty text.
        with Deferred(), note_flash_unreachable():
            self._call(self._api.device_write_json, raw, len(raw))

    # ---- IMU --------------------------------------------------------------------------
    def imu(self) -> ImuSession:
        """Opens the IMU session (flash JSON access is refused while it is open);
        use it in a with block, or close() it. One session at a time: a second
        while one is open raises InvalidArgumentError."""
        with self._lock:
            handle = self._live_handle()
            if self._session is not None:
                raise InvalidArgumentError(SESSION_OPEN_MESSAGE)
            with Deferred() as held:
                check(self._api.device_open_imu(handle))
                if held.interrupted:
                    # Nobody would receive the session: end it again, then let
                    # the interrupt through (leaving this block raises it).
                    self._api.device_close_imu(handle)
                    session = None
                else:
                    slot = SessionSlot()
                    session = ImuSession(self, handle, slot)
                    self._session = slot
        assert session is not None  # an interrupted open raised on leaving the block
        return session

    def _end_session(self, slot: SessionSlot) -> None:
        """Ends the IMU session that slot belongs to, when it is still the open one."""
        with self._lock, Deferred():
            if self._session is not slot:
                return
            slot.open = False
            self._session = None
            code = self._api.device_close_imu(self._live_handle())
        check(code)

    def convert_imu(self, sample: ImuSample) -> ImuValues:
        """A raw sample in physical units with the camera's own scale values; needs
        no IMU session."""
        with self._lock:
            handle = self._handle
            if handle is None:
                raise closed_device_error()
            return self._converter.device_convert(handle, sample)


def open_device(info: DeviceInfo, required_capabilities: int = Requirement.FLASH) -> Device:
    """Opens a camera as a scan described it. required_capabilities, a Requirement
    (or its int): FLASH checks that the flash answers (the default), FLASH_JSON
    reads and validates the JSON document, IMU asks for the IMU (checked when it
    is opened), NONE checks nothing."""
    c_info = device_info_to_c(info)
    required = as_int("required_capabilities", required_capabilities)
    if not 0 <= required <= 0xFFFFFFFF:
        raise ValueError(f"required_capabilities is out of range: {required}")
    options = s.OpenDeviceOptions(required)
    library = api()
    context = ctypes.c_void_p()
    check(library.ctx_create(None, ctypes.byref(context)))
    handle = ctypes.c_void_p()
    # Deferred: from here to the Device's finalizer the handle has no other owner.
    with Deferred() as held:
        try:
            with note_flash_unreachable(required & (Requirement.FLASH | Requirement.FLASH_JSON) != 0):
                check(library.open_device(ctypes.byref(c_info), ctypes.byref(options),
                                          ctypes.byref(handle)))
        except BaseException:
            library.ctx_destroy(context)
            raise
        # Both are set when the calls succeed.
        assert handle.value is not None and context.value is not None
        if held.interrupted:
            _release(library, handle.value, context.value)
            device = None
        else:
            device = Device(library, handle.value, context.value, info)
    assert device is not None  # an interrupted open raised on leaving the block
    return device
